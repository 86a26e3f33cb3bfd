#include "PlotTestUtil.h"

#include "plot/Plot.h"
#include "support/FaultFolders.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace trv {
namespace {

using test::Pixel;
using test::PixelsOf;
using V = std::vector<std::uint32_t>;

// Points only, unfolded, with the given margins and scale.
PlotSettings PointsOnly(std::uint16_t left, std::uint16_t right, std::uint16_t scale)
{
    PlotSettings s;
    s.IgnoreFromLeft = left;
    s.IgnoreFromRight = right;
    s.Scale = scale;
    s.Folded = s.DrawErrorLines = s.DrawMean = false;
    return s;
}

PlotState Prepared(const V& counts, const PlotSettings& settings)
{
    PlotState state;
    InitPlotState(state);
    PreparePlot(state, counts, settings);
    return state;
}

// Draws on a fresh surface.
PlotSurface Drawn(const V& counts, const PlotSettings& s, int width, int height)
{
    PlotState state = Prepared(counts, s);
    PlotSurface surface;
    DrawPlot(state, s, "", surface, width, height);
    return surface;
}

TEST(PreparePlot, FoldsAboutTheFoldingChannelModulo32Bits)
{
    const V counts = {0xFFFFFFFFu, 10, 20, 30, 40, 50, 60, 2};
    const std::pair<std::uint16_t, V> cases[] = {
        {4, {1, 70, 70, 70}},           // pairs (0,7), (1,6), (2,5), (3,4)
        {5, {0xFFFFFFFFu, 10, 22, 90}}, // partners 9 and 8 lie beyond the end: zero
        {1, {9, 9, 20, 30}},            // partners -1 and -2 lie before the start
        {0, {0xFFFFFFFFu, 10, 20, 30}},
    };
    PlotSettings s;
    for (const auto& [fold, expected] : cases) {
        s.FoldChannel = fold;
        EXPECT_EQ(Prepared(counts, s).PlotData, expected) << "F = " << fold;
    }
    s.FoldChannel = 3; // an odd count folds its first N div 2 channels
    EXPECT_EQ(Prepared({1, 2, 3, 4, 5, 6, 7}, s).PlotData, (V{7, 7, 7}));
    s.Folded = false;
    EXPECT_EQ(Prepared(counts, s).PlotData, counts);
}

TEST(DrawPlot, ScaleAndWindowPlaceThePoints)
{
    // Scale 4 of a maximum of 100000: the bottom edge at 99600, a span of 400 counts.
    V counts(30, 99700);
    counts[2] = 500000; // in the left margin: ignored for the maximum
    counts[27] = 0;     // in the right margin
    const std::pair<int, std::uint32_t> marked[] = {
        {10, 100000}, {12, 99800}, {14, 99600}, {16, 99602}, {18, 99606}};
    for (const auto& [i, v] : marked)
        counts[i] = v;
    const PlotSettings s = PointsOnly(5, 5, 4);
    PlotState state = Prepared(counts, s);
    PlotSurface surface;
    DrawPlot(state, s, "x", surface, 30, 500);
    EXPECT_EQ(std::make_pair(state.PlotBase, state.PlotRange), std::make_pair(99600, 400));
    EXPECT_DOUBLE_EQ(state.YScale, 1.25);
    std::set<Pixel> expected;
    for (int i = 5; i < 25; ++i)
        if (i % 2 || i < 10 || i > 18) expected.insert({i, 375});
    // 497.5 rounds to the even 498, 492.5 to 492; 14 lies on y = H and is not seen.
    expected.insert({{10, 0}, {12, 250}, {16, 498}, {18, 492}});
    EXPECT_EQ(PixelsOf(surface, kPlotYellow), expected);
    EXPECT_EQ(PixelsOf(surface, kPlotBlack).size(), 30 * 500 - expected.size());
}

TEST(DrawPlot, MaximumReadsCountsUnsignedAgainstASignedMaximum)
{
    const PlotSettings s = PointsOnly(0, 0, 1000);
    const std::pair<V, std::int32_t> cases[] = {
        {{10, 0xFFFFFFF0u, 3}, 3}, // the "negative" count is replaced by whatever follows
        {{10, 3, 0xFFFFFFF0u}, -16},
        {{0x7FFFFFFFu, 5}, 0x7FFFFFFF},
    };
    for (const auto& [window, max] : cases) {
        PlotState state = Prepared(window, s);
        PlotSurface surface;
        DrawPlot(state, s, "", surface, 10, 10);
        EXPECT_EQ(std::make_pair(state.PlotMax, state.PlotRange), std::make_pair(max, max));
    }
}

TEST(DrawPlot, ZeroRangeOrWidthStopsAfterTheFillAndKeepsTheScales)
{
    const struct {
        V counts;
        std::uint16_t scale;
        int width, height;
        std::string message;
    } cases[] = {
        {V(20, 0), 4, 40, 50, kDivisionByZeroText},
        {V(20, 400), 1, 40, 50, kDivisionByZeroText}, // the range rounds to 0
        {V(20, 0), 4, 40, 0, kInvalidFloatOpText},
        {V(20, 100), 1000, 0, 50, kInvalidFloatOpText}, // the mean's start x is 0 / 0
        {V(20, 100), 1000, 40, 0, "(no error)"},        // no rows: nothing divides by zero
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message + " " + std::to_string(c.scale));
        PlotSettings s = PointsOnly(5, 5, c.scale);
        s.DrawErrorLines = s.DrawMean = true;
        PlotState state = Prepared(c.counts, s);
        state.YScale = 7.0;
        state.XScale = 3.0;
        PlotSurface surface(c.width, c.height);
        surface.FillRect(0, 0, c.width, c.height, kPlotWhite);
        EXPECT_EQ(faults::ErrorOf([&] { DrawPlot(state, s, "", surface, c.width, c.height); }),
                  c.message);
        EXPECT_EQ(PixelsOf(surface, kPlotBlack).size(), std::size_t(c.width * c.height));
        if (c.width > 0 && c.message != "(no error)") { // the range step failed
            EXPECT_EQ(std::make_pair(state.YScale, state.XScale), std::make_pair(7.0, 3.0));
        }
    }
}

// Error lines, the running mean and the fold marker, probed where the golden pictures do not
// reach: a half rounded to even, mean ends, a fractional column step, an odd folding channel.
TEST(DrawPlot, ErrorLinesMeanAndFoldMarker)
{
    constexpr QRgb K = kPlotBlack, R = kPlotRed, G = kPlotGreen, Y = kPlotYellow, W = kPlotWhite;
    const struct {
        const char* name;
        std::uint16_t left, right, meanWidth, fold; // meanWidth 0: no mean; fold 0: unfolded
        bool errors;
        V counts;
        int width, height;
        std::vector<std::tuple<int, int, QRgb>> probes;
    } cases[] = {
        // clang-format off
        // Maximum 400 on 200 rows: YScale 0.5. 100 sits on row 150 with e = Round(2.5) = 2: red
        // from 148 up to, not including, 152. 400 sits on row 0 with e = 5.
        {"error lines", 0, 0, 0, 0, true, {400, 100, 0}, 3, 200,
         {{0, 0, Y}, {0, 4, R}, {0, 5, K}, {1, 147, K}, {1, 148, R}, {1, 150, Y}, {1, 151, R},
          {1, 152, K}}},
        {"mean of width 1", 5, 5, 1, 0, false, V(40, 500), 40, 100,
         {{6, 0, Y}, {7, 0, G}, {30, 0, G}, {31, 0, Y}}},
        // 1.5 columns per channel: channel 11 (X = 16) starts at Round((16 / 1.5 - 1) * 1.5) =
        // Round(14.5) = 14, not at the previous channel's X of 15; channel 31 ends before 46.
        // Outside the mean's channels the points show, where a channel falls.
        {"mean from this channel's x", 8, 5, 1, 0, false, V(40, 500), 60, 100,
         {{13, 0, K}, {14, 0, G}, {45, 0, G}, {46, 0, Y}}},
        // Folded about 41: the marker at Round(41 div 2 * 5) = 100. The labels show only above
        // 400 rows; on 401 the first would light (10, 303).
        {"fold marker", 0, 0, 0, 41, false, V(80, 100), 200, 400,
         {{100, 0, W}, {100, 399, W}, {99, 0, K}, {10, 302, K}}},
        // clang-format on
    };
    for (const auto& c : cases) {
        PlotSettings s = PointsOnly(c.left, c.right, 1000);
        s.DrawErrorLines = c.errors;
        s.DrawMean = c.meanWidth > 0;
        s.MeanWidth = c.meanWidth;
        s.Folded = c.fold > 0;
        s.FoldChannel = c.fold;
        const PlotSurface surface = Drawn(c.counts, s, c.width, c.height);
        for (const auto& [x, y, colour] : c.probes)
            EXPECT_EQ(surface.Pixel(x, y), colour) << c.name << " at " << x << "," << y;
    }
}

TEST(DrawPlot, PointsFarOutsideDrawNothingInside)
{
    PlotSettings s = PointsOnly(0, 0, 1000);
    s.DrawErrorLines = true;
    // 2^31 + 600 is replaced as maximum by the next count and lies ~10^9 rows above the top;
    // modulo 65536 it would be row 200, with an error line over the whole column.
    EXPECT_EQ(test::Art(Drawn({1000, 0x80000000u + 600, 1000, 500}, s, 4, 500)),
              test::Art(Drawn({1000, 0, 1000, 500}, s, 4, 500)));
}

// A small folded spectrum with every mark on: the exact picture.
TEST(DrawPlot, GoldenSmallPicture)
{
    V counts(36);
    for (int i = 0; i < 36; ++i)
        counts[i] = static_cast<std::uint32_t>(3 + (i * 5) % 13 * 2 + (i >= 6 && i <= 8 ? 9 : 0));
    PlotSettings s;
    s.FoldChannel = 18;
    s.IgnoreFromLeft = s.IgnoreFromRight = 1;
    s.Scale = 800;
    s.MeanWidth = 1;
    // 18 folded channels, 1 ignored at each end; maximum 53 at channel 7: base 11, range 42.
    // clang-format off
    const std::vector<std::string> golden = {
        ".........Y..W...........",
        "............W...........",
        "...R.R.R....WR..R...R...",
        "...Y.Y.Y....WY..Y...Y...",
        "........G...W...........",
        "........G...W...........",
        ".......G.G..W...........",
        "....G.G...G.W..G........",
        "WWWWWWWWWWWWWWWWWWWWWWWW",
        "........R..RW.G.G.......",
        "........Y..YW.G.G.......",
        "............W...........",
        ".R..R.......W..R.R.R.R..",
        ".Y..Y.......W..Y.Y.Y.Y..",
        "............W...........",
        "............W...........",
    };
    // clang-format on
    EXPECT_EQ(test::Art(Drawn(counts, s, 24, 16)), golden);
}

// The default settings on a 1024-channel spectrum at the preview's first size, with labels,
// pinned by an FNV-1a checksum of every pixel.
TEST(DrawPlot, GoldenChecksumOfADefaultPreview)
{
    V counts(1024);
    for (int i = 0; i < 1024; ++i) {
        const double u = (std::abs(i - 511.5) - 150.0) / 6.0;
        counts[i] = static_cast<std::uint32_t>(100000 - 900 / (1 + u * u) + (i * 7919) % 300);
    }
    const PlotSettings s;
    PlotState state = Prepared(counts, s);
    PlotSurface surface;
    DrawPlot(state, s, "sample.spm", surface, 536, 450);
    std::uint64_t hash = 14695981039346656037u;
    for (int y = 0; y < surface.Height(); ++y)
        for (int x = 0; x < surface.Width(); ++x)
            for (int channel : {qRed(surface.Pixel(x, y)), qGreen(surface.Pixel(x, y)),
                                qBlue(surface.Pixel(x, y))})
                hash = (hash ^ static_cast<std::uint64_t>(channel)) * 1099511628211u;
    EXPECT_EQ(hash, 3722844689681395245u);
}

} // namespace
} // namespace trv
