#pragma once

#include "plot/PlotSurface.h"

#include <cstdint>
#include <string>
#include <vector>

namespace trv {

// The preview's "Graphic" settings, one value per control of the main window.
struct PlotSettings {
    std::uint16_t IgnoreFromLeft = 9;  // 5..100
    std::uint16_t IgnoreFromRight = 9; // 5..100
    std::uint16_t Scale = 4;           // 0..1000, promille of the maximum shown in the height
    std::uint16_t FoldChannel = 512;   // 0..1023
    bool Folded = true;
    bool DrawErrorLines = true;
    bool DrawMean = true;
    std::uint16_t MeanWidth = 2; // 1..20, half-width of the running mean
};

// The plot's working state, held by the preview window for the whole run.
struct PlotState {
    std::vector<std::uint32_t> PlotData;
    PlotSettings Settings; // as captured by the last PreparePlot
    std::int32_t PlotBase = 0;
    std::int32_t PlotMax = 0;
    std::int32_t PlotRange = 0;
    double YScale = 0.0;
    double XScale = 0.0;
    bool PlotReady = false;
};

// The state as the preview window sets it up when it is created: drawing allowed, no data,
// both captured margins 5.
void InitPlotState(PlotState& state);

// The value of folded channel i: Counts[i] + Counts[2F - 1 - i] modulo 2^32. A partner
// outside the spectrum counts as 0, so the channel keeps its own count.
std::uint32_t FoldedValue(const std::vector<std::uint32_t>& counts, std::size_t i,
                          std::uint16_t foldChannel);

// Captures `current` into the state and rebuilds PlotData from the counts (folded or not).
void PreparePlot(PlotState& state, const std::vector<std::uint32_t>& counts,
                 const PlotSettings& current);

// Draws PlotData on `surface`, which is first made width x height: the drawing's frame is
// always the whole surface. IgnoreFromLeft, IgnoreFromRight and Scale are read from `current`,
// everything else comes from the last PreparePlot. `fileName` is the spectrum's name for the
// folded overlay. A window without channels leaves the black background only. Throws
// AppError "Floating point division by zero" ("Invalid floating point operation" when the
// height is 0 too) after the black fill when the count range is 0; YScale and XScale then
// keep their values.
void DrawPlot(PlotState& state, const PlotSettings& current, const std::string& fileName,
              PlotSurface& surface, int width, int height);

// The folded-spectrum marks, drawn by DrawPlot as its last step: the window's mean level, the
// folding marker and, on surfaces higher than 400 pixels, three labels.
void DrawFoldOverlay(const PlotState& state, const PlotSettings& current,
                     const std::string& fileName, PlotSurface& surface);

// The colour of the overlay labels: light on the black text cells, so they can be read.
inline constexpr QRgb kPlotTextColour = kPlotWhite;

// The scale (promille, 0..1000) that puts the lowest value of the plotted window just above
// the bottom edge. Reads IgnoreFromLeft, IgnoreFromRight, FoldChannel and Folded. Throws
// AppError "Floating point division by zero" for a window without values and "Invalid floating
// point operation" for a window of zeros.
int GuessScale(const std::vector<std::uint32_t>& counts, const PlotSettings& settings);

} // namespace trv
