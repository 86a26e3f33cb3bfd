#include "PlotTestUtil.h"
#include "platform/AppError.h"
#include "plot/Plot.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>

namespace trv {
namespace {

using test::CountColour;
using test::Pixel;
using test::PixelsOf;

// Settings that draw points only, unfolded, with the given margins and scale.
PlotSettings PointsOnly(std::uint16_t left, std::uint16_t right, std::uint16_t scale)
{
    PlotSettings s;
    s.IgnoreFromLeft = left;
    s.IgnoreFromRight = right;
    s.Scale = scale;
    s.Folded = false;
    s.DrawErrorLines = false;
    s.DrawMean = false;
    return s;
}

PlotState Prepared(const std::vector<std::uint32_t>& counts, const PlotSettings& settings)
{
    PlotState state;
    InitPlotState(state);
    PreparePlot(state, counts, settings);
    return state;
}

std::string DrawError(const std::function<void()>& draw)
{
    try {
        draw();
    }
    catch (const AppError& e) {
        return e.what();
    }
    return "";
}

TEST(PlotState, CreationAllowsDrawingWithNarrowMargins)
{
    PlotState state;
    EXPECT_FALSE(state.PlotReady);
    state.PlotData = {1, 2, 3};
    InitPlotState(state);
    EXPECT_TRUE(state.PlotReady);
    EXPECT_TRUE(state.PlotData.empty());
    EXPECT_EQ(state.Settings.IgnoreFromLeft, 5);
    EXPECT_EQ(state.Settings.IgnoreFromRight, 5);
}

TEST(PreparePlot, FoldsAboutTheFoldingChannelModulo32Bits)
{
    const std::vector<std::uint32_t> counts = {0xFFFFFFFFu, 10, 20, 30, 40, 50, 60, 2};
    PlotSettings s;
    s.FoldChannel = 4; // pairs (0,7), (1,6), (2,5), (3,4)
    PlotState state = Prepared(counts, s);
    EXPECT_EQ(state.PlotData, (std::vector<std::uint32_t>{1, 70, 70, 70}));
    EXPECT_EQ(state.Settings.FoldChannel, 4);

    s.Folded = false;
    PreparePlot(state, counts, s);
    EXPECT_EQ(state.PlotData, counts);
    EXPECT_FALSE(state.Settings.Folded);
}

TEST(PreparePlot, PartnerOutsideTheSpectrumCountsAsZero)
{
    const std::vector<std::uint32_t> counts = {1, 2, 3, 4, 5, 6, 7, 8};
    struct Case {
        std::uint16_t fold;
        std::vector<std::uint32_t> expected;
    };
    const std::vector<Case> cases = {
        {5, {1, 2, 3 + 8, 4 + 7}}, // partners 9 and 8 lie beyond the end
        {1, {1 + 2, 2 + 1, 3, 4}}, // partners -1 and -2 lie before the start
        {0, {1, 2, 3, 4}},         // no partner at all
        {1023, {1, 2, 3, 4}},
    };
    for (const Case& c : cases) {
        PlotSettings s;
        s.FoldChannel = c.fold;
        EXPECT_EQ(Prepared(counts, s).PlotData, c.expected) << "F = " << c.fold;
    }
    // An odd count folds its first N div 2 channels.
    PlotSettings s;
    s.FoldChannel = 3;
    EXPECT_EQ(Prepared({1, 2, 3, 4, 5, 6, 7}, s).PlotData,
              (std::vector<std::uint32_t>{1 + 6, 2 + 5, 3 + 4}));
}

// Scale 4 of a maximum of 100000 puts the bottom edge at 99600 and spans 400 counts.
TEST(DrawPlot, ScaleAndWindowPlaceThePoints)
{
    std::vector<std::uint32_t> counts(30, 99700);
    counts[2] = 500000; // inside the left margin: ignored for the maximum
    counts[27] = 0;     // inside the right margin
    counts[10] = 100000;
    counts[12] = 99800;
    counts[14] = 99600;
    counts[16] = 99602; // 497.5 rounds to the even 498
    counts[18] = 99606; // 492.5 rounds to 492
    const PlotSettings s = PointsOnly(5, 5, 4);
    PlotState state = Prepared(counts, s);
    PlotSurface surface;
    DrawPlot(state, s, "x", surface, 30, 500);

    EXPECT_EQ(state.PlotMax, 100000);
    EXPECT_EQ(state.PlotBase, 99600);
    EXPECT_EQ(state.PlotRange, 400);
    EXPECT_DOUBLE_EQ(state.YScale, 1.25);
    EXPECT_DOUBLE_EQ(state.XScale, 1.0);

    std::set<Pixel> expected;
    for (int i = 5; i < 25; ++i)
        expected.insert({i, 375});
    for (int i : {10, 12, 14, 16, 18})
        expected.erase({i, 375});
    expected.insert({{10, 0}, {12, 250}, {16, 498}, {18, 492}}); // 14 lies on y = H: unseen
    EXPECT_EQ(PixelsOf(surface, kPlotYellow), expected);
    EXPECT_EQ(CountColour(surface, kPlotBlack), 30 * 500 - static_cast<int>(expected.size()));
}

TEST(DrawPlot, ChannelXRoundsTiesToEven)
{
    // 16 channels on 8 columns: x = i / 2 rounded; with scale 1000 and H = 250, y = 150 - 10 i.
    std::vector<std::uint32_t> counts;
    for (std::uint32_t i = 0; i < 16; ++i)
        counts.push_back(100 + 10 * i);
    const PlotSettings s = PointsOnly(0, 0, 1000);
    PlotState state = Prepared(counts, s);
    PlotSurface surface;
    DrawPlot(state, s, "", surface, 8, 250);
    std::set<Pixel> expected;
    const int xs[16] = {0, 0, 1, 2, 2, 2, 3, 4, 4, 4, 5, 6, 6, 6, 7, 8};
    for (int i = 0; i < 16; ++i)
        if (xs[i] < 8) expected.insert({xs[i], 150 - 10 * i});
    EXPECT_EQ(PixelsOf(surface, kPlotYellow), expected);
}

TEST(DrawPlot, MaximumReadsCountsUnsignedAgainstASignedMaximum)
{
    const PlotSettings s = PointsOnly(0, 0, 1000);
    PlotSurface surface;
    struct Case {
        std::vector<std::uint32_t> window;
        std::int32_t max;
    };
    const std::vector<Case> cases = {
        {{10, 30, 20}, 30},
        {{10, 0xFFFFFFF0u, 3}, 3}, // the "negative" count is replaced by whatever follows
        {{10, 3, 0xFFFFFFF0u}, -16},
        {{0x7FFFFFFFu, 5}, 0x7FFFFFFF},
    };
    for (const Case& c : cases) {
        PlotState state = Prepared(c.window, s);
        DrawPlot(state, s, "", surface, 10, 10);
        EXPECT_EQ(state.PlotMax, c.max);
        EXPECT_EQ(state.PlotRange, c.max);
        EXPECT_EQ(state.PlotBase, 0);
    }
}

TEST(DrawPlot, ZeroRangeStopsAfterTheFillAndKeepsTheScales)
{
    struct Case {
        const char* name;
        std::vector<std::uint32_t> counts;
        std::uint16_t scale;
        int height;
        const char* message;
    };
    const std::vector<Case> cases = {
        {"all zero", std::vector<std::uint32_t>(20, 0), 4, 50, kDivisionByZeroText},
        {"scale 0", std::vector<std::uint32_t>(20, 1000), 0, 50, kDivisionByZeroText},
        {"range rounds to 0", std::vector<std::uint32_t>(20, 400), 1, 50, kDivisionByZeroText},
        {"height 0 too", std::vector<std::uint32_t>(20, 0), 4, 0, kInvalidFloatOpText},
    };
    for (const Case& c : cases) {
        PlotSettings s = PointsOnly(5, 5, c.scale);
        s.DrawErrorLines = true;
        s.DrawMean = true;
        s.Folded = false;
        PlotState state = Prepared(c.counts, s);
        state.YScale = 7.0;
        state.XScale = 3.0;
        PlotSurface surface(40, c.height);
        surface.FillRect(0, 0, 40, c.height, kPlotWhite);
        EXPECT_EQ(DrawError([&] { DrawPlot(state, s, "", surface, 40, c.height); }), c.message)
            << c.name;
        EXPECT_EQ(state.YScale, 7.0) << c.name;
        EXPECT_EQ(state.XScale, 3.0) << c.name;
        EXPECT_EQ(state.PlotRange, 0) << c.name;
        EXPECT_EQ(CountColour(surface, kPlotBlack), 40 * c.height) << c.name;
    }
}

TEST(DrawPlot, ZeroWidthFailsOnlyWhereTheMeanDividesByTheColumnScale)
{
    // With no columns the running mean's start x is 0 / 0.
    PlotSettings s = PointsOnly(0, 0, 1000);
    s.DrawErrorLines = true;
    PlotState state = Prepared(std::vector<std::uint32_t>(40, 100), s);
    PlotSurface surface;
    EXPECT_EQ(DrawError([&] { DrawPlot(state, s, "", surface, 0, 100); }), "");
    EXPECT_EQ(state.XScale, 0.0);
    s.DrawMean = true;
    PreparePlot(state, std::vector<std::uint32_t>(40, 100), s);
    EXPECT_EQ(DrawError([&] { DrawPlot(state, s, "", surface, 0, 100); }), kInvalidFloatOpText);
    // No rows is harmless: nothing is visible, nothing divides by zero.
    EXPECT_EQ(DrawError([&] { DrawPlot(state, s, "", surface, 40, 0); }), "");
    EXPECT_EQ(state.YScale, 0.0);
}

TEST(DrawPlot, EmptyWindowDrawsTheBackgroundOnly)
{
    PlotSettings folded; // folded with overlay, errors and mean: nothing of it may appear
    for (const std::vector<std::uint32_t>& counts :
         {std::vector<std::uint32_t>{}, std::vector<std::uint32_t>(36, 1000)}) {
        PlotState state = Prepared(counts, folded); // 0 or 18 plotted channels, margins 9 + 9
        state.YScale = 7.0;
        PlotSurface surface(50, 450);
        surface.FillRect(0, 0, 50, 450, kPlotWhite);
        EXPECT_NO_THROW(DrawPlot(state, folded, "name", surface, 50, 450));
        EXPECT_EQ(CountColour(surface, kPlotBlack), 50 * 450);
        EXPECT_EQ(state.YScale, 7.0);
        EXPECT_EQ(state.PlotMax, 0);
    }
    PlotState state = Prepared({}, folded);
    PlotSurface surface;
    EXPECT_NO_THROW(DrawFoldOverlay(state, folded, "name", surface));
}

TEST(DrawPlot, DoesNothingBeforeThePlotIsReady)
{
    PlotState state;
    const PlotSettings s = PointsOnly(0, 0, 1000);
    PreparePlot(state, {5, 6, 7}, s);
    PlotSurface surface(4, 4);
    surface.FillRect(0, 0, 4, 4, kPlotWhite);
    DrawPlot(state, s, "", surface, 10, 10);
    EXPECT_EQ(surface.Width(), 4);
    EXPECT_EQ(CountColour(surface, kPlotWhite), 16);
}

TEST(DrawPlot, ErrorLineIsOneStandardDeviationCentredOnThePoint)
{
    // Scale 1000, maximum 400, H = 200: YScale 0.5. A count of 100 sits at y = 150 with
    // e = Round(10 * 0.5 / 2) = Round(2.5) = 2: red from 148 up to, not including, 152.
    PlotSettings s = PointsOnly(0, 0, 1000);
    s.DrawErrorLines = true;
    PlotState state = Prepared({400, 100, 0}, s);
    PlotSurface surface;
    DrawPlot(state, s, "", surface, 3, 200);
    // Channel 0 at y = 0: e = Round(20 * 0.25) = 5, rows -5 .. 4 with the point on row 0.
    const std::set<Pixel> red = {{0, 1}, {0, 2}, {0, 3}, {0, 4}, {1, 148}, {1, 149}, {1, 151}};
    EXPECT_EQ(PixelsOf(surface, kPlotRed), red);
    EXPECT_EQ(PixelsOf(surface, kPlotYellow), (std::set<Pixel>{{0, 0}, {1, 150}}));
    // A count of 0 has no error line (and lies on y = H).
    for (int y = 0; y < 200; ++y)
        EXPECT_EQ(surface.Pixel(2, y), kPlotBlack);
}

TEST(DrawPlot, RunningMeanSpansItsChannelsAndStartsFromThisChannelsX)
{
    // Flat 500 with one channel of 1000; W = Len, so X = i and each segment starts at i - 1.
    std::vector<std::uint32_t> counts(40, 500);
    counts[20] = 1000;
    PlotSettings s = PointsOnly(5, 5, 1000);
    s.DrawMean = true;
    s.MeanWidth = 1; // means of 3: from channel 8 (5+1+1 < i) to 31 (40-5-1-2 > i)
    PlotState state = Prepared(counts, s);
    PlotSurface surface;
    DrawPlot(state, s, "", surface, 40, 100); // YScale 0.1: 500 on row 50, 1000 on row 0

    int leftmost = 40, rightmost = -1;
    for (const Pixel& p : PixelsOf(surface, kPlotGreen)) {
        leftmost = std::min(leftmost, p.first);
        rightmost = std::max(rightmost, p.first);
    }
    EXPECT_EQ(leftmost, 7);
    EXPECT_EQ(rightmost, 30);
    // Each channel's segment is drawn after the previous channel's point, and covers it.
    EXPECT_EQ(surface.Pixel(7, 50), kPlotGreen);
    EXPECT_EQ(surface.Pixel(30, 50), kPlotGreen);
    EXPECT_EQ(surface.Pixel(31, 50), kPlotYellow);
    EXPECT_EQ(surface.Pixel(6, 50), kPlotYellow);
    // Means of 3 around the peak: 2000 / 3 on row 100 - Round(66.67) = 33 for centres 19..21.
    EXPECT_EQ(surface.Pixel(19, 33), kPlotGreen);
    EXPECT_EQ(surface.Pixel(20, 33), kPlotGreen);
    EXPECT_EQ(surface.Pixel(21, 33), kPlotGreen);
    EXPECT_EQ(surface.Pixel(22, 33), kPlotBlack);
    EXPECT_EQ(surface.Pixel(20, 0), kPlotYellow);

    // With 1.5 columns per channel the first segment (channel 11, X = 16) starts at
    // Round((16 / 1.5 - 1) * 1.5) = Round(14.5) = 14, not at the previous channel's X of 15.
    s.IgnoreFromLeft = 8;
    PreparePlot(state, std::vector<std::uint32_t>(40, 500), s);
    DrawPlot(state, s, "", surface, 60, 100);
    leftmost = 60;
    for (const Pixel& p : PixelsOf(surface, kPlotGreen))
        leftmost = std::min(leftmost, p.first);
    EXPECT_EQ(leftmost, 14);
    EXPECT_EQ(surface.Pixel(13, 50), kPlotBlack);
}

TEST(DrawPlot, MeanSegmentsRunFromChannel13To1010WithDefaultSettings)
{
    PlotSettings s = PointsOnly(9, 9, 1000);
    s.DrawMean = true;
    s.MeanWidth = 2;
    PlotState state = Prepared(std::vector<std::uint32_t>(1024, 100), s);
    PlotSurface surface;
    DrawPlot(state, s, "", surface, 1024, 100);
    // Flat data: the segment of channel i is the one pixel (i - 1, 0).
    std::set<Pixel> expected;
    for (int i = 13; i <= 1010; ++i)
        expected.insert({i - 1, 0});
    EXPECT_EQ(PixelsOf(surface, kPlotGreen), expected);
}

TEST(DrawPlot, PointFarAboveTheTopDoesNotWrapIntoThePicture)
{
    // 2^31 + 600 becomes the maximum for one channel and is replaced by the next, so the plot
    // spans 0..1000 while that channel lies ~10^9 rows above the top; its y modulo 65536
    // would be 200, with an error line ±11585 rows long over the whole column.
    PlotSettings s = PointsOnly(0, 0, 1000);
    s.DrawErrorLines = true;
    PlotState state = Prepared({1000, 0x80000000u + 600, 1000, 500}, s);
    PlotSurface surface;
    DrawPlot(state, s, "", surface, 4, 500);
    EXPECT_EQ(state.PlotMax, 1000);
    for (int y = 0; y < 500; ++y)
        EXPECT_EQ(surface.Pixel(1, y), kPlotBlack) << y;
    EXPECT_EQ(surface.Pixel(3, 250), kPlotYellow);
}

TEST(DrawPlot, PointFarBelowTheBottomDoesNotWrapIntoThePicture)
{
    // Scale 4 of 100000 with H = 525: a count of 0 lies on row 131250, which modulo 65536
    // would be row 178.
    std::vector<std::uint32_t> counts(4, 100000);
    counts[2] = 0;
    PlotSettings s = PointsOnly(0, 0, 4);
    s.DrawErrorLines = true;
    PlotState state = Prepared(counts, s);
    PlotSurface surface;
    DrawPlot(state, s, "", surface, 4, 525);
    for (int y = 0; y < 525; ++y)
        EXPECT_EQ(surface.Pixel(2, y), kPlotBlack) << y;
}

TEST(DrawPlot, SurfaceFollowsTheFrameAtEveryDrawing)
{
    const PlotSettings s = PointsOnly(0, 0, 1000);
    PlotState state = Prepared({10, 10, 10, 10, 10, 10, 10, 10, 10, 20}, s);
    PlotSurface surface;
    DrawPlot(state, s, "", surface, 100, 100);
    EXPECT_EQ(surface.Pixel(90, 0), kPlotYellow);
    DrawPlot(state, s, "", surface, 300, 200); // made larger: the whole plot is redrawn
    EXPECT_EQ(surface.Width(), 300);
    EXPECT_EQ(surface.Height(), 200);
    EXPECT_EQ(surface.Pixel(270, 0), kPlotYellow);
    EXPECT_EQ(surface.Pixel(90, 0), kPlotBlack);
    EXPECT_EQ(surface.Pixel(240, 100), kPlotYellow);
}

// Folded 80 channels about 40: 40 plotted values alternating 100 and 200 (mean 150).
PlotState FoldedAlternating(PlotSettings& s)
{
    std::vector<std::uint32_t> counts(80);
    for (int i = 0; i < 40; ++i) {
        counts[i] = i % 2 ? 150 : 50;
        counts[79 - i] = 50;
    }
    s = PlotSettings{};
    s.FoldChannel = 40;
    s.IgnoreFromLeft = 0;
    s.IgnoreFromRight = 0;
    s.Scale = 500;
    s.DrawErrorLines = false;
    s.DrawMean = false;
    PlotState state;
    InitPlotState(state);
    PreparePlot(state, counts, s);
    return state;
}

TEST(DrawFoldOverlay, MeanLevelAndFoldingMarkerCrossTheWholeSurface)
{
    PlotSettings s;
    PlotState state = FoldedAlternating(s);
    s.Scale = 1000; // drawn with the scale of the moment: range 200, YScale 0.5
    PlotSurface surface;
    DrawPlot(state, s, "name", surface, 200, 100);
    // Mean 150: row 100 - 75 = 25. Marker: Round(40 div 2 * 5) = 100.
    std::set<Pixel> white;
    for (int x = 0; x < 200; ++x)
        white.insert({x, 25});
    for (int y = 0; y < 100; ++y)
        white.insert({100, y});
    EXPECT_EQ(PixelsOf(surface, kPlotWhite), white);

    // An odd folding channel is halved by integer division for the marker.
    state.Settings.FoldChannel = 41;
    DrawPlot(state, s, "name", surface, 200, 100);
    EXPECT_EQ(surface.Pixel(100, 0), kPlotWhite);
}

TEST(DrawFoldOverlay, LabelsAppearOnlyAbove400RowsAndCanBeRead)
{
    PlotSettings s;
    PlotState state = FoldedAlternating(s); // captured scale 500
    s.Scale = 1000;                         // the labels show the captured one
    for (int h : {400, 401, 600}) {
        PlotSurface surface;
        DrawPlot(state, s, "spec01.spm", surface, 200, h);
        PlotSurface labels(200, h);
        labels.FillRect(0, 0, 200, h, kPlotRed);
        labels.TextOut(10, h - 100, "Foldchannel: 40", kPlotTextColour, kPlotBlack);
        labels.TextOut(10, h - 80, "Scale: 500 promille", kPlotTextColour, kPlotBlack);
        labels.TextOut(10, h - 60, "File: spec01.spm", kPlotTextColour, kPlotBlack);
        int textPixels = 0;
        for (int y = h - 100; y < h - 48; ++y)
            for (int x = 0; x < 99; ++x) { // left of the folding marker
                const QRgb expected = labels.Pixel(x, y);
                if (h <= 400) {
                    EXPECT_NE(surface.Pixel(x, y), kPlotTextColour);
                }
                else if (expected != kPlotRed) {
                    EXPECT_EQ(surface.Pixel(x, y), expected) << h << ": " << x << "," << y;
                    textPixels += expected == kPlotTextColour;
                }
            }
        EXPECT_EQ(textPixels > 200, h > 400) << h;
    }
    EXPECT_NE(kPlotTextColour, kPlotBlack);
}

// A full drawing of a small folded spectrum, every mark on: the exact picture.
TEST(DrawPlot, GoldenSmallPicture)
{
    std::vector<std::uint32_t> counts(36);
    for (int i = 0; i < 36; ++i)
        counts[i] = static_cast<std::uint32_t>(3 + (i * 5) % 13 * 2 + (i >= 6 && i <= 8 ? 9 : 0));
    PlotSettings s;
    s.FoldChannel = 18;
    s.IgnoreFromLeft = 1;
    s.IgnoreFromRight = 1;
    s.Scale = 800;
    s.MeanWidth = 1;
    PlotState state;
    InitPlotState(state);
    PreparePlot(state, counts, s);
    PlotSurface surface;
    DrawPlot(state, s, "", surface, 24, 16);
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
    EXPECT_EQ(test::Art(surface), golden);
}

// The default settings on a 1024-channel spectrum at the preview window's first size plus
// labels, pinned by a checksum of every pixel.
TEST(DrawPlot, GoldenChecksumOfADefaultPreview)
{
    std::vector<std::uint32_t> counts(1024);
    for (int i = 0; i < 1024; ++i) {
        const double u = (std::abs(i - 511.5) - 150.0) / 6.0;
        counts[i] = static_cast<std::uint32_t>(100000 - 900 / (1 + u * u) + (i * 7919) % 300);
    }
    const PlotSettings s; // folded about 512, scale 4, margins 9, errors and mean of 5
    PlotState state;
    InitPlotState(state);
    PreparePlot(state, counts, s);
    PlotSurface surface;
    DrawPlot(state, s, "sample.spm", surface, 536, 450);
    std::uint64_t hash = 14695981039346656037u; // FNV-1a over the pixels' RGB bytes
    for (int y = 0; y < surface.Height(); ++y)
        for (int x = 0; x < surface.Width(); ++x) {
            const QRgb p = surface.Pixel(x, y);
            for (int channel : {qRed(p), qGreen(p), qBlue(p)})
                hash = (hash ^ static_cast<std::uint64_t>(channel)) * 1099511628211u;
        }
    EXPECT_GT(CountColour(surface, kPlotYellow), 400);
    EXPECT_GT(CountColour(surface, kPlotRed), 400);
    EXPECT_GT(CountColour(surface, kPlotGreen), 400);
    EXPECT_EQ(hash, 3722844689681395245u);
}

} // namespace
} // namespace trv
