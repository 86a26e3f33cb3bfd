#pragma once

#include "plot/Plot.h"

#include <cstdint>
#include <string>

namespace trv {

// The rules of the main window's "Graphic" controls, kept apart from the widgets so that the
// window, the add/subtract window and the converter follow one set.

// The range a spin button keeps its position in.
struct SpinRange {
    int Min;
    int Max;
};

inline constexpr SpinRange kIgnoreRange{5, 100};   // Ignore from Left / Right
inline constexpr SpinRange kScaleRange{0, 1000};   // Scale (1/10%)
inline constexpr SpinRange kFoldRange{0, 1023};    // Folding channel
inline constexpr SpinRange kMeanWidthRange{1, 20}; // Draw mean's half-width

// Where a spin button puts a value it is given.
std::uint16_t SpinPosition(std::int64_t value, SpinRange range);

// Both ignored margins after an open and after taking over a combined spectrum.
inline constexpr std::uint16_t kMarginAfterOpen = 9;

// The folding channel an open sets: the middle of the spectrum.
int FoldChannelAfterOpen(int channelCount);

// The folding channel's reaction: both ignored margins follow settings.FoldChannel, widened by
// two for each channel of distance from the middle.
void FoldChannelReaction(PlotSettings& settings, int channelCount);

// The folding channel's spin button set to `value`: clamped into its range, and the reaction
// runs only when that changes the position (the field's text changes only then).
void SetFoldChannel(PlotSettings& settings, std::int64_t value, int channelCount);

// The Graphic settings right after an open, before any scale guess: the folding channel to the
// middle (with its reaction when that is a change), then both margins to kMarginAfterOpen.
void ApplyOpenDefaults(PlotSettings& settings, int channelCount);

// The suggested folding channel as shown to the user: two decimals and a '.' whatever the
// locale ("512.35").
std::string FoldingChannelText(double channel);

} // namespace trv
