// Bad and borderline input through "Open spm" and "Load header": a refused file shows one
// message and leaves the window as it was; an accepted one updates it (the ASan build runs
// these too).
#include "UiTestSupport.h"

#include "support/BadCorpus.h"

#include "exp/ExpFile.h"
#include "platform/FileIo.h"
#include "spectrum/Spm.h"
#include "ui/widgets/IntEditField.h"
#include "ui/widgets/MaskEditField.h"

#include <QLabel>
#include <QLineEdit>

#include <filesystem>
#include <set>
#include <tuple>
#include <utility>

namespace trv::test {
namespace {

namespace fs = std::filesystem;

// The header as Save would write it.
std::string HeaderLines(const ExpHeader& h)
{
    return FormatExpFile(h, {}, 0, kSave512Add);
}

// Everything of the main window that a refused open must leave as it was.
using MainState = std::tuple<std::vector<uint32_t>, QStringList, std::string, std::vector<int>>;

MainState Capture(const MainWindow& f)
{
    return {f.Counts(),
            {f.spectrumNameLabel()->text(), f.fileSizeLabel()->text(), f.firstStampLabel()->text(),
             f.secondStampLabel()->text(), f.channelCountLabel()->text(), f.spmModeLabel()->text(),
             f.GridCell(0, 1), f.GridCell(1, 1)},
            HeaderLines(f.CurrentHeader()),
            {f.ChannelCount(), f.SaveAsMode(), f.plotFoldSpin()->Position(),
             f.plotIgnoreLeftSpin()->Position(), f.plotIgnoreRightSpin()->Position(),
             f.GridRowCount()}};
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

// --- "Open spm"

TEST_F(BadInputUi, EveryCorpusSpmFileOpensOrIsRefusedLeavingThePreviousSpectrum)
{
    MainWindow& f = StartWithGoodFile();
    const auto rows = corpus::Manifest("spm");
    ASSERT_GT(rows.size(), 500u);
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
    EXPECT_GT(refused, 40);
}

// The file was there when the dialog answered and is not when the open reads it.
TEST_F(BadInputUi, FileSpoiledBetweenTheDialogAndTheReadIsNamedAndChangesNothing)
{
    MainWindow& f = StartWithGoodFile();
    struct Case {
        const char* name;
        void (*spoil)(const std::string& path);
        const char* text;
    };
    const Case cases[] = {
        {"deleted", [](const std::string& p) { fs::remove(p); }, "File not found"},
        {"replaced by a folder",
         [](const std::string& p) {
             fs::remove(p);
             fs::create_directory(p);
         },
         "File access denied"},
        {"grew past the size limit",
         [](const std::string& p) { fs::resize_file(p, kMaxSpmFileSize + 1); },
         "Cannot open chosen.spm: the file is 67108865 bytes long; files over 67108864 bytes "
         "are not read"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QDir(Work()).mkpath("sub");
        const std::string path = Str(Work("sub/chosen.spm"));
        WriteBytes(QString::fromStdString(path), MakePca2(4600, [](int i) { return 5u + i; }));
        const MainState before = Capture(f);
        platform_.onProcessEvents = [&] { c.spoil(path); };
        OpenViaDialog(QString::fromStdString(path));
        EXPECT_FALSE(platform_.onProcessEvents) << "the open did not give way before reading";
        ExpectRefused(before, c.text);
        QDir::setCurrent(Work());
        fs::remove_all(Str(Work("sub")));
    }
}

// --- "Load header"

TEST_F(BadInputUi, EveryCorpusCalibrationFileLoadsItsFourValuesThroughLoadHeader)
{
    MainWindow& f = StartWithGoodFile();
    const auto rows = corpus::Manifest("cal");
    ASSERT_GT(rows.size(), 250u);
    for (const bool wide : {false, true}) {
        if (wide) ChooseSaveAsMode(kSave1024);
        for (const auto& row : rows) {
            SCOPED_TRACE(row.file + (wide ? " (1024 channels)" : ""));
            const std::string path = corpus::Root() + "/" + row.file;
            ExpHeader expected = f.CurrentHeader();
            platform_.QueueOpen(QString::fromStdString(path));
            f.loadHeaderAction()->trigger();
            EXPECT_TRUE(platform_.errors.isEmpty()) << Str(platform_.errors.join('|'));
            platform_.errors.clear();
            // The four fields take the file's values, masked ones fitted; nothing else changes.
            expected.Channels = corpus::Unescape(row.expect[0]);
            expected.CalibrationConstant.Assign(corpus::Unescape(row.expect[1]));
            expected.FoldingChannel.Assign(corpus::Unescape(row.expect[2]));
            expected.ZeroSpeedChannel.Assign(corpus::Unescape(row.expect[3]));
            EXPECT_EQ(HeaderLines(f.CurrentHeader()), HeaderLines(expected));
        }
    }
}

TEST_F(BadInputUi, CalibrationFileThatCannotBeReadChangesNoField)
{
    MainWindow& f = StartWithGoodFile();
    const QString huge = Work("huge.cal");
    WriteBytes(huge, "");
    fs::resize_file(huge.toStdString(), 16u * 1024u * 1024u + 1u);
    QDir(Work()).mkdir("folder.cal");
    const std::pair<QString, QString> cases[] = {
        {Work("missing.cal"), "File not found"},
        {Work("folder.cal"), "File access denied"},
        {huge, "Cannot open huge.cal: the file is 16777217 bytes long; files over 16777216 "
               "bytes are not read"},
    };
    for (const auto& [path, text] : cases) {
        SCOPED_TRACE(Str(path));
        const MainState before = Capture(f);
        platform_.QueueOpen(path);
        f.loadHeaderAction()->trigger();
        ExpectRefused(before, text);
    }
}

} // namespace
} // namespace trv::test
