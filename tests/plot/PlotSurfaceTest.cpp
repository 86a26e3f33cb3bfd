#include "plot/PlotSurface.h"
#include "PlotTestUtil.h"
#include "plot/PixelFont.h"

#include <gtest/gtest.h>

namespace trv {
namespace {

using test::Pixel;
using test::PixelsOf;

TEST(PlotSurface, FillLeavesRightAndBottomEdgesOut)
{
    PlotSurface surface(6, 5);
    surface.FillRect(1, 1, 4, 3, kPlotWhite);
    const std::set<Pixel> expected = {{1, 1}, {2, 1}, {3, 1}, {1, 2}, {2, 2}, {3, 2}};
    EXPECT_EQ(PixelsOf(surface, kPlotWhite), expected);

    surface.FillRect(4, 1, 2, 3, kPlotRed); // right of left, below bottom: empty
    surface.FillRect(1, 3, 4, 1, kPlotRed);
    surface.FillRect(10, 0, 20, 5, kPlotRed);
    EXPECT_TRUE(PixelsOf(surface, kPlotRed).empty());

    surface.FillRect(-100, -100, 100, 100, kPlotRed); // clipped to the surface
    EXPECT_EQ(PixelsOf(surface, kPlotRed).size(), 30u);
}

TEST(PlotSurface, PixelsOutsideAreIgnored)
{
    PlotSurface surface(4, 3);
    surface.SetPixel(-1, 0, kPlotWhite);
    surface.SetPixel(4, 0, kPlotWhite);
    surface.SetPixel(0, 3, kPlotWhite);
    surface.SetPixel(0, -70000, kPlotWhite);
    EXPECT_TRUE(PixelsOf(surface, kPlotWhite).empty());
    surface.SetPixel(3, 2, kPlotYellow);
    EXPECT_EQ(surface.Pixel(3, 2), kPlotYellow);
    surface.DrawLine(0, 0, 4, 0, kPlotGreen);
    EXPECT_EQ(PixelsOf(surface, kPlotGreen).size(), 4u);
}

TEST(PlotSurface, ResizeStartsBlackAndKeepsContentAtTheSameSize)
{
    PlotSurface surface(3, 3);
    surface.SetPixel(1, 1, kPlotWhite);
    surface.Resize(3, 3);
    EXPECT_EQ(surface.Pixel(1, 1), kPlotWhite);
    surface.Resize(5, 4);
    EXPECT_EQ(surface.Width(), 5);
    EXPECT_EQ(surface.Height(), 4);
    EXPECT_EQ(surface.Image().size(), QSize(5, 4));
    EXPECT_EQ(PixelsOf(surface, kPlotBlack).size(), 20u);
    surface.Resize(0, 4);
    EXPECT_TRUE(surface.Image().isNull());
    surface.FillRect(0, 0, 10, 10, kPlotWhite); // nothing to draw on, no crash
    surface.DrawLine(0, 0, 10, 10, kPlotWhite);
    surface.TextOut(0, 0, "x", kPlotWhite, kPlotBlack);
}

TEST(PlotSurface, TextFillsEachCellOpaqueAndSetsTheGlyph)
{
    PlotSurface surface(30, 20);
    surface.FillRect(0, 0, 30, 20, kPlotRed);
    surface.TextOut(2, 3, "A\xE9", kPlotWhite, kPlotBlack);

    // Two cells of 6 x 12 from (2, 3), nothing else touched.
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 30; ++x) {
            const bool inCells = x >= 2 && x < 14 && y >= 3 && y < 15;
            EXPECT_EQ(surface.Pixel(x, y) == kPlotRed, !inCells) << x << "," << y;
        }
    // 'A': a rounded top, a bar across the middle, two legs.
    const int top = 3 + kGlyphTop;
    const std::set<Pixel> a = {
        {3, top},     {4, top},     {5, top},                                 // .###.
        {2, top + 1}, {6, top + 1}, {2, top + 2}, {6, top + 2},               // #...#
        {2, top + 3}, {3, top + 3}, {4, top + 3}, {5, top + 3}, {6, top + 3}, // #####
        {2, top + 4}, {6, top + 4}, {2, top + 5}, {6, top + 5}, {2, top + 6}, {6, top + 6},
    };
    std::set<Pixel> firstCell;
    for (const Pixel& p : PixelsOf(surface, kPlotWhite))
        if (p.first < 8) firstCell.insert(p);
    EXPECT_EQ(firstCell, a);
    // A byte without a glyph of its own shows a box: 5 + 5 + 2 * 5 pixels.
    EXPECT_EQ(PixelsOf(surface, kPlotWhite).size(), a.size() + 20u);
    EXPECT_EQ(surface.Pixel(8, top), kPlotWhite);
    EXPECT_EQ(surface.Pixel(12, top + 6), kPlotWhite);
}

TEST(PixelFont, PrintableCharactersHaveDistinctGlyphs)
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
