#pragma once

#include "plot/Plot.h"
#include "plot/PlotSurface.h"
#include "ui/PlotImage.h"
#include "ui/TForm1.h"

#include <QImage>
#include <QPixmap>

#include <gtest/gtest.h>

namespace trv::test {

// What the user sees in an image control.
inline QImage Shown(const QLabel* image)
{
    return image->pixmap().toImage().convertToFormat(QImage::Format_RGB32);
}

// The plot of the window's spectrum with the settings its controls show now, drawn afresh
// on a surface of the given size.
inline QImage ReferencePlot(const TForm1& f, int width, int height)
{
    PlotState state;
    InitPlotState(state);
    PreparePlot(state, f.Counts(), f.CurrentPlotSettings());
    PlotSurface surface;
    DrawPlot(state, f.CurrentPlotSettings(), f.SpectrumNameBytes(), surface, width, height);
    return surface.Image().convertToFormat(QImage::Format_RGB32);
}

inline int CountColour(const QImage& image, QRgb colour)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += (image.pixel(x, y) | 0xFF000000u) == colour;
    return n;
}

inline ::testing::AssertionResult SameImage(const QImage& actual, const QImage& expected)
{
    if (actual.size() != expected.size())
        return ::testing::AssertionFailure()
               << "size " << actual.width() << "x" << actual.height() << ", expected "
               << expected.width() << "x" << expected.height();
    for (int y = 0; y < actual.height(); ++y)
        for (int x = 0; x < actual.width(); ++x)
            if (actual.pixel(x, y) != expected.pixel(x, y))
                return ::testing::AssertionFailure()
                       << "first difference at (" << x << ", " << y << "): " << std::hex
                       << actual.pixel(x, y) << " instead of " << expected.pixel(x, y);
    return ::testing::AssertionSuccess();
}

inline bool AllBlack(const QImage& image)
{
    return !image.isNull() && CountColour(image, kPlotBlack) == image.width() * image.height();
}

} // namespace trv::test
