// Bad, borderline and special input files through "Open spm", "Load header" and Browse: a
// refused file shows one message and leaves the window as it was; an accepted one updates it.
// The parser's own tests take the whole corpus; here one file of each kind of result.
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

#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <set>
#include <tuple>

namespace trv::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// The header as Save would write it.
std::string HeaderLines(const ExpHeader& h)
{
    return FormatExpFile(h, {}, 0, kSave512Add);
}

// Everything that a refused open must leave as it was.
using MainState = std::tuple<std::vector<uint32_t>, QStringList, std::string, std::vector<int>,
                             QImage, std::vector<uint32_t>>;

MainState Capture(const MainWindow& f)
{
    return {f.Counts(),
            {f.spectrumNameLabel()->text(), f.fileSizeLabel()->text(), f.firstStampLabel()->text(),
             f.secondStampLabel()->text(), f.channelCountLabel()->text(), f.spmModeLabel()->text(),
             f.GridCell(0, 1), f.GridCell(1, 1)},
            HeaderLines(f.CurrentHeader()),
            {f.ChannelCount(), f.SaveAsMode(), f.plotFoldSpin()->Position(),
             f.plotIgnoreLeftSpin()->Position(), f.plotIgnoreRightSpin()->Position(),
             f.GridRowCount()},
            f.previewImage()->Bitmap(),
            f.combineDialog()->Slot(0).counts};
}

uint32_t Ramp(int i)
{
    return 1000u + static_cast<uint32_t>(i % 7) * 13u;
}

const std::set<QString> kRefusalTexts = {kSpmTooShortText, kSpmCountsPastEndText, kSpmTooLargeText};

class BadInputUi : public UiTest {
  protected:
    // Starts past the first-run message with a good 512-channel file open and header fields
    // that differ from every default.
    MainWindow& StartWithGoodFile()
    {
        MainWindow& f = Start();
        good_ = WriteSpm("ha1234.spm", MakePca2(2560, Ramp));
        OpenViaDialog(good_);
        f.channelsEdit()->setText("777");
        f.calibrationEdit()->SetValue("0.04321");
        f.zeroSpeedEdit()->SetValue("111.11");
        f.countsMillionsEdit()->setText("42");
        platform_.messages.clear();
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

TEST_F(BadInputUi, EachKindOfCorpusSpmFileOpensOrIsRefusedLeavingThePreviousSpectrum)
{
    MainWindow& f = StartWithGoodFile();
    const auto rows = corpus::OnePerExpectation("spm");
    ASSERT_GT(rows.size(), 10u);
    int refused = 0;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.file);
        const QString path = QString::fromStdString(corpus::Root() + "/" + row.file);
        if (row.expect[0] == "error") {
            // Back to the good file first, so a refusal is checked against a known spectrum.
            if (f.spectrumNameLabel()->text() != "ha1234.spm") OpenViaDialog(good_);
            platform_.errors.clear();
            const MainState before = Capture(f);
            OpenViaDialog(path);
            ExpectRefused(before, QString::fromStdString(row.expect[1]));
            ++refused;
            continue;
        }
        OpenViaDialog(path);
        for (const QString& e : platform_.errors) // the plot may refuse to scale what was read
            EXPECT_FALSE(kRefusalTexts.count(e) || e.startsWith("Cannot open")) << Str(e);
        platform_.errors.clear();
        const auto& [mode, channels, header] =
            std::tie(row.expect[1], row.expect[2], row.expect[3]);
        EXPECT_EQ(f.Counts().size(), std::stoul(channels));
        EXPECT_EQ(
            (QStringList{f.spectrumNameLabel()->text(), f.fileSizeLabel()->text(),
                         f.channelCountLabel()->text(), f.spmModeLabel()->text()}),
            (QStringList{QString::fromStdString(fs::path(row.file).filename().string()),
                         QString::number(fs::file_size(Str(path))) + " bytes",
                         QString::fromStdString(channels + " channels"),
                         QString::fromStdString("Mode : " + mode + "  (Header: " + header + ")")}));
    }
    EXPECT_EQ(refused, 2);
}

// Files that can't be read whatever they hold: gone or changed between the dialog's answer and
// the read, a folder, too large, a FIFO (refused at once, never waited on).
TEST_F(BadInputUi, FileThatCannotBeReadIsNamedAndChangesNothing)
{
    MainWindow& f = StartWithGoodFile();
    const auto spm = [](const std::string& p) {
        WriteBytes(QString::fromStdString(p), MakePca2(4600, [](int i) { return 5u + i; }));
    };
    const auto fifo = [](const std::string& p) {
        ASSERT_TRUE(MakeFifo(QString::fromStdString(p)));
    };
    const std::function<void()> open = [&] { f.openAction()->trigger(); };
    const std::function<void()> loadHeader = [&] { f.loadHeaderAction()->trigger(); };
    const std::function<void()> browse = [&] { f.combineDialog()->firstBrowseButton()->click(); };
    const auto fifoText = [](const char* name) {
        return QString("Cannot open ") + name + ": it is a named pipe (FIFO), not a regular file";
    };
    struct Case {
        const char* name;
        std::function<void(const std::string&)> make;  // before the dialog answers
        std::function<void(const std::string&)> spoil; // when the reaction gives way
        std::function<void()> action;
        QString text;
    };
    const Case cases[] = {
        {"chosen.spm", spm, [](const std::string& p) { fs::remove(p); }, open, "File not found"},
        {"chosen.spm", spm,
         [](const std::string& p) {
             fs::remove(p);
             fs::create_directory(p);
         },
         open, "File access denied"},
        {"chosen.spm", spm, [](const std::string& p) { fs::resize_file(p, kMaxSpmFileSize + 1); },
         open,
         "Cannot open chosen.spm: the file is 67108865 bytes long; files over 67108864 bytes "
         "are not read"},
        {"pipe.spm", fifo, {}, open, fifoText("pipe.spm")},
        {"pi\npe.spm", fifo, {}, open, fifoText("pi\\x0Ape.spm")},
        {"pipe.spm", fifo, {}, browse, fifoText("pipe.spm")},
        {"missing.cal", [](const std::string&) {}, {}, loadHeader, "File not found"},
        {"folder.cal",
         [](const std::string& p) { fs::create_directory(p); },
         {},
         loadHeader,
         "File access denied"},
        {"huge.cal",
         [](const std::string& p) {
             WriteBytes(QString::fromStdString(p), "");
             fs::resize_file(p, 16u * 1024u * 1024u + 1u);
         },
         {},
         loadHeader,
         "Cannot open huge.cal: the file is 16777217 bytes long; files over 16777216 bytes "
         "are not read"},
        {"pipe.cal", fifo, {}, loadHeader, fifoText("pipe.cal")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Str(c.text));
        QDir(Work()).mkpath("sub");
        const std::string path = Str(Work("sub/") + c.name);
        c.make(path);
        const MainState before = Capture(f);
        std::optional<FifoRescue> rescue;
        if (fs::is_fifo(path)) rescue.emplace(QString::fromStdString(path), 2s);
        if (c.spoil) platform_.onProcessEvents = [&] { c.spoil(path); };
        platform_.QueueOpen(QString::fromStdString(path));
        QElapsedTimer clock;
        clock.start();
        c.action();
        EXPECT_LT(clock.elapsed(), 1000);
        EXPECT_FALSE(platform_.onProcessEvents) << "the open did not give way before reading";
        EXPECT_FALSE(rescue && rescue->Released()) << "the read waited for a writer";
        ExpectRefused(before, c.text);
        rescue.reset();
        QDir::setCurrent(Work());
        fs::remove_all(Str(Work("sub")));
    }
}

// Load header puts the file's four values into their fields, masked ones fitted, under both
// masks; nothing else changes.
TEST_F(BadInputUi, CorpusCalibrationFilesLoadTheirFourValuesThroughLoadHeader)
{
    MainWindow& f = StartWithGoodFile();
    // The named borderline files and a few of the one-byte ones: a digit, a letter, the
    // decimal point, the line ends, NUL, DEL and a high byte.
    const std::set<std::string> bytes = {"00", "0A", "0D", "1A", "20",
                                         "2E", "35", "41", "7F", "FF"};
    std::vector<corpus::Row> rows;
    for (corpus::Row& row : corpus::Manifest("cal"))
        if (!row.file.starts_with("cal/byte-") || bytes.count(row.file.substr(9, 2)))
            rows.push_back(std::move(row));
    ASSERT_EQ(rows.size(), 30u);
    for (const bool wide : {false, true}) {
        if (wide) ChooseSaveAsMode(kSave1024);
        for (const auto& row : rows) {
            SCOPED_TRACE(row.file + (wide ? " (1024 channels)" : ""));
            ExpHeader expected = f.CurrentHeader();
            platform_.QueueOpen(QString::fromStdString(corpus::Root() + "/" + row.file));
            f.loadHeaderAction()->trigger();
            EXPECT_TRUE(platform_.errors.isEmpty()) << Str(platform_.errors.join('|'));
            platform_.errors.clear();
            expected.Channels = corpus::Unescape(row.expect[0]);
            expected.CalibrationConstant.Assign(corpus::Unescape(row.expect[1]));
            expected.FoldingChannel.Assign(corpus::Unescape(row.expect[2]));
            expected.ZeroSpeedChannel.Assign(corpus::Unescape(row.expect[3]));
            EXPECT_EQ(HeaderLines(f.CurrentHeader()), HeaderLines(expected));
        }
    }
}

// A NUL read from a calibration file into a field reaches the message whole, escaped.
TEST_F(BadInputUi, NulInACalibrationValueIsShownEscapedNotCutShort)
{
    MainWindow& f = StartWithGoodFile();
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
