#include "ui/widgets/XorShape.h"

#include <QPainter>

namespace trv {

XorShape::XorShape(QWidget* parent) : QWidget(parent)
{
    // Not opaque: the widgets beneath are painted first, then this shape combines with them.
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void XorShape::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    // Fill inside the outline only, so no pixel is touched by both fill and outline.
    painter.fillRect(rect().adjusted(1, 1, -1, -1), Qt::white);
    // XOR with black changes nothing; drawn all the same so the shape is what it says.
    painter.setPen(QPen(Qt::black, 0));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

} // namespace trv
