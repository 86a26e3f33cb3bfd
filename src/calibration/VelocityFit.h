#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace trv {

// Line positions (mm/s) of the reference absorber: the six lines of an iron foil at room
// temperature, symmetric about zero.
std::vector<double> DefaultReferenceLines();

// What the fit of a reference spectrum says about the velocity scale. Channel numbers are
// those of the spectrum as saved (N channels after the save-as mode): channel k stands for the
// positions [k, k + 1), and its partner on the other half of the sweep is 2c - 1 - k.
struct VelocityCalibration {
    int channels = 0;    // N
    double fold2x = 0.0; // 2c
    double fold2xErr = 0.0;
    double zero = 0.0; // Z: the folded channel at the centre of the reference pattern
    double zeroErr = 0.0;
    double cal = 0.0; // C: mm/s per channel, reported positive
    double calErr = 0.0;
    double vmax = 0.0; // the largest speed a channel stands for, mm/s
    double chi2dof = 0.0;
    double width = 0.0;               // fitted full width at half depth of the lines, mm/s
    std::vector<double> lineChannels; // the lines' folded channels, Z + p/C, in table order
};

// The fit itself, with what a window needs to draw it.
struct CalibrationFit {
    VelocityCalibration result;
    std::vector<double> model; // fitted counts per channel (unfolded)
    double c = 0.0;            // the folding position
    double signedCal = 0.0;    // C with the sweep's sign as fitted
};

// Fits the reference lines to a spectrum of N channels (both halves of the sweep at once, so
// the folding position comes out of the same fit): Lorentzian lines with free depths and one
// width, on a baseline that curves quadratically over the sweep, Poisson weights scaled by
// varianceScale (0.5 for pair means). Throws AppError with a plain reason when the spectrum
// cannot be calibrated: empty or flat, fewer dips than lines, no convergence.
CalibrationFit FitVelocityCalibration(std::span<const std::uint32_t> counts,
                                      std::span<const double> referenceLines,
                                      double varianceScale = 1.0);

// The spectrum as the save-as mode writes it (ReduceChannels), then the fit.
CalibrationFit CalibrateSpectrum(const std::vector<std::uint32_t>& counts, int channelCount,
                                 int saveAsMode, std::span<const double> referenceLines);

// The folded spectrum for display: channel j sums channel j and its partner (interpolated
// where c is not whole); velocity (j - Z) * C.
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

} // namespace trv
