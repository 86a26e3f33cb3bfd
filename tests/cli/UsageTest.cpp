// The command line itself: usage errors, help, version, option spellings.
#include "CliTestSupport.h"

#include "cli/Convert.h"

namespace trv::clitest {
namespace {

struct Outcome {
    int status;
    std::string out;
    std::string err;
};

Outcome Convert(const std::vector<std::string>& args)
{
    std::ostringstream out;
    std::ostringstream err;
    const int status = RunConvert(args, out, err, LocaleFormats::Fixed());
    return {status, out.str(), err.str()};
}

struct UsageCase {
    const char* what;
    std::vector<std::string> args;
    const char* message; // the first line on standard error
};

void PrintTo(const UsageCase& c, std::ostream* os)
{
    *os << c.what;
}

class UsageErrors : public ::testing::TestWithParam<UsageCase> {};

TEST_P(UsageErrors, ExitTwoWithMessageAndUsageAndNoConversion)
{
    const Outcome r = Convert(GetParam().args);

    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, "");
    const std::vector<std::string> lines = SplitLines(r.err);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0], GetParam().message);
    EXPECT_NE(r.err.find("\nUsage: trevandel-convert [OPTIONS] FILE.spm...\n"), std::string::npos);
    // The files named are never opened.
    EXPECT_EQ(r.err.find("File not found"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UsageErrors,
    ::testing::Values(
        UsageCase{"no arguments", {}, "trevandel-convert: no input files"},
        UsageCase{"options only", {"--mode", "add"}, "trevandel-convert: no input files"},
        UsageCase{"double dash only", {"--"}, "trevandel-convert: no input files"},
        UsageCase{
            "unknown long", {"x.spm", "--bogus"}, "trevandel-convert: unknown option '--bogus'"},
        UsageCase{"unknown long with value",
                  {"--bogus=1", "x.spm"},
                  "trevandel-convert: unknown option '--bogus=1'"},
        UsageCase{"unknown short", {"-x", "x.spm"}, "trevandel-convert: unknown option '-x'"},
        UsageCase{"missing value",
                  {"x.spm", "--mode"},
                  "trevandel-convert: option '--mode' needs a value (1024|add|mean)"},
        UsageCase{"missing field value",
                  {"x.spm", "--serial"},
                  "trevandel-convert: option '--serial' needs a value (TEXT)"},
        UsageCase{"bad mode",
                  {"--mode", "512", "x.spm"},
                  "trevandel-convert: invalid value '512' for --mode (expected 1024, add, mean)"},
        UsageCase{"bad axis",
                  {"--ascii=text", "x.spm"},
                  "trevandel-convert: invalid value 'text' for --ascii "
                  "(expected channel, velocity)"},
        UsageCase{"value on a switch",
                  {"--info=yes", "x.spm"},
                  "trevandel-convert: option '--info' takes no value"},
        UsageCase{"empty output folder",
                  {"--output-dir=", "x.spm"},
                  "trevandel-convert: --output-dir needs a folder name"}));

TEST(Usage, HelpListsEveryOptionOnStandardOutput)
{
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"--help"}, {"-h"}, {"x.spm", "--help", "--bogus"}}) {
        const Outcome r = Convert(args);
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.err, "");
        EXPECT_TRUE(r.out.starts_with("Usage: trevandel-convert [OPTIONS] FILE.spm...\n"));
        for (const char* option : {"-h, --help",
                                   "--version",
                                   "--info",
                                   "--no-guess",
                                   "--no-exp",
                                   "--mode 1024|add|mean",
                                   "--cal FILE.cal",
                                   "--ascii channel|velocity",
                                   "--output-dir DIR",
                                   "--plot WIDTHxHEIGHT",
                                   "--find-fold",
                                   "--fold-channel N",
                                   "--no-fold",
                                   "--scale N",
                                   "--no-error-lines",
                                   "--no-mean",
                                   "--mean-width N",
                                   "--serial TEXT",
                                   "--description TEXT",
                                   "--bfield TEXT",
                                   "--temperature TEXT",
                                   "--channels TEXT",
                                   "--ignore-left TEXT",
                                   "--ignore-right TEXT",
                                   "--folding-channel TEXT",
                                   "--counts-millions TEXT",
                                   "--zero-speed TEXT",
                                   "--calibration TEXT",
                                   "--extra1 TEXT",
                                   "--extra2 TEXT",
                                   "--extra3 TEXT",
                                   "--extra4 TEXT"}) {
            EXPECT_NE(r.out.find(option), std::string::npos) << option;
        }
    }
}

TEST(Usage, VersionPrintsProgramAndVersion)
{
    const Outcome r = Convert({"--version"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, std::string("trevandel-convert ") + TRV_VERSION + "\n");
    EXPECT_EQ(r.err, "");
}

TEST_F(ConverterTest, ExecutableReportsUsageErrorsWithStatusTwo)
{
    const RunResult run = Run({"--mode"});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_TRUE(run.err.starts_with("trevandel-convert: option '--mode' needs a value")) << run.err;
    EXPECT_NE(run.err.find("Usage: trevandel-convert"), std::string::npos);

    const RunResult help = Run({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(help.out.starts_with("Usage: trevandel-convert")) << help.out;
}

} // namespace
} // namespace trv::clitest
