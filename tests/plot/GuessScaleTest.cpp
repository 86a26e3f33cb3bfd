#include "platform/AppError.h"
#include "plot/Plot.h"

#include <gtest/gtest.h>

namespace trv {
namespace {

PlotSettings Unfolded(std::uint16_t left = 2, std::uint16_t right = 2)
{
    PlotSettings s;
    s.Folded = false;
    s.IgnoreFromLeft = left;
    s.IgnoreFromRight = right;
    return s;
}

// The window is channels 2..7 of 10; the margins hold values that must not count.
std::vector<std::uint32_t> WithMargins(std::vector<std::uint32_t> window)
{
    std::vector<std::uint32_t> counts = {0, 0xFFFFFFFFu};
    counts.insert(counts.end(), window.begin(), window.end());
    counts.push_back(0);
    counts.push_back(0xFFFFFFFFu);
    return counts;
}

TEST(GuessScale, PutsTheLowestValueJustAboveTheBottom)
{
    struct Case {
        const char* name;
        std::vector<std::uint32_t> window;
        int expected;
    };
    const std::vector<Case> cases = {
        {"1 % spread", {100000, 99500, 99000, 99800, 100000, 99900}, 11},
        {"all equal", {777, 777, 777, 777, 777, 777}, 1},
        {"a zero gives 1001, held at 1000", {0, 5, 5, 5, 5, 5}, 1000},
        {"half", {1024, 512, 1024, 1024, 1024, 1024}, 501},
        {"unsigned reading",
         {0x80000000u, 0x40000000u, 0x80000000u, 0x80000000u, 0x80000000u, 0x80000000u},
         501},
        {"rounded", {1024, 1022, 1024, 1024, 1024, 1024}, 3}, // 1.953125 -> 2
    };
    for (const Case& c : cases)
        EXPECT_EQ(GuessScale(WithMargins(c.window), Unfolded()), c.expected) << c.name;
}

TEST(GuessScale, UsesTheFoldedWindow)
{
    // 16 channels folded about 8: values c[i] + c[15 - i] for i = 1 .. 8 - 1 - 1.
    std::vector<std::uint32_t> counts(16, 500);
    counts[0] = 1;      // left margin
    counts[15 - 3] = 0; // folded channel 3 = 500: the lowest, maximum 1000
    PlotSettings s;
    s.FoldChannel = 8;
    s.IgnoreFromLeft = 1;
    s.IgnoreFromRight = 1;
    EXPECT_EQ(GuessScale(counts, s), 501);

    // Folding channel 10: channels 0..4 pair with 19..15, beyond the end, and keep their own
    // count; channels 5..6 pair with 14..13.
    std::vector<std::uint32_t> flat(16, 500);
    s.FoldChannel = 10;
    EXPECT_EQ(GuessScale(flat, s), 501);
    s.IgnoreFromLeft = 5;
    EXPECT_EQ(GuessScale(flat, s), 1);
}

TEST(GuessScale, EmptyOrZeroWindowReportsTheDivision)
{
    auto message = [](const std::vector<std::uint32_t>& counts, const PlotSettings& s) {
        try {
            GuessScale(counts, s);
        }
        catch (const AppError& e) {
            return std::string(e.what());
        }
        return std::string("no error");
    };
    EXPECT_EQ(message({}, Unfolded()), kDivisionByZeroText);
    EXPECT_EQ(message({}, PlotSettings{}), kDivisionByZeroText);
    EXPECT_EQ(message({1, 2, 3, 4}, Unfolded()), kDivisionByZeroText); // margins cover all
    EXPECT_EQ(message(WithMargins({0, 0, 0, 0, 0, 0}), Unfolded()), kInvalidFloatOpText);
}

} // namespace
} // namespace trv
