// The converter's preview plot (--plot and the Graphic options) and --find-fold.
#include "CliTestSupport.h"
#include "support/CaseName.h"

#include "plot/Bmp.h"
#include "plot/Plot.h"
#include "plot/PlotSurface.h"

#include <cmath>
#include <cstdint>
#include <functional>

namespace trv::clitest {
namespace {

using Counts = std::vector<std::uint32_t>;

// A PCA2 file: a 512-byte header of zeros, then the counts little-endian.
void WriteSpm(const fs::path& path, const Counts& counts)
{
    std::string bytes(512, '\0');
    for (std::uint32_t c : counts)
        for (int shift = 0; shift < 32; shift += 8)
            bytes += static_cast<char>((c >> shift) & 0xFF);
    WriteBytes(path, bytes);
}

// The counts of a PCA2 file: its last 4·N bytes (N = 512 up to 3000 bytes, else 1024).
Counts ReadPca2Counts(const std::string& bytes)
{
    const std::size_t n = bytes.size() <= 3000 ? 512 : 1024;
    const std::size_t start = bytes.size() - 4 * n;
    Counts counts(n);
    for (std::size_t i = 0; i < n; ++i)
        for (int b = 3; b >= 0; --b)
            counts[i] = (counts[i] << 8) | static_cast<unsigned char>(bytes[start + 4 * i + b]);
    return counts;
}

TEST_F(ConverterTest, PlotOfTheSampleMatchesItsGoldenBitmap)
{
    CopyInput("ha1001.spm");
    const RunResult run = Run({"--no-exp", "--plot", "320x240", "ha1001.spm"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(FolderListing(Dir()), (Names{"ha1001.bmp", "ha1001.spm"}));
    EXPECT_TRUE(ReadBytes(Dir() / "ha1001.bmp") == ReadBytes(DataFile("plot-ha1001-320x240.bmp")));
}

// Each row: the options, and how the settings the window's controls would hold differ from
// those after an open (folding channel in the middle, margins 9, scale guessed). The drawing
// rules themselves are the plot library's; here only the options' effect on the settings.
struct OptionCase {
    const char* sample;
    std::vector<std::string> options;
    std::function<void(PlotSettings&, const Counts&)> change;
};

void PrintTo(const OptionCase& c, std::ostream* os)
{
    for (const std::string& o : c.options)
        *os << o << ' ';
}

constexpr const char* kFoil = "ha1001-fe-foil.spm";    // 1024 channels
constexpr const char* kDoublet = "ha1002-doublet.spm"; // 512 channels

void Fold(PlotSettings& s, std::uint16_t fold, std::uint16_t margins)
{
    s.FoldChannel = fold;
    s.IgnoreFromLeft = s.IgnoreFromRight = margins;
}

class PlotOptions : public ConverterTest, public ::testing::WithParamInterface<OptionCase> {};

TEST_P(PlotOptions, DrawWithTheSettingsTheControlsWouldHold)
{
    const OptionCase& c = GetParam();
    fs::copy_file(fs::path(TRV_SOURCE_DIR) / "samples" / c.sample, Dir() / c.sample);
    std::vector<std::string> args = {"--no-exp", "--plot", "200x150"};
    args.insert(args.end(), c.options.begin(), c.options.end());
    args.push_back(c.sample);

    const RunResult run = Run(args);

    ASSERT_EQ(run.status, 0) << run.err;
    const Counts counts = ReadPca2Counts(ReadBytes(Dir() / c.sample));
    PlotSettings s;
    s.FoldChannel = static_cast<std::uint16_t>(counts.size() / 2);
    s.Scale = static_cast<std::uint16_t>(GuessScale(counts, s));
    if (c.change) c.change(s, counts);
    PlotState state;
    InitPlotState(state);
    PreparePlot(state, counts, s);
    PlotSurface surface;
    DrawPlot(state, s, c.sample, surface, 200, 150);
    EXPECT_TRUE(ReadBytes(Dir() / fs::path(c.sample).replace_extension(".bmp")) ==
                EncodeBmp(surface.Image()))
        << "margins " << s.IgnoreFromLeft << ", fold " << s.FoldChannel << ", scale " << s.Scale;
}

// The folding channel sets both margins to 2 x distance from the middle + 5, kept in 5..100,
// and keeps the guessed scale; "unfolded" guesses again unless a scale was given.
INSTANTIATE_TEST_SUITE_P(
    Cases, PlotOptions,
    ::testing::Values(
        OptionCase{kDoublet, {}, nullptr},
        OptionCase{kFoil, {"--fold-channel", "515"}, [](auto& s, auto&) { Fold(s, 515, 11); }},
        OptionCase{kFoil, {"--fold-channel=5000"}, [](auto& s, auto&) { Fold(s, 1023, 100); }},
        OptionCase{kDoublet, {"--fold-channel", "300"}, [](auto& s, auto&) { Fold(s, 300, 93); }},
        OptionCase{kFoil, {"--mean-width", "+99"}, [](auto& s, auto&) { s.MeanWidth = 20; }},
        OptionCase{kFoil,
                   {"--no-fold"},
                   [](PlotSettings& s, const Counts& c) {
                       s.Folded = false;
                       s.Scale = static_cast<std::uint16_t>(GuessScale(c, s));
                   }},
        OptionCase{kFoil,
                   {"--scale", "300", "--no-fold"},
                   [](auto& s, auto&) {
                       s.Scale = 300;
                       s.Folded = false;
                   }},
        OptionCase{
            kFoil, {"--scale", "99999999999999999999"}, [](auto& s, auto&) { s.Scale = 1000; }},
        OptionCase{kDoublet,
                   {"--no-error-lines", "--no-mean", "--mean-width=0"},
                   [](auto& s, auto&) {
                       s.DrawErrorLines = s.DrawMean = false;
                       s.MeanWidth = 1;
                   }}),
    [](const auto& info) { return test::CaseName(info.param.options, "AfterTheOpen"); });

TEST_F(ConverterTest, BitmapGoesBesideTheExpOrIntoTheOutputFolderOnceByName)
{
    CopyInput("ha1001.spm", "in/ha1001.spm");
    CopyInput("ab.spm", "b/ha1001.spm");
    fs::create_directories(Dir() / "out");

    const RunResult beside = Run({"--plot", "64x48", "in/ha1001.spm"});
    ASSERT_EQ(beside.status, 0) << beside.err;
    EXPECT_EQ(FolderListing(Dir() / "in"), (Names{"ha1001.bmp", "ha1001.exp", "ha1001.spm"}));

    const RunResult into =
        Run({"--plot", "64x48", "--output-dir", "out", "in/ha1001.spm", "b/ha1001.spm"});
    EXPECT_EQ(into.status, 1);
    EXPECT_EQ(into.err, "b/ha1001.spm: not converted: out/ha1001.exp was already written for an "
                        "earlier file of this run\n");
    EXPECT_EQ(FolderListing(Dir() / "out"), (Names{"ha1001.bmp", "ha1001.exp"}));
    EXPECT_EQ(ReadBytes(Dir() / "out/ha1001.bmp"), ReadBytes(Dir() / "in/ha1001.bmp"));
}

TEST_F(ConverterTest, PlotThatCannotBeDrawnFailsTheFileAndLeavesNoBitmap)
{
    CopyInput("ha1001.spm");
    WriteSpm(Dir() / "zero.spm", Counts(1024, 0));
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"zero.spm", "ha1001.spm"}, "zero.spm: Invalid floating point operation"},
        {{"--scale", "4", "zero.spm", "ha1001.spm"}, "zero.spm: Floating point division by zero"},
        {{"--scale", "0", "ha1001.spm"}, "ha1001.spm: Floating point division by zero"},
    };
    for (const auto& [options, message] : cases) {
        std::vector<std::string> args = {"--plot", "64x48"};
        args.insert(args.end(), options.begin(), options.end());
        const RunResult run = Run(args);
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.err, message + "\n");
        EXPECT_FALSE(fs::exists(Dir() / (message.substr(0, message.find('.')) + ".bmp")));
        EXPECT_TRUE(fs::exists(Dir() / (message.substr(0, message.find('.')) + ".exp")))
            << "the EXP file does not depend on the plot";
        for (const char* f : {"zero.exp", "ha1001.exp", "ha1001.bmp"})
            fs::remove(Dir() / f);
    }
}

// Six absorption lines mirrored about `centre` on a flat baseline; no two disjoint pairs of
// lines share a midpoint.
Counts MirroredSpectrum(int n, double centre)
{
    Counts counts(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        double v = 150000.0;
        for (double offset : {30.0, 95.0, 190.0})
            for (double position : {centre - offset, centre + offset})
                v -= 25000.0 / (1.0 + (i - position) * (i - position) / 12.25);
        counts[static_cast<std::size_t>(i)] = static_cast<std::uint32_t>(std::lround(v));
    }
    return counts;
}

TEST_F(ConverterTest, FindFoldPrintsTheMirrorAndWritesNothing)
{
    // Channel i folds onto 2F - 1 - i: the folding channel is the mirror centre + 1/2.
    const std::tuple<const char*, int, double> cases[] = {
        {"whole1024.spm", 1024, 511.5}, {"half512.spm", 512, 250.0}, {"far1024.spm", 1024, 420.0}};
    std::vector<std::string> args = {"--find-fold", "--plot", "64x48"};
    for (const auto& [file, n, centre] : cases) {
        WriteSpm(Dir() / file, MirroredSpectrum(n, centre));
        args.push_back(file);
    }
    WriteSpm(Dir() / "zero.spm", Counts(1024, 0));
    args.push_back("zero.spm");
    WriteSpm(Dir() / "flat.spm", Counts(1024, 40000));
    args.push_back("flat.spm");

    const RunResult run = Run(args);

    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "zero.spm: no folding channel found: the plotted window holds no "
                       "mirrored channels with counts\n"
                       "flat.spm: no clear folding channel found: the two halves of the spectrum "
                       "agree about as well at every position\n");
    const Names lines = SplitLines(run.out);
    ASSERT_EQ(lines.size(), 3u) << run.out;
    for (std::size_t k = 0; k < 3; ++k) {
        const auto& [file, n, centre] = cases[k];
        const std::string prefix = std::string(file) + ": ";
        ASSERT_TRUE(lines[k].starts_with(prefix)) << lines[k];
        const std::string value = lines[k].substr(prefix.size());
        EXPECT_EQ(value.find('.'), value.size() - 3) << lines[k]; // two decimals
        EXPECT_NEAR(std::stod(value), centre + 0.5, 0.05) << lines[k];
    }
    EXPECT_EQ(FolderListing(Dir()).size(), 5u); // only the inputs
}

} // namespace
} // namespace trv::clitest
