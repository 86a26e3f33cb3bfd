#pragma once

#include "plot/Plot.h"
#include "plot/PlotSurface.h"

#include <QWidget>

#include <string>

namespace trv {

// An image control that owns the bitmap the preview plot is drawn on. Every drawing makes the
// bitmap the control's current size, so a larger control shows the whole plot; the control
// paints the bitmap itself at its natural size from the top-left corner (no pixmap copy of it
// per drawing), and the window's background where the bitmap does not reach.
class PlotImage : public QWidget {
    Q_OBJECT
  public:
    // What the bitmap holds now: a resize redraws the same kind of picture.
    enum class Shows { Nothing, Plot, Black };

    explicit PlotImage(QWidget* parent = nullptr);

    // DrawPlot at the current size. The black background is shown even when the drawing
    // stops with an error; the error is passed on.
    void DrawPlot(PlotState& state, const PlotSettings& current, const std::string& fileName);
    // The last DrawPlot again at the current size: its data, settings and name, not what the
    // controls hold now. Errors are passed on.
    void RedrawLast();
    // Solid black at the current size.
    void FillBlack();

    Shows Showing() const { return shows_; }
    // False until something has been drawn at a non-empty size.
    bool HasBitmap() const { return !surface_.Image().isNull(); }
    const QImage& Bitmap() const { return surface_.Image(); }

  Q_SIGNALS:
    void Resized();

  protected:
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

  private:
    void ShowBitmap();

    PlotSurface surface_;
    Shows shows_ = Shows::Nothing;
    // What the last DrawPlot was given, kept for RedrawLast.
    PlotState lastState_;
    PlotSettings lastSettings_;
    std::string lastName_;
};

} // namespace trv
