#pragma once

// The model the velocity fit adjusts to a reference spectrum, and its least-squares solution
// (GSL's nonlinear least squares). Window-free; used by the velocity fit only.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace trv::velocity {

// Parameter vector: folding position, zero channel, channel width in mm/s, line width,
// baseline level and its linear and quadratic terms over the sweep, then one depth per line.
enum Param : std::size_t { kC = 0, kZero, kCal, kWidth, kBase, kBase1, kBase2, kFirstDepth };

struct LineProblem {
    std::span<const std::uint32_t> counts;
    std::vector<double> lines;    // the table's lines in the model (mm/s)
    std::vector<double> invSigma; // 1/sigma of each channel; 0 for a channel left out
};

// Model counts of channel k: Lorentzian lines with one width on a baseline that curves
// quadratically over a triangular sweep turning at c - 1/2 and, half a sweep away, at
// c - 1/2 + N/2 (taken round the spectrum). When row is given, also their derivatives by
// every parameter; when shiftRow is given, by a shift of each line's own position (mm/s).
double ModelCounts(const LineProblem& p, std::span<const double> x, std::size_t k,
                   double* row = nullptr, double* shiftRow = nullptr);

struct Solution {
    std::vector<double> x;
    std::vector<double> err; // scaled up by sqrt(chi2/dof) when that is above 1
    double chi2dof = 0.0;    // over the channels with a weight
};

// The least-squares fit from start over the channels with a weight, in at most maxIterations
// steps; nothing when it does not converge. Throws AppError when too few channels are left.
std::optional<Solution> Solve(LineProblem& problem, std::vector<double> start,
                              std::size_t maxIterations);

// How far each line sits from where the table puts it, given the rest of the fit at x: one
// Gauss-Newton step with every line free to move on its own, the zero channel and the
// calibration constant held, so that only the table's pattern is put to the test. Shifts in
// mm/s with their uncertainties (scaled up by sqrt(chi2/dof) when above 1), in line order;
// nothing when the step cannot be taken.
struct LineShift {
    double shift;
    double err;
};
std::vector<LineShift> LineShifts(const LineProblem& p, std::span<const double> x, double chi2dof);

} // namespace trv::velocity
