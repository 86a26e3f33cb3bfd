// Bad and special input files through "Open spm" and "Load header": a refused file shows one
// message and leaves the window as it was.
#include "SpecialFiles.h"
#include "UiTestSupport.h"

#include "support/BadCorpus.h"

#include "asciitable/AsciiExport.h"
#include "exp/ExpFile.h"
#include "platform/FileIo.h"
#include "spectrum/Spm.h"
#include "ui/widgets/IntEditField.h"
#include "ui/widgets/MaskEditField.h"
#include "ui/windows/CombineSpectraDialog.h"

#include <QAction>
#include <QElapsedTimer>
#include <QLabel>

#include <filesystem>
#include <tuple>

namespace trv::test {
namespace {

namespace fs = std::filesystem;

// Everything that a refused open must leave as it was: the labels, what Save would write, the
// plot's settings, the preview and the first spectrum to add.
using MainState = std::tuple<QStringList, std::string, std::vector<int>, QImage>;

MainState Capture(const MainWindow& f)
{
    return {{f.spectrumNameLabel()->text(), f.fileSizeLabel()->text(), f.firstStampLabel()->text(),
             f.secondStampLabel()->text(), f.channelCountLabel()->text(), f.spmModeLabel()->text(),
             f.GridCell(1, 1)},
            FormatExpFile(f.CurrentHeader(), f.Counts(), 0, kSave512Add),
            {f.SaveAsMode(), f.plotFoldSpin()->Position(), f.plotIgnoreLeftSpin()->Position(),
             f.GridRowCount(), int(f.combineDialog()->Slot(0).counts.size())},
            f.previewImage()->Bitmap()};
}

class BadInputUi : public UiTest {
  protected:
    // Starts with a good 512-channel file open and header fields that differ from every
    // default.
    MainWindow& StartWithGoodFile()
    {
        MainWindow& f = Start();
        good_ = WriteSpm("ha1234.spm", MakePca2(2560, [](int i) { return 1000u + i % 7 * 13u; }));
        OpenViaDialog(good_);
        f.channelsEdit()->setText("777");
        f.calibrationEdit()->SetValue("0.04321");
        f.zeroSpeedEdit()->SetValue("111.11");
        f.countsMillionsEdit()->setText("42");
        EXPECT_TRUE(platform_.errors.isEmpty()) << Str(platform_.errors.join('|'));
        return f;
    }

    // A refusal: exactly one message, and the window as before.
    void ExpectRefused(const MainState& before, const QString& expected)
    {
        EXPECT_EQ(platform_.errors, QStringList{expected});
        EXPECT_TRUE(Capture(Form()) == before);
        platform_.errors.clear();
    }

    QString good_;
};

// The parser's own tests take the whole corpus; here one file for each refusal text.
TEST_F(BadInputUi, CorpusSpmFileRefusedLeavesThePreviousSpectrum)
{
    MainWindow& f = StartWithGoodFile();
    int refused = 0;
    for (const auto& row : corpus::OnePerExpectation("spm")) {
        if (row.expect[0] != "error") continue;
        SCOPED_TRACE(row.file);
        const MainState before = Capture(f);
        OpenViaDialog(QString::fromStdString(corpus::Root() + "/" + row.file));
        ExpectRefused(before, QString::fromStdString(row.expect[1]));
        ++refused;
    }
    EXPECT_EQ(refused, 2);
}

// Files that can't be read whatever they hold: missing, a folder, too large, a FIFO (refused at
// once, never waited on: a read that waits for a writer hangs until the test's time limit).
TEST_F(BadInputUi, FileThatCannotBeReadIsNamedAndChangesNothing)
{
    MainWindow& f = StartWithGoodFile();
    const QString fifoText = ": it is a named pipe (FIFO), not a regular file";
    struct Case {
        const char* name;
        char kind; // nothing, a Folder, a Large file, a FIFO
        QAction* action;
        QString text;
    };
    const Case cases[] = {
        {"missing.spm", ' ', f.openAction(), "File not found"},
        {"folder.spm", 'F', f.openAction(), "File access denied"},
        {"large.spm", 'L', f.openAction(),
         "Cannot open large.spm: the file is 67108865 bytes long; files over 67108864 bytes "
         "are not read"},
        {"pipe.spm", 'P', f.openAction(), "Cannot open pipe.spm" + fifoText},
        {"pipe.cal", 'P', f.loadHeaderAction(), "Cannot open pipe.cal" + fifoText},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Str(c.text));
        const std::string path = Str(Work(c.name));
        if (c.kind == 'F') fs::create_directory(path);
        if (c.kind == 'L') WriteBytes(Work(c.name), MakePca2(4600, [](int i) { return 5u + i; }));
        if (c.kind == 'L') fs::resize_file(path, kMaxSpmFileSize + 1);
        ASSERT_TRUE(c.kind != 'P' || MakeFifo(Work(c.name)));
        const MainState before = Capture(f);
        platform_.QueueOpen(Work(c.name));
        QElapsedTimer clock;
        clock.start();
        c.action->trigger();
        EXPECT_LT(clock.elapsed(), 1000);
        ExpectRefused(before, c.text);
        QDir::setCurrent(Work());
    }
}

// A NUL read from a calibration file into a field reaches a later message whole, escaped.
TEST_F(BadInputUi, NulInACalibrationValueIsShownEscapedNotCutShort)
{
    MainWindow& f = StartWithGoodFile();
    platform_.QueueOpen(QString::fromStdString(corpus::Root() + "/cal/nul-bytes.cal"));
    f.loadHeaderAction()->trigger();
    f.Guard([&] { f.SaveASCIIFile(Work("table.txt"), kXAxisVelocity, 1); });
    EXPECT_EQ(platform_.errors, QStringList{"'\\x0012.00' is not a valid floating point value"});
    EXPECT_FALSE(QFile::exists(Work("table.txt")));
}

} // namespace
} // namespace trv::test
