#include "plot/Plot.h"

#include "platform/AppError.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace trv {
namespace {

double Round(double x)
{
    return std::nearbyint(x); // ties to even under the default rounding mode
}

// A rounded value kept in a signed 32-bit variable: taken modulo 2^32, never undefined.
std::int32_t ToInt32(double rounded)
{
    double m = std::fmod(rounded, 4294967296.0);
    if (m < 0) m += 4294967296.0;
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(m));
}

std::uint16_t ToUInt16(double rounded)
{
    double m = std::fmod(rounded, 65536.0);
    if (m < 0) m += 65536.0;
    return static_cast<std::uint16_t>(m);
}

// A rounded pixel coordinate. Values beyond any surface are only clipped, so saturating them
// far outside changes nothing visible.
std::int64_t ToCoord(double rounded)
{
    constexpr double kLimit = 1e18;
    if (std::isnan(rounded)) return 0;
    if (rounded > kLimit) return static_cast<std::int64_t>(kLimit);
    if (rounded < -kLimit) return -static_cast<std::int64_t>(kLimit);
    return static_cast<std::int64_t>(rounded);
}

[[noreturn]] void ThrowDivision(double dividend)
{
    throw AppError(dividend == 0.0 ? kInvalidFloatOpText : kDivisionByZeroText);
}

// First and one-past-last channel of the plotted window; empty when the margins cover it all.
struct Window {
    std::int64_t first;
    std::int64_t end;
    bool Empty() const { return end <= first; }
};

Window PlotWindow(std::size_t len, const PlotSettings& current)
{
    return {current.IgnoreFromLeft,
            static_cast<std::int64_t>(len) - static_cast<std::int64_t>(current.IgnoreFromRight)};
}

} // namespace

void InitPlotState(PlotState& state)
{
    state.PlotReady = true;
    state.PlotData.clear();
    state.Settings.IgnoreFromLeft = 5;
    state.Settings.IgnoreFromRight = 5;
}

std::uint32_t FoldedValue(const std::vector<std::uint32_t>& counts, std::size_t i,
                          std::uint16_t foldChannel)
{
    const std::int64_t partner =
        2 * static_cast<std::int64_t>(foldChannel) - 1 - static_cast<std::int64_t>(i);
    std::uint32_t value = i < counts.size() ? counts[i] : 0u;
    if (partner >= 0 && partner < static_cast<std::int64_t>(counts.size()))
        value += counts[static_cast<std::size_t>(partner)];
    return value;
}

void PreparePlot(PlotState& state, const std::vector<std::uint32_t>& counts,
                 const PlotSettings& current)
{
    state.Settings = current;
    if (!current.Folded) {
        state.PlotData = counts;
        return;
    }
    const std::size_t half = counts.size() / 2;
    state.PlotData.resize(half);
    for (std::size_t i = 0; i < half; ++i)
        state.PlotData[i] = FoldedValue(counts, i, current.FoldChannel);
}

void DrawPlot(PlotState& state, const PlotSettings& current, const std::string& fileName,
              PlotSurface& surface, int width, int height)
{
    if (!state.PlotReady) return;
    surface.Resize(width, height);
    const std::int64_t w = surface.Width();
    const std::int64_t h = surface.Height();
    surface.FillRect(0, 0, w, h, kPlotBlack);

    const std::vector<std::uint32_t>& data = state.PlotData;
    const Window window = PlotWindow(data.size(), current);

    // The maximum compares each value read as unsigned with the maximum so far read as signed:
    // a value of 2^31 or more becomes the maximum and is then replaced by the next value.
    std::int32_t plotMax = 0;
    for (std::int64_t i = window.first; i < window.end; ++i) {
        const std::uint32_t d = data[static_cast<std::size_t>(i)];
        if (static_cast<std::int64_t>(d) >= plotMax) plotMax = static_cast<std::int32_t>(d);
    }
    const double s = current.Scale;
    state.PlotMax = plotMax;
    state.PlotBase = ToInt32(Round((1.0 - s / 1000.0) * plotMax));
    state.PlotRange = ToInt32(Round(s / 1000.0 * plotMax));
    if (window.Empty()) return;

    if (state.PlotRange == 0) ThrowDivision(static_cast<double>(h));
    state.YScale = static_cast<double>(h) / state.PlotRange;
    state.XScale = static_cast<double>(w) / static_cast<double>(data.size());

    const PlotSettings& captured = state.Settings;
    const std::int64_t len = static_cast<std::int64_t>(data.size());
    const std::int64_t meanWidth = captured.MeanWidth;
    const double base = state.PlotBase;
    const double yScale = state.YScale;
    const double xScale = state.XScale;
    for (std::int64_t i = window.first; i < window.end; ++i) {
        const std::uint32_t d = data[static_cast<std::size_t>(i)];
        // The full y, not its 16-bit remainder: a point above the top edge stays above it.
        const std::int64_t y = ToCoord(Round(static_cast<double>(h) - (d - base) * yScale));
        const std::uint16_t x = ToUInt16(Round(static_cast<double>(i) * xScale));
        const bool visible = y >= 0;

        if (captured.DrawErrorLines && visible) {
            const double magnitude = std::fabs(static_cast<double>(static_cast<std::int32_t>(d)));
            const std::int64_t e = ToCoord(Round(std::sqrt(magnitude) * yScale / 2.0));
            surface.DrawLine(x, y - e, x, y + e, kPlotRed);
        }
        if (captured.DrawMean && current.IgnoreFromLeft + meanWidth + 1 < i &&
            len - current.IgnoreFromRight - meanWidth - 2 > i) {
            std::uint32_t s1 = 0;
            std::uint32_t s2 = 0;
            for (std::int64_t k = i - meanWidth - 1; k <= i + meanWidth - 1; ++k)
                s1 += data[static_cast<std::size_t>(k)];
            for (std::int64_t k = i - meanWidth; k <= i + meanWidth; ++k)
                s2 += data[static_cast<std::size_t>(k)];
            const double n = static_cast<double>(2 * meanWidth + 1);
            const std::int64_t y1 = h - ToCoord(Round((s1 / n - base) * yScale));
            const std::int64_t y2 = h - ToCoord(Round((s2 / n - base) * yScale));
            if (xScale == 0.0) ThrowDivision(x);
            // The segment starts one channel to the left of this channel's own x.
            const std::int64_t x0 = ToCoord(Round((x / xScale - 1.0) * xScale));
            surface.DrawLine(x0, y1, x, y2, kPlotGreen);
        }
        if (visible) surface.SetPixel(x, y, kPlotYellow);
    }

    if (captured.Folded) DrawFoldOverlay(state, current, fileName, surface);
}

void DrawFoldOverlay(const PlotState& state, const PlotSettings& current,
                     const std::string& fileName, PlotSurface& surface)
{
    const std::vector<std::uint32_t>& data = state.PlotData;
    const Window window = PlotWindow(data.size(), current);
    if (window.Empty()) return;
    const std::int64_t w = surface.Width();
    const std::int64_t h = surface.Height();

    std::int64_t sum = 0;
    for (std::int64_t i = window.first; i < window.end; ++i)
        sum += data[static_cast<std::size_t>(i)];
    const double avg = static_cast<double>(sum) / static_cast<double>(window.end - window.first);
    const std::int64_t yA = h - ToCoord(Round((avg - state.PlotBase) * state.YScale));
    surface.DrawLine(0, yA, w, yA, kPlotWhite);

    const std::uint16_t f = state.Settings.FoldChannel;
    const std::int64_t xF = ToCoord(Round((f / 2) * state.XScale));
    surface.DrawLine(xF, 0, xF, h, kPlotWhite);

    if (h > 400) {
        surface.TextOut(10, h - 100, "Foldchannel: " + std::to_string(f), kPlotTextColour,
                        kPlotBlack);
        surface.TextOut(10, h - 80, "Scale: " + std::to_string(state.Settings.Scale) + " promille",
                        kPlotTextColour, kPlotBlack);
        surface.TextOut(10, h - 60, "File: " + fileName, kPlotTextColour, kPlotBlack);
    }
}

int GuessScale(const std::vector<std::uint32_t>& counts, const PlotSettings& settings)
{
    const std::int64_t n = static_cast<std::int64_t>(counts.size());
    const std::int64_t first = settings.IgnoreFromLeft;
    const std::int64_t end = (settings.Folded ? n / 2 : n) - settings.IgnoreFromRight;
    std::uint32_t min = 4294967295u;
    std::uint32_t max = 0;
    for (std::int64_t i = first; i < end; ++i) {
        const auto index = static_cast<std::size_t>(i);
        const std::uint32_t v =
            settings.Folded ? FoldedValue(counts, index, settings.FoldChannel) : counts[index];
        min = std::min(min, v);
        max = std::max(max, v);
    }
    if (max == 0) ThrowDivision(min);
    const double scale = Round((1.0 - static_cast<double>(min) / max) * 1000.0) + 1.0;
    return static_cast<int>(std::clamp(scale, 0.0, 1000.0));
}

} // namespace trv
