#include "plot/FoldingChannel.h"

#include <algorithm>

namespace trv {
namespace {

// Mean Poisson-weighted squared difference of the halves folded about f; empty without pairs.
std::optional<double> FoldScore(const std::vector<std::uint32_t>& counts, std::int64_t f,
                                std::int64_t first, std::int64_t end)
{
    const std::int64_t n = static_cast<std::int64_t>(counts.size());
    double sum = 0.0;
    std::int64_t pairs = 0;
    std::int64_t partnered = 0;
    for (std::int64_t i = first; i < end; ++i) {
        const std::int64_t mirror = 2 * f - 1 - i;
        // The folded halves are the plotted window and what it mirrors onto. A mirror inside
        // the window itself would compare a half with itself, and any symmetric line pattern
        // (a doublet, a sextet) agrees with itself perfectly.
        if (mirror < end || mirror >= n) continue;
        ++partnered;
        const double a = counts[static_cast<std::size_t>(i)];
        const double b = counts[static_cast<std::size_t>(mirror)];
        if (a + b == 0.0) continue;
        sum += (a - b) * (a - b) / (a + b);
        ++pairs;
    }
    // A fold that pairs only a corner of the window says nothing about the whole spectrum.
    if (pairs == 0 || 2 * partnered < end - first) return std::nullopt;
    return sum / static_cast<double>(pairs);
}

} // namespace

std::optional<FoldingEstimate> FindFoldingChannel(const std::vector<std::uint32_t>& counts,
                                                  const PlotSettings& settings)
{
    const std::int64_t n = static_cast<std::int64_t>(counts.size());
    const std::int64_t first = settings.IgnoreFromLeft;
    const std::int64_t end = n / 2 - settings.IgnoreFromRight;
    const std::int64_t lowest = n / 4;
    const std::int64_t highest = n / 2;
    if (end <= first || highest < lowest) return std::nullopt;

    // Scores of the candidates with one more on each side, for the parabola at the ends.
    std::vector<std::optional<double>> scores;
    for (std::int64_t f = lowest - 1; f <= highest + 1; ++f)
        scores.push_back(f >= 1 ? FoldScore(counts, f, first, end) : std::nullopt);

    std::optional<std::size_t> best;
    for (std::size_t k = 1; k + 1 < scores.size(); ++k)
        if (scores[k] && (!best || *scores[k] < *scores[*best])) best = k;
    if (!best) return std::nullopt;

    FoldingEstimate estimate;
    estimate.Channel = static_cast<int>(lowest - 1 + static_cast<std::int64_t>(*best));
    estimate.Score = *scores[*best];
    estimate.Fractional = estimate.Channel;
    if (scores[*best - 1] && scores[*best + 1]) {
        const double left = *scores[*best - 1];
        const double right = *scores[*best + 1];
        const double curvature = left - 2.0 * estimate.Score + right;
        // The vertex of the parabola; a neighbour beyond the candidates may score lower.
        if (curvature > 0.0)
            estimate.Fractional += std::clamp(0.5 * (left - right) / curvature, -0.5, 0.5);
    }
    return estimate;
}

} // namespace trv
