#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace trv {

// Line positions (mm/s) of the reference absorber: the six lines of an iron foil at room
// temperature, symmetric about zero.
std::vector<double> DefaultReferenceLines();

// A channel the fit left out: one asked for, or one found far outside its counting noise (a
// channel counted only part of the time, say).
struct ExcludedChannel {
    int channel = 0;
    bool automatic = false; // found by the fit, not asked for
    double residual = 0.0;  // (counts - model) / sigma under the final fit
};

// What the fit of a reference spectrum says about the velocity scale. Channel numbers are
// those of the spectrum as saved (N channels after the save-as mode): channel k stands for the
// positions [k, k + 1), and its partner on the other half of the sweep is 2c - 1 - k, taken
// round the spectrum (modulo N) when the turning point lies off the middle.
struct VelocityCalibration {
    int channels = 0;    // N
    double fold2x = 0.0; // 2c, with c within N/4 of the middle (a sweep turns twice)
    double fold2xErr = 0.0;
    double zero = 0.0;    // Z: the folded channel of zero velocity (may lie below 0 when
    double zeroErr = 0.0; // the turning point lies far off the middle)
    double cal = 0.0;     // C: mm/s per channel, reported positive
    double calErr = 0.0;
    double vmax = 0.0;                // the largest speed a channel stands for, mm/s
    double chi2dof = 0.0;             // over the channels kept
    double width = 0.0;               // fitted full width at half depth of the lines, mm/s
    std::vector<double> usedLines;    // the table's lines the fit used (mm/s), in table order:
                                      // all of them unless the outer ones lie beyond the sweep
    std::vector<double> lineChannels; // the used lines' folded channels, Z + p/C, in that order
    std::vector<ExcludedChannel> excluded; // every channel left out, ascending
    std::vector<std::string> warnings;     // things the user should know about a good fit
    bool poorFit = false;                  // converged, but the lines describe the spectrum poorly
    std::string poorFitReason;
};

// The fit itself, with what a window needs to draw it.
struct CalibrationFit {
    VelocityCalibration result;
    std::vector<double> model; // fitted counts per channel (unfolded)
    double c = 0.0;            // the folding position
    double signedCal = 0.0;    // C with the sweep's sign as fitted
};

// Choices beyond the spectrum and the line table.
struct CalibrationOptions {
    std::vector<int> excludedChannels; // channels of the saved spectrum to leave out
    bool excludeStrayChannels = true;  // leave out a few isolated channels far outside their noise
};

// Channels to leave out as the user writes them: channel numbers (0..1023) and ranges, separated
// by commas ("0,511", "0-3,510"); blanks around each are allowed. Nothing when the text is not
// such a list.
std::optional<std::vector<int>> ParseChannelList(std::string_view text);
// What such a list looks like, for a refusal.
inline constexpr const char* kChannelListForm =
    "expected channels 0..1023 and ranges, such as 0,511 or 0-3";

// A fit whose chi2/dof is above this is flagged as poor: clean reference foils stay below it.
inline constexpr double kPoorFitChi2 = 5.0;

// Fits the reference lines to a spectrum of N channels (both halves of the sweep at once, so
// the folding position comes out of the same fit): Lorentzian lines with free depths and one
// width, on a baseline that curves quadratically over the sweep, Poisson weights scaled by
// varianceScale (0.5 for pair means). The turning point may lie anywhere: the sweep is taken
// round the spectrum. When fewer dips show than the table has lines, the table's lines that
// match the dips' spacing are used, provided the others lie beyond the sweep. A few isolated
// channels far outside their noise are left out and the fit redone.
// Throws AppError with a plain reason when the spectrum cannot be calibrated or the fit cannot
// be right: empty, flat or wrapped counts, a table line listed twice, too few dips, no
// convergence, a line that comes out as no dip or outside the sweep, uncertainties that say
// nothing. A fit that converged but describes the spectrum poorly comes back with poorFit.
CalibrationFit FitVelocityCalibration(std::span<const std::uint32_t> counts,
                                      std::span<const double> referenceLines,
                                      double varianceScale = 1.0,
                                      const CalibrationOptions& options = {});

// The spectrum as the save-as mode writes it (ReduceChannels), then the fit. The options'
// channels are those of the saved spectrum.
CalibrationFit CalibrateSpectrum(const std::vector<std::uint32_t>& counts, int channelCount,
                                 int saveAsMode, std::span<const double> referenceLines,
                                 const CalibrationOptions& options = {});

// The folded spectrum for display: folded channel j (from c - 1/2 - N/2 to c - 1/2, taken
// round the spectrum) sums its channel and the partner (interpolated where c is not whole);
// velocity (j - Z) * C. Points with a channel the fit left out are not shown.
struct FoldedSpectrum {
    std::vector<double> velocity;
    std::vector<double> counts;
    std::vector<double> model;
    std::vector<double> residual; // (counts - model) / sigma
};
FoldedSpectrum FoldForDisplay(std::span<const std::uint32_t> counts, const CalibrationFit& fit,
                              double varianceScale = 1.0);

// x as plain decimal text with at least `significant` significant digits, '.' as the point
// whatever the locale.
std::string PlainDecimal(double x, int significant);

// "fold2x=F fold2x_err=dF zero=Z zero_err=dZ cal=C cal_err=dC vmax=V chi2dof=X"
std::string CalibrationSummary(const VelocityCalibration& result);

// The notes a result carries beyond its numbers, one line each without a line end: channels
// left out, the lines used when not all of referenceLines, warnings, and a poor fit last
// ("poor fit: " and the reason). Empty for a clean fit.
std::vector<std::string> CalibrationNotes(const VelocityCalibration& result,
                                          std::span<const double> referenceLines);

} // namespace trv
