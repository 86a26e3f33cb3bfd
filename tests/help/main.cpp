#include <QApplication>

#include <gtest/gtest.h>

#include <cstdlib>

// The windows need a QApplication; offscreen unless the caller chose a platform.
int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
