// --calibrate: one line of results per file, the calibration file with --write-cal, and
// refusals that name the file and count as failures.
#include "CliTestSupport.h"
#include "calibration/SyntheticReference.h"
#include "support/SpmImages.h"

#include "calibration/CalFileReader.h"
#include "exp/ExpHeader.h"

#include <gmock/gmock.h>

#include <algorithm>
#include <random>
#include <regex>

namespace trv::clitest {
namespace {

using ::testing::HasSubstr;

const std::vector<double> kIron = {-5.3285, -3.0835, -0.8385, 0.8385, 3.0835, 5.3285};

std::string SyntheticFile(const synthetic::ReferenceTruth& truth, const std::vector<double>& lines)
{
    std::mt19937_64 rng(5);
    return test::Pca2Image(synthetic::SyntheticReference(truth, lines, &rng));
}

class CalibrateCli : public ConverterTest {};

// One line of results per file and nothing written but the calibration file asked for, which
// loads into the fields the printed numbers give, under the mode's mask.
TEST_F(CalibrateCli, PrintsOneLinePerFileAndWritesTheCalibrationFile)
{
    Sample("ha1001-fe-foil.spm");
    const RunResult printed = Run({"--calibrate", "--mode", "1024", "ha1001-fe-foil.spm"});
    EXPECT_EQ(printed.status, 0) << printed.err;
    const std::regex line(
        "ha1001-fe-foil\\.spm: fold2x=(1024\\.\\d{4}|1023\\.\\d{4}) fold2x_err=0\\.\\d+ "
        "zero=255\\.\\d+ zero_err=0\\.\\d+ cal=0\\.045\\d+ cal_err=0\\.\\d+ vmax=11\\.\\d+ "
        "chi2dof=\\d\\.\\d+\n");
    EXPECT_TRUE(std::regex_match(printed.out, line)) << printed.out;
    EXPECT_EQ(FolderListing(Dir()), (Names{"ha1001-fe-foil.spm"}));
    for (const char* mode : {"1024", "add", "mean"}) {
        SCOPED_TRACE(mode);
        const RunResult r =
            Run({"--calibrate", "--mode", mode, "--write-cal", "out.cal", "ha1001-fe-foil.spm"});
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(FolderListing(Dir()), (Names{"ha1001-fe-foil.spm", "out.cal"}));
        const std::string file = ReadBytes(Dir() / "out.cal");
        const CalibrationValues v = ParseCalibration(file);
        const bool full = std::string(mode) == "1024";
        EXPECT_EQ(v.channels, full ? "1024" : "512");
        EXPECT_EQ(v.foldingChannel.size(), full ? 9u : 8u);
        EXPECT_THAT(r.out, HasSubstr(" zero=" + v.zeroSpeedChannel.substr(0, 5)));
        EXPECT_THAT(file, HasSubstr("Reference: ha1001-fe-foil.spm, "));
    }
}

// What the user should know about a good fit goes to stderr, one line each, and into the
// calibration file after its values.
TEST_F(CalibrateCli, NotesGoToStderrAndIntoTheCalibrationFile)
{
    // The bundled foil as it is, and turned by 80 channels.
    const std::string foil = ReadBytes(Sample("ha1001-fe-foil.spm"));
    std::string late = foil;
    std::rotate(late.begin() + 512, late.end() - 4 * 80, late.end());
    WriteBytes(Dir() / "late.spm", late);
    const struct {
        Names args;
        const char* summary; // part of the printed line
        std::string note;
    } cases[] = {
        {{"--exclude-channels", "0,510-511", "ha1001-fe-foil.spm"},
         "fold2x=511.9",
         "channels left out of the fit: 0 (asked for), 510 (asked for), 511 (asked for)"},
        {{"late.spm"},
         "fold2x=591.9",
         "warning: the turning point lies 40 channels off the middle: folding at 592.0 leaves 80 "
         "channels without a partner (0-79)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.back());
        const RunResult r = Run(Args({{"--calibrate", "--write-cal", "out.cal"}, c.args}));
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_THAT(r.out, HasSubstr(c.summary));
        EXPECT_EQ(r.err, c.args.back() + ": " + c.note + "\n");
        const std::string file = ReadBytes(Dir() / "out.cal");
        EXPECT_THAT(file, HasSubstr("\r\nNote: " + c.note + "\r\n"));
        EXPECT_THAT(r.out,
                    HasSubstr(" zero=" + ParseCalibration(file).zeroSpeedChannel.substr(0, 5)));
    }
}

// A fit that describes the spectrum poorly fails the file unless it is accepted; a table that
// cannot give a right calibration is refused with its reason.
TEST_F(CalibrateCli, PoorFitsFailUnlessAcceptedAndWrongTablesAreRefused)
{
    synthetic::ReferenceTruth truth;
    std::vector<double> hematite; // another iron compound's sextet
    for (std::size_t i = 0; i < kIron.size(); ++i)
        hematite.push_back(kIron[i] * 51.8 / 33.0 + 0.37 + (i == 0 || i == 5 ? -0.1 : 0.1));
    WriteBytes(Dir() / "hematite.spm", SyntheticFile(truth, hematite));
    Sample("ha1001-fe-foil.spm");
    Sample("ha1002-doublet.spm");
    const struct {
        Names args;
        int status;
        const char* out;
        const char* err;
    } cases[] = {
        {{"hematite.spm"},
         1,
         "",
         "hematite.spm: poor fit: chi2/dof [0-9.]+ is above 5.*; not taken without "
         "--accept-poor-fit\n"},
        {{"--accept-poor-fit", "hematite.spm"},
         0,
         "hematite.spm: fold2x=.*\n",
         "hematite.spm: poor fit: chi2/dof [0-9.]+ is above 5.*\n"},
        {{"ha1002-doublet.spm"},
         1,
         "",
         "ha1002-doublet.spm: found 2 dips; the reference table has 6\n"},
        {{"--lines", "-1,+2,2", "ha1001-fe-foil.spm"},
         1,
         "",
         "ha1001-fe-foil.spm: the reference table lists the line at 2 mm/s twice\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.back());
        const RunResult r = Run(Args({{"--calibrate", "--write-cal", "out.cal"}, c.args}));
        EXPECT_EQ(r.status, c.status);
        EXPECT_TRUE(std::regex_match(r.out, std::regex(c.out))) << r.out;
        EXPECT_TRUE(std::regex_match(r.err, std::regex(c.err))) << r.err;
        EXPECT_EQ(fs::exists(Dir() / "out.cal"), c.status == 0);
        if (c.status == 0) {
            EXPECT_THAT(ReadBytes(Dir() / "out.cal"), HasSubstr("\r\nNote: poor fit: "));
        }
        fs::remove(Dir() / "out.cal");
    }
}

TEST_F(CalibrateCli, UsageAndRefusedOutputs)
{
    const fs::path spm = Sample("ha1001-fe-foil.spm");
    EXPECT_THAT(Run({"--write-cal", "x.cal", "ha1001-fe-foil.spm"}).err,
                HasSubstr("--write-cal needs --calibrate"));
    const RunResult two = Run({"--calibrate", "--write-cal", "x.cal", "a.spm", "b.spm"});
    EXPECT_EQ(two.status, 2);
    EXPECT_THAT(two.err, HasSubstr("--write-cal takes exactly one input file"));
    const struct {
        Names args;
        const char* message;
    } usage[] = {
        {{"--calibrate", "--exclude-channels", "3-1"},
         "invalid value '3-1' for --exclude-channels (expected channels 0..1023 and ranges, such "
         "as 0,511 or 0-3)"},
        {{"--calibrate", "--exclude-channels", "0,,5"},
         "invalid value '0,,5' for --exclude-channels"},
        {{"--calibrate", "--exclude-channels", "1024"},
         "invalid value '1024' for --exclude-channels"},
        {{"--calibrate", "--exclude-channels=-1"}, "invalid value '-1' for --exclude-channels"},
        {{"--calibrate", "--lines", "3.1"},
         "invalid value '3.1' for --lines (expected two or more positions in mm/s"},
        {{"--calibrate", "--lines", "1,2,x"}, "invalid value '1,2,x' for --lines"},
        {{"--calibrate", "--lines", "1,inf"}, "invalid value '1,inf' for --lines"},
        {{"--exclude-channels", "0"}, "--exclude-channels needs --calibrate"},
        {{"--lines", "1,2"}, "--lines needs --calibrate"},
        {{"--accept-poor-fit"}, "--accept-poor-fit needs --calibrate"},
    };
    for (const auto& u : usage) {
        const RunResult r = Run(Args({u.args, {"ha1001-fe-foil.spm"}}));
        EXPECT_EQ(r.status, 2) << u.message;
        EXPECT_THAT(r.err, HasSubstr(u.message));
    }
    // The calibration file never replaces the spectrum it was made from.
    const std::string before = ReadBytes(spm);
    const RunResult self =
        Run({"--calibrate", "--write-cal", "ha1001-fe-foil.spm", "ha1001-fe-foil.spm"});
    EXPECT_EQ(self.status, 1);
    EXPECT_THAT(self.err, HasSubstr("is an input of this run"));
    EXPECT_EQ(ReadBytes(spm), before);
}

} // namespace
} // namespace trv::clitest
