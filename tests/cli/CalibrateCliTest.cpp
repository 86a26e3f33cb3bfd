// --calibrate: one line of results per file, the calibration file with --write-cal, and
// refusals that name the file and count as failures.
#include "CliTestSupport.h"

#include "calibration/CalFileReader.h"
#include "exp/ExpHeader.h"

#include <gmock/gmock.h>

#include <regex>

namespace trv::clitest {
namespace {

using ::testing::HasSubstr;

class CalibrateCli : public ConverterTest {
  protected:
    fs::path Sample(const std::string& name)
    {
        const fs::path target = Dir() / name;
        fs::copy_file(fs::path(TRV_SOURCE_DIR) / "samples" / name, target);
        return target;
    }
};

TEST_F(CalibrateCli, PrintsOneLinePerFileAndWritesNothing)
{
    Sample("ha1001-fe-foil.spm");
    Sample("ha1002-doublet.spm");
    const RunResult r =
        Run({"--calibrate", "--mode", "1024", "ha1001-fe-foil.spm", "ha1002-doublet.spm"});
    EXPECT_EQ(r.status, 1);
    const std::regex line(
        "ha1001-fe-foil\\.spm: fold2x=(1024\\.\\d{4}|1023\\.\\d{4}) fold2x_err=0\\.\\d+ "
        "zero=255\\.\\d+ zero_err=0\\.\\d+ cal=0\\.045\\d+ cal_err=0\\.\\d+ vmax=11\\.\\d+ "
        "chi2dof=\\d\\.\\d+\n");
    EXPECT_TRUE(std::regex_match(r.out, line)) << r.out;
    EXPECT_EQ(r.err, "ha1002-doublet.spm: found 2 dips; the reference table has 6\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(Dir()), fs::directory_iterator()), 2)
        << "only the inputs";
}

// The written file loads into the fields the printed numbers give, under the mode's mask.
TEST_F(CalibrateCli, WrittenCalibrationFileLoadsAsTheHeaderFields)
{
    Sample("ha1001-fe-foil.spm");
    for (const char* mode : {"1024", "add", "mean"}) {
        SCOPED_TRACE(mode);
        const RunResult r =
            Run({"--calibrate", "--mode", mode, "--write-cal", "out.cal", "ha1001-fe-foil.spm"});
        ASSERT_EQ(r.status, 0) << r.err;
        const std::string file = ReadBytes(Dir() / "out.cal");
        const CalibrationValues v = ParseCalibration(file);
        const bool full = std::string(mode) == "1024";
        EXPECT_EQ(v.channels, full ? "1024" : "512");
        EXPECT_EQ(v.foldingChannel.size(), full ? 9u : 8u);
        EXPECT_THAT(r.out, HasSubstr(" zero=" + v.zeroSpeedChannel.substr(0, 5)));
        EXPECT_THAT(file, HasSubstr("Reference: ha1001-fe-foil.spm, "));
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
