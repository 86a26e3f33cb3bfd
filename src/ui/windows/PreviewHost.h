#pragma once

#include "plot/Plot.h"

#include <string>

namespace trv {

class PlotImage;

// What the preview window needs from the window that owns the spectrum: the Graphic
// settings and the name to draw with, and the bitmap commands of its pop-up menu.
class PreviewHost {
  public:
    // The "Graphic" group's values as the controls read now.
    virtual PlotSettings CurrentPlotSettings() const = 0;
    // The spectrum's name as the plot writes it (8-bit text).
    virtual std::string SpectrumNameBytes() const = 0;
    // Asks for a name and saves the image's bitmap there as .bmp; only the main window's
    // own dialog records its folder.
    virtual void SaveImageBitmap(const PlotImage& image, bool mainWindowDialog) = 0;
    // Opens the bitmap saved last, if any.
    virtual void OpenLastBitmap() = 0;

  protected:
    ~PreviewHost() = default;
};

} // namespace trv
