#include <QApplication>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

// The windows need a QApplication; offscreen unless the caller chose a platform.
int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    // Qt wants a private runtime folder and warns without one.
    std::string runtimeDir = "/tmp/trv-help-test-XXXXXX";
    if (mkdtemp(runtimeDir.data()) != nullptr) {
        chmod(runtimeDir.c_str(), 0700);
        setenv("XDG_RUNTIME_DIR", runtimeDir.c_str(), 1);
    }
    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    rmdir(runtimeDir.c_str());
    return result;
}
