// The real file dialog must never read the files of the folder it shows: some block for ever
// (a FIFO, /proc/kmsg). And a folder the save could not write to is not remembered.
#include "ModalScript.h"
#include "SpecialFiles.h"
#include "UiTestSupport.h"

#include "ui/QtPlatform.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileSystemModel>

#include <chrono>

namespace trv::test {
namespace {

using namespace std::chrono_literals;

class FileDialog : public UiTest {
  protected:
    // A folder with what Qt's type guessing would open: a file without a known extension, a
    // FIFO nobody writes to, a spectrum and a subfolder.
    void SetUp() override
    {
        UiTest::SetUp();
        QDir(Work()).mkpath("special/sub");
        WriteBytes(Work("special/kmsg"), std::string(64, '\x01'));
        WriteBytes(Work("special/a.spm"), MakePca2(2560, [](int i) { return 1000u + i; }));
        ASSERT_TRUE(MakeFifo(Work("special/pipe")));
    }
};

TEST_F(FileDialog, RealDialogListsAFolderWithoutOpeningItsFiles)
{
    QDir::setCurrent(Work("special"));
    OpenWatch watch(Work("special"));
    ASSERT_TRUE(watch.Valid());
    FifoRescue rescue(Work("special/pipe"), 2s);
    QtPlatform platform;
    int listed = -1;
    // Waits until the folder is listed and its entries' details are fetched, then cancels.
    OnModal<QFileDialog> cancel([&](QFileDialog& dialog) {
        auto* model = dialog.findChild<QFileSystemModel*>();
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < 1500) {
            QApplication::processEvents(QEventLoop::AllEvents, 20);
            if (model) listed = model->rowCount(model->index(Work("special")));
        }
        dialog.reject();
    });
    FileDialogRequest request;
    request.title = "Open";
    request.filter = "All Files (*.*)|*.*";
    QElapsedTimer clock;
    clock.start();
    EXPECT_FALSE(platform.OpenFileDialog(request).has_value());
    EXPECT_TRUE(cancel.Ran());
    EXPECT_GE(listed, 3) << "the folder was shown"; // the FIFO may be left out
    EXPECT_LT(clock.elapsed(), 5000);
    EXPECT_FALSE(rescue.Released()) << "the dialog got stuck opening the FIFO";
    EXPECT_EQ(watch.Touched(), QStringList());
}

// Save as into a folder where the file can't be written: the error is shown, and both the
// current folder and the stored one stay where the last good dialog left them.
TEST_F(FileDialog, FailedSaveLeavesTheRememberedFolderAsItWas)
{
    Start();
    QDir(Work()).mkpath("blocked/x.exp");
    OpenViaDialog(Work("special/a.spm"));
    platform_.QueueSave(Work("blocked/x.exp"));
    Form().saveAsAction()->trigger();
    EXPECT_EQ(platform_.errors, QStringList{"Invalid filename"});
    EXPECT_EQ(QDir::currentPath(), Work("special"));
    Stop();
    QDir::setCurrent(Work());
    Start();
    EXPECT_EQ(QDir::currentPath(), Work("special"));
}

} // namespace
} // namespace trv::test
