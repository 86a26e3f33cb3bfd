// The converter's files compared byte for byte with expected files that
// tools/make-cli-golden.py computed from the format rules alone.
#include "CliTestSupport.h"

namespace trv::clitest {
namespace {

TEST_F(ConverterTest, WritesTheExpectedBytes)
{
    CopyInput("ha1234.spm");
    CopyInput("hb2001.spm");
    CopyInput("ha1024.cal");
    const std::pair<const char*, Names> cases[] = {
        // After an open: mode 1 (pairs added), header initial but for the guessed Exp Data.
        {"default-ha1234.exp", {}},
        // The mode's reaction, then the calibration under the 1024 mask, then the fields in
        // the order given, whatever their place (the calibration file's zero speed is replaced,
        // the later --ignore-left wins, masked fields fitted).
        {"mode1024-cal-fields-ha1234.exp",
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
        {"mean-noguess-ha1234.exp", {"--mode", "mean", "--no-guess"}},
        {"velocity-mean-ha1234.txt", {"--ascii", "velocity", "--mode", "mean"}},
        {"mode1024-hb2001.exp", {"--mode", "1024"}},
    };
    for (const auto& [golden, options] : cases) {
        SCOPED_TRACE(golden);
        // The input is named after the last '-'.
        const std::string output = std::string(golden).substr(std::string(golden).rfind('-') + 1);
        const RunResult run = Run(Args({options, {output.substr(0, output.find('.')) + ".spm"}}));
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.err + run.out, "");
        EXPECT_EQ(ReadBytes(Dir() / output), ReadBytes(DataFile(golden)));
    }
}

} // namespace
} // namespace trv::clitest
