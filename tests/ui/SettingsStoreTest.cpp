// The settings store under the main window: a store that can't be used never stops the start
// or a dialog; one that can't be read is never replaced.
#include "UiTestSupport.h"

#include "support/FaultFolders.h"

#include "platform/SettingsStore.h"

#include <QLabel>

#include <optional>

namespace trv::test {
namespace {

constexpr const char* kKeyLine = "[\\SoftWare\\Brolleck\\]\n";

enum class Fault { None, Unreadable, ReadOnlyFolder };

struct StoreCase {
    const char* name;
    std::optional<std::string> content; // "@@": the stored folder, quoted
    Fault fault;
    bool greets;            // the key can't be found: the first-run message
    const char* startError; // "" for none
    bool startsInStored;
    const char* dialogError;
    bool kept; // the store is left byte for byte; otherwise the next start uses the choice
};

class SettingsStoreUi : public UiTest {};

// What a start makes of each kind of store the window tells apart (how lines are read is the
// store's own test), what the next file dialog writes, and that a store that can't be read is
// left byte for byte.
TEST_F(SettingsStoreUi, StartAndNextDialogForEveryKindOfStore)
{
    const std::string key(kKeyLine);
    const char* kFailedSet = "Failed to set data for 'InitialDir'";
    const char* kBadType = "Invalid data type for 'InitialDir'";
    const StoreCase cases[] = {
        {"no store yet", std::nullopt, Fault::None, true, "", false, "", false},
        {"other keys, CR LF, names in any case",
         "; by hand\r\n[\\Other\\Key]\r\n\"Count\"=dword:00000010\r\n\r\n"
         "[\\software\\BROLLECK\\]\r\n\"Colour\"=\"blue\"\r\n\"initialdir\"=@@\r\n",
         Fault::None, false, "", true, "", false},
        {"stored folder gone", key + "\"InitialDir\"=\"/no/such/folder\"\n", Fault::None, false, "",
         false, "", false},
        {"hex value", key + "\"InitialDir\"=hex:2f,74,6d,70\n", Fault::None, false, kBadType, false,
         "", false},
        {"too large to read",
         key + "\"InitialDir\"=@@\n[\\Other\\]\n\"Keep\"=\"" + std::string(1 << 20, 'k') + "\"\n",
         Fault::None, true, "", false, kFailedSet, true},
        {"unreadable", key + "\"InitialDir\"=@@\n", Fault::Unreadable, true, "", false, kFailedSet,
         true},
        {"read-only folder", key + "\"InitialDir\"=@@\n", Fault::ReadOnlyFolder, false, "", true,
         kFailedSet, true},
    };
    const QString stored = Work("stored"), chosen = Work("chosen");
    QDir().mkpath(stored);
    QDir().mkpath(chosen);
    const QString spm = chosen + "/ha1234.spm";
    WriteBytes(spm, MakePca2(2560, [](int i) { return 1000u + static_cast<uint32_t>(i); }));

    std::string skipped;
    for (const StoreCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::optional<faults::FaultyFolder> readOnly;
        QString file = SettingsFile();
        if (c.fault == Fault::ReadOnlyFolder) {
            readOnly.emplace(faults::Fault::ReadOnly);
            if (!readOnly->Unavailable().empty()) {
                skipped = readOnly->Unavailable();
                continue;
            }
            file = QString::fromStdString(readOnly->File("trevandel/settings.reg"));
            qputenv("XDG_CONFIG_HOME", QFile::encodeName(readOnly->Path().c_str()));
        }
        QDir().mkpath(QFileInfo(file).path());
        std::string content = c.content.value_or("");
        if (const auto at = content.find("@@"); at != std::string::npos)
            content.replace(at, 2, "\"" + Str(stored) + "\"");
        if (c.content) WriteBytes(file, content);
        if (c.fault == Fault::Unreadable) {
            QFile::remove(file); // root reads anything: a folder in its place can't be read
            QDir().mkpath(file);
        }
        if (readOnly) readOnly->Arm();
        QDir::setCurrent(Work());
        platform_.messages.clear();
        platform_.errors.clear();

        MainWindow& f = Start();
        EXPECT_EQ(platform_.messages, c.greets ? QStringList{"First timer huh?"} : QStringList{});
        EXPECT_EQ(platform_.errors, *c.startError ? QStringList{c.startError} : QStringList{});
        EXPECT_EQ(QDir::currentPath(), c.startsInStored ? stored : Work());
        platform_.errors.clear();

        OpenViaDialog(spm);
        EXPECT_EQ(f.spectrumNameLabel()->text(), "ha1234.spm") << "the open goes on";
        EXPECT_EQ(QDir::currentPath(), chosen) << "the dialog's choice stands";
        EXPECT_EQ(platform_.errors, *c.dialogError ? QStringList{c.dialogError} : QStringList{});
        Stop();
        const std::string written = QFileInfo(file).isDir() ? "(a folder)" : ReadBytes(file);
        if (c.kept) {
            EXPECT_EQ(written, c.fault == Fault::Unreadable ? "(a folder)" : content);
            EXPECT_EQ(QFileInfo(file).dir().entryList(QDir::AllEntries | QDir::NoDotAndDotDot |
                                                      QDir::Hidden),
                      QStringList{"settings.reg"})
                << "no temporary file is left behind";
        }
        else {
            const std::string line = "\"InitialDir\"=\"" + Str(chosen) + "\"\n";
            if (!c.content) {
                EXPECT_EQ(written, "; Trevandel settings\n\n" + key + line);
            }
            EXPECT_NE(written.find("=\"" + Str(chosen) + "\"\n"), std::string::npos) << written;
            if (c.startsInStored) {
                EXPECT_NE(written.find("\"Count\"=dword:00000010"), std::string::npos);
                EXPECT_NE(written.find("\"Colour\"=\"blue\""), std::string::npos);
            }
            QDir::setCurrent(Work());
            platform_.messages.clear();
            Start();
            EXPECT_TRUE(platform_.messages.isEmpty() && platform_.errors.isEmpty());
            EXPECT_EQ(QDir::currentPath(), chosen);
            Stop();
        }
        QDir::setCurrent(Work());
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(tmp_.path() + "/config"));
        QDir(tmp_.path() + "/config").removeRecursively();
    }
    if (!skipped.empty()) GTEST_SKIP() << "read-only folder: " << skipped;
}

} // namespace
} // namespace trv::test
