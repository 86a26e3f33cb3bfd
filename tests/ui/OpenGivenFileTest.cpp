#include "UiTestSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>

namespace trv::test {
namespace {

// A file named on the command line or by a file manager opens as if chosen in the open dialog.
class OpenGivenFile : public UiTest {};

uint32_t Flat(int)
{
    return 500u;
}

TEST_F(OpenGivenFile, RelativeNameOpensFromTheFolderGivenAndItsFolderBecomesTheLastOne)
{
    MainWindow& f = Start();
    QDir(Work()).mkpath("spectra");
    WriteBytes(Work("spectra/HA1001.spm"), MakePca2(2560, Flat));
    ASSERT_TRUE(QDir::setCurrent(Work()));

    f.OpenGivenFile("spectra/HA1001.spm");

    EXPECT_TRUE(platform_.errors.isEmpty()) << Str(platform_.errors.join('\n'));
    EXPECT_TRUE(platform_.openRequests.empty()) << "no dialog";
    EXPECT_EQ(f.spectrumNameLabel()->text(), "HA1001.spm");
    EXPECT_EQ(f.Counts().size(), 512u);
    EXPECT_EQ(QDir::currentPath(), Work("spectra"));
    EXPECT_NE(ReadBytes(SettingsFile()).find(Str(Work("spectra"))), std::string::npos);

    // Save writes beside the file, as after the dialog.
    f.saveAction()->trigger();
    EXPECT_TRUE(platform_.errors.isEmpty()) << Str(platform_.errors.join('\n'));
    EXPECT_TRUE(QFileInfo::exists(Work("spectra/HA1001.exp")));
}

TEST_F(OpenGivenFile, MissingFileShowsTheErrorAndKeepsTheLoadedSpectrum)
{
    MainWindow& f = Start();
    f.OpenGivenFile(WriteSpm("a.spm", MakePca2(2560, Flat)));
    ASSERT_EQ(f.spectrumNameLabel()->text(), "a.spm");

    f.OpenGivenFile(Work("gone/b.spm"));

    EXPECT_EQ(platform_.errors, QStringList{"File not found"});
    EXPECT_EQ(f.spectrumNameLabel()->text(), "a.spm");
    EXPECT_EQ(f.Counts().size(), 512u);
}

} // namespace
} // namespace trv::test
