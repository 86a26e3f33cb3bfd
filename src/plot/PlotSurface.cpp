#include "plot/PlotSurface.h"

#include "plot/PixelFont.h"

#include <algorithm>

namespace trv {

PlotSurface::PlotSurface(int width, int height)
{
    Resize(width, height);
}

void PlotSurface::Resize(int width, int height)
{
    width = std::max(width, 0);
    height = std::max(height, 0);
    if (width == width_ && height == height_) return;
    width_ = width;
    height_ = height;
    if (width == 0 || height == 0) {
        image_ = QImage();
        return;
    }
    image_ = QImage(width, height, QImage::Format_RGB32);
    // A fixed resolution (100 dpi), so a saved bitmap doesn't depend on the screen the program
    // runs on: the window and the converter write the same file.
    image_.setDotsPerMeterX(kPlotDotsPerMetre);
    image_.setDotsPerMeterY(kPlotDotsPerMetre);
    image_.fill(kPlotBlack);
}

void PlotSurface::FillRect(std::int64_t left, std::int64_t top, std::int64_t right,
                           std::int64_t bottom, QRgb colour)
{
    const std::int64_t x0 = std::max<std::int64_t>(left, 0);
    const std::int64_t y0 = std::max<std::int64_t>(top, 0);
    const std::int64_t x1 = std::min<std::int64_t>(right, width_);
    const std::int64_t y1 = std::min<std::int64_t>(bottom, height_);
    if (x0 >= x1) return;
    for (std::int64_t y = y0; y < y1; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image_.scanLine(static_cast<int>(y)));
        std::fill(line + x0, line + x1, colour);
    }
}

void PlotSurface::DrawLine(std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1,
                           QRgb colour)
{
    RasteriseLine(x0, y0, x1, y1, width_, height_, [&](std::int64_t x, std::int64_t y) {
        reinterpret_cast<QRgb*>(image_.scanLine(static_cast<int>(y)))[x] = colour;
    });
}

void PlotSurface::SetPixel(std::int64_t x, std::int64_t y, QRgb colour)
{
    if (Inside(x, y)) reinterpret_cast<QRgb*>(image_.scanLine(static_cast<int>(y)))[x] = colour;
}

QRgb PlotSurface::Pixel(int x, int y) const
{
    if (!Inside(x, y)) return kPlotBlack;
    return reinterpret_cast<const QRgb*>(image_.constScanLine(y))[x] | 0xFF000000u;
}

void PlotSurface::TextOut(std::int64_t x, std::int64_t y, std::string_view text, QRgb colour,
                          QRgb background)
{
    std::int64_t cellX = x;
    for (char ch : text) {
        if (cellX >= width_) break;
        FillRect(cellX, y, cellX + kFontCellWidth, y + kFontCellHeight, background);
        const GlyphBits& glyph = GlyphFor(static_cast<unsigned char>(ch));
        for (int row = 0; row < kGlyphRows; ++row)
            for (int column = 0; column < kGlyphWidth; ++column)
                if (glyph[row] & (0x10 >> column))
                    SetPixel(cellX + column, y + kGlyphTop + row, colour);
        cellX += kFontCellWidth;
    }
}

} // namespace trv
