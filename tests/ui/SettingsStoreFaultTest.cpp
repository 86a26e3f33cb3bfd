// The settings store failing under the main window: a file that can't be read, a folder that
// can't be written, content that is not what the store writes, a value of another type.
// Start always goes on, and a dialog's outcome never depends on the store.
#include "UiTestSupport.h"

#include "../platform/FaultFolders.h"

#include <QLabel>

#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace trv::test {
namespace {

namespace fs = std::filesystem;

constexpr const char* kKeyLine = "[\\SoftWare\\Brolleck\\]\n";

class SettingsFaults : public UiTest {
  protected:
    QString ConfigDir() const { return tmp_.path() + "/config/trevandel"; }

    // Opens a file through "Open spm" and checks that the open itself went through.
    void ExpectOpenGoesOn(const QString& name)
    {
        QDir(Work()).mkpath("chosen");
        const QString spm = Work("chosen/" + name);
        WriteBytes(spm, MakePca2(2560, [](int i) { return 1000u + static_cast<uint32_t>(i); }));
        OpenViaDialog(spm);
        EXPECT_EQ(Form().Label1->text(), name) << "the open goes on";
        EXPECT_EQ(Form().ChannelCount(), 512);
        EXPECT_EQ(QDir::currentPath(), Work("chosen")) << "the dialog's choice stands";
    }
};

// As root a folder in place of the file makes the read fail; otherwise a file without read
// permission does too.
TEST_F(SettingsFaults, UnreadableStoreGreetsAtStartComplainsAtTheDialogAndIsLeftAlone)
{
    QDir().mkpath(ConfigDir());
    const bool root = ::geteuid() == 0;
    const std::string store = Str(SettingsFile());
    const std::string content = std::string(kKeyLine) + "\"InitialDir\"=\"/tmp\"\n";
    if (root) {
        fs::create_directory(store);
    }
    else {
        WriteBytes(SettingsFile(), content);
        ::chmod(store.c_str(), 0);
    }
    Start();
    EXPECT_EQ(platform_.messages, QStringList{"First timer huh?"});
    EXPECT_TRUE(platform_.errors.isEmpty()) << Str(platform_.errors.join('|'));
    EXPECT_EQ(QDir::currentPath(), Work()) << "start goes on where it was";

    ExpectOpenGoesOn("ha1234.spm");
    EXPECT_EQ(platform_.errors, QStringList{"Failed to set data for 'InitialDir'"});
    if (root) {
        EXPECT_TRUE(fs::is_directory(store));
    }
    else {
        ::chmod(store.c_str(), 0600);
        EXPECT_EQ(ReadBytes(SettingsFile()), content);
    }
}

// A store that exists but cannot be read must not be replaced by one holding only the folder:
// whatever else it held would be lost.
TEST_F(SettingsFaults, StoreTooLargeToReadIsNotOverwritten)
{
    QDir().mkpath(ConfigDir());
    std::string content = std::string(kKeyLine) + "\"InitialDir\"=\"/tmp\"\n";
    content += "[\\Other\\]\n\"Keep\"=\"" + std::string(1 << 20, 'k') + "\"\n";
    WriteBytes(SettingsFile(), content);
    Start();
    EXPECT_EQ(platform_.messages, QStringList{"First timer huh?"});
    ExpectOpenGoesOn("ha1234.spm");
    EXPECT_EQ(platform_.errors, QStringList{"Failed to set data for 'InitialDir'"});
    EXPECT_EQ(ReadBytes(SettingsFile()), content);
}

TEST_F(SettingsFaults, ReadOnlyFolderKeepsTheStoredFolderAndEveryDialogGoesOn)
{
    faults::FaultyFolder config(faults::Fault::ReadOnly);
    if (!config.Unavailable().empty()) GTEST_SKIP() << config.Unavailable();
    fs::create_directories(config.Path() / "trevandel");
    QDir(Work()).mkpath("stored");
    const std::string content =
        std::string(kKeyLine) + "\"InitialDir\"=\"" + Str(Work("stored")) + "\"\n";
    faults::WriteAll(config.File("trevandel/settings.reg"), content);
    config.Arm();
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(QString::fromStdString(config.Path().string())));

    TForm1& f = Start();
    EXPECT_TRUE(platform_.messages.isEmpty()) << "the store is read as usual";
    EXPECT_TRUE(platform_.errors.isEmpty()) << Str(platform_.errors.join('|'));
    EXPECT_EQ(QDir::currentPath(), Work("stored"));

    ExpectOpenGoesOn("ha1234.spm");
    EXPECT_EQ(platform_.errors, QStringList{"Failed to set data for 'InitialDir'"});
    platform_.errors.clear();
    // A cancelled dialog: the message again, and the reaction simply ends.
    platform_.QueueOpen(std::nullopt);
    f.aLoadHeader->trigger();
    EXPECT_EQ(platform_.errors, QStringList{"Failed to set data for 'InitialDir'"});
    EXPECT_EQ(faults::ReadAll((config.Path() / "trevandel/settings.reg").string()), content);
    EXPECT_EQ(faults::Snapshot(config.Path() / "trevandel").size(), 1u)
        << "no temporary file is left behind";
}

TEST_F(SettingsFaults, CorruptStoreNeverStopsTheStartAndIsRepairedByTheNextDialog)
{
    std::string junk;
    for (int i = 0; i < 4096; ++i)
        junk += static_cast<char>((i * 151 + 7) & 0xFF);
    struct Case {
        const char* name;
        std::string content;
        bool greets; // the key cannot be found: the first-run message
    };
    const Case cases[] = {
        {"binary junk", junk, true},
        {"line cut in the value", std::string(kKeyLine) + "\"InitialDir\"=\"/home/us", false},
        {"name without its closing quote", std::string(kKeyLine) + "\"InitialDir=\"/tmp\"\n",
         false},
        {"key without its closing bracket", "[\\SoftWare\\Brolleck\\\n\"InitialDir\"=\"/tmp\"\n",
         true},
        {"NUL bytes", std::string(64, '\0'), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QDir().mkpath(ConfigDir());
        WriteBytes(SettingsFile(), c.content);
        QDir::setCurrent(Work());
        platform_.messages.clear();
        platform_.errors.clear();
        Start();
        EXPECT_EQ(platform_.messages, c.greets ? QStringList{"First timer huh?"} : QStringList{});
        EXPECT_TRUE(platform_.errors.isEmpty()) << Str(platform_.errors.join('|'));
        EXPECT_EQ(QDir::currentPath(), Work()) << "no folder could be read";

        ExpectOpenGoesOn("ha1234.spm");
        EXPECT_TRUE(platform_.errors.isEmpty()) << Str(platform_.errors.join('|'));
        // The next start finds a sound store and begins in the chosen folder.
        Stop();
        QDir::setCurrent(Work());
        platform_.messages.clear();
        Start();
        EXPECT_TRUE(platform_.messages.isEmpty());
        EXPECT_TRUE(platform_.errors.isEmpty()) << Str(platform_.errors.join('|'));
        EXPECT_EQ(QDir::currentPath(), Work("chosen"));
        Stop();
        QFile::remove(SettingsFile());
    }
}

TEST_F(SettingsFaults, ValueOfAnyOtherTypeIsReportedAndTheNextDialogStoresAString)
{
    const char* const values[] = {"hex:2f,74,6d,70", "/tmp"};
    for (const char* value : values) {
        SCOPED_TRACE(value);
        QDir().mkpath(ConfigDir());
        WriteBytes(SettingsFile(), std::string(kKeyLine) + "\"InitialDir\"=" + value + "\n");
        QDir::setCurrent(Work());
        platform_.messages.clear();
        platform_.errors.clear();
        TForm1& f = Start();
        EXPECT_TRUE(platform_.messages.isEmpty());
        EXPECT_EQ(platform_.errors, QStringList{"Invalid data type for 'InitialDir'"});
        EXPECT_EQ(QDir::currentPath(), Work());
        EXPECT_EQ(f.Label1->text(), "-") << "the window is built all the same";
        platform_.errors.clear();

        ExpectOpenGoesOn("ha1234.spm");
        EXPECT_TRUE(platform_.errors.isEmpty()) << Str(platform_.errors.join('|'));
        const std::string stored = ReadBytes(SettingsFile());
        EXPECT_NE(stored.find("\"InitialDir\"=\"" + Str(Work("chosen")) + "\""), std::string::npos)
            << stored;
        Stop();
        QFile::remove(SettingsFile());
    }
}

} // namespace
} // namespace trv::test
