#include "ui/widgets/PlotImage.h"

#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>

namespace trv {

PlotImage::PlotImage(QWidget* parent) : QWidget(parent)
{
    // The bitmap follows the control, never the other way round.
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    // paintEvent covers every pixel, so nothing underneath needs painting first.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PlotImage::DrawPlot(PlotState& state, const PlotSettings& current, const std::string& fileName)
{
    shows_ = Shows::Plot;
    lastState_ = state;
    lastSettings_ = current;
    lastName_ = fileName;
    try {
        trv::DrawPlot(state, current, fileName, surface_, width(), height());
    }
    catch (...) {
        ShowBitmap();
        throw;
    }
    ShowBitmap();
}

void PlotImage::RedrawLast()
{
    // Copies: DrawPlot keeps what it is given, and works on the state.
    PlotState state = lastState_;
    DrawPlot(state, PlotSettings(lastSettings_), std::string(lastName_));
}

void PlotImage::FillBlack()
{
    shows_ = Shows::Black;
    surface_.Resize(width(), height());
    surface_.FillRect(0, 0, surface_.Width(), surface_.Height(), kPlotBlack);
    ShowBitmap();
}

void PlotImage::ShowBitmap()
{
    update();
}

void PlotImage::paintEvent(QPaintEvent* e)
{
    QPainter painter(this);
    const QImage& image = surface_.Image();
    const QRegion asked = e->region();
    const QRect shown = asked.boundingRect() & image.rect();
    if (!shown.isEmpty()) painter.drawImage(shown.topLeft(), image, shown);
    const QRegion rest = asked.subtracted(QRegion(image.rect()));
    if (!rest.isEmpty()) {
        painter.setClipRegion(rest);
        painter.fillRect(rest.boundingRect(), palette().window());
    }
}

void PlotImage::resizeEvent(QResizeEvent* e)
{
    QWidget::resizeEvent(e);
    if (e->size() != e->oldSize()) Q_EMIT Resized();
}

} // namespace trv
