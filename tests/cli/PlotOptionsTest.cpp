// The converter's preview plot (--plot and the Graphic options) and --find-fold. Runs the built
// executable.
#include "CliTestSupport.h"

#include "plot/Bmp.h"
#include "plot/Plot.h"
#include "plot/PlotSurface.h"

#include <cmath>
#include <cstdint>
#include <functional>
#include <optional>

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
    for (std::size_t i = 0; i < n; ++i) {
        std::uint32_t c = 0;
        for (int b = 3; b >= 0; --b)
            c = (c << 8) | static_cast<unsigned char>(bytes[start + 4 * i + b]);
        counts[i] = c;
    }
    return counts;
}

// A 24-bit bottom-up Windows bitmap, read without the program's code.
struct Bitmap {
    int width = 0;
    int height = 0;
    int bitsPerPixel = 0;
    std::string bytes;

    static std::uint32_t Le(const std::string& b, std::size_t at, int size)
    {
        std::uint32_t v = 0;
        for (int k = size - 1; k >= 0; --k)
            v = (v << 8) | static_cast<unsigned char>(b[at + static_cast<std::size_t>(k)]);
        return v;
    }
    explicit Bitmap(std::string data) : bytes(std::move(data))
    {
        if (bytes.size() < 54 || bytes.compare(0, 2, "BM") != 0) return;
        width = static_cast<int>(Le(bytes, 18, 4));
        height = static_cast<int>(Le(bytes, 22, 4));
        bitsPerPixel = static_cast<int>(Le(bytes, 28, 2));
    }
    // 0xRRGGBB of the pixel, x from the left, y from the top.
    std::uint32_t Rgb(int x, int y) const
    {
        const std::size_t stride = (static_cast<std::size_t>(width) * 3 + 3) / 4 * 4;
        const std::size_t at = Le(bytes, 10, 4) +
                               static_cast<std::size_t>(height - 1 - y) * stride +
                               static_cast<std::size_t>(x) * 3;
        return Le(bytes, at, 3);
    }
    int Count(std::uint32_t rgb) const
    {
        int n = 0;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                n += Rgb(x, y) == rgb ? 1 : 0;
        return n;
    }
};

constexpr std::uint32_t kBlack = 0x000000;
constexpr std::uint32_t kRed = 0xFF0000;
constexpr std::uint32_t kGreen = 0x008000;
constexpr std::uint32_t kYellow = 0xFFFF00;
constexpr std::uint32_t kWhite = 0xFFFFFF;

double RoundEven(double x)
{
    return std::nearbyint(x);
}

// --- the golden picture ----------------------------------------------------------------------

TEST_F(ConverterTest, PlotOfTheSampleMatchesItsGoldenBitmap)
{
    CopyInput("ha1001.spm");

    const RunResult run = Run({"--no-exp", "--plot", "320x240", "ha1001.spm"});

    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(FolderListing(Dir()), (std::vector<std::string>{"ha1001.bmp", "ha1001.spm"}));
    const std::string bytes = ReadBytes(Dir() / "ha1001.bmp");
    EXPECT_TRUE(bytes == ReadBytes(DataFile("plot-ha1001-320x240.bmp")))
        << "the plot differs from its golden bitmap";

    // A few pixels, worked out from the drawing rules alone.
    const Bitmap bmp(bytes);
    ASSERT_EQ(bmp.width, 320);
    ASSERT_EQ(bmp.height, 240);
    ASSERT_EQ(bmp.bitsPerPixel, 24);
    ASSERT_EQ(bytes.size(), 54u + 320u * 3u * 240u);

    const Counts counts = ReadPca2Counts(ReadBytes(DataFile("ha1001.spm")));
    ASSERT_EQ(counts.size(), 1024u);
    std::vector<double> folded(512); // folding channel 512: channel i pairs with 1023 - i
    for (std::size_t i = 0; i < 512; ++i)
        folded[i] = static_cast<std::uint32_t>(counts[i] + counts[1023 - i]);
    const std::size_t first = 9;
    const std::size_t last = 512 - 9 - 1;
    double min = 4294967295.0;
    double max = 0;
    double sum = 0;
    for (std::size_t i = first; i <= last; ++i) {
        min = std::min(min, folded[i]);
        max = std::max(max, folded[i]);
        sum += folded[i];
    }
    const double scale = std::min(1000.0, RoundEven((1 - min / max) * 1000) + 1);
    const double base = RoundEven((1 - scale / 1000) * max);
    const double yScale = 240 / RoundEven(scale / 1000 * max);
    const double xScale = 320.0 / 512.0;

    const int foldX = static_cast<int>(RoundEven(256 * xScale)); // the folding marker
    EXPECT_EQ(foldX, 160);
    const int meanY = static_cast<int>(240 - RoundEven((sum / (last - first + 1) - base) * yScale));
    ASSERT_GE(meanY, 0);
    ASSERT_LT(meanY, 240);
    for (int y = 0; y < 240; ++y)
        ASSERT_EQ(bmp.Rgb(foldX, y), kWhite) << "folding marker at y " << y;
    for (int x = 0; x < 320; ++x)
        ASSERT_EQ(bmp.Rgb(x, meanY), kWhite) << "mean level at x " << x;

    // The last channel of the window is drawn last: its point is on top.
    const int lastX = static_cast<int>(RoundEven(static_cast<double>(last) * xScale));
    const int lastY = static_cast<int>(RoundEven(240 - (folded[last] - base) * yScale));
    ASSERT_NE(lastY, meanY);
    ASSERT_GE(lastY, 0);
    ASSERT_LT(lastY, 240);
    EXPECT_EQ(bmp.Rgb(lastX, lastY), kYellow);

    // Only the plot's colours, each of them present; nothing right of the last channel's
    // column but the mean level.
    const int black = bmp.Count(kBlack);
    const int red = bmp.Count(kRed);
    const int green = bmp.Count(kGreen);
    const int yellow = bmp.Count(kYellow);
    const int white = bmp.Count(kWhite);
    EXPECT_EQ(black + red + green + yellow + white, 320 * 240);
    EXPECT_GT(red, 100);
    EXPECT_GT(green, 100);
    EXPECT_GT(yellow, 100);
    for (int x = lastX + 1; x < 320; ++x)
        for (int y = 0; y < 240; ++y)
            if (y != meanY) {
                ASSERT_EQ(bmp.Rgb(x, y), kBlack) << x << ", " << y;
            }
}

// --- the Graphic options ---------------------------------------------------------------------

// What the window's controls hold when the plot is drawn, given the counts (for the guesses).
using ExpectedSettings = std::function<PlotSettings(const Counts&)>;

struct OptionCase {
    const char* what;
    const char* sample; // a bundled sample
    std::vector<std::string> options;
    ExpectedSettings expected;
};

void PrintTo(const OptionCase& c, std::ostream* os)
{
    *os << c.what;
}

// After the open: folding channel in the middle, margins 9, scale guessed over that window.
PlotSettings Opened(const Counts& counts, bool guess = true)
{
    PlotSettings s;
    s.FoldChannel = static_cast<std::uint16_t>(counts.size() / 2);
    s.IgnoreFromLeft = 9;
    s.IgnoreFromRight = 9;
    if (guess) s.Scale = static_cast<std::uint16_t>(GuessScale(counts, s));
    return s;
}

PlotSettings With(PlotSettings s, const std::function<void(PlotSettings&)>& change)
{
    change(s);
    return s;
}

PlotSettings Margins(PlotSettings s, std::uint16_t fold, std::uint16_t margin)
{
    s.FoldChannel = fold;
    s.IgnoreFromLeft = margin;
    s.IgnoreFromRight = margin;
    return s;
}

constexpr const char* kFoil = "ha1001-fe-foil.spm";    // 1024 channels
constexpr const char* kDoublet = "ha1002-doublet.spm"; // 512 channels

class PlotOptions : public ConverterTest, public ::testing::WithParamInterface<OptionCase> {};

TEST_P(PlotOptions, DrawWithTheSettingsTheControlsWouldHold)
{
    const OptionCase& c = GetParam();
    const fs::path input = Dir() / c.sample;
    fs::copy_file(fs::path(TRV_SOURCE_DIR) / "samples" / c.sample, input);
    std::vector<std::string> args = {"--no-exp", "--plot", "200x150"};
    args.insert(args.end(), c.options.begin(), c.options.end());
    args.push_back(c.sample);

    const RunResult run = Run(args);

    ASSERT_EQ(run.status, 0) << run.err;
    const Counts counts = ReadPca2Counts(ReadBytes(input));
    const PlotSettings settings = c.expected(counts);
    PlotState state;
    InitPlotState(state);
    PreparePlot(state, counts, settings);
    PlotSurface surface;
    DrawPlot(state, settings, c.sample, surface, 200, 150);
    const std::string bytes = ReadBytes(Dir() / fs::path(c.sample).replace_extension(".bmp"));
    EXPECT_TRUE(bytes == EncodeBmp(surface.Image()))
        << "margins " << settings.IgnoreFromLeft << "/" << settings.IgnoreFromRight << ", fold "
        << settings.FoldChannel << ", scale " << settings.Scale;

    const Bitmap bmp(bytes);
    // Error lines may all be shorter than a pixel at a large scale; their absence is exact.
    if (!settings.DrawErrorLines) {
        EXPECT_EQ(bmp.Count(kRed), 0);
    }
    EXPECT_EQ(bmp.Count(kGreen) > 0, settings.DrawMean);
    EXPECT_EQ(bmp.Count(kWhite) > 0, settings.Folded);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PlotOptions,
    ::testing::Values(
        OptionCase{"open of 1024 channels", kFoil, {}, [](const Counts& c) { return Opened(c); }},
        OptionCase{"open of 512 channels: folding channel 256, margins 9",
                   kDoublet,
                   {},
                   [](const Counts& c) {
                       const PlotSettings s = Opened(c);
                       EXPECT_EQ(s.FoldChannel, 256);
                       return s;
                   }},
        // The folding channel's reaction sets both margins to 2 x distance + 5, kept in 5..100,
        // and leaves the guessed scale as it was.
        OptionCase{"fold 515 widens the margins to 11",
                   kFoil,
                   {"--fold-channel", "515"},
                   [](const Counts& c) { return Margins(Opened(c), 515, 11); }},
        OptionCase{"fold 1023 is held at margins 100",
                   kFoil,
                   {"--fold-channel", "1023"},
                   [](const Counts& c) { return Margins(Opened(c), 1023, 100); }},
        OptionCase{"fold beyond the range is kept at 1023",
                   kFoil,
                   {"--fold-channel=5000"},
                   [](const Counts& c) { return Margins(Opened(c), 1023, 100); }},
        OptionCase{"negative fold is kept at 0",
                   kFoil,
                   {"--fold-channel", "-7"},
                   [](const Counts& c) { return Margins(Opened(c), 0, 100); }},
        OptionCase{"fold equal to the open's value is no change: margins stay 9",
                   kFoil,
                   {"--fold-channel", "512"},
                   [](const Counts& c) { return Opened(c); }},
        OptionCase{"changes run in order: 510 (margins 9), then back to 512 (margins 5)",
                   kFoil,
                   {"--fold-channel", "510", "--fold-channel", "512"},
                   [](const Counts& c) { return Margins(Opened(c), 512, 5); }},
        OptionCase{"fold on 512 channels measures from 256",
                   kDoublet,
                   {"--fold-channel", "300"},
                   [](const Counts& c) { return Margins(Opened(c), 300, 93); }},
        OptionCase{"unfolded: the click guesses the scale again over the whole spectrum",
                   kFoil,
                   {"--no-fold"},
                   [](const Counts& c) {
                       PlotSettings s = Opened(c);
                       s.Folded = false;
                       s.Scale = static_cast<std::uint16_t>(GuessScale(c, s));
                       EXPECT_NE(s.Scale, Opened(c).Scale);
                       return s;
                   }},
        OptionCase{"a given scale is never replaced by a guess",
                   kFoil,
                   {"--scale", "300", "--no-fold"},
                   [](const Counts& c) {
                       return With(Opened(c, false), [](PlotSettings& s) {
                           s.Scale = 300;
                           s.Folded = false;
                       });
                   }},
        OptionCase{"scale beyond the range is kept at 1000",
                   kFoil,
                   {"--scale", "99999999999999999999999"},
                   [](const Counts& c) {
                       return With(Opened(c, false), [](PlotSettings& s) { s.Scale = 1000; });
                   }},
        OptionCase{"no error lines",
                   kFoil,
                   {"--no-error-lines"},
                   [](const Counts& c) {
                       return With(Opened(c), [](PlotSettings& s) { s.DrawErrorLines = false; });
                   }},
        OptionCase{"no mean",
                   kDoublet,
                   {"--no-mean"},
                   [](const Counts& c) {
                       return With(Opened(c), [](PlotSettings& s) { s.DrawMean = false; });
                   }},
        OptionCase{"mean width 7",
                   kFoil,
                   {"--mean-width", "7"},
                   [](const Counts& c) {
                       return With(Opened(c), [](PlotSettings& s) { s.MeanWidth = 7; });
                   }},
        OptionCase{"mean width 0 is kept at 1",
                   kFoil,
                   {"--mean-width=0"},
                   [](const Counts& c) {
                       return With(Opened(c), [](PlotSettings& s) { s.MeanWidth = 1; });
                   }},
        OptionCase{
            "mean width 99 is kept at 20", kFoil, {"--mean-width", "+99"}, [](const Counts& c) {
                return With(Opened(c), [](PlotSettings& s) { s.MeanWidth = 20; });
            }}));

TEST_F(ConverterTest, OnlyPlotsHigherThan400CarryTheOverlayLabels)
{
    CopyInput("ha1001.spm");
    for (const int height : {400, 401}) {
        const std::string size = "300X" + std::to_string(height); // either letter x
        const RunResult run = Run({"--no-exp", "--plot", size, "ha1001.spm"});
        ASSERT_EQ(run.status, 0) << run.err;
        const Bitmap bmp(ReadBytes(Dir() / "ha1001.bmp"));
        ASSERT_EQ(bmp.height, height);
        // The labels stand at x 10, from y H - 100 to below H - 60: white glyphs there. The
        // mean level is the one other white there, and it spans the whole width.
        int labelWhite = 0;
        for (int y = height - 100; y < height - 40; ++y) {
            bool fullRow = true;
            for (int x = 0; x < 300; ++x)
                fullRow = fullRow && bmp.Rgb(x, y) == kWhite;
            for (int x = 10; x < 60 && !fullRow; ++x)
                labelWhite += bmp.Rgb(x, y) == kWhite ? 1 : 0;
        }
        if (height > 400) {
            EXPECT_GT(labelWhite, 50);
        }
        else {
            EXPECT_EQ(labelWhite, 0);
        }
    }
}

// --- where the bitmap goes, and failures -----------------------------------------------------

TEST_F(ConverterTest, BitmapGoesBesideTheExpOrIntoTheOutputFolder)
{
    CopyInput("ha1001.spm", "in/ha1001.spm");
    fs::create_directories(Dir() / "out");

    const RunResult beside = Run({"--plot", "64x48", "in/ha1001.spm"});
    ASSERT_EQ(beside.status, 0) << beside.err;
    EXPECT_EQ(FolderListing(Dir() / "in"),
              (std::vector<std::string>{"ha1001.bmp", "ha1001.exp", "ha1001.spm"}));

    const RunResult into = Run({"--plot", "64x48", "--output-dir", "out", "in/ha1001.spm"});
    ASSERT_EQ(into.status, 0) << into.err;
    EXPECT_EQ(FolderListing(Dir() / "out"), (std::vector<std::string>{"ha1001.bmp", "ha1001.exp"}));
    EXPECT_EQ(ReadBytes(Dir() / "out/ha1001.bmp"), ReadBytes(Dir() / "in/ha1001.bmp"));
    EXPECT_EQ(Bitmap(ReadBytes(Dir() / "out/ha1001.bmp")).width, 64);
}

TEST_F(ConverterTest, SecondBitmapOfTheSameNameIsRefused)
{
    CopyInput("ha1001.spm", "a/x.spm");
    CopyInput("ab.spm", "b/x.spm");
    fs::create_directories(Dir() / "out");

    const RunResult run =
        Run({"--no-exp", "--plot", "64x48", "--output-dir", "out", "a/x.spm", "b/x.spm"});

    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "b/x.spm: not converted: out/x.bmp was already written for an earlier "
                       "file of this run\n");
    EXPECT_EQ(FolderListing(Dir() / "out"), (std::vector<std::string>{"x.bmp"}));
}

TEST_F(ConverterTest, PlotThatCannotBeDrawnFailsTheFileAndLeavesNoBitmap)
{
    CopyInput("ha1001.spm");
    WriteSpm(Dir() / "zero.spm", Counts(1024, 0));

    struct Case {
        std::vector<std::string> options;
        std::string zeroMessage; // for the spectrum of zeros
    };
    const std::vector<Case> cases = {
        {{}, "zero.spm: Invalid floating point operation"}, // the guess divides 0 by 0
        {{"--scale", "4"}, "zero.spm: Floating point division by zero"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = {"--plot", "64x48"};
        args.insert(args.end(), c.options.begin(), c.options.end());
        args.insert(args.end(), {"zero.spm", "ha1001.spm"});

        const RunResult run = Run(args);

        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.err, c.zeroMessage + "\n");
        EXPECT_FALSE(fs::exists(Dir() / "zero.bmp"));
        EXPECT_TRUE(fs::exists(Dir() / "zero.exp")); // the EXP does not depend on the plot
        EXPECT_TRUE(fs::exists(Dir() / "ha1001.bmp"));
        fs::remove(Dir() / "zero.exp");
        fs::remove(Dir() / "ha1001.bmp");
    }

    // A scale of 0 leaves no count range on any spectrum.
    const RunResult flat = Run({"--no-exp", "--plot", "64x48", "--scale", "0", "ha1001.spm"});
    EXPECT_EQ(flat.status, 1);
    EXPECT_EQ(flat.err, "ha1001.spm: Floating point division by zero\n");
    EXPECT_FALSE(fs::exists(Dir() / "ha1001.bmp"));
}

struct BadValue {
    std::vector<std::string> args;
    const char* message;
};

TEST_F(ConverterTest, BadPlotValuesAreUsageErrors)
{
    const std::string size = "(expected WIDTHxHEIGHT, each 1..8192)";
    const std::string whole = "(expected a whole number)";
    const std::vector<BadValue> cases = {
        {{"--plot", "320"}, "invalid value '320' for --plot "},
        {{"--plot", "320x"}, "invalid value '320x' for --plot "},
        {{"--plot", "x240"}, "invalid value 'x240' for --plot "},
        {{"--plot", "0x240"}, "invalid value '0x240' for --plot "},
        {{"--plot", "320x0"}, "invalid value '320x0' for --plot "},
        {{"--plot", "8193x10"}, "invalid value '8193x10' for --plot "},
        {{"--plot", "-320x240"}, "invalid value '-320x240' for --plot "},
        {{"--plot", "+320x240"}, "invalid value '+320x240' for --plot "},
        {{"--plot", "320x240x2"}, "invalid value '320x240x2' for --plot "},
        {{"--plot", "320 x 240"}, "invalid value '320 x 240' for --plot "},
        {{"--plot="}, "invalid value '' for --plot "},
        {{"--scale", "abc"}, "invalid value 'abc' for --scale "},
        {{"--scale", "1.5"}, "invalid value '1.5' for --scale "},
        {{"--fold-channel", "-"}, "invalid value '-' for --fold-channel "},
        {{"--mean-width", "2x"}, "invalid value '2x' for --mean-width "},
    };
    WriteSpm(Dir() / "x.spm", Counts(1024, 1000));
    for (const BadValue& c : cases) {
        std::vector<std::string> args = c.args;
        args.push_back("x.spm");
        const RunResult run = Run(args);
        EXPECT_EQ(run.status, 2) << c.message;
        const std::string expected = std::string("trevandel-convert: ") + c.message +
                                     (c.args[0].starts_with("--plot") ? size : whole);
        EXPECT_EQ(SplitLines(run.err).at(0), expected);
        EXPECT_NE(run.err.find("Usage: trevandel-convert"), std::string::npos);
    }
    EXPECT_EQ(FolderListing(Dir()), (std::vector<std::string>{"x.spm"}));
}

// --- --find-fold -----------------------------------------------------------------------------

// Six absorption lines mirrored about `centre` on a flat baseline, with reproducible counting
// noise (a fixed linear congruential sequence, so the files are the same everywhere). No two
// disjoint pairs of lines share a midpoint, so no other folding channel fits as well.
Counts MirroredSpectrum(int n, double centre)
{
    std::uint64_t seed = 0x2545F4914F6CDD1Dull;
    auto uniform = [&seed] {
        seed = seed * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<double>(seed >> 11) / 9007199254740992.0;
    };
    Counts counts(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        double v = 150000.0;
        for (double offset : {30.0, 95.0, 190.0})
            for (double position : {centre - offset, centre + offset}) {
                const double u = (i - position) / 3.5;
                v -= 25000.0 / (1.0 + u * u);
            }
        double gauss = -6.0; // sum of twelve uniforms: mean 0, variance 1
        for (int k = 0; k < 12; ++k)
            gauss += uniform();
        counts[static_cast<std::size_t>(i)] =
            static_cast<std::uint32_t>(std::lround(v + gauss * std::sqrt(v)));
    }
    return counts;
}

TEST_F(ConverterTest, FindFoldPrintsTheMirrorOfSyntheticSpectraAndWritesNothing)
{
    struct Case {
        const char* file;
        int n;
        double centre; // the spectrum is mirrored about this channel position
    };
    // Channel i folds onto 2F - 1 - i: the folding channel is the mirror centre + 1/2.
    const std::vector<Case> cases = {
        {"whole1024.spm", 1024, 511.5}, {"half1024.spm", 1024, 509.0}, {"off1024.spm", 1024, 505.5},
        {"whole512.spm", 512, 255.5},   {"half512.spm", 512, 250.0},   {"far1024.spm", 1024, 420.0},
    };
    std::vector<std::string> args = {"--find-fold", "--plot", "64x48"}; // still writes nothing
    for (const Case& c : cases) {
        WriteSpm(Dir() / c.file, MirroredSpectrum(c.n, c.centre));
        args.push_back(c.file);
    }

    const RunResult run = Run(args);

    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    const std::vector<std::string> lines = SplitLines(run.out);
    ASSERT_EQ(lines.size(), cases.size()) << run.out;
    for (std::size_t k = 0; k < cases.size(); ++k) {
        const std::string prefix = std::string(cases[k].file) + ": ";
        ASSERT_TRUE(lines[k].starts_with(prefix)) << lines[k];
        const std::string value = lines[k].substr(prefix.size());
        ASSERT_GE(value.size(), 4u) << lines[k];
        EXPECT_EQ(value[value.size() - 3], '.') << lines[k]; // two decimals
        EXPECT_EQ(value.find_first_not_of("0123456789."), std::string::npos) << lines[k];
        EXPECT_NEAR(std::stod(value), cases[k].centre + 0.5, 0.05) << lines[k];
    }
    EXPECT_EQ(FolderListing(Dir()).size(), cases.size()); // only the inputs
}

TEST_F(ConverterTest, FindFoldSearchesTheWindowTheFoldChannelOptionLeaves)
{
    WriteSpm(Dir() / "m.spm", MirroredSpectrum(1024, 509.0));
    WriteSpm(Dir() / "zero.spm", Counts(1024, 0));

    // Margins of 100 (from folding channel 0) still hold enough lines to find the mirror.
    const RunResult narrow = Run({"--find-fold", "--fold-channel", "0", "m.spm"});
    EXPECT_EQ(narrow.status, 0) << narrow.err;
    ASSERT_TRUE(narrow.out.starts_with("m.spm: ")) << narrow.out;
    EXPECT_NEAR(std::stod(narrow.out.substr(7)), 509.5, 0.05);

    // Nothing to compare: the file fails, the others are still looked at.
    const RunResult none = Run({"--find-fold", "zero.spm", "m.spm"});
    EXPECT_EQ(none.status, 1);
    EXPECT_EQ(none.err, "zero.spm: no folding channel found: the plotted window holds no "
                        "mirrored channels with counts\n");
    EXPECT_TRUE(none.out.starts_with("m.spm: 509.")) << none.out;
    EXPECT_EQ(FolderListing(Dir()), (std::vector<std::string>{"m.spm", "zero.spm"}));
}

} // namespace
} // namespace trv::clitest
