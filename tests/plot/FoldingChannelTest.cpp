#include "plot/FoldingChannel.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace trv {
namespace {

// A six-line absorption spectrum mirrored about `centre` (between channels) on a flat
// baseline, with reproducible counting noise.
std::vector<std::uint32_t> MirroredSpectrum(int n, double centre)
{
    const double offsets[] = {47, 131, 223};
    std::mt19937 random(12345);
    std::vector<std::uint32_t> counts(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        double v = 200000.0;
        for (double offset : offsets)
            for (double position : {centre - offset, centre + offset}) {
                const double u = (i - position) / 4.0;
                v -= 30000.0 / (1.0 + u * u);
            }
        std::normal_distribution<double> noise(0.0, std::sqrt(v));
        counts[static_cast<std::size_t>(i)] =
            static_cast<std::uint32_t>(std::lround(v + noise(random)));
    }
    return counts;
}

TEST(FindFoldingChannel, FindsTheCentreOfAMirroredSpectrum)
{
    PlotSettings s; // margins 9 and 9
    struct Case {
        int n;
        double centre; // mirror centre: the folding channel is centre + 1/2
        int channel;
    };
    const std::vector<Case> cases = {
        {1024, 511.5, 512}, {1024, 509.8, 510}, {1024, 505.2, 506},
        {1024, 400.4, 401}, {512, 255.5, 256},  {512, 240.9, 241},
    };
    for (const Case& c : cases) {
        const auto estimate = FindFoldingChannel(MirroredSpectrum(c.n, c.centre), s);
        ASSERT_TRUE(estimate.has_value());
        EXPECT_EQ(estimate->Channel, c.channel) << c.centre;
        EXPECT_NEAR(estimate->Fractional, c.centre + 0.5, 0.05) << c.centre;
        EXPECT_GE(estimate->Score, 0.0);
    }
    // An exactly mirrored spectrum without baseline slope agrees perfectly.
    std::vector<std::uint32_t> exact(1024);
    for (int i = 0; i < 512; ++i)
        exact[i] = exact[1023 - i] = static_cast<std::uint32_t>(1000 + (i * 37) % 101);
    const auto perfect = FindFoldingChannel(exact, s);
    ASSERT_TRUE(perfect.has_value());
    EXPECT_EQ(perfect->Channel, 512);
    EXPECT_EQ(perfect->Score, 0.0);
    EXPECT_NEAR(perfect->Fractional, 512.0, 0.5);
}

TEST(FindFoldingChannel, AHalfThatIsSymmetricInItselfDoesNotFoolTheSearch)
{
    // Each half holds a sextet symmetric about its own centre, as real spectra do: at N/4 the
    // half mirrors onto itself perfectly, yet the spectrum folds at N/2.
    std::vector<std::uint32_t> counts(1024);
    for (int i = 0; i < 512; ++i) {
        double v = 100000.0;
        for (double line : {100.0, 170.0, 230.0, 281.0, 341.0, 411.0}) {
            const double u = (i - line) / 5.0;
            v -= 20000.0 / (1.0 + u * u);
        }
        counts[i] = counts[1023 - i] = static_cast<std::uint32_t>(std::lround(v));
    }
    const auto estimate = FindFoldingChannel(counts, PlotSettings{});
    ASSERT_TRUE(estimate.has_value());
    EXPECT_EQ(estimate->Channel, 512);
}

TEST(FindFoldingChannel, NothingToCompareGivesNoEstimate)
{
    PlotSettings s;
    EXPECT_FALSE(FindFoldingChannel({}, s).has_value());
    EXPECT_FALSE(FindFoldingChannel(std::vector<std::uint32_t>(30, 7), s).has_value());
    EXPECT_FALSE(FindFoldingChannel(std::vector<std::uint32_t>(1024, 0), s).has_value());
}

} // namespace
} // namespace trv
