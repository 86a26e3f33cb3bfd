#include "calibration/VelocityFit.h"
#include "SyntheticReference.h"
#include "calibration/CalFileWriter.h"
#include "calibration/SweepReading.h"
#include "support/FaultFolders.h"

#include "calibration/CalFileReader.h"
#include "exp/ExpFile.h"
#include "exp/ExpHeader.h"
#include "platform/AppError.h"
#include "platform/FileIo.h"
#include "spectrum/Spm.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>

namespace trv {
namespace {

using ::testing::HasSubstr;
using trv::synthetic::ReferenceTruth;
using trv::synthetic::SyntheticReference;

const std::vector<double> kIron = DefaultReferenceLines();

// What a raw 1024-channel truth becomes in the saved spectrum of a mode.
struct Expected {
    double fold2x;
    double zero;
    double cal;
};

Expected ExpectedFor(const ReferenceTruth& raw, int mode)
{
    if (mode == kSave1024) return {2.0 * raw.c, raw.zero, raw.cal};
    return {raw.c, (raw.zero - 0.5) / 2.0, 2.0 * raw.cal};
}

// The truth of a spectrum turned round by `by` channels (the same measurement started that
// much later in the drive's cycle): the mirror point moves with the channels, and of the two
// a sweep has, half a sweep apart, the one nearest nearC is given (folding at the other reads
// the velocities backwards, from another zero channel).
Expected RotatedTruth(Expected e, double n, double by, double nearC)
{
    double c = e.fold2x / 2.0 + by;
    double zero = e.zero + by;
    while (c - nearC > n / 4.0) {
        zero = 2.0 * c - 1.0 - n - zero;
        c -= n / 2.0;
    }
    while (nearC - c > n / 4.0) {
        zero = 2.0 * c - 1.0 - zero;
        c += n / 2.0;
    }
    return {2.0 * c, zero, e.cal};
}

std::vector<std::uint32_t> Rotated(std::vector<std::uint32_t> counts, int by)
{
    std::rotate(counts.rbegin(), counts.rbegin() + by, counts.rend());
    return counts;
}

void ExpectTruthWithin3Sigma(const VelocityCalibration& v, const Expected& e, double calSlack = 0.0)
{
    EXPECT_NEAR(v.fold2x, e.fold2x, 3.0 * v.fold2xErr);
    EXPECT_NEAR(v.zero, e.zero, 3.0 * v.zeroErr);
    EXPECT_NEAR(v.cal, e.cal, 3.0 * v.calErr + e.cal * calSlack);
}

// The six lines of a sextet with another field (T), centre shift and quadrupole shift (mm/s,
// outer lines up, inner ones down): other iron compounds than the reference.
std::vector<double> Sextet(double field, double shift, double quadrupole)
{
    std::vector<double> lines;
    for (std::size_t i = 0; i < kIron.size(); ++i) {
        const bool outer = i == 0 || i + 1 == kIron.size();
        lines.push_back(kIron[i] * field / 33.0 + shift + (outer ? quadrupole : -quadrupole));
    }
    return lines;
}

const std::vector<std::uint32_t>& BundledIronCounts()
{
    static const std::vector<std::uint32_t> counts = [] {
        const std::string bytes = ReadWholeFile(TRV_SOURCE_DIR "/samples/ha1001-fe-foil.spm");
        return ParseSpmImage(bytes, "ha1001-fe-foil.spm", LocaleFormats::Fixed()).counts;
    }();
    return counts;
}

const char* ModeName(int mode)
{
    return mode == kSave1024 ? "1024" : mode == kSave512Add ? "add" : "mean";
}

// The bundled foil's sweep at 512 channels: +-11.7 mm/s, the turning point in the middle.
const ReferenceTruth kFoil512{.channels = 512, .c = 256.0, .zero = 127.5, .cal = 23.4 / 256.0};

// Turning 2.5 channels early: the five last channels have no partner, and the warning names
// them.
TEST(VelocityFit, ReversedSweepReportsAPositiveConstant)
{
    const ReferenceTruth t{.c = 509.5, .zero = 253.0, .cal = -0.045703125};
    const auto counts = SyntheticReference(t, kIron, nullptr);
    const CalibrationFit fit = FitVelocityCalibration(counts, kIron);
    EXPECT_NEAR(fit.result.cal, 0.045703125, 1e-6);
    EXPECT_NEAR(fit.result.zero, 253.0, 1e-3);
    EXPECT_NEAR(fit.result.fold2x, 1019.0, 1e-3);
    ASSERT_EQ(fit.result.warnings.size(), 1u);
    EXPECT_THAT(fit.result.warnings[0],
                HasSubstr("the turning point lies 2.5 channels off the middle: folding at 1019 "
                          "leaves 5 channels without a partner (1019-1023)"));
}

// Over many noise realisations the mean error stays far below a hundredth of a channel and
// the reported uncertainties are honest: errors divided by them spread with a standard
// deviation near one. Uncertainties that are too large pass every single-spectrum check.
TEST(VelocityFit, NoisySpectraAreUnbiasedWithHonestUncertainties)
{
    constexpr int kRealisations = 200;
    std::mt19937_64 rng(20261207);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    for (const int mode : {kSave1024, kSave512Add, kSave512Mean}) {
        SCOPED_TRACE(ModeName(mode));
        double sum[3] = {};
        double pullSum[3] = {};
        double pullSq[3] = {};
        for (int r = 0; r < kRealisations; ++r) {
            ReferenceTruth t;
            t.baseline = std::pow(10.0, 5.0 + unit(rng));
            t.width = 0.25 + 0.10 * unit(rng);
            t.outerDepth = 0.05 + 0.10 * unit(rng);
            t.c = 512.0 + 6.0 * (unit(rng) - 0.5);
            t.zero = t.c - 0.5 - 256.0 + 4.0 * (unit(rng) - 0.5);
            t.cal = 0.0457 * (1.0 + 0.02 * (unit(rng) - 0.5));
            t.sag = 0.01 + 0.01 * unit(rng);
            const CalibrationFit fit =
                CalibrateSpectrum(SyntheticReference(t, kIron, &rng), 1024, mode, kIron);
            const Expected e = ExpectedFor(t, mode);
            const VelocityCalibration& v = fit.result;
            const double err[3] = {v.fold2x - e.fold2x, v.zero - e.zero, (v.cal - e.cal) / e.cal};
            const double pull[3] = {err[0] / v.fold2xErr, err[1] / v.zeroErr,
                                    err[2] * e.cal / v.calErr};
            for (int i = 0; i < 3; ++i) {
                sum[i] += err[i];
                pullSum[i] += pull[i];
                pullSq[i] += pull[i] * pull[i];
            }
        }
        EXPECT_LT(std::fabs(sum[0] / kRealisations), 0.02);
        EXPECT_LT(std::fabs(sum[1] / kRealisations), 0.02);
        EXPECT_LT(std::fabs(sum[2] / kRealisations), 2e-4);
        for (int i = 0; i < 3; ++i) {
            const double meanPull = pullSum[i] / kRealisations;
            const double spread = std::sqrt(pullSq[i] / kRealisations - meanPull * meanPull);
            EXPECT_GT(spread, 0.8) << i;
            EXPECT_LT(spread, 1.25) << i;
        }
    }
}

// The same measurement started later in the drive's cycle, by every 8th channel round the
// whole spectrum, in every mode: the mirror point nearest the middle and the truth there, and
// a warning where folding about it leaves channels without a partner. Unturned, the bundled
// sample agrees with its generator with nothing left out, flagged or dropped.
TEST(VelocityFit, TurningPointAnywhereGivesTheRotatedTruth)
{
    std::mt19937_64 rng(20261209);
    const ReferenceTruth foil{.c = 513.5, .zero = 257.2};
    const struct {
        const char* name;
        std::vector<std::uint32_t> counts;
        ReferenceTruth truth;
        double calSlack;
    } sources[] = {
        // The generator's sweep: 2 x 11.7 mm/s over 512 channels, centred, folded at 512. Its
        // line positions differ from the table's by up to half a thousandth.
        {"bundled iron foil", BundledIronCounts(), {.zero = 255.5, .cal = 23.4 / 512.0}, 1e-4},
        {"synthetic foil", SyntheticReference(foil, kIron, &rng), foil, 0.0},
    };
    for (const auto& source : sources) {
        for (const int mode : {kSave1024, kSave512Add, kSave512Mean}) {
            const int n = mode == kSave1024 ? 1024 : 512;
            const int perChannel = 1024 / n; // raw channels in a saved one
            for (int by = 0; by < n; by += 8) {
                SCOPED_TRACE(std::string(source.name) + ", " + ModeName(mode) + ", turned by " +
                             std::to_string(by));
                const CalibrationFit fit =
                    CalibrateSpectrum(Rotated(source.counts, by * perChannel), 1024, mode, kIron);
                const VelocityCalibration& v = fit.result;
                EXPECT_LE(std::fabs(fit.c - n / 2.0), n / 4.0 + 0.01);
                ExpectTruthWithin3Sigma(v,
                                        RotatedTruth(ExpectedFor(source.truth, mode), n, by, fit.c),
                                        source.calSlack);
                EXPECT_EQ(v.warnings.size(),
                          std::nearbyint(std::fabs(v.fold2x - n)) >= 1.0 ? 1u : 0u);
                EXPECT_FALSE(v.poorFit);
                if (by == 0 && source.calSlack > 0.0) {
                    EXPECT_LT(v.chi2dof, 1.3);
                    EXPECT_TRUE(v.excluded.empty());
                    EXPECT_EQ(v.usedLines, kIron);
                }
            }
        }
    }
}

// A channel counted only part of the time is left out, named, and spoils nothing; channels
// asked for are left out and named too.
TEST(VelocityFit, StrayAndChosenChannelsAreLeftOutAndNamed)
{
    const ReferenceTruth t = kFoil512;
    std::mt19937_64 rng(7);
    std::vector<std::uint32_t> counts = SyntheticReference(t, kIron, &rng);
    const double cleanChi2 = FitVelocityCalibration(counts, kIron).result.chi2dof;
    counts[0] = static_cast<std::uint32_t>(counts[0] * 0.3);
    const struct {
        std::vector<int> given;
        std::vector<std::pair<int, bool>> leftOut; // channel, found by the fit
        const char* note;
    } cases[] = {
        {{}, {{0, true}}, "channels left out of the fit: 0 (far outside its noise: -"},
        {{0, 511},
         {{0, false}, {511, false}},
         "channels left out of the fit: 0 (asked for), 511 (asked for)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.note);
        CalibrationOptions options;
        options.excludedChannels = c.given;
        const VelocityCalibration v = FitVelocityCalibration(counts, kIron, 1.0, options).result;
        std::vector<std::pair<int, bool>> leftOut;
        for (const ExcludedChannel& e : v.excluded)
            leftOut.emplace_back(e.channel, e.automatic);
        EXPECT_EQ(leftOut, c.leftOut);
        EXPECT_NEAR(v.chi2dof / cleanChi2, 1.0, 0.2);
        ExpectTruthWithin3Sigma(v, {2.0 * t.c, t.zero, t.cal});
        EXPECT_THAT(CalibrationNotes(v, kIron).front(), HasSubstr(c.note));
    }
}

// A sweep too narrow for the outer lines is calibrated on the lines inside it.
TEST(VelocityFit, NarrowSweepIsCalibratedOnTheLinesInside)
{
    const ReferenceTruth t{.cal = 9.0 / 512.0}; // +-4.5 mm/s
    std::mt19937_64 rng(11);
    const std::vector<std::uint32_t> counts = SyntheticReference(t, kIron, &rng);
    const VelocityCalibration v = CalibrateSpectrum(counts, 1024, kSave512Add, kIron).result;
    ExpectTruthWithin3Sigma(v, ExpectedFor(t, kSave512Add));
    EXPECT_EQ(v.usedLines, std::vector<double>(kIron.begin() + 1, kIron.end() - 1));
    EXPECT_EQ(v.lineChannels.size(), 4u);
    EXPECT_FALSE(v.poorFit);
    EXPECT_EQ(CalibrationNotes(v, kIron),
              std::vector<std::string>{"lines used (mm/s): -3.0835 -0.8385 0.8385 3.0835; "
                                       "the others lie beyond the sweep"});
}

// Spectra of other iron compounds are no reference: their fits are refused or flagged as
// poor, whatever the counts. A clean foil whose baseline the model follows only roughly
// (chi2/dof about 3, as real foils give) is neither.
TEST(VelocityFit, OtherCompoundsAreNotTakenForTheReference)
{
    const ReferenceTruth t = kFoil512;
    auto spectrum = [&](double baseline, const std::vector<double>& lines) {
        std::mt19937_64 rng(3);
        ReferenceTruth s = t;
        s.baseline = baseline;
        return SyntheticReference(s, lines, &rng);
    };
    std::vector<std::uint32_t> rippled = spectrum(1e6, kIron);
    for (std::size_t k = 0; k < rippled.size(); ++k) {
        const double d = std::fabs(static_cast<double>(k) - 255.5);
        rippled[k] = static_cast<std::uint32_t>(rippled[k] * (1.0 + 0.0025 * std::cos(d / 20.0)));
    }
    // What the poor fit says, before its closing words; "" for the reference itself.
    const char* kSits = " mm/s off the table's pattern; ";
    const struct {
        const char* name;
        std::vector<std::uint32_t> counts;
        std::string reason;
    } cases[] = {
        {"hematite, 1e5 counts", spectrum(1e5, Sextet(51.8, 0.37, -0.1)),
         std::string("chi2/dof 8.52 is above 5; the line at -3.0835 mm/s sits 0.11 +/- 0.01") +
             kSits},
        {"20 T, quadrupole shift", spectrum(1e5, Sextet(20.0, 0.3, 0.15)), "(refused)"},
        {"iron foil, rippled baseline", rippled, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const bool reference = c.reason.empty();
        try {
            const VelocityCalibration v = FitVelocityCalibration(c.counts, kIron).result;
            EXPECT_EQ(v.poorFit, !reference) << v.poorFitReason;
            if (reference)
                EXPECT_GT(v.chi2dof, 2.0); // the case is the one it means to be
            else
                EXPECT_EQ(v.poorFitReason,
                          c.reason + "the reference lines do not describe this spectrum (not the "
                                     "reference absorber, or not its line table?)");
        }
        catch (const AppError& e) {
            EXPECT_EQ(c.reason, "(refused)") << e.what();
        }
    }
}

TEST(VelocityFit, SpectraThatCannotBeCalibratedAreRefusedWithTheirReason)
{
    ReferenceTruth t;
    const std::vector<double> inner(kIron.begin() + 1, kIron.end() - 1);
    const auto foil = SyntheticReference(t, kIron, nullptr);
    std::vector<std::uint32_t> wrapped = foil;
    for (std::size_t k = 600; k < 610; ++k)
        wrapped[k] = 4294967196u; // 100 below zero
    std::vector<double> twice = kIron;
    twice[4] = twice[3];
    std::vector<double> shifted = kIron;
    for (double& line : shifted)
        line += 1.0;
    const ReferenceTruth pair{.outerDepth = 0.05, .baseline = 1e4};
    const std::vector<double> close = {-0.3, 0.3};
    std::mt19937_64 rng(1);
    const struct {
        const char* name;
        std::vector<std::uint32_t> counts;
        std::vector<double> lines;
        const char* message;
    } cases[] = {
        {"empty", std::vector<std::uint32_t>(1024, 0), kIron, "the spectrum is empty"},
        {"flat", std::vector<std::uint32_t>(1024, 100000), kIron, "the spectrum is flat"},
        {"one line", SyntheticReference(t, std::vector<double>{0.3}, nullptr), kIron,
         "found 1 dip; the reference table has 6"},
        {"four lines in a wide sweep", SyntheticReference(t, inner, nullptr), kIron,
         "the line at -5.3285 mm/s falls inside the sweep (-11.7 to 11.7 mm/s), but the "
         "spectrum shows no dip there"},
        {"a table line twice", foil, twice,
         "the reference table lists the line at 0.8385 mm/s twice"},
        {"table off the dips", foil, shifted,
         "does not come out as a dip (fitted depth -0.0074 +/- 0.0058)"},
        {"wrapped below zero", wrapped, kIron,
         "channel 600 holds 4294967196 counts, near 2^32: the spectrum went below zero"},
        {"two close lines, few counts", SyntheticReference(pair, close, &rng), close,
         "the calibration constant comes out uncertain by "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_THAT(faults::ErrorOf([&] { FitVelocityCalibration(c.counts, c.lines); }),
                    HasSubstr(c.message));
    }
    // Raw channels 600-609 wrapped: a pair mode names them by their saved channels 300-304,
    // and leaving those out lets the fit go on.
    CalibrationOptions savedOut;
    savedOut.excludedChannels = {300, 301, 302, 303, 304};
    EXPECT_NO_THROW(CalibrateSpectrum(wrapped, 1024, kSave512Add, kIron, savedOut));
}

// The folded view the calibration window draws: every folded channel once, counts and model
// from the same two channels, none where a channel it needs was left out.
TEST(VelocityFit, FoldedViewPairsEachChannelWithItsPartner)
{
    const ReferenceTruth t = kFoil512;
    std::mt19937_64 rng(5);
    const std::vector<std::uint32_t> counts = SyntheticReference(t, kIron, &rng);
    CalibrationOptions options;
    options.excludedChannels = {100};
    const CalibrationFit fit = FitVelocityCalibration(counts, kIron, 1.0, options);
    ASSERT_NE(fit.c, std::round(fit.c)); // partners fall between channels
    const FoldedSpectrum folded = FoldForDisplay(counts, fit);
    ASSERT_EQ(folded.velocity.size(), 255u); // of 256: the one channel 100 gives is missing
    double largest = 0.0;
    for (std::size_t i = 0; i < folded.velocity.size(); ++i) {
        EXPECT_LT(std::fabs(folded.residual[i]), 5.0) << folded.velocity[i];
        EXPECT_NEAR(folded.model[i] / folded.counts[i], 1.0, 0.02) << folded.velocity[i];
        largest = std::max(largest, std::fabs(folded.velocity[i]));
    }
    EXPECT_NEAR(largest, 11.7, 0.1);
}

// A turning point between two channels is found to a tenth of a channel, not just to the
// nearest half.
TEST(VelocityFit, MirrorPointBetweenChannels)
{
    for (const double c : {256.3, 255.75, 256.5}) {
        ReferenceTruth t = kFoil512;
        t.c = c;
        t.zero = c - 0.5 - 128.0;
        const std::vector<std::uint32_t> counts = SyntheticReference(t, kIron, nullptr);
        const std::vector<double> found =
            velocity::MirrorCandidates(counts, std::vector<char>(512, 0), 1.0);
        double nearest = 1e9; // the other is the mirror point at zero velocity
        for (const double f : found)
            nearest = std::min(nearest, std::fabs(f - c));
        EXPECT_LT(nearest, 0.1) << c;
    }
}

TEST(CalFile, FieldTextsFitTheMasksOrAreRefused)
{
    VelocityCalibration r;
    r.channels = 512;
    r.fold2x = 511.99996;
    r.zero = 45.204;
    r.cal = 0.0914062;
    const CalibrationValues v = CalibrationFieldTexts(r, EditMask(kFolding512Mask));
    EXPECT_EQ(v.channels, "512");
    EXPECT_EQ(v.calibrationConstant, "0.09141");
    EXPECT_EQ(v.foldingChannel, "512.0000");
    EXPECT_EQ(v.zeroSpeedChannel, "045.20"); // zero-padded: a blank would read as a space
    r.fold2x = 1024.00004;
    EXPECT_EQ(CalibrationFieldTexts(r, EditMask(kFolding1024Mask)).foldingChannel, "1024.0000");

    struct Bad {
        double fold2x, zero, cal;
        const char* mask;
        const char* message;
    } bad[] = {
        {1024.0, 255.5, 0.0457, kFolding512Mask, "doubled folding channel 1024.0000"},
        {512.0, -0.01, 0.0457, kFolding512Mask, "zero speed channel"},
        {512.0, 127.5, 9.999996, kFolding512Mask, "calibration constant"},
    };
    for (const Bad& b : bad) {
        SCOPED_TRACE(b.message);
        r.fold2x = b.fold2x;
        r.zero = b.zero;
        r.cal = b.cal;
        const std::string refusal =
            faults::ErrorOf([&] { CalibrationFieldTexts(r, EditMask(b.mask)); });
        EXPECT_THAT(refusal, HasSubstr(b.message));
        EXPECT_THAT(refusal, HasSubstr("does not fit"));
    }
}

// The written file loads into exactly the fields the results give, in all three modes, and
// nothing in the descriptive lines can shift the four value lines; the notes follow them.
TEST(CalFile, WrittenFileLoadsBackIntoTheSameFields)
{
    auto counts = SyntheticReference(ReferenceTruth{}, kIron, nullptr);
    counts[0] /= 3; // counted a third of the time: a note
    for (const int mode : {kSave1024, kSave512Add, kSave512Mean}) {
        SCOPED_TRACE(ModeName(mode));
        ExpHeader header;
        ApplySaveAsModeChange(header, mode);
        const VelocityCalibration r = CalibrateSpectrum(counts, 1024, mode, kIron).result;
        CalibrationSource source{"ref\r\nx=1.spm", "12:00\r", "2026-12-07", ModeName(mode)};
        const std::string file =
            FormatCalibrationFile(r, header.FoldingChannel.Mask(), source, kIron);
        EXPECT_EQ(std::count(file.begin(), file.end(), '\r'), 10);
        EXPECT_THAT(
            file,
            HasSubstr("\r\nzero speed channel=" +
                      CalibrationFieldTexts(r, header.FoldingChannel.Mask()).zeroSpeedChannel +
                      "\r\nNote: channels left out of the fit: 0 (far outside its "
                      "noise: -"));
        EXPECT_TRUE(file.ends_with(" sigma)\r\n"));

        ExpHeader loaded = header;
        ApplyCalibration(loaded, ParseCalibration(file));
        ExpHeader applied = header;
        ApplyCalibration(applied, CalibrationFieldTexts(r, header.FoldingChannel.Mask()));
        EXPECT_EQ(FormatExpFile(loaded, {}, 0, 0), FormatExpFile(applied, {}, 0, 0));
    }
}

TEST(CalFile, SummaryIsPlainDecimalWhateverTheNumbers)
{
    VelocityCalibration r;
    r.fold2x = 1024.000123;
    r.fold2xErr = 0.00346;
    r.zero = 255.49;
    r.zeroErr = 0.0021;
    r.cal = 0.0457031;
    r.calErr = 3.1e-6;
    r.vmax = 11.677;
    r.chi2dof = 1.0123;
    EXPECT_EQ(CalibrationSummary(r),
              "fold2x=1024.0001 fold2x_err=0.0035 zero=255.49000 zero_err=0.0021 "
              "cal=0.04570310 cal_err=0.0000031 vmax=11.67700 chi2dof=1.01230");
}

} // namespace
} // namespace trv
