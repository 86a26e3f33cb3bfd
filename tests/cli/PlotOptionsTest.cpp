// The converter's preview plot (--plot) and --find-fold. The drawing itself and the window's
// agreement with the converter (the Graphic options among them) are tested elsewhere; here the
// bitmap's wiring, where the bitmap goes and what a failed plot does.
#include "CliTestSupport.h"

#include "support/SpmImages.h"

#include <cstdint>

namespace trv::clitest {
namespace {

using Counts = std::vector<std::uint32_t>;

// Beside the input, or into the output folder where a second file of the same name is refused.
TEST_F(ConverterTest, PlotOfTheSampleMatchesItsGoldenBitmapWhereverItGoes)
{
    CopyInput("ha1001.spm", "in/ha1001.spm");
    CopyInput("ab.spm", "b/ha1001.spm");
    fs::create_directories(Dir() / "out");
    const std::string golden = ReadBytes(DataFile("plot-ha1001-320x240.bmp"));

    const RunResult beside = Run({"--no-exp", "--plot", "320x240", "in/ha1001.spm"});
    ASSERT_EQ(beside.status, 0) << beside.err;
    EXPECT_EQ(beside.out, "");
    EXPECT_EQ(FolderListing(Dir() / "in"), (Names{"ha1001.bmp", "ha1001.spm"}));
    EXPECT_TRUE(ReadBytes(Dir() / "in/ha1001.bmp") == golden);

    const RunResult into =
        Run({"--plot", "320x240", "--output-dir", "out", "in/ha1001.spm", "b/ha1001.spm"});
    EXPECT_EQ(into.status, 1);
    EXPECT_EQ(into.err, "b/ha1001.spm: not converted: out/ha1001.exp was already written for an "
                        "earlier file of this run\n");
    EXPECT_EQ(FolderListing(Dir() / "out"), (Names{"ha1001.bmp", "ha1001.exp"}));
    EXPECT_TRUE(ReadBytes(Dir() / "out/ha1001.bmp") == golden);
}

TEST_F(ConverterTest, PlotThatCannotBeDrawnFailsTheFileAndLeavesNoBitmap)
{
    CopyInput("ha1001.spm");
    WriteBytes(Dir() / "zero.spm", test::Pca2Image(Counts(1024, 0)));
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"zero.spm", "ha1001.spm"}, "zero.spm: Invalid floating point operation"},
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

// The folding channel with two decimals, one line per file; a spectrum without one is a failure.
TEST_F(ConverterTest, FindFoldPrintsTheFoldingChannelAndWritesNothing)
{
    CopyInput("ha1001.spm");
    CopyInput("hb2001.spm");
    WriteBytes(Dir() / "zero.spm", test::Pca2Image(Counts(1024, 0)));
    WriteBytes(Dir() / "flat.spm", test::Pca2Image(Counts(1024, 40000)));

    const RunResult run =
        Run({"--find-fold", "--plot", "64x48", "ha1001.spm", "zero.spm", "hb2001.spm", "flat.spm"});

    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "ha1001.spm: 511.97\nhb2001.spm: 245.09\n");
    EXPECT_EQ(run.err, "zero.spm: no folding channel found: the plotted window holds no "
                       "mirrored channels with counts\n"
                       "flat.spm: no clear folding channel found: the two halves of the spectrum "
                       "agree about as well at every position\n");
    EXPECT_EQ(FolderListing(Dir()).size(), 4u); // only the inputs
}

} // namespace
} // namespace trv::clitest
