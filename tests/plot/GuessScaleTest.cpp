#include "support/FaultFolders.h"

#include "plot/Plot.h"

#include <gtest/gtest.h>

namespace trv {
namespace {

using V = std::vector<std::uint32_t>;

PlotSettings Unfolded()
{
    PlotSettings s;
    s.Folded = false;
    s.IgnoreFromLeft = s.IgnoreFromRight = 2;
    return s;
}

// The window is channels 2..7 of 10; the margins hold values that must not count.
V WithMargins(const V& window)
{
    V counts = {0, 0xFFFFFFFFu};
    counts.insert(counts.end(), window.begin(), window.end());
    counts.insert(counts.end(), {0, 0xFFFFFFFFu});
    return counts;
}

TEST(GuessScale, PutsTheLowestValueJustAboveTheBottom)
{
    const uint32_t big = 0x80000000u;
    // clang-format off
    const std::pair<V, int> cases[] = {
        {{100000, 99500, 99000, 99800, 100000, 99900}, 11}, // 1 % spread
        {{777, 777, 777, 777, 777, 777}, 1}, {{0, 5, 5, 5, 5, 5}, 1000}, // 1001, held at 1000
        {{big, big / 2, big, big, big, big}, 501}, // read unsigned
        {{1024, 1022, 1024, 1024, 1024, 1024}, 3}, // 1.953125 rounds to 2
    };
    // clang-format on
    for (const auto& [window, expected] : cases)
        EXPECT_EQ(GuessScale(WithMargins(window), Unfolded()), expected) << window[1];
}

TEST(GuessScale, UsesTheFoldedWindow)
{
    // 16 channels folded about 8: values c[i] + c[15 - i] for i = 1 .. 6.
    V counts(16, 500);
    counts[0] = 1;      // left margin
    counts[15 - 3] = 0; // folded channel 3 = 500: the lowest, maximum 1000
    PlotSettings s;
    s.FoldChannel = 8;
    s.IgnoreFromLeft = s.IgnoreFromRight = 1;
    EXPECT_EQ(GuessScale(counts, s), 501);
}

TEST(GuessScale, EmptyOrZeroWindowReportsTheDivision)
{
    const auto error = [](const V& counts, const PlotSettings& s) {
        return faults::ErrorOf([&] { GuessScale(counts, s); });
    };
    EXPECT_EQ(error({}, Unfolded()), kDivisionByZeroText);
    EXPECT_EQ(error({}, PlotSettings{}), kDivisionByZeroText);
    EXPECT_EQ(error({1, 2, 3, 4}, Unfolded()), kDivisionByZeroText); // margins cover all
    EXPECT_EQ(error(WithMargins(V(6, 0)), Unfolded()), kInvalidFloatOpText);
}

} // namespace
} // namespace trv
