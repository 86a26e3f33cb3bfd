#include "plot/GraphicControls.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>

namespace trv {

std::uint16_t SpinPosition(std::int64_t value, SpinRange range)
{
    return static_cast<std::uint16_t>(std::clamp<std::int64_t>(value, range.Min, range.Max));
}

int FoldChannelAfterOpen(int channelCount)
{
    return channelCount / 2;
}

void FoldChannelReaction(PlotSettings& settings, int channelCount)
{
    const std::int64_t distance =
        std::abs(std::int64_t{channelCount / 2} - std::int64_t{settings.FoldChannel});
    const std::uint16_t margin = SpinPosition(2 * distance + 5, kIgnoreRange);
    settings.IgnoreFromLeft = margin;
    settings.IgnoreFromRight = margin;
}

void SetFoldChannel(PlotSettings& settings, std::int64_t value, int channelCount)
{
    const std::uint16_t position = SpinPosition(value, kFoldRange);
    if (position == settings.FoldChannel) return;
    settings.FoldChannel = position;
    FoldChannelReaction(settings, channelCount);
}

void ApplyOpenDefaults(PlotSettings& settings, int channelCount)
{
    SetFoldChannel(settings, FoldChannelAfterOpen(channelCount), channelCount);
    settings.IgnoreFromLeft = kMarginAfterOpen;
    settings.IgnoreFromRight = kMarginAfterOpen;
}

std::string FoldingChannelText(double channel)
{
    char buffer[64];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, channel, std::chars_format::fixed, 2);
    return std::string(buffer, result.ptr);
}

} // namespace trv
