// The command line itself: usage errors, help, version.
#include "CliTestSupport.h"

#include "cli/Convert.h"

namespace trv::clitest {
namespace {

RunResult Convert(const std::vector<std::string>& args)
{
    std::ostringstream out, err;
    const int status = RunConvert(args, out, err, LocaleFormats::Fixed());
    return {status, out.str(), err.str()};
}

TEST(Usage, ErrorsExitTwoWithOneLineAndAHintAndNoConversion)
{
    const std::pair<std::vector<std::string>, const char*> cases[] = {
        {{"--mode", "add"}, "no input files"},
        {{"x.spm", "--bogus"}, "unknown option '--bogus'"},
        {{"x.spm", "--mode"}, "option '--mode' needs a value (1024|add|mean)"},
        {{"--mode", "512", "x.spm"}, "invalid value '512' for --mode (expected 1024, add, mean)"},
        {{"--info=yes", "x.spm"}, "option '--info' takes no value"},
        {{"--plot", "8193x10", "x.spm"},
         "invalid value '8193x10' for --plot (expected WIDTHxHEIGHT, each 1..8192)"},
        {{"--scale", "1.5", "x.spm"}, "invalid value '1.5' for --scale (expected a whole number)"},
        {{"--jobs", "0", "x.spm"}, "invalid value '0' for --jobs (expected 1..256)"},
        {{"--jobs=257", "x.spm"}, "invalid value '257' for --jobs (expected 1..256)"},
        {{"--watch="}, "--watch needs a folder name"},
        {{"--watch", "in", "x.spm"}, "--watch takes no input files"},
        {{"--watch", "in", "--find-fold"},
         "--watch converts: it takes no --info, --find-fold or --calibrate"},
        {{"--write-cal", "x.cal", "x.spm"}, "--write-cal needs --calibrate"},
        {{"--calibrate", "--write-cal", "x.cal", "a.spm", "b.spm"},
         "--write-cal takes exactly one input file"},
        {{"--calibrate", "--exclude-channels", "1024", "x.spm"},
         "invalid value '1024' for --exclude-channels (expected channels 0..1023 and ranges, such "
         "as 0,511 or 0-3)"},
        {{"--calibrate", "--lines", "3.1", "x.spm"},
         "invalid value '3.1' for --lines (expected two or more positions in mm/s, such as "
         "-3.0835,-0.8385,0.8385,3.0835)"},
        {{"--lines", "1,2", "x.spm"}, "--lines needs --calibrate"},
    };
    for (const auto& [args, message] : cases) {
        SCOPED_TRACE(message);
        const RunResult r = Convert(args);
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err, std::string("trevandel-convert: ") + message +
                             "\nTry 'trevandel-convert --help'.\n");
    }
}

// Every option as the help text names it, separated by ";".
constexpr const char* kOptions =
    "-h, --help;--version;--info;--no-guess;--no-exp;--mode 1024|add|mean;--cal FILE.cal;"
    "--ascii channel|velocity;--output-dir DIR;--plot WIDTHxHEIGHT;--find-fold;"
    "--jobs N;--watch DIR;--fold-channel N;--no-fold;--scale N;--no-error-lines;--no-mean;"
    "--mean-width N;"
    "--serial TEXT;--description TEXT;--bfield TEXT;--temperature TEXT;--channels TEXT;"
    "--ignore-left TEXT;--ignore-right TEXT;--folding-channel TEXT;--counts-millions TEXT;"
    "--zero-speed TEXT;--calibration TEXT;--extra1 TEXT;--extra2 TEXT;--extra3 TEXT;"
    "--extra4 TEXT";

TEST(Usage, HelpListsEveryOptionAndVersionNamesTheProgram)
{
    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{"-h"}, {"x.spm", "--help", "--bogus"}}) {
        const RunResult r = Convert(args);
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.err, "");
        EXPECT_TRUE(r.out.starts_with("Usage: trevandel-convert [OPTIONS] FILE.spm...\n"));
        std::istringstream options(kOptions);
        for (std::string option; std::getline(options, option, ';');)
            EXPECT_NE(r.out.find(option), std::string::npos) << option;
    }
    const RunResult r = Convert({"--version"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, std::string("trevandel-convert ") + TRV_VERSION + "\n");
}

} // namespace
} // namespace trv::clitest
