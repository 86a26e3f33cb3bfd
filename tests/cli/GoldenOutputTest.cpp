// The converter's files compared byte for byte with expected files that
// tools/make-cli-golden.py computed from the format rules alone.
#include "CliTestSupport.h"
#include "support/CaseName.h"

namespace trv::clitest {
namespace {

struct GoldenCase {
    const char* golden; // expected file in the data folder
    const char* input;  // SPM file in the data folder
    const char* output; // name the converter writes
    std::vector<std::string> options;
};

void PrintTo(const GoldenCase& c, std::ostream* os)
{
    *os << c.golden;
}

class Golden : public ConverterTest, public ::testing::WithParamInterface<GoldenCase> {};

TEST_P(Golden, WritesExpectedBytes)
{
    const GoldenCase& c = GetParam();
    CopyInput(c.input);
    CopyInput("ha1024.cal");
    const RunResult run = Run(Args({c.options, {c.input}}));

    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err + run.out, "");
    EXPECT_EQ(ReadBytes(Dir() / c.output), ReadBytes(DataFile(c.golden)));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Golden,
    ::testing::Values(
        // After an open: mode 1 (pairs added), header initial but for the guessed Exp Data.
        GoldenCase{"default-ha1234.exp", "ha1234.spm", "ha1234.exp", {}},
        // The mode's reaction, then the calibration under the 1024 mask, then the fields in
        // the order given, whatever their place (the calibration file's zero speed is replaced,
        // the later --ignore-left wins, masked fields fitted).
        GoldenCase{"mode1024-cal-fields-ha1234.exp",
                   "ha1234.spm",
                   "ha1234.exp",
                   {"--serial",
                    "HX0042",
                    "--description=Fe foil, run 7",
                    "--zero-speed",
                    "256",
                    "--cal",
                    "ha1024.cal",
                    "--bfield",
                    "5.5 T",
                    "--temperature",
                    "4 K",
                    "--ignore-left",
                    "12",
                    "--ignore-left=15",
                    "--counts-millions",
                    "12",
                    "--extra1",
                    "1.5",
                    "--extra2",
                    "0.12345",
                    "--mode",
                    "1024"}},
        GoldenCase{"mean-noguess-ha1234.exp",
                   "ha1234.spm",
                   "ha1234.exp",
                   {"--mode", "mean", "--no-guess"}},
        GoldenCase{"velocity-mean-ha1234.txt",
                   "ha1234.spm",
                   "ha1234.txt",
                   {"--ascii", "velocity", "--mode", "mean"}}),
    [](const auto& info) { return test::CaseName(info.param.golden); });

TEST_F(ConverterTest, BatchOfFilesWritesEachBesideItsInput)
{
    CopyInput("ha1234.spm", "a/ha1234.spm");
    CopyInput("hb2001.spm", "b/c/hb2001.spm");

    const RunResult run = Run({"a/ha1234.spm", "--mode", "1024", "b/c/hb2001.spm"});

    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(FolderListing(Dir() / "a"), (Names{"ha1234.exp", "ha1234.spm"}));
    EXPECT_EQ(ReadBytes(Dir() / "b/c/hb2001.exp"), ReadBytes(DataFile("mode1024-hb2001.exp")));
}

} // namespace
} // namespace trv::clitest
