#pragma once

#include <QImage>
#include <QRgb>

#include <cstdint>
#include <string_view>

namespace trv {

// Colours of the plot.
inline constexpr QRgb kPlotBlack = 0xFF000000u;
inline constexpr QRgb kPlotRed = 0xFFFF0000u;
inline constexpr QRgb kPlotGreen = 0xFF008000u;
inline constexpr QRgb kPlotYellow = 0xFFFFFF00u;
inline constexpr QRgb kPlotWhite = 0xFFFFFFFFu;

// The resolution a surface's image carries: 100 dots per inch.
inline constexpr int kPlotDotsPerMetre = 3937;

// The raster the plot is drawn on: a 32-bit RGB image with exact, self-made pixel
// operations, so that a drawing is the same on every machine and can be tested pixel by pixel.
// Coordinates outside the image are clipped silently; coordinates may lie far outside it.
class PlotSurface {
  public:
    PlotSurface() = default;
    PlotSurface(int width, int height);

    int Width() const { return width_; }
    int Height() const { return height_; }

    // Makes the surface width x height pixels. The content is kept only when the size is
    // unchanged; a new size starts black.
    void Resize(int width, int height);

    // Fills the rectangle from (left, top) up to but not including (right, bottom).
    void FillRect(std::int64_t left, std::int64_t top, std::int64_t right, std::int64_t bottom,
                  QRgb colour);

    // A one-pixel line from (x0, y0) up to but not including (x1, y1).
    void DrawLine(std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1, QRgb colour);

    void SetPixel(std::int64_t x, std::int64_t y, QRgb colour);
    // The pixel's colour (alpha always 0xFF); kPlotBlack outside the surface.
    QRgb Pixel(int x, int y) const;

    // Writes 8-bit text with its top-left corner at (x, y) in the built-in cell font: every
    // character cell is filled with `background` first, then the glyph is set in `colour`.
    void TextOut(std::int64_t x, std::int64_t y, std::string_view text, QRgb colour,
                 QRgb background);

    // The pixels as an image (null when the surface is empty).
    const QImage& Image() const { return image_; }

  private:
    bool Inside(std::int64_t x, std::int64_t y) const
    {
        return x >= 0 && y >= 0 && x < width_ && y < height_;
    }

    int width_ = 0;
    int height_ = 0;
    QImage image_;
};

// Calls plot(x, y) for every pixel of the line from (x0, y0) up to but not including (x1, y1)
// that lies in 0 <= x < width, 0 <= y < height, in drawing order. The line steps one pixel
// along its longer axis; the other coordinate is the exact line position rounded half up.
// The work done is bounded by the clip size, however far away the end points are.
template <typename Plot>
void RasteriseLine(std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1,
                   std::int64_t width, std::int64_t height, Plot&& plot);

} // namespace trv

#include "plot/LineRaster.inl"
