// The converter's preview plot (--plot and the Graphic options) and --find-fold. The drawing
// itself and the window's agreement with the converter are tested elsewhere; here the bitmap's
// wiring, how the options are read, where the bitmap goes and what a failed plot does.
#include "CliTestSupport.h"

#include "support/SpmImages.h"

#include <cmath>
#include <cstdint>

namespace trv::clitest {
namespace {

using Counts = std::vector<std::uint32_t>;

TEST_F(ConverterTest, PlotOfTheSampleMatchesItsGoldenBitmap)
{
    CopyInput("ha1001.spm");
    const RunResult run = Run({"--no-exp", "--plot", "320x240", "ha1001.spm"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(FolderListing(Dir()), (Names{"ha1001.bmp", "ha1001.spm"}));
    EXPECT_TRUE(ReadBytes(Dir() / "ha1001.bmp") == ReadBytes(DataFile("plot-ha1001-320x240.bmp")));
}

// Each row: two spellings of the same controls' state, which must draw the same bitmap.
TEST_F(ConverterTest, GraphicOptionsReadAsTheControlsWouldHoldThem)
{
    Sample("ha1001-fe-foil.spm", "s.spm");
    const std::pair<Names, Names> cases[] = {
        // Past an end of its range a number stops there, as the arrows do.
        {{"--fold-channel=5000"}, {"--fold-channel", "1023"}},
        {{"--mean-width", "+99"}, {"--mean-width", "20"}},
        {{"--mean-width=0"}, {"--mean-width", "1"}},
        {{"--scale", "99999999999999999999"}, {"--scale", "1000"}},
        // A scale given anywhere is not guessed again when folding is turned off.
        {{"--scale", "300", "--no-fold"}, {"--no-fold", "--scale", "300"}},
    };
    for (const auto& [given, same] : cases) {
        SCOPED_TRACE(given.front() + " " + given.back());
        std::string bitmaps[2];
        for (int k = 0; k < 2; ++k) {
            const RunResult run =
                Run(Args({{"--no-exp", "--plot", "200x150"}, k == 0 ? given : same, {"s.spm"}}));
            ASSERT_EQ(run.status, 0) << run.err;
            bitmaps[k] = ReadBytes(Dir() / "s.bmp");
        }
        EXPECT_TRUE(bitmaps[0] == bitmaps[1]);
    }
}

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
    WriteBytes(Dir() / "zero.spm", test::Pca2Image(Counts(1024, 0)));
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"zero.spm", "ha1001.spm"}, "zero.spm: Invalid floating point operation"},
        {{"--scale", "4", "zero.spm", "ha1001.spm"}, "zero.spm: Floating point division by zero"},
        {{"--scale", "0", "ha1001.spm"}, "ha1001.spm: Floating point division by zero"},
    };
    for (const auto& [options, message] : cases) {
        const RunResult run = Run(Args({{"--plot", "64x48"}, options}));
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
        WriteBytes(Dir() / file, test::Pca2Image(MirroredSpectrum(n, centre)));
        args.push_back(file);
    }
    WriteBytes(Dir() / "zero.spm", test::Pca2Image(Counts(1024, 0)));
    WriteBytes(Dir() / "flat.spm", test::Pca2Image(Counts(1024, 40000)));
    args.insert(args.end(), {"zero.spm", "flat.spm"});

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
