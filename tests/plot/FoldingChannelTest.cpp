#include "plot/FoldingChannel.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace trv {
namespace {

using V = std::vector<std::uint32_t>;

// A six-line absorption spectrum mirrored about `centre` on a flat baseline, with reproducible
// counting noise.
V MirroredSpectrum(int n, double centre)
{
    std::mt19937 random(12345);
    V counts(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        double v = 200000.0;
        for (double offset : {47.0, 131.0, 223.0})
            for (double position : {centre - offset, centre + offset})
                v -= 30000.0 / (1.0 + std::pow((i - position) / 4.0, 2));
        std::normal_distribution<double> noise(0.0, std::sqrt(v));
        counts[static_cast<std::size_t>(i)] =
            static_cast<std::uint32_t>(std::lround(v + noise(random)));
    }
    return counts;
}

TEST(FindFoldingChannel, FindsTheCentreOfAMirroredSpectrum)
{
    const PlotSettings s;
    const struct {
        int n;
        double centre; // the folding channel is centre + 1/2
        int channel;
    } cases[] = {{1024, 511.5, 512}, {1024, 505.2, 506}, {1024, 400.4, 401}, {512, 240.9, 241}};
    for (const auto& c : cases) {
        const auto estimate = FindFoldingChannel(MirroredSpectrum(c.n, c.centre), s);
        ASSERT_TRUE(estimate.has_value());
        EXPECT_EQ(estimate->Channel, c.channel) << c.centre;
        EXPECT_NEAR(estimate->Fractional, c.centre + 0.5, 0.05) << c.centre;
        EXPECT_TRUE(estimate->Clear) << c.centre;
    }
    // Each half holds a sextet symmetric about its own centre, as real spectra do: at N/4 the
    // half mirrors onto itself perfectly, yet the spectrum folds at N/2.
    V counts(1024);
    for (int i = 0; i < 512; ++i) {
        double v = 100000.0;
        for (double line : {100.0, 170.0, 230.0, 281.0, 341.0, 411.0})
            v -= 20000.0 / (1.0 + std::pow((i - line) / 5.0, 2));
        counts[i] = counts[1023 - i] = static_cast<std::uint32_t>(std::lround(v));
    }
    const auto estimate = FindFoldingChannel(counts, s);
    ASSERT_TRUE(estimate.has_value());
    EXPECT_EQ(estimate->Channel, 512);
    EXPECT_EQ(estimate->Score, 0.0);
    EXPECT_TRUE(estimate->Clear);
}

TEST(FindFoldingChannel, NothingToCompareGivesNoEstimate)
{
    EXPECT_FALSE(FindFoldingChannel({}, PlotSettings{}).has_value());
    EXPECT_FALSE(FindFoldingChannel(V(30, 7), PlotSettings{}).has_value());
    EXPECT_FALSE(FindFoldingChannel(V(1024, 0), PlotSettings{}).has_value());
}

} // namespace
} // namespace trv
