#include "ui/PrintLayout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>

namespace trv {
namespace {

// An A4-like sheet at 1200 dpi with margins: 9000 x 13000 printer pixels printable upright.
const QSizeF kPortrait(9000, 13000);
const QSizeF kLandscape(13000, 9000);

struct LayoutCase {
    const char* what;
    QSizeF widget;
    double screenDpi;
    bool landscape;
    double scale;
};

// Names the case in failure messages instead of dumping its bytes.
void PrintTo(const LayoutCase& c, std::ostream* os)
{
    *os << c.what;
}

class PrintPageLayout : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(PrintPageLayout, KeepsScreenSizeOrShrinksOntoThePage)
{
    const LayoutCase& c = GetParam();
    const PrintLayout layout = LayoutPrintPage(c.widget, c.screenDpi, 1200, kPortrait, kLandscape);
    EXPECT_EQ(layout.Landscape, c.landscape) << c.what;
    EXPECT_NEAR(layout.Scale, c.scale, 1e-9) << c.what;

    // Whatever the case, the whole picture lies on the chosen page and one scale serves both
    // directions, so the picture keeps its shape.
    const QSizeF area = layout.Landscape ? kLandscape : kPortrait;
    const QSizeF printed = c.widget * layout.Scale;
    EXPECT_LE(printed.width(), area.width() + 1e-6) << c.what;
    EXPECT_LE(printed.height(), area.height() + 1e-6) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PrintPageLayout,
    ::testing::Values(
        // 1200 / 96 = 12.5 printer pixels a screen pixel: 6250 x 4000 fits upright.
        LayoutCase{"fits", {500, 320}, 96, false, 12.5},
        // Exactly the printable width still counts as fitting.
        LayoutCase{"fits to the pixel", {720, 1040}, 96, false, 12.5},
        // A maximised preview: 20000 x 12500 fits nowhere, shrunk to the landscape width.
        LayoutCase{"maximised", {1600, 1000}, 96, true, 13000.0 / 1600},
        LayoutCase{"maximised 4K", {3840, 2160}, 96, true, 13000.0 / 3840},
        // Wide and too long for an upright page, but turned it fits at screen size.
        LayoutCase{"fits turned", {800, 400}, 96, true, 12.5},
        // Wide and flat: the landscape page's height is the limit.
        LayoutCase{"height limits", {1000, 990}, 96, true, 9000.0 / 990},
        // Taller than high stays upright, shrunk to the page's height.
        LayoutCase{"too tall", {400, 1200}, 96, false, 13000.0 / 1200},
        // Square is not wider than high: upright, shrunk to the width.
        LayoutCase{"square", {1200, 1200}, 96, false, 9000.0 / 1200},
        // A denser screen prints the same pixels smaller.
        LayoutCase{"dense screen", {1000, 640}, 192, false, 6.25},
        // A screen without a resolution is taken as 96 dpi rather than dividing by zero.
        LayoutCase{"no screen dpi", {500, 320}, 0, false, 12.5},
        // Nothing to print: the plain scale, and no division by a zero size.
        LayoutCase{"empty", {0, 0}, 96, false, 12.5}),
    [](const ::testing::TestParamInfo<LayoutCase>& info) {
        std::string name = info.param.what;
        std::replace(name.begin(), name.end(), ' ', '_');
        return name;
    });

TEST(PrintPageLayoutEdges, PageWithoutPrintableAreaKeepsScreenSize)
{
    const PrintLayout layout = LayoutPrintPage({1600, 1000}, 96, 1200, {}, {});
    EXPECT_NEAR(layout.Scale, 12.5, 1e-9);
}

} // namespace
} // namespace trv
