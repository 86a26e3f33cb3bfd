#include "cli/PreviewPlot.h"

#include "platform/AppError.h"
#include "plot/Bmp.h"
#include "plot/FoldingChannel.h"
#include "plot/GraphicControls.h"
#include "plot/PlotSurface.h"

#include <algorithm>

namespace trv {

PlotSettings GraphicSettingsAfterOpen(const std::vector<std::uint32_t>& counts,
                                      std::span<const GraphicStep> steps, bool guessScale)
{
    const auto channelCount = static_cast<int>(counts.size());
    const bool scaleGiven = std::any_of(steps.begin(), steps.end(), [](const GraphicStep& step) {
        return step.change == GraphicChange::Scale;
    });
    const bool guess = guessScale && !scaleGiven;

    PlotSettings settings; // the controls' initial values
    ApplyOpenDefaults(settings, channelCount);
    if (guess) settings.Scale = SpinPosition(GuessScale(counts, settings), kScaleRange);

    for (const GraphicStep& step : steps) {
        switch (step.change) {
        case GraphicChange::FoldChannel:
            SetFoldChannel(settings, step.value, channelCount);
            break;
        case GraphicChange::NoFold:
            // Only a change of the box is a click, and the click guesses the scale anew.
            if (settings.Folded) {
                settings.Folded = false;
                if (guess) settings.Scale = SpinPosition(GuessScale(counts, settings), kScaleRange);
            }
            break;
        case GraphicChange::Scale:
            settings.Scale = SpinPosition(step.value, kScaleRange);
            break;
        case GraphicChange::NoErrorLines:
            settings.DrawErrorLines = false;
            break;
        case GraphicChange::NoMean:
            settings.DrawMean = false;
            break;
        case GraphicChange::MeanWidth:
            settings.MeanWidth = SpinPosition(step.value, kMeanWidthRange);
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
    if (!estimate->Clear) throw AppError(kNoClearFoldingChannelText);
    return FoldingChannelText(estimate->Fractional);
}

} // namespace trv
