#include "ui/Icons.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <functional>

namespace trv {

namespace {

const QColor kInk(40, 40, 48);
const QColor kPaper(252, 252, 250);
const QColor kBlue(40, 100, 200);

QIcon Draw(int size, const std::function<void(QPainter&)>& paint)
{
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    {
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing);
        paint(p);
    }
    return QIcon(pm);
}

void Page(QPainter& p, QRectF r)
{
    p.setPen(QPen(kInk, 1));
    p.setBrush(kPaper);
    p.drawRect(r);
    p.setPen(QPen(QColor(150, 150, 160), 1));
    for (qreal y = r.top() + 3; y < r.bottom() - 1; y += 2.5)
        p.drawLine(QPointF(r.left() + 2, y), QPointF(r.right() - 2, y));
}

void CopyIcon(QPainter& p)
{
    Page(p, QRectF(1.5, 1.5, 8, 10));
    Page(p, QRectF(6.5, 4.5, 8, 10));
}

void CutIcon(QPainter& p)
{
    p.setPen(QPen(QColor(90, 90, 100), 1.6));
    p.drawLine(QPointF(4.5, 1.5), QPointF(10.5, 10));
    p.drawLine(QPointF(11.5, 1.5), QPointF(5.5, 10));
    p.setPen(QPen(QColor(200, 40, 40), 1.6));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(4.5, 12), 2.5, 2.5);
    p.drawEllipse(QPointF(11.5, 12), 2.5, 2.5);
}

void DeleteIcon(QPainter& p)
{
    p.setPen(QPen(QColor(200, 30, 30), 2.6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(3.5, 3.5), QPointF(12.5, 12.5));
    p.drawLine(QPointF(12.5, 3.5), QPointF(3.5, 12.5));
}

void PasteIcon(QPainter& p)
{
    p.setPen(QPen(QColor(110, 70, 30), 1));
    p.setBrush(QColor(200, 150, 80));
    p.drawRoundedRect(QRectF(1.5, 2.5, 10, 12.5), 1.5, 1.5);
    p.setBrush(QColor(160, 160, 170));
    p.setPen(QPen(kInk, 1));
    p.drawRect(QRectF(4, 1, 5, 3));
    Page(p, QRectF(6.5, 6.5, 8, 8.5));
}

void UndoIcon(QPainter& p)
{
    QPainterPath arc;
    arc.moveTo(4, 7);
    arc.cubicTo(6, 2.5, 13.5, 3, 13.5, 9);
    arc.cubicTo(13.5, 12, 11, 13.5, 8, 13.5);
    p.setPen(QPen(kBlue, 2, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawPath(arc);
    QPolygonF head{QPointF(1, 3), QPointF(7, 8.5), QPointF(1, 9.5)};
    p.setPen(Qt::NoPen);
    p.setBrush(kBlue);
    p.drawPolygon(head);
}

void SaveIcon(QPainter& p)
{
    p.setPen(QPen(QColor(20, 40, 90), 1));
    p.setBrush(QColor(50, 90, 180));
    QPolygonF body{QPointF(1.5, 1.5), QPointF(12.5, 1.5), QPointF(14.5, 3.5), QPointF(14.5, 14.5),
                   QPointF(1.5, 14.5)};
    p.drawPolygon(body);
    p.setBrush(kPaper);
    p.drawRect(QRectF(4, 1.5, 8, 5));
    p.setBrush(QColor(210, 210, 215));
    p.drawRect(QRectF(3.5, 9, 9, 5.5));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(20, 40, 90));
    p.drawRect(QRectF(9, 2.5, 2, 3));
}

void OpenIcon(QPainter& p)
{
    p.setPen(QPen(QColor(130, 90, 10), 1));
    p.setBrush(QColor(230, 180, 60));
    QPolygonF back{QPointF(1.5, 3.5), QPointF(6, 3.5),     QPointF(7.5, 5),
                   QPointF(13.5, 5),  QPointF(13.5, 13.5), QPointF(1.5, 13.5)};
    p.drawPolygon(back);
    p.setBrush(QColor(250, 215, 110));
    QPolygonF front{QPointF(1.5, 13.5), QPointF(4, 7.5), QPointF(15.5, 7.5), QPointF(13.5, 13.5)};
    p.drawPolygon(front);
}

void CloseIcon(QPainter& p)
{
    // A door with an arrow leaving through it.
    p.setPen(QPen(QColor(90, 60, 30), 1));
    p.setBrush(QColor(170, 120, 70));
    p.drawRect(QRectF(1.5, 1.5, 8, 13));
    p.setBrush(QColor(240, 220, 120));
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPointF(7.5, 8.5), 1, 1);
    p.setPen(QPen(QColor(200, 40, 40), 2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(9, 8), QPointF(14, 8));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(200, 40, 40));
    p.drawPolygon(QPolygonF{QPointF(15.5, 8), QPointF(11.5, 4.5), QPointF(11.5, 11.5)});
}

void LoadHeaderIcon(QPainter& p)
{
    // A calibration sheet: a page with a little V-shaped velocity curve and an arrow into it.
    Page(p, QRectF(4.5, 1.5, 10, 13));
    p.setPen(QPen(QColor(20, 130, 60), 1.3));
    p.drawPolyline(QPolygonF{QPointF(6, 4), QPointF(9.5, 11), QPointF(13, 4)});
    p.setPen(QPen(kBlue, 1.8, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(0.5, 8), QPointF(4.5, 8));
    p.setPen(Qt::NoPen);
    p.setBrush(kBlue);
    p.drawPolygon(QPolygonF{QPointF(7.5, 8), QPointF(4, 4.5), QPointF(4, 11.5)});
}

void AboutIcon(QPainter& p)
{
    p.setPen(QPen(QColor(20, 60, 140), 1));
    p.setBrush(kBlue);
    p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(8, 4.8), 1.3, 1.3);
    p.drawRoundedRect(QRectF(6.9, 7, 2.2, 5.5), 0.8, 0.8);
}

} // namespace

QList<QIcon> ToolBarIcons()
{
    const std::function<void(QPainter&)> painters[] = {
        CopyIcon, CutIcon,  DeleteIcon, PasteIcon,      UndoIcon,
        SaveIcon, OpenIcon, CloseIcon,  LoadHeaderIcon, AboutIcon};
    QList<QIcon> icons;
    for (const auto& paint : painters)
        icons.append(Draw(16, paint));
    return icons;
}

QIcon ApplicationIcon()
{
    return Draw(32, [](QPainter& p) {
        // A dark screen with an absorption spectrum: a flat base line with two dips.
        p.setPen(QPen(QColor(30, 30, 40), 1));
        p.setBrush(QColor(20, 30, 60));
        p.drawRoundedRect(QRectF(1.5, 3.5, 29, 25), 3, 3);
        QPainterPath curve;
        curve.moveTo(4, 9);
        curve.lineTo(9, 9);
        curve.cubicTo(11, 9, 11, 22, 13, 22);
        curve.cubicTo(15, 22, 15, 9, 17, 9);
        curve.cubicTo(19, 9, 19, 17, 21, 17);
        curve.cubicTo(23, 17, 23, 9, 25, 9);
        curve.lineTo(28, 9);
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(QColor(90, 230, 120), 1.8));
        p.drawPath(curve);
        p.setPen(QPen(QColor(240, 200, 60), 1));
        p.drawLine(QPointF(16, 6), QPointF(16, 26));
    });
}

} // namespace trv
