// The settings store's file: any folder name comes back as it was stored, files written so
// far read the same, and a store that is not a regular file is neither waited on nor replaced.
#include "support/FaultFolders.h"

#include "platform/SettingsStore.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <future>
#include <optional>
#include <sys/stat.h>
#include <thread>

namespace trv {
namespace {

using faults::ErrorOf;
using faults::FaultyFolder;
using faults::ReadAll;
using faults::WriteAll;

constexpr std::string_view kKey = "\\SoftWare\\Brolleck\\";

// The stored folder, or the refusal's text, or "(no key)" when the key cannot be found.
std::string Stored(const std::string& file)
{
    SettingsStore store(file);
    if (!store.OpenKeyReadOnly(kKey)) return "(no key)";
    std::string value;
    const std::string error = ErrorOf([&] { value = store.ReadString("InitialDir"); });
    return error == "(no error)" ? value : error;
}

TEST(SettingsStorePath, FollowsXdgConfigHomeAndFallsBackToHome)
{
    const auto saved = [](const char* name) {
        const char* v = std::getenv(name);
        return v ? std::optional<std::string>(v) : std::nullopt;
    };
    const auto restore = [](const char* name, const std::optional<std::string>& v) {
        v ? ::setenv(name, v->c_str(), 1) : ::unsetenv(name);
    };
    const auto oldXdg = saved("XDG_CONFIG_HOME"), oldHome = saved("HOME");
    ::setenv("XDG_CONFIG_HOME", "/x/conf", 1);
    EXPECT_EQ(SettingsStore::DefaultPath(), "/x/conf/trevandel/settings.reg");
    ::setenv("XDG_CONFIG_HOME", "relative/ignored", 1);
    ::setenv("HOME", "/home/u", 1);
    EXPECT_EQ(SettingsStore::DefaultPath(), "/home/u/.config/trevandel/settings.reg");
    restore("XDG_CONFIG_HOME", oldXdg);
    restore("HOME", oldHome);
}

TEST(SettingsStoreFile, EveryFolderNameComesBackAsStored)
{
    FaultyFolder dir;
    const std::string file = dir.File("settings.reg");
    const std::string names[] = {
        "/home/u/line\nfeed",
        "/home/u/cr\rlf\r\n",
        "/q\"uo\"te",
        "/back\\slash\\",
        "/literal \\n \\r",
        "/\xC3\xA9t\xE9 \xFF",
        "\n",
        "/tab\tand\x1b[31m",
        "",
    };
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        SettingsStore store(file);
        ASSERT_TRUE(store.OpenKey(kKey, true));
        store.WriteString("InitialDir", name);
        store.WriteString("Other", "kept");
        EXPECT_EQ(Stored(file), name);
        SettingsStore again(file);
        ASSERT_TRUE(again.OpenKeyReadOnly(kKey));
        EXPECT_EQ(again.ReadString("Other"), "kept");
    }
}

// Whatever a store file holds, reading it never fails but with a value of another type; lines
// that are not a key or a quoted name with a value are passed over. Files written so far read
// the same.
TEST(SettingsStoreFile, EveryKindOfLineReadsByTheRules)
{
    FaultyFolder dir;
    const std::string file = dir.File("settings.reg");
    const std::string key = "[\\SoftWare\\Brolleck\\]\n";
    const std::string badType = "Invalid data type for 'InitialDir'";
    std::string junk;
    for (int i = 0; i < 4096; ++i)
        junk += static_cast<char>((i * 151 + 7) & 0xFF);
    const std::pair<std::string, std::string> cases[] = {
        {"; by hand\r\n[\\Other\\Key]\r\n\"InitialDir\"=\"/other\"\r\n\r\n"
         "[\\software\\BROLLECK\\]\r\n# note\r\n\"initialdir\"=\"/tmp\"\r\n",
         "/tmp"},
        {"[SOFTWARE\\brolleck]\n\"InitialDir\"=\"/tmp\"\n", "/tmp"},
        {"\"InitialDir\"=\"/before\"\n" + key, ""}, // a value before any key
        {key + "\"InitialDir\"=\"/a\"\n\"INITIALDIR\"=\"/b\"\n", "/b"},
        {key + "\"InitialDir\"\n", ""},          // a name without a value
        {key + "\"InitialDir\"=\n", badType},    // an empty value is no text
        {key + "=\"/tmp\"\n", ""},               // a line without a name
        {key + "InitialDir=\"/tmp\"\n", ""},     // a name without quotes
        {key + "\"InitialDir=\"/tmp\"\n", ""},   // a name without its closing quote
        {key + "\"InitialDir\"=\"/home/us", ""}, // a line cut in the value
        {key + "\"InitialDir\"=hex:2f,74,6d,70\n", badType},
        {key + "\"InitialDir\"=/tmp\n", badType},
        {"[\\SoftWare\\Brolleck\\\n\"InitialDir\"=\"/tmp\"\n", "(no key)"},
        {key + "\"InitialDir\"=\"/tmp\"\n\"Keep\"=\"" + std::string(1 << 20, 'k') + "\"\n",
         "(no key)"}, // too large to read
        {junk, "(no key)"},
        {std::string(64, '\0'), "(no key)"},
        // As earlier versions wrote them: only '\' and '"' escaped.
        {key + R"("InitialDir"="/a\\new\\raw")", "/a\\new\\raw"},
        {key + R"("InitialDir"="/q\"uoted\" \\n")", "/q\"uoted\" \\n"},
        {key + "\"InitialDir\"=\"/\xC3\xA9t\xE9\"", "/\xC3\xA9t\xE9"},
    };
    for (const auto& [content, stored] : cases) {
        SCOPED_TRACE(content.substr(0, 60));
        WriteAll(file, content);
        EXPECT_EQ(Stored(file), stored);
    }
    // A write keeps the other keys and values, and a store opened for reading takes none.
    WriteAll(file, cases[0].first);
    SettingsStore store(file);
    ASSERT_TRUE(store.OpenKey(kKey, false));
    store.WriteString("InitialDir", "/new");
    EXPECT_EQ(Stored(file), "/new");
    EXPECT_NE(ReadAll(file).find("[\\Other\\Key]\n\"InitialDir\"=\"/other\"\n"), std::string::npos);
    const std::string before = ReadAll(file);
    ASSERT_TRUE(store.OpenKeyReadOnly(kKey));
    EXPECT_EQ(ErrorOf([&] { store.WriteString("InitialDir", "/other"); }),
              "Failed to set data for 'InitialDir'");
    EXPECT_EQ(ReadAll(file), before);
    EXPECT_FALSE(store.OpenKey("\\No\\Such\\", false));
}

// A named pipe in the store's place: a start must not wait for a writer, and the pipe is not
// replaced by a save, as no unreadable store is.
TEST(SettingsStoreFile, NamedPipeIsUnreadableAtOnceAndNotReplaced)
{
    FaultyFolder dir;
    const std::string file = dir.File("settings.reg");
    ASSERT_EQ(::mkfifo(file.c_str(), 0600), 0);
    // Should the store wait on the pipe after all, a writer that comes and goes ends the wait,
    // so the test fails instead of hanging.
    std::promise<void> done;
    std::thread watchdog([&file, finished = done.get_future()] {
        while (finished.wait_for(std::chrono::seconds(5)) == std::future_status::timeout) {
            const int fd = ::open(file.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
            if (fd >= 0) ::close(fd);
        }
    });
    const auto start = std::chrono::steady_clock::now();

    SettingsStore store(file);
    EXPECT_FALSE(store.OpenKeyReadOnly(kKey));
    ASSERT_TRUE(store.OpenKey(kKey, true));
    EXPECT_EQ(ErrorOf([&] { store.WriteString("InitialDir", "/tmp"); }),
              "Failed to set data for 'InitialDir'");

    const auto took = std::chrono::steady_clock::now() - start;
    done.set_value();
    watchdog.join();
    EXPECT_LT(took, std::chrono::seconds(3));
    struct stat st {};
    ASSERT_EQ(::lstat(file.c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
    EXPECT_EQ(faults::Snapshot(dir.Path()).size(), 1u);
}

} // namespace
} // namespace trv
