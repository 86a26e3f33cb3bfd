#pragma once

#include "plot/Plot.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace trv {

struct FoldingEstimate {
    int Channel = 0;         // the best whole folding channel
    double Fractional = 0.0; // refined between its neighbours
    double Score = 0.0;      // mean weighted squared difference of the folded halves at Channel
    // Whether the halves agree clearly better at Channel than at most positions (by far more
    // than the noise of the score); a flat spectrum agrees about as well everywhere.
    bool Clear = false;
};

// What the window and the converter say when the estimate is not clear.
inline constexpr const char* kNoClearFoldingChannelText =
    "no clear folding channel found: the two halves of the spectrum agree about as well at "
    "every position";

// The folding channel F (N/4 <= F <= N/2) whose mirrored halves agree best over the plotted
// window i = IgnoreFromLeft .. N/2 - 1 - IgnoreFromRight: the score of F is the mean of
// (c[i] - c[2F-1-i])^2 / (c[i] + c[2F-1-i]), pairs with no counts left out. A parabola through
// the scores of the best F and its neighbours gives the fractional estimate. A channel is paired
// only with a mirror beyond the window (the other half), and a candidate counts only when at
// least half of the window's channels have such a partner. Empty when no candidate counts.
std::optional<FoldingEstimate> FindFoldingChannel(const std::vector<std::uint32_t>& counts,
                                                  const PlotSettings& settings);

} // namespace trv
