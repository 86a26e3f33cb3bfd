// --calibrate: one line of results per file, the calibration file with --write-cal, and
// refusals that name the file and count as failures.
#include "CliTestSupport.h"
#include "calibration/SyntheticReference.h"

#include "calibration/CalFileReader.h"
#include "exp/ExpHeader.h"

#include <gmock/gmock.h>

#include <functional>
#include <random>
#include <regex>

namespace trv::clitest {
namespace {

using ::testing::HasSubstr;

const std::vector<double> kIron = {-5.3285, -3.0835, -0.8385, 0.8385, 3.0835, 5.3285};

// A PCA2 file of 1024 counts after a header of zeros.
std::string Pca2File(const std::vector<std::uint32_t>& counts)
{
    std::string bytes(512, '\0');
    for (const std::uint32_t c : counts)
        for (int shift = 0; shift < 32; shift += 8)
            bytes.push_back(static_cast<char>((c >> shift) & 0xFFu));
    return bytes;
}

// The bundled iron foil's counts, changed.
std::string ChangedSample(const std::function<void(std::vector<std::uint32_t>&)>& change)
{
    const std::string bytes = ReadBytes(fs::path(TRV_SOURCE_DIR) / "samples/ha1001-fe-foil.spm");
    std::vector<std::uint32_t> counts(1024);
    const std::size_t at = bytes.size() - 4096;
    for (std::size_t k = 0; k < counts.size(); ++k)
        for (std::size_t i = 0; i < 4; ++i)
            counts[k] |=
                static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + 4 * k + i]))
                << (8 * i);
    change(counts);
    return Pca2File(counts);
}

std::string SyntheticFile(const synthetic::ReferenceTruth& truth, const std::vector<double>& lines)
{
    std::mt19937_64 rng(5);
    return Pca2File(synthetic::SyntheticReference(truth, lines, &rng));
}

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

// What the user should know about a good fit goes to stderr, one line each, and into the
// calibration file after its values.
TEST_F(CalibrateCli, NotesGoToStderrAndIntoTheCalibrationFile)
{
    synthetic::ReferenceTruth narrow;
    narrow.cal = 9.0 / 512.0; // +-4.5 mm/s: the outer lines lie beyond the sweep
    const struct {
        const char* name;
        std::string bytes;
        Names options;
        const char* summary; // part of the printed line
        const char* note;
    } cases[] = {
        {"narrow.spm",
         SyntheticFile(narrow, kIron),
         {},
         "cal=0.0351",
         "narrow.spm: lines used \\(mm/s\\): -3.0835 -0.8385 0.8385 3.0835; the others lie beyond "
         "the sweep\n"},
        {"stray.spm",
         ChangedSample([](auto& c) { c[0] /= 3; }),
         {},
         "fold2x=511.9",
         "stray.spm: channels left out of the fit: 0 \\(far outside its noise: -[0-9.]+ "
         "sigma\\)\n"},
        {"asked.spm",
         ChangedSample([](auto&) {}),
         {"--exclude-channels", "0,510-511"},
         "fold2x=511.9",
         "asked.spm: channels left out of the fit: 0 \\(asked for\\), 510 \\(asked for\\), 511 "
         "\\(asked for\\)\n"},
        {"late.spm",
         ChangedSample([](auto& c) { std::rotate(c.rbegin(), c.rbegin() + 80, c.rend()); }),
         {},
         "fold2x=591.9",
         "late.spm: warning: the turning point lies 40 channels off the middle: folding at 592.0 "
         "leaves 80 channels without a partner \\(0-79\\)\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WriteBytes(Dir() / c.name, c.bytes);
        Names args = {"--calibrate", "--write-cal", "out.cal"};
        args.insert(args.end(), c.options.begin(), c.options.end());
        args.push_back(c.name);
        const RunResult r = Run(args);
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_THAT(r.out, HasSubstr(c.summary));
        EXPECT_TRUE(std::regex_match(r.err, std::regex(c.note))) << r.err;
        const std::string file = ReadBytes(Dir() / "out.cal");
        const std::string note = r.err.substr(std::string(c.name).size() + 2);
        EXPECT_THAT(file, HasSubstr("\r\nNote: " + note.substr(0, note.size() - 1) + "\r\n"));
        EXPECT_THAT(r.out,
                    HasSubstr(" zero=" + ParseCalibration(file).zeroSpeedChannel.substr(0, 5)));
    }
}

// A fit that describes the spectrum poorly fails the file unless it is accepted; spectra and
// tables that cannot give a right calibration are refused with their reason.
TEST_F(CalibrateCli, PoorFitsFailUnlessAcceptedAndWrongOnesAreRefused)
{
    synthetic::ReferenceTruth truth;
    std::vector<double> hematite; // another iron compound's sextet
    for (std::size_t i = 0; i < kIron.size(); ++i)
        hematite.push_back(kIron[i] * 51.8 / 33.0 + 0.37 + (i == 0 || i == 5 ? -0.1 : 0.1));
    WriteBytes(Dir() / "hematite.spm", SyntheticFile(truth, hematite));
    WriteBytes(Dir() / "wrapped.spm", ChangedSample([](auto& c) { c[700] = 4294967196u; }));
    Sample("ha1001-fe-foil.spm");
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
        {{"wrapped.spm"},
         1,
         "",
         "wrapped.spm: channel 700 holds 4294967196 counts, near 2\\^32: the spectrum went below "
         "zero and wrapped \\(a subtraction\\?\\)\n"},
        {{"--lines", "-1,+2,2", "ha1001-fe-foil.spm"},
         1,
         "",
         "ha1001-fe-foil.spm: the reference table lists the line at 2 mm/s twice\n"},
        {{"--lines", "-15,-10,-5,5,10,15", "ha1001-fe-foil.spm"},
         1,
         "",
         "ha1001-fe-foil.spm: the line at -15 mm/s falls inside the sweep .*, but the spectrum "
         "shows no dip there\n"},
    };
    for (const auto& c : cases) {
        Names args = {"--calibrate", "--write-cal", "out.cal"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        SCOPED_TRACE(args.back());
        const RunResult r = Run(args);
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
        Names args = u.args;
        args.push_back("ha1001-fe-foil.spm");
        const RunResult r = Run(args);
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
