#include "UiTestSupport.h"

#include <QDir>

namespace trv::test {
namespace {

const std::string kDefaultLine2 =
    "512 009 245 512.0000 000 128.00 0.09135 08 000.00 0.00000 000.00 0.00000\r\n";

uint32_t Pattern(int i)
{
    return i == 0 ? 3u : i == 1 ? 4u : i == 5 ? 0xFFFFFFFFu : uint32_t(i);
}

class SaveExp : public UiTest {};

// Save asks nothing: before any load it writes the header alone as -.exp, then the spectrum
// beside itself, over the old file and leaving no temporary file.
TEST_F(SaveExp, SaveWritesTheHeaderAndTheCountsUnderTheSpectrumName)
{
    MainWindow& f = Start();
    f.saveAction()->trigger();
    EXPECT_EQ(ReadBytes(Work("-.exp")), std::string("H        ") + std::string(56, ' ') +
                                            " . T         K\r\n" + kDefaultLine2);

    QDir(Work()).mkdir("data");
    WriteBytes(Work("data/ha1234.spm"), MakePca2(2560, Pattern));
    OpenViaDialog(Work("data/ha1234.spm"));
    WriteBytes(Work("data/ha1234.exp"), "old content");
    f.saveAction()->trigger();
    // Eight counts to a line, each followed by a space.
    std::string expected = "HA1234   HA1234: " + std::string(48, ' ') + "0.0T     295 K\r\n";
    expected += kDefaultLine2;
    for (int i = 0; i < 512; ++i)
        expected += std::to_string(Pattern(i)) + (i % 8 == 7 ? " \r\n" : " ");
    EXPECT_EQ(ReadBytes(Work("data/ha1234.exp")), expected);
    EXPECT_EQ(QDir(Work("data")).entryList(QDir::Files | QDir::Hidden).size(), 2);
    EXPECT_TRUE(platform_.saveRequests.empty() && platform_.errors.isEmpty());
}

TEST_F(SaveExp, SaveAsChangesTheExtensionAndAsksAboutOverwriting)
{
    MainWindow& f = Start();
    OpenViaDialog(WriteSpm("ha1234.spm", MakePca2(2560, Pattern)));
    QDir(Work()).mkdir("out");
    platform_.QueueSave(Work("out/report.txt"));
    f.saveAsAction()->trigger();
    const FileDialogRequest& r = platform_.saveRequests.at(0);
    EXPECT_EQ(r.filter, "Exp-files (*.exp)|*.exp");
    EXPECT_TRUE(r.overwritePrompt);
    EXPECT_EQ(ReadBytes(Work("out/report.exp")).substr(0, 9), "HA1234   ");
    EXPECT_FALSE(QFile::exists(Work("out/report.txt")));
    // Save after Save as goes back to the spectrum's name, in the folder now current.
    f.saveAction()->trigger();
    EXPECT_TRUE(QFile::exists(Work("out/ha1234.exp")));
}

TEST_F(SaveExp, FailedSaveShowsTheIoTextAndKeepsTheOldFile)
{
    MainWindow& f = Start();
    WriteBytes(Work("afile"), "not a folder");
    platform_.QueueSave(Work("afile/x.exp"));
    f.saveAsAction()->trigger();
    EXPECT_EQ(platform_.errors, QStringList{"File not found"});
    EXPECT_EQ(ReadBytes(Work("afile")), "not a folder");
}

} // namespace
} // namespace trv::test
