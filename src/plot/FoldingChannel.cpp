#include "plot/FoldingChannel.h"

#include <algorithm>
#include <cmath>

namespace trv {
namespace {

struct FoldScore {
    double mean = 0.0;      // mean Poisson-weighted squared difference of the folded halves
    std::int64_t pairs = 0; // the pairs it is the mean of
};

// The score of the halves folded about f; empty without pairs.
std::optional<FoldScore> ScoreFold(const std::vector<std::uint32_t>& counts, std::int64_t f,
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
    return FoldScore{sum / static_cast<double>(pairs), pairs};
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
    std::vector<std::int64_t> pairs;
    for (std::int64_t f = lowest - 1; f <= highest + 1; ++f) {
        const auto score = f >= 1 ? ScoreFold(counts, f, first, end) : std::nullopt;
        scores.push_back(score ? std::optional(score->mean) : std::nullopt);
        pairs.push_back(score ? score->pairs : 0);
    }

    std::optional<std::size_t> best;
    std::vector<double> candidates;
    for (std::size_t k = 1; k + 1 < scores.size(); ++k) {
        if (!scores[k]) continue;
        candidates.push_back(*scores[k]);
        if (!best || *scores[k] < *scores[*best]) best = k;
    }
    if (!best) return std::nullopt;

    FoldingEstimate estimate;
    estimate.Channel = static_cast<int>(lowest - 1 + static_cast<std::int64_t>(*best));
    estimate.Score = *scores[*best];
    estimate.Fractional = estimate.Channel;
    // Where only noise differs, a score is a mean of about one per pair with a spread of
    // sqrt(2 / pairs); the best must lie clearly below the typical candidate.
    auto middle = candidates.begin() + static_cast<std::ptrdiff_t>(candidates.size() / 2);
    std::nth_element(candidates.begin(), middle, candidates.end());
    const double noise = std::sqrt(2.0 / static_cast<double>(pairs[*best]));
    estimate.Clear = *middle > estimate.Score * (1.0 + std::max(0.1, 4.0 * noise));
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
