#pragma once

// How far a running measurement has come, from the spectrum it saved, and how long it still
// needs for a given relative noise of its baseline.

#include "spectrum/Spm.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace trv {

struct MeasurementProgress {
    // A figure, not a model sum: summed in 64 bits, so it never wraps.
    std::uint64_t totalCounts = 0;
    double meanCounts = 0; // per channel
    // From the first stamp to the second, when both decode and the second is the later.
    std::optional<double> measuringSeconds;
    std::optional<double> countRate; // counts per second over measuringSeconds
    // 1 / sqrt(mean counts of a baseline channel); none while the baseline has no counts.
    std::optional<double> baselineNoise;
    double baselineCounts = 0; // mean counts of a baseline channel
};

MeasurementProgress ProgressOf(const SpmSpectrum& spectrum);

// The total counts of a version of the file and when it was seen (seconds on any one clock,
// the file's modification time, say).
struct CountObservation {
    double seconds = 0;
    std::uint64_t totalCounts = 0;
};

// Appends next. Fewer counts than before, or a time not after the last one, start the history
// afresh: a new measurement in the same file, or a clock set back.
void RecordObservation(std::vector<CountObservation>& history, CountObservation next);

inline constexpr double kDefaultTargetNoise = 0.001; // 0.1 %

// Seconds until the baseline's relative noise is down to target, at the count rate seen from
// the first observation to the last; 0 once reached. Nothing with fewer than two observations,
// or while no counts come in.
std::optional<double> SecondsToTargetNoise(const MeasurementProgress& now,
                                           std::span<const CountObservation> history,
                                           double target = kDefaultTargetNoise);

// The figures as lines of plain text for the window, numbers with the user's decimal separator.
std::string FormatProgress(const MeasurementProgress& progress,
                           std::optional<double> secondsToTarget, double target,
                           char decimalSeparator);

} // namespace trv
