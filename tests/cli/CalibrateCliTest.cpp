// --calibrate: one line of results per file, the calibration file with --write-cal, and
// refusals that name the file and count as failures.
#include "CliTestSupport.h"
#include "calibration/SyntheticReference.h"
#include "support/SpmImages.h"

#include "calibration/CalFileReader.h"

#include <gmock/gmock.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <regex>

namespace trv::clitest {
namespace {

using ::testing::HasSubstr;

class CalibrateCli : public ConverterTest {};

const fs::path kSamples = fs::path(TRV_SOURCE_DIR) / "samples";

// One line of results per file and nothing written but the calibration file, which loads into
// the fields the printed numbers give, under the mode's mask; it never replaces the spectrum it
// was made from.
TEST_F(CalibrateCli, PrintsOneLinePerFileAndWritesTheCalibrationFile)
{
    const fs::path spm = CopyInput("ha1001-fe-foil.spm", "", kSamples);
    const std::regex line(
        "ha1001-fe-foil\\.spm: fold2x=(1024\\.\\d{4}|1023\\.\\d{4}) fold2x_err=0\\.\\d+ "
        "zero=255\\.\\d+ zero_err=0\\.\\d+ cal=0\\.045\\d+ cal_err=0\\.\\d+ vmax=11\\.\\d+ "
        "chi2dof=\\d\\.\\d+\n");
    for (const char* mode : {"1024", "mean"}) {
        SCOPED_TRACE(mode);
        const RunResult r =
            Run({"--calibrate", "--mode", mode, "--write-cal", "out.cal", "ha1001-fe-foil.spm"});
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(FolderListing(Dir()), (Names{"ha1001-fe-foil.spm", "out.cal"}));
        const std::string file = ReadBytes(Dir() / "out.cal");
        const CalibrationValues v = ParseCalibration(file);
        const bool full = std::string(mode) == "1024";
        EXPECT_TRUE(!full || std::regex_match(r.out, line)) << r.out;
        EXPECT_EQ(v.channels, full ? "1024" : "512");
        EXPECT_EQ(v.foldingChannel.size(), full ? 9u : 8u);
        EXPECT_THAT(r.out, HasSubstr(" zero=" + v.zeroSpeedChannel.substr(0, 5)));
        EXPECT_THAT(file, HasSubstr("Reference: ha1001-fe-foil.spm, "));
    }
    const std::string before = ReadBytes(spm);
    const RunResult self =
        Run({"--calibrate", "--write-cal", "ha1001-fe-foil.spm", "ha1001-fe-foil.spm"});
    EXPECT_EQ(self.status, 1);
    EXPECT_THAT(self.err, HasSubstr("is an input of this run"));
    EXPECT_EQ(ReadBytes(spm), before);
}

// What the user should know about a fit goes to stderr, one line each, and into the calibration
// file after its values; a poor fit fails the file unless it is accepted, and a table that
// cannot give a right calibration is refused with its reason.
TEST_F(CalibrateCli, NotesPoorFitsAndWrongTables)
{
    const std::string foil = ReadBytes(CopyInput("ha1001-fe-foil.spm", "", kSamples));
    std::string late = foil; // turned by 80 channels
    std::rotate(late.begin() + 512, late.end() - 4 * 80, late.end());
    WriteBytes(Dir() / "late.spm", late);
    synthetic::ReferenceTruth truth;
    std::vector<double> hematite; // another iron compound's sextet
    for (const double v : {-5.3285, -3.0835, -0.8385, 0.8385, 3.0835, 5.3285})
        hematite.push_back(v * 51.8 / 33.0 + 0.37 + (std::abs(v) > 5 ? -0.1 : 0.1));
    std::mt19937_64 rng(5);
    WriteBytes(Dir() / "hematite.spm",
               test::Pca2Image(synthetic::SyntheticReference(truth, hematite, &rng)));
    CopyInput("ha1002-doublet.spm", "", kSamples);
    const struct {
        Names args;
        int status;
        const char* out;
        const char* err; // the note, also written into the calibration file
    } cases[] = {
        {{"--exclude-channels", "0,510-511", "ha1001-fe-foil.spm"},
         0,
         "ha1001-fe-foil.spm: fold2x=511\\.9.*\n",
         "channels left out of the fit: 0 \\(asked for\\), 510 \\(asked for\\), 511 \\(asked "
         "for\\)"},
        {{"late.spm"},
         0,
         "late.spm: fold2x=591\\.9.*\n",
         "warning: the turning point lies 40 channels off the middle: folding at 592\\.0 leaves "
         "80 channels without a partner \\(0-79\\)"},
        {{"hematite.spm"},
         1,
         "",
         "poor fit: chi2/dof [0-9.]+ is above 5.*; not taken without --accept-poor-fit"},
        {{"--accept-poor-fit", "hematite.spm"},
         0,
         "hematite.spm: fold2x=.*\n",
         "poor fit: chi2/dof [0-9.]+ is above 5.*"},
        {{"ha1002-doublet.spm"}, 1, "", "found 2 dips; the reference table has 6"},
        {{"--lines", "-1,+2,2", "ha1001-fe-foil.spm"},
         1,
         "",
         "the reference table lists the line at 2 mm/s twice"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.front());
        const RunResult r = Run(Args({{"--calibrate", "--write-cal", "out.cal"}, c.args}));
        EXPECT_EQ(r.status, c.status);
        EXPECT_TRUE(std::regex_match(r.out, std::regex(c.out))) << r.out;
        const std::string note = c.err;
        EXPECT_TRUE(std::regex_match(r.err, std::regex(c.args.back() + ": " + note + "\n")))
            << r.err;
        EXPECT_EQ(fs::exists(Dir() / "out.cal"), c.status == 0);
        if (c.status != 0) continue;
        const std::string file = ReadBytes(Dir() / "out.cal");
        EXPECT_TRUE(std::regex_search(file, std::regex("\r\nNote: " + note + "\r\n"))) << file;
        EXPECT_THAT(r.out,
                    HasSubstr(" zero=" + ParseCalibration(file).zeroSpeedChannel.substr(0, 5)));
        fs::remove(Dir() / "out.cal");
    }
}

} // namespace
} // namespace trv::clitest
