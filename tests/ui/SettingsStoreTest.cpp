// The settings store under the main window: a store that can't be used never stops the start
// or a dialog; one that can't be read is never replaced.
#include "UiTestSupport.h"

#include "support/FaultFolders.h"

#include <QLabel>

#include <optional>

namespace trv::test {
namespace {

class SettingsStoreUi : public UiTest {};

// What a start makes of each kind of store the window tells apart (how lines are read is the
// store's own test), and what the next file dialog writes.
TEST_F(SettingsStoreUi, StartAndNextDialogForEachKindOfStore)
{
    const QString stored = Work("stored"), chosen = Work("chosen");
    QDir().mkpath(stored);
    QDir().mkpath(chosen);
    WriteBytes(chosen + "/ha1234.spm", MakePca2(2560, [](int i) { return 1000u + i; }));
    const std::string key = "[\\SoftWare\\Brolleck\\]\n";
    const std::string store = key + "\"InitialDir\"=\"" + Str(stored) + "\"\n";
    const std::string other = "[\\Other\\]\n\"Count\"=dword:00000010\n";
    const char* kFailedSet = "Failed to set data for 'InitialDir'";
    const struct {
        const char* name;
        std::optional<std::string> content;
        bool readOnly;           // the configuration folder can't be written
        bool greets;             // no key found: the first-run message
        const char* dialogError; // the store can't be written: it is left byte for byte
    } cases[] = {
        {"no store yet", std::nullopt, false, true, ""},
        {"stored folder", store + other, false, false, ""},
        {"unreadable", std::nullopt, false, true, kFailedSet},
        {"read-only folder", store, true, false, kFailedSet},
    };
    std::string skipped;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::optional<faults::FaultyFolder> folder;
        QString file = SettingsFile();
        if (c.readOnly) {
            folder.emplace(faults::Fault::ReadOnly);
            skipped = folder->Unavailable();
            if (!skipped.empty()) continue;
            file = QString::fromStdString(folder->File("trevandel/settings.reg"));
            qputenv("XDG_CONFIG_HOME", QFile::encodeName(folder->Path().c_str()));
        }
        QDir().mkpath(QFileInfo(file).path());
        if (c.content) WriteBytes(file, *c.content);
        if (*c.dialogError && !c.readOnly) QDir().mkpath(file); // root reads any file, not this
        if (folder) folder->Arm();
        QDir::setCurrent(Work());
        platform_.messages.clear();

        MainWindow& f = Start();
        EXPECT_EQ(platform_.messages, c.greets ? QStringList{"First timer huh?"} : QStringList{});
        EXPECT_EQ(QDir::currentPath(), c.content ? stored : Work());
        OpenViaDialog(chosen + "/ha1234.spm");
        EXPECT_EQ(f.spectrumNameLabel()->text(), "ha1234.spm") << "the open goes on";
        EXPECT_EQ(platform_.errors, *c.dialogError ? QStringList{c.dialogError} : QStringList{});
        platform_.errors.clear();
        Stop();
        const std::string written = QFileInfo(file).isDir() ? "(a folder)" : ReadBytes(file);
        const std::string rewritten = "; Trevandel settings\n\n" + key + "\"InitialDir\"=\"" +
                                      Str(chosen) + "\"\n" + (c.content ? "\n" + other : "");
        EXPECT_EQ(written, *c.dialogError ? c.content.value_or("(a folder)") : rewritten);
        if (!*c.dialogError) {
            QDir::setCurrent(Work());
            Start();
            EXPECT_EQ(QDir::currentPath(), chosen) << "the next start uses the choice";
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
