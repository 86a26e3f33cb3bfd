#include "cli/PreviewPlot.h"

#include "plot/Bmp.h"
#include "plot/FoldingChannel.h"
#include "plot/PlotSurface.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>

namespace trv {

namespace {

// Ranges of the Graphic group's spin buttons.
constexpr std::int64_t kIgnoreMin = 5;
constexpr std::int64_t kIgnoreMax = 100;
constexpr std::int64_t kScaleMin = 0;
constexpr std::int64_t kScaleMax = 1000;
constexpr std::int64_t kFoldMin = 0;
constexpr std::int64_t kFoldMax = 1023;
constexpr std::int64_t kMeanWidthMin = 1;
constexpr std::int64_t kMeanWidthMax = 20;

// A spin button keeps its position within its range.
std::uint16_t SpinPosition(std::int64_t value, std::int64_t min, std::int64_t max)
{
    return static_cast<std::uint16_t>(std::clamp(value, min, max));
}

// The folding channel's spin button and field with their reaction. The field's text, and so
// the reaction, changes only when the position does.
void SetFoldChannel(PlotSettings& settings, std::int64_t value, std::int64_t channelCount)
{
    const std::uint16_t position = SpinPosition(value, kFoldMin, kFoldMax);
    if (position == settings.FoldChannel) return;
    settings.FoldChannel = position;
    // Each channel of distance from the middle widens both ignored margins by two.
    const std::int64_t distance = std::abs(channelCount / 2 - std::int64_t{position});
    settings.IgnoreFromLeft = SpinPosition(2 * distance + 5, kIgnoreMin, kIgnoreMax);
    settings.IgnoreFromRight = SpinPosition(2 * distance + 5, kIgnoreMin, kIgnoreMax);
}

} // namespace

PlotSettings GraphicSettingsAfterOpen(const std::vector<std::uint32_t>& counts,
                                      std::span<const GraphicStep> steps, bool guessScale)
{
    const auto channelCount = static_cast<std::int64_t>(counts.size());
    const bool scaleGiven = std::any_of(steps.begin(), steps.end(), [](const GraphicStep& step) {
        return step.change == GraphicChange::Scale;
    });
    const bool guess = guessScale && !scaleGiven;

    PlotSettings settings; // the controls' initial values
    // The open: folding channel to the middle (its reaction runs when that is a change), then
    // both margins to 9, then the guess.
    SetFoldChannel(settings, channelCount / 2, channelCount);
    settings.IgnoreFromLeft = 9;
    settings.IgnoreFromRight = 9;
    if (guess) settings.Scale = SpinPosition(GuessScale(counts, settings), kScaleMin, kScaleMax);

    for (const GraphicStep& step : steps) {
        switch (step.change) {
        case GraphicChange::FoldChannel:
            SetFoldChannel(settings, step.value, channelCount);
            break;
        case GraphicChange::NoFold:
            // Only a change of the box is a click, and the click guesses the scale anew.
            if (settings.Folded) {
                settings.Folded = false;
                if (guess)
                    settings.Scale =
                        SpinPosition(GuessScale(counts, settings), kScaleMin, kScaleMax);
            }
            break;
        case GraphicChange::Scale:
            settings.Scale = SpinPosition(step.value, kScaleMin, kScaleMax);
            break;
        case GraphicChange::NoErrorLines:
            settings.DrawErrorLines = false;
            break;
        case GraphicChange::NoMean:
            settings.DrawMean = false;
            break;
        case GraphicChange::MeanWidth:
            settings.MeanWidth = SpinPosition(step.value, kMeanWidthMin, kMeanWidthMax);
            break;
        }
    }
    return settings;
}

std::string DrawPreviewBitmap(const std::vector<std::uint32_t>& counts,
                              const PlotSettings& settings, const std::string& fileName, int width,
                              int height)
{
    PlotState state;
    InitPlotState(state);
    PreparePlot(state, counts, settings);
    PlotSurface surface;
    DrawPlot(state, settings, fileName, surface, width, height);
    return EncodeBmp(surface.Image());
}

std::optional<std::string> SuggestFoldingChannel(const std::vector<std::uint32_t>& counts,
                                                 const PlotSettings& settings)
{
    const std::optional<FoldingEstimate> estimate = FindFoldingChannel(counts, settings);
    if (!estimate) return std::nullopt;
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, estimate->Fractional,
                                      std::chars_format::fixed, 2);
    return std::string(buffer, result.ptr);
}

} // namespace trv
