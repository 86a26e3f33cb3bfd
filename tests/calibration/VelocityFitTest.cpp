#include "calibration/VelocityFit.h"
#include "SyntheticReference.h"
#include "calibration/CalFileWriter.h"

#include "calibration/CalFileReader.h"
#include "exp/ExpFile.h"
#include "exp/ExpHeader.h"
#include "platform/AppError.h"
#include "platform/FileIo.h"
#include "spectrum/Spm.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <numeric>
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

// The refusal's text, or a failure when the call went through.
template <typename Call> std::string RefusalOf(Call call)
{
    try {
        call();
    }
    catch (const AppError& e) {
        return e.what();
    }
    ADD_FAILURE() << "no refusal";
    return {};
}

const char* ModeName(int mode)
{
    return mode == kSave1024 ? "1024" : mode == kSave512Add ? "add" : "mean";
}

TEST(VelocityFit, NoiselessSpectraGiveTheTruthInEveryMode)
{
    ReferenceTruth t;
    t.c = 514.25; // off-centre and not whole
    t.zero = 252.8;
    t.cal = 0.0461;
    const auto counts = SyntheticReference(t, kIron, nullptr);
    for (const int mode : {kSave1024, kSave512Add, kSave512Mean}) {
        SCOPED_TRACE(ModeName(mode));
        const CalibrationFit fit = CalibrateSpectrum(counts, 1024, mode, kIron);
        const Expected e = ExpectedFor(t, mode);
        // The 512-channel modes sample each line at two speeds per channel; the lines stay
        // symmetric, so only the widths feel it.
        EXPECT_NEAR(fit.result.fold2x, e.fold2x, 2e-3);
        EXPECT_NEAR(fit.result.zero, e.zero, 2e-3);
        EXPECT_NEAR(fit.result.cal / e.cal, 1.0, 5e-5);
        EXPECT_EQ(fit.result.channels, mode == kSave1024 ? 1024 : 512);
        ASSERT_EQ(fit.result.lineChannels.size(), 6u);
        EXPECT_NEAR(fit.result.lineChannels[0], e.zero + kIron[0] / e.cal, 5e-3);
    }
}

TEST(VelocityFit, ReversedSweepReportsAPositiveConstant)
{
    ReferenceTruth t;
    t.cal = -0.045703125;
    const auto counts = SyntheticReference(t, kIron, nullptr);
    const CalibrationFit fit = FitVelocityCalibration(counts, kIron);
    EXPECT_NEAR(fit.result.cal, 0.045703125, 1e-6);
    EXPECT_NEAR(fit.result.zero, 255.5, 1e-3);
    EXPECT_NEAR(fit.result.fold2x, 1024.0, 1e-3);
}

// Over many noise realisations the mean error stays far below a hundredth of a channel and
// the reported uncertainties are honest: errors divided by them spread with a standard
// deviation near one.
TEST(VelocityFit, NoisySpectraAreUnbiasedWithHonestUncertainties)
{
    constexpr int kRealisations = 200;
    std::mt19937_64 rng(20261207);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    std::printf(
        "mode  fit  mean err 2c  mean err Z  mean rel err C  pull sd 2c  pull sd Z  pull sd C\n");
    for (const int mode : {kSave1024, kSave512Add, kSave512Mean}) {
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
            const auto counts = SyntheticReference(t, kIron, &rng);
            const CalibrationFit fit = CalibrateSpectrum(counts, 1024, mode, kIron);
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
        double mean[3];
        double spread[3];
        for (int i = 0; i < 3; ++i) {
            mean[i] = sum[i] / kRealisations;
            const double pm = pullSum[i] / kRealisations;
            spread[i] = std::sqrt(pullSq[i] / kRealisations - pm * pm);
        }
        std::printf("%-5s %4d  %11.5f  %10.5f  %13.5f%%  %10.3f  %9.3f  %9.3f\n", ModeName(mode),
                    kRealisations, mean[0], mean[1], 100.0 * mean[2], spread[0], spread[1],
                    spread[2]);
        SCOPED_TRACE(ModeName(mode));
        EXPECT_LT(std::fabs(mean[0]), 0.02);
        EXPECT_LT(std::fabs(mean[1]), 0.02);
        EXPECT_LT(std::fabs(mean[2]), 2e-4);
        for (int i = 0; i < 3; ++i) {
            EXPECT_GT(spread[i], 0.8) << i;
            EXPECT_LT(spread[i], 1.25) << i;
        }
    }
}

TEST(VelocityFit, BundledIronSampleAgreesWithItsGenerator)
{
    const std::string bytes = ReadWholeFile(TRV_SOURCE_DIR "/samples/ha1001-fe-foil.spm");
    const SpmSpectrum spm = ParseSpmImage(bytes, "ha1001-fe-foil.spm", LocaleFormats::Fixed());
    // The generator's sweep: 2 x 11.7 mm/s over 512 channels, centred, folded at 512.
    ReferenceTruth raw;
    raw.zero = 255.5;
    raw.cal = 23.4 / 512.0;
    for (const int mode : {kSave1024, kSave512Add, kSave512Mean}) {
        SCOPED_TRACE(ModeName(mode));
        const VelocityCalibration v = CalibrateSpectrum(spm.counts, 1024, mode, kIron).result;
        const Expected e = ExpectedFor(raw, mode);
        EXPECT_NEAR(v.fold2x, e.fold2x, 3.0 * v.fold2xErr);
        EXPECT_NEAR(v.zero, e.zero, 3.0 * v.zeroErr);
        // The generator's line positions differ from the table's by up to half a thousandth.
        EXPECT_NEAR(v.cal, e.cal, 3.0 * v.calErr + e.cal * 1e-4);
        EXPECT_LT(v.chi2dof, 1.3);
    }
}

TEST(VelocityFit, SpectraThatCannotBeCalibratedAreRefusedWithTheirReason)
{
    const std::vector<std::uint32_t> empty(1024, 0);
    const std::vector<std::uint32_t> flat(1024, 100000);
    ReferenceTruth t;
    const std::vector<double> four = {-3.0835, -0.8385, 0.8385, 3.0835};
    const auto fourDips = SyntheticReference(t, four, nullptr);
    struct Case {
        const char* name;
        const std::vector<std::uint32_t>* counts;
        const char* message;
    } cases[] = {
        {"empty", &empty, "the spectrum is empty"},
        {"flat", &flat, "the spectrum is flat"},
        {"four lines", &fourDips, "found 4 dips; the reference table has 6"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_THAT(RefusalOf([&] { FitVelocityCalibration(*c.counts, kIron); }),
                    HasSubstr(c.message));
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
        {512.0, 999.996, 0.0457, kFolding512Mask, "zero speed channel"},
        {512.0, -0.01, 0.0457, kFolding512Mask, "zero speed channel"},
        {512.0, 127.5, 9.999996, kFolding512Mask, "calibration constant"},
    };
    for (const Bad& b : bad) {
        SCOPED_TRACE(b.message);
        r.fold2x = b.fold2x;
        r.zero = b.zero;
        r.cal = b.cal;
        const std::string refusal = RefusalOf([&] { CalibrationFieldTexts(r, EditMask(b.mask)); });
        EXPECT_THAT(refusal, HasSubstr(b.message));
        EXPECT_THAT(refusal, HasSubstr("does not fit"));
    }
}

// The written file loads into exactly the fields the results give, in all three modes, and
// nothing in the descriptive lines can shift the four value lines.
TEST(CalFile, WrittenFileLoadsBackIntoTheSameFields)
{
    const auto counts = SyntheticReference(ReferenceTruth{}, kIron, nullptr);
    for (const int mode : {kSave1024, kSave512Add, kSave512Mean}) {
        SCOPED_TRACE(ModeName(mode));
        ExpHeader header;
        ApplySaveAsModeChange(header, mode);
        const VelocityCalibration r = CalibrateSpectrum(counts, 1024, mode, kIron).result;
        CalibrationSource source{"ref\r\nx=1.spm", "12:00\r", "2026-12-07", ModeName(mode)};
        const std::string file =
            FormatCalibrationFile(r, header.FoldingChannel.Mask(), source, kIron);
        EXPECT_EQ(std::count(file.begin(), file.end(), '\r'), 9);
        EXPECT_TRUE(file.ends_with("\r\n"));

        ExpHeader loaded = header;
        ApplyCalibration(loaded, ParseCalibration(file));
        ExpHeader applied = header;
        ApplyCalibration(applied, CalibrationFieldTexts(r, header.FoldingChannel.Mask()));
        EXPECT_EQ(loaded.Channels, applied.Channels);
        EXPECT_EQ(loaded.CalibrationConstant.Text(), applied.CalibrationConstant.Text());
        EXPECT_EQ(loaded.FoldingChannel.Text(), applied.FoldingChannel.Text());
        EXPECT_EQ(loaded.ZeroSpeedChannel.Text(), applied.ZeroSpeedChannel.Text());
        EXPECT_EQ(loaded.FoldingChannel.Text(), mode == kSave1024 ? "1024.0000" : "512.0000");
        EXPECT_EQ(loaded.ZeroSpeedChannel.Text(), mode == kSave1024 ? "255.50" : "127.50");
        EXPECT_EQ(loaded.Channels, mode == kSave1024 ? "1024" : "512");
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
