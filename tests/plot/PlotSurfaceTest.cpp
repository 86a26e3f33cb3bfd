#include "PlotTestUtil.h"

#include "plot/PixelFont.h"

#include <gtest/gtest.h>

namespace trv {
namespace {

using test::Pixel;
using test::PixelsOf;

TEST(PlotSurface, FillAndPixelsClipToTheSurfaceAndLeaveRightAndBottomEdgesOut)
{
    PlotSurface surface(6, 5);
    surface.FillRect(1, 1, 4, 3, kPlotWhite);
    EXPECT_EQ(PixelsOf(surface, kPlotWhite),
              (std::set<Pixel>{{1, 1}, {2, 1}, {3, 1}, {1, 2}, {2, 2}, {3, 2}}));
    surface.FillRect(4, 1, 2, 3, kPlotRed); // right of left, below bottom: empty
    surface.FillRect(1, 3, 4, 1, kPlotRed);
    for (const Pixel& p : {Pixel{-1, 0}, Pixel{6, 0}, Pixel{0, 5}, Pixel{0, -70000}})
        surface.SetPixel(p.first, p.second, kPlotRed);
    EXPECT_TRUE(PixelsOf(surface, kPlotRed).empty());
    surface.FillRect(-100, -100, 100, 100, kPlotRed);
    EXPECT_EQ(PixelsOf(surface, kPlotRed).size(), 30u);
}

TEST(PlotSurface, ResizeStartsBlackAndAnEmptySurfaceTakesDrawingSafely)
{
    PlotSurface surface(3, 3);
    surface.SetPixel(1, 1, kPlotWhite);
    surface.Resize(3, 3);
    EXPECT_EQ(surface.Pixel(1, 1), kPlotWhite) << "same size keeps the content";
    surface.Resize(5, 4);
    EXPECT_EQ(surface.Image().size(), QSize(5, 4));
    EXPECT_EQ(PixelsOf(surface, kPlotBlack).size(), 20u);
    surface.Resize(0, 4);
    EXPECT_TRUE(surface.Image().isNull());
    surface.FillRect(0, 0, 10, 10, kPlotWhite);
    surface.DrawLine(0, 0, 10, 10, kPlotWhite);
    surface.TextOut(0, 0, "x", kPlotWhite, kPlotBlack);
}

TEST(PlotSurface, TextFillsEachCellOpaqueAndSetsTheGlyph)
{
    PlotSurface surface(30, 20);
    surface.FillRect(0, 0, 30, 20, kPlotRed);
    surface.TextOut(2, 3, "A\xE9", kPlotWhite, kPlotBlack);
    // Two cells of 6 x 12 from (2, 3), nothing else touched.
    std::set<Pixel> outside;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 30; ++x)
            if (x < 2 || x >= 14 || y < 3 || y >= 15) outside.insert({x, y});
    EXPECT_EQ(PixelsOf(surface, kPlotRed), outside);
    // 'A': a rounded top, a bar across the middle, two legs.
    const int t = 3 + kGlyphTop;
    const std::set<Pixel> a = {
        {3, t},     {4, t},     {5, t},                             // .###.
        {2, t + 1}, {6, t + 1}, {2, t + 2}, {6, t + 2},             // #...#
        {2, t + 3}, {3, t + 3}, {4, t + 3}, {5, t + 3}, {6, t + 3}, // #####
        {2, t + 4}, {6, t + 4}, {2, t + 5}, {6, t + 5}, {2, t + 6}, {6, t + 6},
    };
    std::set<Pixel> white = PixelsOf(surface, kPlotWhite), first;
    for (const Pixel& p : white)
        if (p.first < 8) first.insert(p);
    EXPECT_EQ(first, a);
    // A byte without a glyph of its own shows a box: 5 + 5 + 2 * 5 pixels.
    EXPECT_EQ(white.size(), a.size() + 20u);
}

TEST(PixelFont, PrintableCharactersHaveDistinctFiveColumnGlyphs)
{
    std::set<GlyphBits> seen;
    for (int c = 0x21; c <= 0x7E; ++c) {
        const GlyphBits& glyph = GlyphFor(static_cast<unsigned char>(c));
        EXPECT_TRUE(seen.insert(glyph).second) << "duplicate glyph for " << char(c);
        for (std::uint8_t row : glyph)
            EXPECT_EQ(row & ~0x1F, 0) << char(c);
    }
    EXPECT_EQ(GlyphFor(' '), GlyphBits{});
    EXPECT_EQ(GlyphFor(0x00), GlyphFor(0xFF));
}

} // namespace
} // namespace trv
