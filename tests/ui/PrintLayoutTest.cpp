#include "ui/PrintLayout.h"

#include <gtest/gtest.h>

namespace trv {
namespace {

TEST(PrintPageLayout, KeepsScreenSizeOrShrinksOntoThePage)
{
    // An A4-like sheet at 1200 dpi with margins: 9000 x 13000 printer pixels printable upright.
    const QSizeF portrait(9000, 13000), landscape(13000, 9000);
    const struct {
        const char* what;
        QSizeF widget;
        double screenDpi;
        bool landscape;
        double scale;
    } cases[] = {
        // 1200 / 96 = 12.5 printer pixels a screen pixel: 6250 x 4000 fits upright.
        {"fits", {500, 320}, 96, false, 12.5},
        // Exactly the printable width still counts as fitting.
        {"fits to the pixel", {720, 1040}, 96, false, 12.5},
        // A maximised preview: 20000 x 12500 fits nowhere, shrunk to the landscape width.
        {"maximised", {1600, 1000}, 96, true, 13000.0 / 1600},
        // Wide and too long for an upright page, but turned it fits at screen size.
        {"fits turned", {800, 400}, 96, true, 12.5},
        // Wide and flat: the landscape page's height is the limit.
        {"height limits", {1000, 990}, 96, true, 9000.0 / 990},
        // Taller than high stays upright, shrunk to the page's height.
        {"too tall", {400, 1200}, 96, false, 13000.0 / 1200},
        // Square is not wider than high: upright, shrunk to the width.
        {"square", {1200, 1200}, 96, false, 9000.0 / 1200},
        // A denser screen prints the same pixels smaller.
        {"dense screen", {1000, 640}, 192, false, 6.25},
        // A screen without a resolution is taken as 96 dpi rather than dividing by zero.
        {"no screen dpi", {500, 320}, 0, false, 12.5},
        // Nothing to print: the plain scale, and no division by a zero size.
        {"empty", {0, 0}, 96, false, 12.5},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const PrintLayout layout =
            LayoutPrintPage(c.widget, c.screenDpi, 1200, portrait, landscape);
        EXPECT_EQ(layout.Landscape, c.landscape);
        EXPECT_NEAR(layout.Scale, c.scale, 1e-9);
    }
    // A page without a printable area keeps the screen size.
    EXPECT_NEAR(LayoutPrintPage({1600, 1000}, 96, 1200, {}, {}).Scale, 12.5, 1e-9);
}

} // namespace
} // namespace trv
