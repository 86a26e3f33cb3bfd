// Bad and borderline SPM files, read the way the open action reads them: the whole file
// first, then the parser. Nothing may crash or read outside the data, and every refusal
// carries a message the user can act on.
#include "../platform/BadCorpus.h"
#include "../platform/FaultFolders.h"

#include "platform/AppError.h"
#include "platform/FileIo.h"
#include "spectrum/Spm.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <set>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace trv {
namespace {

namespace fs = std::filesystem;
using corpus::ExactBytes;
using faults::ErrorOf;

const LocaleFormats kLocale = LocaleFormats::Fixed();

const std::set<std::string> kRefusals = {kSpmTooShortText, kSpmCountsPastEndText, kSpmTooLargeText};

// What the open action does with a file: read it whole, then parse the bytes.
SpmSpectrum OpenSpm(const std::string& path)
{
    const std::string bytes = ReadWholeFile(path);
    return ParseSpmImage(ExactBytes(bytes).View(), path, kLocale);
}

// Checks what a successful parse must always satisfy, whatever the file held.
void ExpectSound(const SpmSpectrum& s, std::string_view bytes)
{
    const auto& info = s.info;
    EXPECT_EQ(info.FileSize, static_cast<int32_t>(bytes.size()));
    EXPECT_EQ(info.ChannelCount, bytes.size() <= 3000 ? 512 : 1024);
    EXPECT_EQ(s.counts.size(), static_cast<std::size_t>(info.ChannelCount));
    ASSERT_GE(info.HeaderLength, 0);
    ASSERT_LE(static_cast<std::size_t>(info.HeaderLength) + 4 * s.counts.size(), bytes.size());
    for (std::size_t i = 0; i < s.counts.size(); i += 97) {
        const auto at = static_cast<std::size_t>(info.HeaderLength) + 4 * i;
        uint32_t expected = 0;
        for (int b = 3; b >= 0; --b)
            expected = expected * 256 +
                       static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(b)]);
        EXPECT_EQ(s.counts[i], expected) << "channel " << i;
    }
    if (info.Mode == SpmMode::PCA3) {
        EXPECT_FALSE(info.FirstStamp.Decoded);
        EXPECT_FALSE(info.SecondStamp.Decoded);
    }
    // The captions are what the window shows; building them must not fail either.
    const auto captions = SpmInfoCaptions(info, kLocale);
    EXPECT_EQ(captions[2], std::to_string(info.ChannelCount) + " channels");
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
        ASSERT_FALSE(row.expect.empty());
        if (row.expect[0] == "error") {
            ASSERT_EQ(row.expect.size(), 2u);
            EXPECT_EQ(ErrorOf([&] { OpenSpm(path); }), row.expect[1]);
            continue;
        }
        ASSERT_EQ(row.expect.size(), 6u);
        SpmSpectrum s;
        ASSERT_EQ(ErrorOf([&] { s = OpenSpm(path); }), "(no error)");
        const std::string bytes = faults::ReadAll(path);
        ExpectSound(s, bytes);
        EXPECT_EQ(s.info.FileName, fs::path(row.file).filename().string());
        EXPECT_EQ(s.info.Mode == SpmMode::PCA3 ? "PCA3" : "PCA2", row.expect[1]);
        EXPECT_EQ(std::to_string(s.info.ChannelCount), row.expect[2]);
        EXPECT_EQ(std::to_string(s.info.HeaderLength), row.expect[3]);
        EXPECT_EQ(s.info.FirstStamp.Decoded ? "1" : "0", row.expect[4]);
        EXPECT_EQ(s.info.SecondStamp.Decoded ? "1" : "0", row.expect[5]);
    }
    // Every file in the corpus is accounted for, so nothing is silently left untested.
    for (const auto& entry : fs::directory_iterator(corpus::Root() + "/spm"))
        EXPECT_TRUE(listed.count("spm/" + entry.path().filename().string()))
            << entry.path() << " is not in the manifest";
}

// A sound file of 4600 bytes of either variant, cut to every length from 0 to 4600.
TEST(BadSpmCorpus, EveryTruncationOfBothVariantsIsReadOrRefusedWithAMessage)
{
    std::string pca2(4600, '\0');
    pca2.replace(362, 11, "12:34:56   ").replace(375, 12, "Jan  5  2001");
    pca2.replace(388, 11, "01:02:03   ").replace(401, 12, "Feb 28  2001");
    std::string pca3(4600, '\0');
    pca3.replace(20, 8, "pca3.exe").replace(386, 11, "05-01-2001 ");
    for (std::size_t i = 450; i < 4600; ++i) {
        pca2[i] = static_cast<char>(i * 37);
        pca3[i] = static_cast<char>(i * 53);
    }
    for (const std::string* base : {&pca2, &pca3}) {
        for (std::size_t size = 0; size <= base->size(); ++size) {
            SCOPED_TRACE((base == &pca2 ? "PCA2 cut to " : "PCA3 cut to ") + std::to_string(size));
            const std::string bytes = base->substr(0, size);
            const ExactBytes exact(bytes);
            // The rules: 512 channels up to 3000 bytes; PCA3 when the marker is in the file;
            // PCA2 counts are the file's last bytes, PCA3 counts start at 450.
            const int64_t channels = size <= 3000 ? 512 : 1024;
            const bool pca3 = bytes.find("pca3.exe") != std::string::npos;
            const int64_t header = pca3 ? 450 : static_cast<int64_t>(size) - 4 * channels;
            const bool fits = header >= 0 && header + 4 * channels <= static_cast<int64_t>(size);
            try {
                const SpmSpectrum s = ParseSpmImage(exact.View(), "cut.spm", kLocale);
                ASSERT_TRUE(fits) << "a count block outside the file was accepted";
                EXPECT_EQ(s.info.Mode, pca3 ? SpmMode::PCA3 : SpmMode::PCA2);
                EXPECT_EQ(s.info.HeaderLength, header);
                ExpectSound(s, bytes);
            }
            catch (const AppError& e) {
                EXPECT_FALSE(fits) << "a sound file was refused: " << e.what();
                EXPECT_TRUE(kRefusals.count(e.what())) << e.what();
            }
        }
    }
}

// Each byte of the first stamp's fields replaced by every byte value in turn.
TEST(BadSpmCorpus, StampFieldsWithEveryByteValueDecodeOnlyWhenTheRulesAllow)
{
    std::string base(3000, '\0');
    base.replace(362, 11, "12:34:56   ").replace(375, 12, "Jan  5  2001");
    base.replace(388, 11, "12:34:56   ").replace(401, 12, "Jan  5  2001");
    for (std::size_t offset = 362; offset < 387; ++offset) {
        for (int value = 0; value < 256; ++value) {
            const char c = static_cast<char>(value);
            SCOPED_TRACE("offset " + std::to_string(offset) + ", byte " + std::to_string(value));
            std::string bytes = base;
            bytes[offset] = c;
            const SpmSpectrum s = ParseSpmImage(ExactBytes(bytes).View(), "s.spm", kLocale);
            ExpectSound(s, bytes);
            const Stamp& first = s.info.FirstStamp;
            EXPECT_EQ(first.RawText, bytes.substr(362, 11) + " " + bytes.substr(375, 12));
            EXPECT_TRUE(s.info.SecondStamp.Decoded)
                << "the second stamp does not depend on the first";
            if (first.Decoded) {
                const StampValue& v = first.Value;
                EXPECT_TRUE(v.month >= 1 && v.month <= 12 && v.day >= 1 && v.day <= 31 &&
                            v.year >= 1 && v.year <= 9999 && v.hour < 24 && v.minute < 60 &&
                            v.second < 60 && v.msec < 1000);
            }
            const std::size_t datePos = offset >= 375 ? offset - 375 + 1 : 0; // 1-based
            if (offset >= 370 && offset < 373) {
                // The blanks after 12:34:56: only another blank keeps the time a time.
                EXPECT_EQ(first.Decoded, c == ' ');
            }
            else if (offset == 373 || offset == 374 || datePos == 4 || datePos == 7 ||
                     datePos == 8) {
                // Bytes that are never read.
                EXPECT_TRUE(first.Decoded);
                EXPECT_EQ(first.Value, s.info.SecondStamp.Value);
            }
            else if (datePos == 5) {
                // The day's first character: dropped when it is a control character or blank.
                if (value <= 32) {
                    EXPECT_TRUE(first.Decoded && first.Value.day == 5);
                }
                if (c >= '0' && c <= '2') {
                    EXPECT_TRUE(first.Decoded && first.Value.day == (c - '0') * 10 + 5);
                }
                if ((c >= '3' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                    value >= 128) {
                    EXPECT_FALSE(first.Decoded);
                }
            }
            else if (datePos >= 1 && datePos <= 3) {
                // A month abbreviation must match exactly: one other byte spoils it, except
                // where it spells another month ("Jun", "Jul").
                const std::string month = bytes.substr(375, 3);
                EXPECT_EQ(first.Decoded, MonthNumber(month) != 0) << month;
                if (first.Decoded) {
                    EXPECT_EQ(first.Value.month, MonthNumber(month));
                }
            }
        }
    }
}

// The file was there when the dialog chose it and is gone or unreadable when it is read.
TEST(SpmReadFaults, FileVanishingOrTurningUnreadableBeforeTheReadGivesTheRuntimeText)
{
    faults::FaultyFolder folder(faults::Fault::None);
    const std::string good(3000, '\0');
    struct Case {
        const char* name;
        void (*spoil)(const std::string& path);
        const char* text;
    };
    const Case cases[] = {
        {"deleted", [](const std::string& p) { fs::remove(p); }, "File not found"},
        {"folder deleted", [](const std::string& p) { fs::remove_all(fs::path(p).parent_path()); },
         "File not found"},
        {"folder turned into a file",
         [](const std::string& p) {
             const auto dir = fs::path(p).parent_path();
             fs::remove_all(dir);
             faults::WriteAll(dir.string(), "x");
         },
         "File not found"},
        {"replaced by a folder",
         [](const std::string& p) {
             fs::remove(p);
             fs::create_directory(p);
         },
         "File access denied"},
        {"replaced by a dangling link",
         [](const std::string& p) {
             fs::remove(p);
             fs::create_symlink(p + ".gone", p);
         },
         "File not found"},
        {"replaced by a link loop",
         [](const std::string& p) {
             fs::remove(p);
             fs::create_symlink(p, p);
         },
         "Invalid filename"},
        {"grew past the size limit",
         [](const std::string& p) { fs::resize_file(p, kMaxSpmFileSize + 1); }, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path dir = folder.Path() / "sub";
        fs::remove_all(dir);
        fs::create_directory(dir);
        const std::string path = (dir / "chosen.spm").string();
        faults::WriteAll(path, good);
        ASSERT_EQ(OpenSpm(path).info.ChannelCount, 512); // readable when the dialog closed
        c.spoil(path);
        const std::string message = ErrorOf([&] { OpenSpm(path); });
        if (c.text != nullptr)
            EXPECT_EQ(message, c.text);
        else
            EXPECT_EQ(message, "Cannot open chosen.spm: the file is 67108865 bytes long; files "
                               "over 67108864 bytes are not read");
        std::error_code ec;
        fs::remove_all(dir, ec);
        fs::remove(dir, ec);
    }
}

TEST(SpmReadFaults, FileLosingItsReadPermissionBeforeTheReadGivesAccessDenied)
{
    if (::geteuid() == 0) {
        GTEST_SKIP() << "needs a user that permissions bind; root reads any file";
    }
    faults::FaultyFolder folder(faults::Fault::None);
    const std::string good(3000, '\0');
    const std::string path = folder.File("locked.spm");
    faults::WriteAll(path, good);
    ::chmod(path.c_str(), 0);
    EXPECT_EQ(ErrorOf([&] { OpenSpm(path); }), "File access denied");
}

// Huge files are made sparse at run time; none of them is committed.
TEST(BadSpmCorpus, HugeFilesAreReadUpToTheLimitAndRefusedBeyondIt)
{
    faults::FaultyFolder folder(faults::Fault::None);
    const std::string path = folder.File("huge.spm");
    faults::WriteAll(path, "");

    fs::resize_file(path, kMaxSpmFileSize);
    SpmSpectrum s;
    ASSERT_EQ(ErrorOf([&] { s = OpenSpm(path); }), "(no error)");
    EXPECT_EQ(s.info.ChannelCount, 1024);
    EXPECT_EQ(s.info.Mode, SpmMode::PCA2);
    EXPECT_EQ(s.info.HeaderLength, static_cast<int32_t>(kMaxSpmFileSize - 4096));

    const std::pair<std::uintmax_t, const char*> refused[] = {
        {kMaxSpmFileSize + 1, "67108865"},
        {std::uintmax_t{1} << 31, "2147483648"},
        {(std::uintmax_t{5} << 30) + 3, "5368709123"},
    };
    for (const auto& [size, text] : refused) {
        fs::resize_file(path, size);
        EXPECT_EQ(ErrorOf([&] { OpenSpm(path); }),
                  "Cannot open huge.spm: the file is " + std::string(text) +
                      " bytes long; files over 67108864 bytes are not read");
    }
}

} // namespace
} // namespace trv

TEST(FormatStampValue, ImpossibleDatesFormatWithoutReadingOutsideTheTables)
{
    const trv::LocaleFormats locale = trv::LocaleFormats::Fixed();
    for (int month : {0, 13, -1, 1000}) {
        const trv::StampValue v{2001, month, 5, 1, 2, 3, 0};
        EXPECT_FALSE(trv::FormatStampValue(v, "dddd ddd MMMM MMM", locale).empty());
    }
}
