#pragma once

#include "plot/Plot.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace trv {

// A change the user makes in the main window's "Graphic" group after the open. The numbers
// are clamped into their spin button's range (plot/GraphicControls.h).
enum class GraphicChange {
    FoldChannel,  // types a folding channel
    NoFold,       // unticks "Folded"
    Scale,        // types a scale; no scale is guessed at all then
    NoErrorLines, // unticks "Draw Errorlines"
    NoMean,       // unticks "Draw mean"
    MeanWidth,    // types a mean width
};

struct GraphicStep {
    GraphicChange change;
    std::int64_t value = 0; // for the numeric changes, as given (clamped when applied)
};

// The Graphic settings of a fresh main window after it opened a spectrum of these counts and
// the user then made `steps` in order, each with the reactions of its control. With
// `guessScale`, the open guesses the scale and so does unticking "Folded" (unless a Scale step
// is among the steps: a scale given by the user is never replaced by a guess). Throws AppError
// when a guess fails ("Floating point division by zero", "Invalid floating point operation").
PlotSettings GraphicSettingsAfterOpen(const std::vector<std::uint32_t>& counts,
                                      std::span<const GraphicStep> steps, bool guessScale);

// The preview as the main window draws it on an image of width x height, as the bytes of a
// Windows bitmap file. Throws AppError when the drawing fails (a count range of 0).
std::string DrawPreviewBitmap(const std::vector<std::uint32_t>& counts,
                              const PlotSettings& settings, const std::string& fileName, int width,
                              int height);

// The suggested folding channel with two decimals ("512.00"), whatever the locale; empty when
// the plotted window holds nothing to compare. AppError (kNoClearFoldingChannelText) when the
// halves agree no better there than almost everywhere.
std::optional<std::string> SuggestFoldingChannel(const std::vector<std::uint32_t>& counts,
                                                 const PlotSettings& settings);

} // namespace trv
