#include "exp/ExpFile.h"
#include "TempDir.h"
#include "platform/AppError.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <unistd.h>
#include <vector>

namespace trv {
namespace {

using testing::GoldenFile;
using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

constexpr uint32_t kMax = 4294967295u;

// The same spectra the golden files were made from.
std::vector<uint32_t> Pattern(std::size_t n)
{
    std::vector<uint32_t> c(n);
    for (std::size_t i = 0; i < n; ++i)
        c[i] = static_cast<uint32_t>(i) * 2654435761u + 12345u;
    return c;
}

std::vector<uint32_t> Counts1024()
{
    std::vector<uint32_t> c = Pattern(1024);
    c[0] = 3;
    c[1] = 4;
    c[2] = kMax;
    c[3] = 1;
    c[4] = kMax;
    c[5] = kMax;
    c[1023] = kMax;
    return c;
}

std::vector<uint32_t> Counts512()
{
    std::vector<uint32_t> c = Pattern(512);
    c[0] = 0;
    c[511] = kMax;
    return c;
}

TEST(ReduceChannels, PairsWrapAndMeanHalvesTheWrappedSum)
{
    struct Case {
        uint32_t first;
        uint32_t second;
        int mode;
        uint32_t value;
    };
    const Case cases[] = {
        {3, 4, kSave512Add, 7},
        {3, 4, kSave512Mean, 3}, // rounded down, not to nearest
        {kMax, 1, kSave512Add, 0},
        {kMax, 1, kSave512Mean, 0},
        {kMax, kMax, kSave512Add, 4294967294u},
        {kMax, kMax, kSave512Mean, 2147483647u},
        {kMax, 0, kSave512Add, kMax},
        {5, 0, kSave512Mean, 2},
    };
    for (const Case& c : cases) {
        std::vector<uint32_t> counts(1024, 1);
        counts[0] = c.first;
        counts[1] = c.second;
        counts[1022] = c.first;
        counts[1023] = c.second;
        const auto values = ReduceChannels(counts, 1024, c.mode);
        ASSERT_EQ(values.size(), 512u);
        EXPECT_EQ(values[0], c.value) << c.first << "+" << c.second << " mode " << c.mode;
        EXPECT_EQ(values[511], c.value) << "last pair";
        EXPECT_EQ(values[1], c.mode == kSave512Add ? 2u : 1u) << "each pair on its own";
    }
}

TEST(ReduceChannels, CountsPassUnchangedWhereNoReductionApplies)
{
    const auto c1024 = Counts1024();
    EXPECT_EQ(ReduceChannels(c1024, 1024, kSave1024), c1024);
    const auto c512 = Counts512();
    for (int mode : {0, 1, 2})
        EXPECT_EQ(ReduceChannels(c512, 512, mode), c512) << mode;
    for (int mode : {-1, 0, 1, 2})
        EXPECT_TRUE(ReduceChannels({}, 0, mode).empty());
}

TEST(ReduceChannels, NeverReadsPastTheCountsHeld)
{
    const std::vector<uint32_t> few = {1, 2, 3, 4};
    EXPECT_EQ(ReduceChannels(few, 1024, kSave1024), few);
    EXPECT_EQ(ReduceChannels(few, 1024, kSave512Add), (std::vector<uint32_t>{3, 7}));
    EXPECT_EQ(ReduceChannels(few, 2, kSave1024), (std::vector<uint32_t>{1, 2}));
}

TEST(Pads, LeftZerosAndRightSpaces)
{
    const std::pair<const char*, const char*> zeros[] = {
        {"9", "009"},     {"", "000"},      {"12", "012"},  {"245", "245"},
        {"1000", "1000"}, {"1024", "1024"}, {" 12", " 12"}, {"a", "00a"}};
    for (const auto& [in, out] : zeros)
        EXPECT_EQ(PadLeftZeros(in), out) << "'" << in << "'";

    EXPECT_EQ(PadRightSpaces("", 3), "   ");
    EXPECT_EQ(PadRightSpaces("ab", 4), "ab  ");
    EXPECT_EQ(PadRightSpaces("abcd", 4), "abcd");
    EXPECT_EQ(PadRightSpaces("abcdef", 4), "abcdef");
    EXPECT_EQ(PadRightSpaces("ab", 0), "ab");
    EXPECT_EQ(PadRightSpaces(std::string(58, 'x'), 56), std::string(58, 'x'));
}

TEST(DefaultExpName, LastDotBackslashOrColonDecides)
{
    const std::pair<const char*, const char*> cases[] = {
        {"ha1234.spm", "ha1234.exp"},
        {"noext", "noext.exp"},
        {"-", "-.exp"},
        {"", ".exp"},
        {"a.b.c", "a.b.exp"},
        {"name.", "name.exp"},
        {".spm", ".exp"},
        {"a\\b", "a\\b.exp"},
        {"a.d\\b", "a.d\\b.exp"},
        {"c:x", "c:x.exp"},
        {"c:x.spm", "c:x.exp"},
        {"x.y:z", "x.y:z.exp"},
        {"a.b/c", "a.exp"}, // '/' is not one of the three characters
    };
    for (const auto& [in, out] : cases)
        EXPECT_EQ(DefaultExpName(in), out) << "'" << in << "'";
}

TEST(FormatExpFile, InitialHeaderWithoutSpectrumIsTwoLines)
{
    const ExpHeader h;
    const std::string bytes = FormatExpFile(h, {}, 0, -1);
    EXPECT_EQ(bytes, GoldenFile("initial_no_spectrum.exp"));
    // 79 characters before the first CR LF.
    EXPECT_EQ(bytes.find("\r\n"), 79u);
}

TEST(FormatExpFile, GuessedHeader512Channels)
{
    ExpHeader h;
    GuessExpData(h, "ha1234.spm");
    // A 512-channel spectrum is written whole whatever the mode says.
    for (int mode : {0, 1, 2}) {
        EXPECT_EQ(FormatExpFile(h, Counts512(), 512, mode), GoldenFile("guessed_512.exp")) << mode;
    }
}

TEST(FormatExpFile, Spectrum1024InEachMode)
{
    ExpHeader h0;
    ApplySaveAsModeChange(h0, kSave1024);
    EXPECT_EQ(FormatExpFile(h0, Counts1024(), 1024, kSave1024), GoldenFile("mode0_1024.exp"));

    ExpHeader h1;
    ApplySaveAsModeChange(h1, kSave1024);
    h1.FoldingChannel.SetRawText("1024.0000");
    ApplySaveAsModeChange(h1, kSave512Add);
    EXPECT_EQ(FormatExpFile(h1, Counts1024(), 1024, kSave512Add), GoldenFile("mode1_1024.exp"));

    ExpHeader h2;
    ApplySaveAsModeChange(h2, kSave512Mean);
    EXPECT_EQ(FormatExpFile(h2, Counts1024(), 1024, kSave512Mean), GoldenFile("mode2_1024.exp"));
}

TEST(FormatExpFile, LongDescriptionShiftsTheRestOfLineOne)
{
    ExpHeader h;
    h.Description = "01234567890123456789012345678901234567890123456789ABCDEFGH";
    ASSERT_EQ(h.Description.size(), 58u);
    const std::string bytes = FormatExpFile(h, {}, 0, 1);
    EXPECT_EQ(bytes, GoldenFile("description58.exp"));
    EXPECT_EQ(bytes.substr(67, 4), " . T"); // B-field from column 68
}

TEST(FormatExpFile, UnfilledOptionalDigitIsWrittenAsSpace)
{
    ExpHeader h;
    h.CalibrationConstant.Assign("0.0913");
    EXPECT_EQ(FormatExpFile(h, {}, 0, 1), GoldenFile("calibration_unfilled.exp"));
}

TEST(FormatExpFile, TextsAreWrittenAsTheyStand)
{
    ExpHeader h;
    h.Channels = " 12";
    h.IgnoreLeft = "";
    h.IgnoreRight = "1000";
    h.CountsMillions = "x";
    const std::string bytes = FormatExpFile(h, {}, 0, 1);
    const auto line2 = bytes.substr(bytes.find("\r\n") + 2);
    EXPECT_EQ(line2.substr(0, 24), " 12 000 1000 512.0000 00");
}

TEST(WriteExpFile, ReplacesAnExistingFile)
{
    TempDir dir;
    const std::string target = dir.File("ha1234.exp");
    WriteBytes(target, std::string(20000, 'z'));
    ExpHeader h;
    GuessExpData(h, "ha1234.spm");
    WriteExpFile(target, h, Counts512(), 512, 1);
    EXPECT_EQ(ReadBytes(target), GoldenFile("guessed_512.exp"));
    // Nothing but the target is left in the folder.
    int entries = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.Path()))
        ++entries;
    EXPECT_EQ(entries, 1);
}

TEST(WriteExpFile, RelativeTargetGoesToTheCurrentFolder)
{
    TempDir dir;
    const auto old = std::filesystem::current_path();
    std::filesystem::current_path(dir.Path());
    WriteExpFile(DefaultExpName("-"), ExpHeader{}, {}, 0, -1);
    std::filesystem::current_path(old);
    EXPECT_EQ(ReadBytes(dir.File("-.exp")), GoldenFile("initial_no_spectrum.exp"));
}

std::string SaveError(const std::string& target)
{
    try {
        WriteExpFile(target, ExpHeader{}, Counts512(), 512, 1);
    }
    catch (const AppError& e) {
        return e.what();
    }
    return "no error";
}

TEST(WriteExpFile, FailedSaveKeepsTheOldFileAndReportsTheRuntimeText)
{
    TempDir dir;
    const std::string old = "old contents\r\n";

    // A folder in the way of the target: it and what it holds stay as they were.
    const std::string folderTarget = dir.File("held.exp");
    std::filesystem::create_directory(folderTarget);
    WriteBytes(folderTarget + "/inside", old);
    EXPECT_EQ(SaveError(folderTarget), "Invalid filename");
    EXPECT_EQ(ReadBytes(folderTarget + "/inside"), old);

    EXPECT_EQ(SaveError(dir.File("missing/x.exp")), "File not found");

    int entries = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.Path()))
        ++entries;
    EXPECT_EQ(entries, 1) << "no temporary file is left behind";

    // A folder without write permission (root is not stopped by permissions).
    if (::geteuid() != 0) {
        const std::string target = dir.File("locked/a.exp");
        std::filesystem::create_directory(dir.File("locked"));
        WriteBytes(target, old);
        std::filesystem::permissions(dir.File("locked"), std::filesystem::perms::owner_read |
                                                             std::filesystem::perms::owner_exec);
        EXPECT_EQ(SaveError(target), "File access denied");
        EXPECT_EQ(ReadBytes(target), old);
        std::filesystem::permissions(dir.File("locked"), std::filesystem::perms::owner_all);
    }
}

} // namespace
} // namespace trv
