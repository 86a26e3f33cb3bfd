// The real file dialog must never read the files of the folder it shows: some block for ever
// (a FIFO, /proc/kmsg); a dialog stuck on one hangs until the test's time limit.
#include "ModalScript.h"
#include "SpecialFiles.h"
#include "UiTestSupport.h"

#include "ui/QtPlatform.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileSystemModel>

namespace trv::test {
namespace {

class FileDialog : public UiTest {};

// A folder with what Qt's type guessing would open: a file without a known extension, a FIFO
// nobody writes to, a spectrum and a subfolder.
TEST_F(FileDialog, RealDialogListsAFolderWithoutOpeningItsFiles)
{
    QDir(Work()).mkpath("special/sub");
    WriteBytes(Work("special/kmsg"), std::string(64, '\x01'));
    WriteBytes(Work("special/a.spm"), MakePca2(2560, [](int i) { return 1000u + i; }));
    ASSERT_TRUE(MakeFifo(Work("special/pipe")));
    QDir::setCurrent(Work("special"));
    OpenWatch watch(Work("special"));
    ASSERT_TRUE(watch.Valid());
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
    EXPECT_EQ(watch.Touched(), QStringList());
}

} // namespace
} // namespace trv::test
