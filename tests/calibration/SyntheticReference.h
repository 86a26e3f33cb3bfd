#pragma once

// Synthetic reference spectra with a known velocity scale, as a constant-acceleration drive
// records them: a triangular sweep turning at c - 1/2, Lorentzian lines sampled at each
// channel's velocity, a baseline that sags towards the ends of the sweep, Poisson noise.

#include <cmath>
#include <cstdint>
#include <random>
#include <span>
#include <vector>

namespace trv::synthetic {

struct ReferenceTruth {
    int channels = 1024;
    double c = 512.0;         // folding position: channel k's partner is 2c - 1 - k
    double zero = 255.5;      // folded channel of zero velocity
    double cal = 0.045703125; // mm/s per channel
    double width = 0.28;      // full width at half depth, mm/s
    double outerDepth = 0.12; // depths 3:2:1:1:2:3 of this for a six-line table
    double baseline = 1e5;    // counts per channel at zero velocity
    double sag = 0.015;       // relative drop of the baseline at the largest speeds
};

inline double ExpectedCounts(const ReferenceTruth& t, std::span<const double> lines, int k)
{
    const double n = t.channels;
    const double d = std::fabs(k - (t.c - 0.5));
    const double dist = std::min(d, n - d);
    const double j = t.c - 0.5 - dist;
    const double v = (j - t.zero) * t.cal;
    const double u = 4.0 * dist / n - 1.0;
    const double base = t.baseline * (1.0 - t.sag * u * u); // u = +-1 at the largest speeds
    const double h2 = 0.25 * t.width * t.width;
    static constexpr double kRatios[] = {3, 2, 1, 1, 2, 3};
    double absorption = 0.0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const double ratio = lines.size() == 6 ? kRatios[i] / 3.0 : 1.0;
        const double dv = v - lines[i];
        absorption += t.outerDepth * ratio * h2 / (dv * dv + h2);
    }
    return base * (1.0 - absorption);
}

// One noise realisation; noiseless when rng is null.
inline std::vector<std::uint32_t>
SyntheticReference(const ReferenceTruth& t, std::span<const double> lines, std::mt19937_64* rng)
{
    std::vector<std::uint32_t> counts(static_cast<std::size_t>(t.channels));
    for (int k = 0; k < t.channels; ++k) {
        const double mean = ExpectedCounts(t, lines, k);
        if (rng == nullptr) {
            counts[static_cast<std::size_t>(k)] = static_cast<std::uint32_t>(std::lround(mean));
        }
        else {
            std::poisson_distribution<std::int64_t> noise(mean);
            counts[static_cast<std::size_t>(k)] = static_cast<std::uint32_t>(noise(*rng));
        }
    }
    return counts;
}

} // namespace trv::synthetic
