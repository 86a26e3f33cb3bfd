#include <QApplication>
#include <QByteArray>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

int main(int argc, char** argv)
{
    // Run without a display, and give Qt the private runtime folder it asks for when ctest
    // did not hand one in.
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    if (!std::getenv("XDG_RUNTIME_DIR")) {
        std::string dir = "/tmp/trv-ui-test-XXXXXX";
        if (mkdtemp(dir.data())) {
            chmod(dir.c_str(), 0700);
            setenv("XDG_RUNTIME_DIR", dir.c_str(), 1);
        }
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName("Trevandel-tests");
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
