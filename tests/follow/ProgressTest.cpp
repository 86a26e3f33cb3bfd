// The progress figures of a running measurement.
#include "follow/Progress.h"

#include <gtest/gtest.h>

namespace trv {
namespace {

// 768 channels of baseline at b counts, 256 in lines at b / 2; stamps 5 hours apart.
SpmSpectrum Absorption(std::uint32_t baseline, bool stamps = true)
{
    SpmSpectrum s;
    s.info.ChannelCount = 1024;
    for (int i = 0; i < 1024; ++i)
        s.counts.push_back(i % 4 == 1 ? baseline / 2 : baseline);
    s.info.FirstStamp.Decoded = stamps;
    s.info.FirstStamp.Value = {2001, 1, 5, 12, 0, 0, 0};
    s.info.SecondStamp.Decoded = stamps;
    s.info.SecondStamp.Value = {2001, 1, 5, 17, 0, 0, 0};
    return s;
}

TEST(Progress, FiguresOfASpectrum)
{
    const MeasurementProgress p = ProgressOf(Absorption(100000));
    EXPECT_EQ(p.totalCounts, 89600000u);
    EXPECT_DOUBLE_EQ(p.meanCounts, 87500);
    EXPECT_DOUBLE_EQ(p.baselineCounts, 100000);
    EXPECT_DOUBLE_EQ(*p.measuringSeconds, 5 * 3600);
    EXPECT_DOUBLE_EQ(*p.countRate, 89600000.0 / 18000);
    EXPECT_NEAR(*p.baselineNoise, 0.0031623, 1e-7);

    // No decoded stamps (PCA3), stamps out of order, no counts: those figures are unknown.
    EXPECT_FALSE(ProgressOf(Absorption(100000, false)).countRate);
    SpmSpectrum backwards = Absorption(100);
    std::swap(backwards.info.FirstStamp, backwards.info.SecondStamp);
    EXPECT_FALSE(ProgressOf(backwards).measuringSeconds);
    EXPECT_FALSE(ProgressOf(Absorption(0)).baselineNoise);
    // Beyond 32 bits the total does not wrap.
    EXPECT_EQ(ProgressOf(Absorption(4000000000u)).totalCounts, 3584000000000ull);
}

TEST(Progress, TimeToTheTargetNoiseAtTheRateSeenSoFar)
{
    const MeasurementProgress now = ProgressOf(Absorption(100000));
    // Half the counts an hour ago: the baseline gains 100000 / 7200 s; 1e6 needs 64800 s more.
    const std::vector<CountObservation> growing = {{0, 44800000}, {3600, 89600000}};
    const std::pair<std::vector<CountObservation>, std::optional<double>> cases[] = {
        {growing, 64800.0},
        {{{3600, 89600000}}, std::nullopt},                // one observation
        {{{0, 89600000}, {3600, 89600000}}, std::nullopt}, // no counts coming in
    };
    for (const auto& [history, expected] : cases) {
        const std::optional<double> eta = SecondsToTargetNoise(now, history);
        ASSERT_EQ(eta.has_value(), expected.has_value());
        if (expected) {
            EXPECT_NEAR(*eta, *expected, 1e-6);
        }
    }
    EXPECT_EQ(SecondsToTargetNoise(now, growing, 0.01), 0.0); // 1 %: reached

    std::vector<CountObservation> history;
    for (const CountObservation o : {CountObservation{1, 10}, {2, 20}, {3, 5}, {4, 9}})
        RecordObservation(history, o);
    ASSERT_EQ(history.size(), 2u); // fewer counts: a new measurement
    EXPECT_EQ(history.front().totalCounts, 5u);

    EXPECT_EQ(FormatProgress(now, SecondsToTargetNoise(now, growing), kDefaultTargetNoise, ','),
              "Total counts: 89600000\n"
              "Mean counts per channel: 87500,0\n"
              "Measuring time: 5:00:00\n"
              "Count rate: 4977,8 counts/s\n"
              "Baseline noise: 0,316 %\n"
              "Time to 0,1 %: 18:00:00\n");
    EXPECT_EQ(FormatProgress(ProgressOf(Absorption(0, false)), 200000.0, 0.001, '.'),
              "Total counts: 0\n"
              "Mean counts per channel: 0.0\n"
              "Measuring time: unknown\n"
              "Count rate: unknown\n"
              "Baseline noise: unknown\n"
              "Time to 0.1 %: 2 d 7:33:20\n");
}

} // namespace
} // namespace trv
