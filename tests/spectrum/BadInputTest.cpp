// Bad and borderline SPM files, read as the open action reads them: the whole file, then the
// parser. Nothing may crash or read outside the data, and every refusal has a message.
#include "../platform/BadCorpus.h"
#include "../platform/FaultFolders.h"

#include "spectrum/Spm.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <functional>
#include <set>
#include <string>
#include <unistd.h>

namespace trv {
namespace {

using faults::ErrorOf;
namespace fs = std::filesystem;

const LocaleFormats kLocale = LocaleFormats::Fixed();

SpmSpectrum OpenSpm(const std::string& path)
{
    return ParseSpmImage(corpus::ExactBytes(ReadWholeFile(path)).View(), path, kLocale);
}

// What a successful parse must satisfy whatever the file held.
void ExpectSound(const SpmSpectrum& s, const std::string& bytes)
{
    const auto& info = s.info;
    EXPECT_EQ(info.ChannelCount, bytes.size() <= 3000 ? 512 : 1024);
    ASSERT_EQ(s.counts.size(), static_cast<std::size_t>(info.ChannelCount));
    ASSERT_GE(info.HeaderLength, 0);
    ASSERT_LE(static_cast<std::size_t>(info.HeaderLength) + 4 * s.counts.size(), bytes.size());
    for (std::size_t i = 0; i < s.counts.size(); i += 97) {
        uint32_t expected = 0;
        std::memcpy(&expected, bytes.data() + info.HeaderLength + 4 * i, 4); // little endian host
        EXPECT_EQ(s.counts[i], expected) << "channel " << i;
    }
    EXPECT_TRUE(info.Mode == SpmMode::PCA2 ||
                !(info.FirstStamp.Decoded || info.SecondStamp.Decoded));
    EXPECT_EQ(SpmInfoCaptions(info, kLocale)[2], std::to_string(info.ChannelCount) + " channels");
}

TEST(BadSpmCorpus, EveryFileGivesItsExpectedResult)
{
    const auto rows = corpus::Manifest("spm");
    ASSERT_GT(rows.size(), 500u) << "run tools/make-bad-corpus.py";
    std::set<std::string> listed;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.file);
        listed.insert(row.file);
        const std::string path = corpus::Root() + "/" + row.file;
        if (row.expect.at(0) == "error") {
            EXPECT_EQ(ErrorOf([&] { OpenSpm(path); }), row.expect.at(1));
            continue;
        }
        SpmSpectrum s;
        ASSERT_EQ(ErrorOf([&] { s = OpenSpm(path); }), "(no error)");
        ExpectSound(s, faults::ReadAll(path));
        EXPECT_EQ(s.info.FileName, fs::path(row.file).filename().string());
        const std::vector<std::string> got = {"ok",
                                              s.info.Mode == SpmMode::PCA3 ? "PCA3" : "PCA2",
                                              std::to_string(s.info.ChannelCount),
                                              std::to_string(s.info.HeaderLength),
                                              s.info.FirstStamp.Decoded ? "1" : "0",
                                              s.info.SecondStamp.Decoded ? "1" : "0"};
        EXPECT_EQ(got, row.expect);
    }
    for (const auto& entry : fs::directory_iterator(corpus::Root() + "/spm"))
        EXPECT_TRUE(listed.count("spm/" + entry.path().filename().string()))
            << entry.path() << " is not in the manifest";
}

// Each byte of the first stamp's fields replaced by every byte value in turn.
TEST(BadSpmCorpus, StampFieldsWithEveryByteValueDecodeOnlyWhenTheRulesAllow)
{
    std::string base(3000, '\0');
    base.replace(362, 25, "12:34:56     Jan  5  2001")
        .replace(388, 25, "12:34:56     Jan  5  2001");
    for (std::size_t offset = 362; offset < 387; ++offset) {
        for (int value = 0; value < 256; ++value) {
            SCOPED_TRACE("offset " + std::to_string(offset) + ", byte " + std::to_string(value));
            const char c = static_cast<char>(value);
            std::string bytes = base;
            bytes[offset] = c;
            const SpmSpectrum s = ParseSpmImage(corpus::ExactBytes(bytes).View(), "s", kLocale);
            ExpectSound(s, bytes);
            const Stamp& first = s.info.FirstStamp;
            EXPECT_EQ(first.RawText, bytes.substr(362, 11) + " " + bytes.substr(375, 12));
            EXPECT_TRUE(s.info.SecondStamp.Decoded) << "the second stamp does not depend on it";
            const std::size_t datePos = offset >= 375 ? offset - 374 : 0; // 1-based
            if (offset >= 370 && offset < 373) { // the blanks after the time
                EXPECT_EQ(first.Decoded, c == ' ');
            }
            else if (offset == 373 || offset == 374 || datePos == 4 || datePos == 7 ||
                     datePos == 8) { // never read
                EXPECT_TRUE(first.Decoded && first.Value == s.info.SecondStamp.Value);
            }
            else if (datePos == 5) { // the day's first character: control and blank are dropped
                const bool tens = c >= '0' && c <= '2';
                if (value <= 32 || tens) {
                    EXPECT_TRUE(first.Decoded &&
                                first.Value.day == (tens ? (c - '0') * 10 : 0) + 5);
                }
                if ((c >= '3' && c <= '9') || std::isalpha(value) || value >= 128) {
                    EXPECT_FALSE(first.Decoded);
                }
            }
            else if (datePos >= 1 && datePos <= 3) { // only another month name ("Jun") passes
                const int month = MonthNumber(bytes.substr(375, 3));
                EXPECT_EQ(first.Decoded ? first.Value.month : 0, month);
            }
        }
    }
}

// Chosen in the dialog, then gone, changed or grown before it is read.
TEST(SpmReadFaults, FileSpoiledBeforeTheReadGivesTheRuntimeText)
{
    faults::FaultyFolder folder;
    const std::string path = folder.File("chosen.spm");
    const std::pair<std::function<void()>, std::string> cases[] = {
        {[&] { fs::remove(path); }, "File not found"},
        {[&] { fs::remove(path), fs::create_directory(path); }, "File access denied"},
        {[&] { fs::remove(path), fs::create_symlink(path + ".gone", path); }, "File not found"},
        {[&] { fs::remove(path), fs::create_symlink(path, path); }, "Invalid filename"},
        {[&] { fs::resize_file(path, kMaxSpmFileSize + 1); },
         "Cannot open chosen.spm: the file is 67108865 bytes long; files over 67108864 bytes "
         "are not read"},
        {[&] { fs::resize_file(path, (std::uintmax_t{5} << 30) + 3); },
         "Cannot open chosen.spm: the file is 5368709123 bytes long; files over 67108864 bytes "
         "are not read"},
    };
    for (const auto& [spoil, text] : cases) {
        SCOPED_TRACE(text);
        fs::remove_all(path);
        faults::WriteAll(path, std::string(3000, '\0'));
        ASSERT_EQ(OpenSpm(path).info.ChannelCount, 512);
        spoil();
        EXPECT_EQ(ErrorOf([&] { OpenSpm(path); }), text);
    }
    // Exactly at the limit (sparse, never committed) the file is read.
    fs::remove_all(path);
    faults::WriteAll(path, "");
    fs::resize_file(path, kMaxSpmFileSize);
    EXPECT_EQ(OpenSpm(path).info.HeaderLength, static_cast<int32_t>(kMaxSpmFileSize - 4096));
    if (::geteuid() != 0) { // root reads any file
        ::chmod(path.c_str(), 0);
        EXPECT_EQ(ErrorOf([&] { OpenSpm(path); }), "File access denied");
    }
}

} // namespace
} // namespace trv
