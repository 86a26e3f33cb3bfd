#pragma once

#include <QSizeF>

namespace trv {

// How a window's picture goes onto the printed page: drawn from the top-left corner of the
// printable area, `scale` printer pixels for each of the window's pixels.
struct PrintLayout {
    bool Landscape = false;
    double Scale = 1.0;
};

// The window keeps its on-screen size on paper (printer resolution / screen DPI) as long as it
// fits the portrait printable area. A larger one is shrunk to fit, aspect kept, onto a landscape
// page when it is wider than high. `widgetSize` is in device-independent pixels, the printable
// sizes are in printer pixels for each orientation.
PrintLayout LayoutPrintPage(QSizeF widgetSize, double screenDpi, double printerDpi,
                            QSizeF printablePortrait, QSizeF printableLandscape);

} // namespace trv
