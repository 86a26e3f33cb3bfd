#include "ui/PrintLayout.h"

#include <algorithm>

namespace trv {

namespace {

// What Qt assumes when a screen reports no resolution.
constexpr double kFallbackScreenDpi = 96.0;

// Printer pixels are whole numbers; a rounding hair over the edge still counts as fitting.
constexpr double kSlack = 1e-6;

bool Fits(QSizeF picture, QSizeF area)
{
    return picture.width() <= area.width() + kSlack && picture.height() <= area.height() + kSlack;
}

} // namespace

PrintLayout LayoutPrintPage(QSizeF widgetSize, double screenDpi, double printerDpi,
                            QSizeF printablePortrait, QSizeF printableLandscape)
{
    if (!(screenDpi > 0)) screenDpi = kFallbackScreenDpi;
    PrintLayout layout;
    layout.Scale = printerDpi / screenDpi;
    if (widgetSize.isEmpty() || Fits(widgetSize * layout.Scale, printablePortrait)) return layout;

    layout.Landscape = widgetSize.width() > widgetSize.height();
    const QSizeF area = layout.Landscape ? printableLandscape : printablePortrait;
    // A page without a printable area gets the picture as it was rather than nothing.
    if (area.isEmpty()) return layout;
    const double fit =
        std::min(area.width() / widgetSize.width(), area.height() / widgetSize.height());
    layout.Scale = std::min(layout.Scale, fit);
    return layout;
}

} // namespace trv
