#include "PlotTestUtil.h"

#include <gtest/gtest.h>

namespace trv {
namespace {

using test::Pixel;
using test::PixelsOf;

TEST(PlotSurface, FillAndPixelsClipToTheSurfaceEvenAnEmptyOne)
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
    // An empty surface takes drawing safely.
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
    // A character outside the font shows a box in its cell's glyph area.
    std::set<Pixel> box, second;
    for (int x = 8; x < 13; ++x)
        box.insert({{x, 5}, {x, 11}});
    for (int y = 6; y < 11; ++y)
        box.insert({{8, y}, {12, y}});
    for (const Pixel& p : PixelsOf(surface, kPlotWhite))
        if (p.first >= 8) second.insert(p);
    EXPECT_EQ(second, box);
    EXPECT_GT(PixelsOf(surface, kPlotWhite).size(), box.size()); // and the A
}

} // namespace
} // namespace trv
