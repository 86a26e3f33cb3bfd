// Special files and unusual names in the windows: a FIFO offered to Open spm, Browse or Load
// header is refused at once with a message naming it, and messages show control bytes escaped.
#include "SpecialFiles.h"
#include "ModalScript.h"
#include "UiTestSupport.h"

#include "asciitable/AsciiExport.h"
#include "exp/ExpFile.h"
#include "ui/widgets/MaskEditField.h"
#include "ui/windows/CombineSpectraDialog.h"

#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <chrono>
#include <functional>
#include <tuple>

namespace trv::test {
namespace {

using namespace std::chrono_literals;

class SpecialFiles : public UiTest {
  protected:
    MainWindow& StartWithSpectrum()
    {
        MainWindow& f = Start();
        OpenViaDialog(
            WriteSpm("good.spm", MakePca2(2500, [](int i) { return 1000u + i % 7 * 13u; })));
        f.calibrationEdit()->SetValue("0.04321");
        platform_.messages.clear();
        EXPECT_TRUE(platform_.errors.isEmpty()) << Str(platform_.errors.join('|'));
        return f;
    }
    // What a refused file must leave: the spectrum, what the window shows, the EXP header.
    auto MainState()
    {
        MainWindow& f = Form();
        return std::tuple{f.Counts(),
                          f.spectrumNameLabel()->text(),
                          f.fileSizeLabel()->text(),
                          FormatExpFile(f.CurrentHeader(), {}, 0, kSave512Add),
                          f.previewImage()->Bitmap(),
                          f.combineDialog()->Slot(0).counts};
    }
};

TEST_F(SpecialFiles, FifoIsRefusedAtOnceByEveryOpenAndChangesNothing)
{
    MainWindow& f = StartWithSpectrum();
    struct Case {
        const char* name;
        QString fifo;
        std::function<void()> open;
    };
    const Case cases[] = {
        {"Open spm", Work("pipe.spm"), [&] { f.openAction()->trigger(); }},
        {"Load header", Work("pipe.cal"), [&] { f.loadHeaderAction()->trigger(); }},
        {"Browse", Work("pipe2.spm"), [&] { f.combineDialog()->firstBrowseButton()->click(); }},
        {"name with a line feed", Work("pi\npe.spm"), [&] { f.openAction()->trigger(); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(MakeFifo(c.fifo));
        const auto before = MainState();
        FifoRescue rescue(c.fifo, 2s);
        platform_.QueueOpen(c.fifo);
        QElapsedTimer clock;
        clock.start();
        c.open();
        EXPECT_LT(clock.elapsed(), 1000);
        EXPECT_FALSE(rescue.Released()) << "the read waited for a writer";
        const QString shownName = QFileInfo(c.fifo).fileName().replace("\n", "\\x0A");
        EXPECT_EQ(platform_.errors, QStringList{"Cannot open " + shownName +
                                                ": it is a named pipe (FIFO), not a regular file"});
        EXPECT_TRUE(MainState() == before);
        platform_.errors.clear();
        QDir::setCurrent(Work());
    }
}

// The error box shows a file name's control bytes escaped, whatever part of the program made
// the message.
TEST_F(SpecialFiles, ErrorMessagesShowControlBytesEscaped)
{
    MainWindow& f = StartWithSpectrum();
    const std::pair<QString, QString> cases[] = {
        {"no\nfolder", "no\\x0Afolder"},
        {"esc\x1b[2Jfolder", "esc\\x1B[2Jfolder"},
        {QString::fromUtf8("tab\tfolder \xc3\xa9"), QString::fromUtf8("tab\\x09folder \xc3\xa9")},
    };
    for (const auto& [folder, shown] : cases) {
        SCOPED_TRACE(Str(shown));
        platform_.QueueSave(Work(folder + "/plot.bmp"));
        f.saveBitmapAction()->trigger();
        EXPECT_EQ(platform_.errors, QStringList{"Cannot create file " + Work(shown + "/plot.bmp")});
        platform_.errors.clear();
    }
}

// A NUL read from a calibration file into a field reaches the message whole, escaped.
TEST_F(SpecialFiles, NulInACalibrationValueIsShownEscapedNotCutShort)
{
    MainWindow& f = StartWithSpectrum();
    const std::string nul(1, '\0');
    WriteBytes(Work("nul.cal"), "Velocity calibration\r\nReference\r\nFitted\r\nDrive\r\n"
                                "[header values]\r\nchannels=512\r\ncalibration constant=0.0" +
                                    nul +
                                    "41\r\nfolding channel=511.0000\r\n"
                                    "zero speed channel=127.50\r\n");
    platform_.QueueOpen(Work("nul.cal"));
    f.loadHeaderAction()->trigger();
    ASSERT_TRUE(platform_.errors.isEmpty()) << Str(platform_.errors.join('|'));
    ASSERT_EQ(f.calibrationEdit()->Value().substr(0, 6), "0.0" + nul + "41");
    f.Guard([&] { f.SaveASCIIFile(Work("table.txt"), kXAxisVelocity, 1); });
    EXPECT_EQ(platform_.errors, QStringList{"'0.0\\x0041 ' is not a valid floating point value"});
    EXPECT_FALSE(QFile::exists(Work("table.txt")));
}

} // namespace
} // namespace trv::test
