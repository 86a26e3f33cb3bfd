#include "plot/PlotSurface.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace trv {
namespace {

using Points = std::vector<std::pair<std::int64_t, std::int64_t>>;

Points Rasterise(std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1,
                 std::int64_t w = 100, std::int64_t h = 100)
{
    Points points;
    RasteriseLine(x0, y0, x1, y1, w, h, [&](std::int64_t x, std::int64_t y) {
        points.push_back({x, y});
    });
    return points;
}

TEST(LineRaster, EveryOctantStopsBeforeTheEndPoint)
{
    // clang-format off
    const struct {
        const char* name;
        int x1, y1;
        Points expected; // from (5, 5), in drawing order
    } cases[] = {
        {"east", 9, 5, {{5, 5}, {6, 5}, {7, 5}, {8, 5}}},
        {"west", 1, 5, {{5, 5}, {4, 5}, {3, 5}, {2, 5}}}, {"south", 5, 8, {{5, 5}, {5, 6}, {5, 7}}},
        {"north", 5, 2, {{5, 5}, {5, 4}, {5, 3}}},
        {"ene shallow down", 9, 7, {{5, 5}, {6, 6}, {7, 6}, {8, 7}}},
        {"sse steep down", 7, 9, {{5, 5}, {6, 6}, {6, 7}, {7, 8}}},
        {"ssw steep down", 3, 9, {{5, 5}, {5, 6}, {4, 7}, {4, 8}}},
        {"wsw shallow down", 1, 7, {{5, 5}, {4, 6}, {3, 6}, {2, 7}}},
        {"wnw shallow up", 1, 3, {{5, 5}, {4, 5}, {3, 4}, {2, 4}}},
        {"nnw steep up", 3, 1, {{5, 5}, {5, 4}, {4, 3}, {4, 2}}},
        {"nne steep up", 7, 1, {{5, 5}, {6, 4}, {6, 3}, {7, 2}}},
        {"ene shallow up", 9, 3, {{5, 5}, {6, 5}, {7, 4}, {8, 4}}}, {"zero length", 5, 5, {}},
    };
    // clang-format on
    for (const auto& c : cases)
        EXPECT_EQ(Rasterise(5, 5, c.x1, c.y1), c.expected) << c.name;
}

TEST(LineRaster, ClippingKeepsExactlyTheVisiblePixels)
{
    const struct {
        int x0, y0, x1, y1;
        Points expected; // inside a 4 x 3 clip, as the unclipped line has them
    } cases[] = {
        {-3, 1, 9, 1, {{0, 1}, {1, 1}, {2, 1}, {3, 1}}},  // through both sides
        {9, 2, -3, 2, {{3, 2}, {2, 2}, {1, 2}, {0, 2}}},  // backwards
        {-4, -2, 8, 4, {{0, 0}, {1, 1}, {2, 1}, {3, 2}}}, // shallow, from the top left corner
        {2, -5, 3, 9, {{2, 0}, {2, 1}, {3, 2}}},          // steep, through top and bottom
        {6, 4, -2, 0, {{2, 2}, {1, 2}, {0, 1}}},          // from outside the bottom right
        {-1, 5, 5, -1, {{2, 2}, {3, 1}}},                 // clips a corner
        {-5, -1, 10, -1, {}},                             // just above
    };
    for (const auto& c : cases)
        EXPECT_EQ(Rasterise(c.x0, c.y0, c.x1, c.y1, 4, 3), c.expected)
            << c.x0 << "," << c.y0 << " -> " << c.x1 << "," << c.y1;
}

TEST(LineRaster, FarAwayEndPointsAreCheapAndExact)
{
    // Nearly vertical through the middle: x = round(5 + y * 1.25e-9) = 5 for every visible row.
    const Points steep = Rasterise(0, -4'000'000'000, 10, 4'000'000'000, 100, 100);
    ASSERT_EQ(steep.size(), 100u);
    for (std::int64_t y = 0; y < 100; ++y)
        EXPECT_EQ(steep[static_cast<std::size_t>(y)], std::make_pair(std::int64_t{5}, y));

    EXPECT_TRUE(Rasterise(INT64_MIN, INT64_MIN, INT64_MAX, INT64_MIN, 100, 100).empty());
    EXPECT_TRUE(Rasterise(0, 0, 10, 10, 0, 10).empty()); // empty clip
}

} // namespace
} // namespace trv
