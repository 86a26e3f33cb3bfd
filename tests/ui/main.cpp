#include <QApplication>

#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv)
{
    // Run without a display, and in the locale ctest gives (the converter run beside the window
    // inherits it); ctest also hands in a private runtime folder for Qt.
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("LC_ALL", "C.UTF-8", 1);
    QApplication app(argc, argv);
    QApplication::setApplicationName("Trevandel-tests");
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
