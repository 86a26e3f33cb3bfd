#include "support/FaultFolders.h"

#include "exp/ExpFile.h"

#include <gtest/gtest.h>

#include <vector>

namespace trv {
namespace {

using V = std::vector<uint32_t>;
constexpr uint32_t kMax = 4294967295u;

std::string Golden(const std::string& name)
{
    return faults::ReadAll(std::string(TRV_TEST_DATA_DIR) + "/" + name);
}

// The spectra the golden files were made from.
V Pattern(std::size_t n, std::initializer_list<std::pair<std::size_t, uint32_t>> set)
{
    V c(n);
    for (std::size_t i = 0; i < n; ++i)
        c[i] = static_cast<uint32_t>(i) * 2654435761u + 12345u;
    for (const auto& [i, v] : set)
        c[i] = v;
    return c;
}
const V kCounts1024 =
    Pattern(1024, {{0, 3}, {1, 4}, {2, kMax}, {3, 1}, {4, kMax}, {5, kMax}, {1023, kMax}});
const V kCounts512 = Pattern(512, {{0, 0}, {511, kMax}});

TEST(ReduceChannels, PairsWrapAndMeanHalvesTheWrappedSum)
{
    // clang-format off
    const struct {
        uint32_t first, second;
        int mode;
        uint32_t value;
    } cases[] = {
        {3, 4, kSave512Add, 7}, {3, 4, kSave512Mean, 3}, // rounded down
        {kMax, 1, kSave512Add, 0}, {kMax, 1, kSave512Mean, 0},
        {kMax, kMax, kSave512Mean, 2147483647u}, {5, 0, kSave512Mean, 2},
    };
    // clang-format on
    for (const auto& c : cases) {
        V counts(1024, 1);
        counts[0] = counts[1022] = c.first;
        counts[1] = counts[1023] = c.second;
        const auto values = ReduceChannels(counts, 1024, c.mode);
        ASSERT_EQ(values.size(), 512u);
        EXPECT_EQ(values[0], c.value) << c.first << "+" << c.second << " mode " << c.mode;
        EXPECT_EQ(values[511], c.value) << "last pair";
        EXPECT_EQ(values[1], c.mode == kSave512Add ? 2u : 1u) << "each pair on its own";
    }
    // Never reads past the counts held.
    const V few = {1, 2, 3, 4};
    EXPECT_EQ(ReduceChannels(few, 1024, kSave512Add), (V{3, 7}));
    EXPECT_TRUE(ReduceChannels({}, 0, kSave512Mean).empty());
}

TEST(DefaultExpName, TheLastDotBackslashOrColonDecides)
{
    // '/' is none of them.
    // clang-format off
    const std::pair<const char*, const char*> names[] = {
        {"ha1234.spm", "ha1234.exp"}, {"noext", "noext.exp"}, {"", ".exp"}, {"a.b.c", "a.b.exp"},
        {"a.d\\b", "a.d\\b.exp"}, {"c:x.spm", "c:x.exp"}, {"x.y:z", "x.y:z.exp"},
        {"a.b/c", "a.exp"},
    };
    // clang-format on
    for (const auto& [in, out] : names)
        EXPECT_EQ(DefaultExpName(in), out) << "'" << in << "'";
}

TEST(FormatExpFile, GoldenFiles)
{
    EXPECT_EQ(FormatExpFile(ExpHeader{}, {}, 0, -1), Golden("initial_no_spectrum.exp"));

    ExpHeader guessed;
    GuessExpData(guessed, "ha1234.spm");
    for (int mode : {0, 1, 2}) // a 512-channel spectrum is written whole whatever the mode
        EXPECT_EQ(FormatExpFile(guessed, kCounts512, 512, mode), Golden("guessed_512.exp")) << mode;

    ExpHeader h0, h1, h2;
    ApplySaveAsModeChange(h0, kSave1024);
    EXPECT_EQ(FormatExpFile(h0, kCounts1024, 1024, kSave1024), Golden("mode0_1024.exp"));
    ApplySaveAsModeChange(h1, kSave1024);
    h1.FoldingChannel.SetRawText("1024.0000");
    ApplySaveAsModeChange(h1, kSave512Add);
    EXPECT_EQ(FormatExpFile(h1, kCounts1024, 1024, kSave512Add), Golden("mode1_1024.exp"));
    ApplySaveAsModeChange(h2, kSave512Mean);
    EXPECT_EQ(FormatExpFile(h2, kCounts1024, 1024, kSave512Mean), Golden("mode2_1024.exp"));

    ExpHeader longDescription; // shifts the rest of line one
    longDescription.Description = "01234567890123456789012345678901234567890123456789ABCDEFGH";
    EXPECT_EQ(FormatExpFile(longDescription, {}, 0, 1), Golden("description58.exp"));

    ExpHeader unfilled; // an unfilled optional digit is written as a space
    unfilled.CalibrationConstant.Assign("0.0913");
    EXPECT_EQ(FormatExpFile(unfilled, {}, 0, 1), Golden("calibration_unfilled.exp"));
}

} // namespace
} // namespace trv
