#include "plot/GraphicControls.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace trv {
namespace {

// The folding channel's spin button: clamped into 0..1023, and both margins follow a change
// as 2 x distance from the middle + 5, kept in 5..100; a value that leaves the position where
// it was changes nothing. After an open the middle and margins of 9 are back.
TEST(GraphicControls, FoldingChannelSetsBothMarginsOnlyWhenItChanges)
{
    const struct {
        int channels;
        std::int64_t value;
        std::uint16_t fold;
        std::uint16_t margins;
    } cases[] =
        {
            {1024, 515, 515, 11},  {1024, 509, 509, 11},    {1024, 559, 559, 99},
            {1024, 560, 560, 100}, {1024, 465, 465, 99},    {1024, 464, 464, 100},
            {1024, -7, 0, 100},    {1024, 5000, 1023, 100}, {512, 250, 250, 17},
            {512, 256, 256, 5},    {1024, 512, 512, 9}, // the position stays: the margins too
        };
    for (const auto& c : cases) {
        PlotSettings s; // folding channel 512, margins 9
        SetFoldChannel(s, c.value, c.channels);
        EXPECT_EQ(s.FoldChannel, c.fold) << c.channels << " channels, " << c.value;
        EXPECT_EQ(s.IgnoreFromLeft, c.margins) << c.channels << " channels, " << c.value;
        EXPECT_EQ(s.IgnoreFromRight, c.margins) << c.channels << " channels, " << c.value;
        // Whatever the reaction to the new middle set the margins to on the way.
        ApplyOpenDefaults(s, c.channels);
        EXPECT_EQ(s.FoldChannel, c.channels / 2);
        EXPECT_EQ(s.IgnoreFromLeft, 9);
        EXPECT_EQ(s.IgnoreFromRight, 9);
    }
}

TEST(GraphicControls, SuggestedChannelHasTwoDecimalsAndAPoint)
{
    const std::pair<double, const char*> cases[] = {
        {512.0, "512.00"}, {509.456, "509.46"}, {255.5, "255.50"}, {0.004, "0.00"}};
    for (const auto& [value, text] : cases)
        EXPECT_EQ(FoldingChannelText(value), text) << value;
}

} // namespace
} // namespace trv
