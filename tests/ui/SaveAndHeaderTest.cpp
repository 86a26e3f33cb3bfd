#include "UiTestSupport.h"

#include "ui/widgets/IntEditField.h"
#include "ui/widgets/MaskEditField.h"

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QTest>

namespace trv::test {
namespace {

const std::string kDefaultLine1 =
    std::string("H        ") + std::string(56, ' ') + " . T" + "     " + "    K\r\n";
const std::string kDefaultLine2 =
    "512 009 245 512.0000 000 128.00 0.09135 08 000.00 0.00000 000.00 0.00000\r\n";

uint32_t Pattern(int i)
{
    return i == 0 ? 3u : i == 1 ? 4u : i == 5 ? 0xFFFFFFFFu : uint32_t(i);
}

// The 512 counts of Pattern as data lines: eight to a line, each followed by a space.
std::string DataLines()
{
    std::string out;
    for (int i = 0; i < 512; ++i)
        out += std::to_string(Pattern(i)) + (i % 8 == 7 ? " \r\n" : " ");
    return out;
}

class SaveExp : public UiTest {};

TEST_F(SaveExp, SaveBeforeAnyLoadWritesDashExpWithTheHeaderOnly)
{
    MainWindow& f = Start();
    f.saveAction()->trigger();
    EXPECT_TRUE(platform_.errors.isEmpty()) << Str(platform_.errors.join("|"));
    EXPECT_EQ(ReadBytes(Work("-.exp")), kDefaultLine1 + kDefaultLine2);
    EXPECT_TRUE(platform_.saveRequests.empty()) << "Save asks nothing";
}

TEST_F(SaveExp, SaveWritesBesideTheCurrentFolderUnderTheSpectrumName)
{
    MainWindow& f = Start();
    QDir(Work()).mkdir("data");
    const QString spm = Work("data/ha1234.spm");
    WriteBytes(spm, MakePca2(2560, Pattern));
    OpenViaDialog(spm);
    WriteBytes(Work("data/ha1234.exp"), "old content");
    f.saveAction()->trigger();
    const std::string written = ReadBytes(Work("data/ha1234.exp"));
    const std::string line1 =
        "HA1234   " + std::string("HA1234: ") + std::string(48, ' ') + "0.0T     295 K\r\n";
    EXPECT_EQ(written, line1 + kDefaultLine2 + DataLines());
    EXPECT_EQ(QDir(Work("data")).entryList(QDir::Files | QDir::Hidden).size(), 2)
        << "no temporary file is left beside it";
}

TEST_F(SaveExp, SaveAsChangesTheExtensionAndAsksAboutOverwriting)
{
    MainWindow& f = Start();
    platform_.QueueSave(std::nullopt);
    f.saveAsAction()->trigger();
    EXPECT_TRUE(QDir(Work()).entryList(QDir::Files).isEmpty()) << "cancelled: nothing written";
    OpenViaDialog(WriteSpm("ha1234.spm", MakePca2(2560, Pattern)));
    QDir(Work()).mkdir("out");
    WriteBytes(Work("out/report.exp"), "old");
    platform_.QueueSave(Work("out/report.txt"));
    f.saveAsAction()->trigger();
    const FileDialogRequest& r = platform_.saveRequests.at(1);
    EXPECT_EQ(r.filter, "Exp-files (*.exp)|*.exp");
    EXPECT_TRUE(r.overwritePrompt);
    EXPECT_TRUE(r.proposedName.isEmpty());
    EXPECT_EQ(ReadBytes(Work("out/report.exp")).substr(0, 9), "HA1234   ");
    EXPECT_FALSE(QFile::exists(Work("out/report.txt")));

    platform_.QueueSave(Work("out/noext"));
    f.saveAsAction()->trigger();
    EXPECT_TRUE(QFile::exists(Work("out/noext.exp")));

    // Save after Save as goes back to the spectrum's name, in the folder now current.
    f.saveAction()->trigger();
    EXPECT_TRUE(QFile::exists(Work("out/ha1234.exp")));
    EXPECT_TRUE(platform_.errors.isEmpty());
}

TEST_F(SaveExp, FailedSaveShowsTheIoTextAndKeepsTheOldFile)
{
    MainWindow& f = Start();
    WriteBytes(Work("afile"), "not a folder");
    platform_.QueueSave(Work("afile/x.exp"));
    f.saveAsAction()->trigger();
    EXPECT_EQ(platform_.errors, QStringList{"File not found"});

    // A folder in the way of the target: the folder is untouched.
    QDir(Work()).mkdir("-.exp");
    f.saveAction()->trigger();
    ASSERT_EQ(platform_.errors.size(), 2);
    EXPECT_TRUE(QFileInfo(Work("-.exp")).isDir());
}

TEST_F(SaveExp, ChoosingAModeSetsTheFieldsAndReflowsTheFoldingChannel)
{
    MainWindow& f = Start();
    const auto fields = [&f] {
        return QStringList{f.channelsEdit()->text(), f.ignoreRightEdit()->text(),
                           QString::fromStdString(f.foldingChannelEdit()->Value()),
                           f.foldingChannelEdit()->text()};
    };
    ChooseSaveAsMode(0);
    EXPECT_EQ(fields(), (QStringList{"1024", "503", "5120.000 ", "5120.000_"}));
    ChooseSaveAsMode(2);
    EXPECT_EQ(fields(), (QStringList{"512", "245", "512.0000", "512.0000"}));

    // A typed 1024.0000 under the wide mask keeps all nine characters under the narrow one.
    ChooseSaveAsMode(0);
    ShowActive();
    f.foldingChannelEdit()->setFocus();
    f.foldingChannelEdit()->setCursorPosition(0);
    QTest::keyClicks(f.foldingChannelEdit(), "1024.0000");
    EXPECT_EQ(f.foldingChannelEdit()->Value(), "1024.0000");
    ChooseSaveAsMode(1);
    EXPECT_EQ(fields(), (QStringList{"512", "245", "102.40000", "102.40000"}));
    EXPECT_EQ(f.CurrentHeader().FoldingChannel.Text(), "102.40000");

    // The keyboard choice runs the reaction too; the text is not limited by the arrows' range.
    f.saveAsModeCombo()->setFocus();
    f.saveAsModeCombo()->setCurrentIndex(1);
    QTest::keyClick(f.saveAsModeCombo(), Qt::Key_Up);
    EXPECT_EQ(f.channelsEdit()->text(), "1024");
    f.ignoreRightSpin()->Step(+1);
    EXPECT_EQ(f.ignoreRightEdit()->text(), "504");
}

} // namespace
} // namespace trv::test
