#include "ui/PlotImage.h"

#include <QPixmap>
#include <QResizeEvent>

namespace trv {

PlotImage::PlotImage(QWidget* parent) : QLabel(parent)
{
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // The bitmap follows the control, never the other way round.
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
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
    setPixmap(QPixmap::fromImage(surface_.Image()));
}

void PlotImage::resizeEvent(QResizeEvent* e)
{
    QLabel::resizeEvent(e);
    if (e->size() != e->oldSize()) Q_EMIT Resized();
}

} // namespace trv
