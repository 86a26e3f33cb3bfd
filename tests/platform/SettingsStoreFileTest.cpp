// The settings store's file: any folder name comes back as it was stored, files written so
// far read the same, and a store that cannot be read is not replaced.
#include "support/FaultFolders.h"

#include "platform/SettingsStore.h"

#include <gtest/gtest.h>

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

TEST(SettingsStoreFile, EveryFolderNameComesBackAsStored)
{
    FaultyFolder dir;
    const std::string file = dir.File("settings.reg");
    const std::string names[] = {
        "/home/u/line\nfeed", "/home/u/cr\rlf\r\n",  "/q\"uo\"te",        "/back\\slash\\",
        "/literal \\n \\r",   "/\xC3\xA9t\xE9 \xFF", "/tab\tand\x1b[31m", "",
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
    const std::string tooLarge =
        key + "\"InitialDir\"=\"/tmp\"\n\"Keep\"=\"" + std::string(1 << 20, 'k') + "\"\n";
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
        {key + "InitialDir=\"/tmp\"\n", ""},     // a name without quotes
        {key + "\"InitialDir=\"/tmp\"\n", ""},   // a name without its closing quote
        {key + "\"InitialDir\"=\"/home/us", ""}, // a line cut in the value
        {key + "\"InitialDir\"=hex:2f,74,6d,70\n", badType},
        {"[\\SoftWare\\Brolleck\\\n\"InitialDir\"=\"/tmp\"\n", "(no key)"},
        {tooLarge, "(no key)"},
        {junk, "(no key)"},
        // As earlier versions wrote them: only '\' and '"' escaped.
        {key + R"("InitialDir"="/q\"uoted\" \\n")", "/q\"uoted\" \\n"},
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
    // A store too large to read is not replaced by a save: what else it holds would be lost.
    WriteAll(file, tooLarge);
    ASSERT_TRUE(store.OpenKey(kKey, true));
    EXPECT_EQ(ErrorOf([&] { store.WriteString("InitialDir", "/other"); }),
              "Failed to set data for 'InitialDir'");
    EXPECT_EQ(ReadAll(file), tooLarge);
}

} // namespace
} // namespace trv
