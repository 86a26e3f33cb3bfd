#pragma once

#include "plot/Plot.h"
#include "plot/PlotSurface.h"
#include "ui/widgets/PlotImage.h"
#include "ui/windows/MainWindow.h"

#include "UiTestSupport.h"

#include <QApplication>
#include <QImage>
#include <QPixmap>

#include <cmath>
#include <optional>

#include <gtest/gtest.h>

namespace trv::test {

// Two dips mirrored about F - 1/2, as a folded spectrum looks with its folding channel F.
inline uint32_t Doublet(int i, int f = 512)
{
    const auto dip = [](double x) { return 3000.0 * std::exp(-x * x / 50.0); };
    return static_cast<uint32_t>(100000.0 - dip(i - 300.0) - dip(2.0 * f - 1 - 300.0 - i));
}

class PlotUiTest : public UiTest {
  protected:
    // The window on a screen large enough for the plot's labels, with a spectrum open.
    MainWindow& StartShown(const std::function<uint32_t(int)>& count = [](int i) {
        return Doublet(i);
    })
    {
        MainWindow& f = Start();
        f.resize(1300, 1000);
        f.show();
        QApplication::processEvents();
        if (count) OpenViaDialog(WriteSpm("ha1001.spm", MakePca2(4608, count)));
        platform_.messages.clear();
        return f;
    }
};

// What the user sees in an image control: the control painted as on the screen.
inline QImage Shown(PlotImage* image)
{
    return image->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// The window's spectrum prepared with `prepared` (by default the settings its controls show
// now) and drawn afresh with the current settings on a surface of the given size.
inline QImage ReferencePlot(const MainWindow& f, int width, int height,
                            std::optional<PlotSettings> prepared = std::nullopt)
{
    PlotState state;
    InitPlotState(state);
    PreparePlot(state, f.Counts(), prepared.value_or(f.CurrentPlotSettings()));
    PlotSurface surface;
    DrawPlot(state, f.CurrentPlotSettings(), f.SpectrumNameBytes(), surface, width, height);
    return surface.Image().convertToFormat(QImage::Format_RGB32);
}

inline ::testing::AssertionResult SameImage(const QImage& actual, const QImage& expected)
{
    if (actual == expected) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "the " << actual.width() << "x" << actual.height()
           << " image differs from the expected " << expected.width() << "x" << expected.height();
}

inline bool AllBlack(const QImage& image)
{
    QImage black(image.size(), QImage::Format_RGB32);
    black.fill(kPlotBlack);
    return !image.isNull() && image == black;
}

} // namespace trv::test
