#include "ui/widgets/CalibrationPlot.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace trv {

CalibrationPlot::CalibrationPlot(QWidget* parent) : QWidget(parent)
{
    setMinimumSize(320, 240);
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, Qt::white);
    setPalette(p);
}

void CalibrationPlot::SetData(FoldedSpectrum folded, std::vector<double> lineVelocities)
{
    folded_ = std::move(folded);
    lines_ = std::move(lineVelocities);
    update();
}

void CalibrationPlot::Clear()
{
    folded_ = {};
    lines_.clear();
    update();
}

void CalibrationPlot::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, true);
    const QFontMetrics fm = fontMetrics();
    // Room for the count labels and, turned upright beside them, the axis names.
    const int left = fm.horizontalAdvance("00000000000") + fm.height() + 8;
    const int right = 12;
    const int top = 8;
    const int bottom = fm.height() * 2 + 8;
    const int plotW = width() - left - right;
    const int plotH = height() - top - bottom;
    if (plotW < 40 || plotH < 60) return;
    const int mainH = plotH * 3 / 4 - 6;
    const QRect mainRect(left, top, plotW, mainH);
    const QRect residRect(left, top + mainH + 12, plotW, plotH - mainH - 12);
    painter.setPen(Qt::gray);
    painter.drawRect(mainRect);
    painter.drawRect(residRect);
    if (folded_.velocity.empty()) {
        painter.setPen(Qt::darkGray);
        painter.drawText(mainRect, Qt::AlignCenter, "No calibration");
        return;
    }

    const auto [vMinIt, vMaxIt] =
        std::minmax_element(folded_.velocity.begin(), folded_.velocity.end());
    const double vMin = *vMinIt;
    const double vMax = *vMaxIt;
    double yMin = *std::min_element(folded_.counts.begin(), folded_.counts.end());
    double yMax = *std::max_element(folded_.counts.begin(), folded_.counts.end());
    yMin = std::min(yMin, *std::min_element(folded_.model.begin(), folded_.model.end()));
    yMax = std::max(yMax, *std::max_element(folded_.model.begin(), folded_.model.end()));
    const double yPad = (yMax - yMin) * 0.05 + 1.0;
    yMin -= yPad;
    yMax += yPad;
    double rMax = 3.0;
    for (double r : folded_.residual)
        rMax = std::max(rMax, std::fabs(r));
    const double vSpan = vMax > vMin ? vMax - vMin : 1.0;
    auto xOf = [&](double v) { return left + (v - vMin) / vSpan * plotW; };
    auto yOf = [&](double y) { return top + (yMax - y) / (yMax - yMin) * mainH; };
    auto rOf = [&](double r) {
        return residRect.top() + (rMax - r) / (2.0 * rMax) * residRect.height();
    };

    // Velocity ticks every mm/s (every 2 or 5 when the sweep is wide).
    const double step = vSpan > 30 ? 5.0 : vSpan > 12 ? 2.0 : 1.0;
    painter.setPen(QColor(220, 220, 220));
    for (double v = std::ceil(vMin / step) * step; v <= vMax; v += step) {
        const double x = xOf(v);
        painter.drawLine(QPointF(x, mainRect.top()), QPointF(x, residRect.bottom()));
    }
    painter.setPen(Qt::black);
    for (double v = std::ceil(vMin / step) * step; v <= vMax; v += step) {
        const double x = xOf(v);
        const QString label = QString::number(v, 'f', 0);
        painter.drawText(
            QPointF(x - fm.horizontalAdvance(label) / 2.0, residRect.bottom() + fm.ascent() + 3),
            label);
    }
    const QString axis = "velocity (mm/s)";
    painter.drawText(QPointF(left + (plotW - fm.horizontalAdvance(axis)) / 2.0,
                             residRect.bottom() + fm.height() + fm.ascent() + 3),
                     axis);
    painter.drawText(QRectF(0, top, left - 4, fm.height()), Qt::AlignRight,
                     QString::number(yMax, 'f', 0));
    painter.drawText(QRectF(0, top + mainH - fm.height(), left - 4, fm.height()), Qt::AlignRight,
                     QString::number(yMin, 'f', 0));
    // The residuals in standard deviations: a line and a label at 0 and at +-rTick.
    const double rTick = rMax >= 30.0 ? std::floor(rMax / 10.0) * 10.0 : rMax >= 6.0 ? 5.0 : 3.0;
    for (double r : {rTick, 0.0, -rTick}) {
        const QString label = r == 0.0 ? QStringLiteral("0")
                                       : QString::fromUtf8("%1%2\u03c3")
                                             .arg(r > 0 ? "+" : "\u2212")
                                             .arg(std::fabs(r), 0, 'f', 0);
        painter.drawText(QRectF(0, rOf(r) - fm.height() / 2.0, left - 4, fm.height()),
                         Qt::AlignRight | Qt::AlignVCenter, label);
    }
    auto upright = [&](const QRect& band, const QString& name) {
        painter.save();
        painter.translate(fm.ascent() + 2, band.center().y() + fm.horizontalAdvance(name) / 2.0);
        painter.rotate(-90);
        painter.drawText(QPointF(0, 0), name);
        painter.restore();
    };
    upright(mainRect, "counts");
    upright(residRect, "residual");

    // The reference lines where the fit puts them.
    painter.setPen(QPen(QColor(40, 120, 40), 1, Qt::DashLine));
    for (double v : lines_)
        painter.drawLine(QPointF(xOf(v), mainRect.top()), QPointF(xOf(v), mainRect.bottom()));

    painter.save();
    painter.setClipRect(mainRect);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(30, 30, 30));
    for (std::size_t i = 0; i < folded_.velocity.size(); ++i)
        painter.drawEllipse(QPointF(xOf(folded_.velocity[i]), yOf(folded_.counts[i])), 1.6, 1.6);
    QPainterPath curve;
    for (std::size_t i = 0; i < folded_.velocity.size(); ++i) {
        const QPointF p(xOf(folded_.velocity[i]), yOf(folded_.model[i]));
        if (i == 0)
            curve.moveTo(p);
        else
            curve.lineTo(p);
    }
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor(200, 30, 30), 1.5));
    painter.drawPath(curve);
    painter.restore();

    painter.save();
    painter.setClipRect(residRect);
    painter.setPen(QPen(Qt::gray, 1, Qt::DotLine));
    for (double r : {rTick, 0.0, -rTick})
        painter.drawLine(QPointF(residRect.left(), rOf(r)), QPointF(residRect.right(), rOf(r)));
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(30, 60, 160));
    for (std::size_t i = 0; i < folded_.velocity.size(); ++i)
        painter.drawEllipse(QPointF(xOf(folded_.velocity[i]), rOf(folded_.residual[i])), 1.4, 1.4);
    painter.restore();
}

} // namespace trv
