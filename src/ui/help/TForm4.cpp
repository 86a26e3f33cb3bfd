#include "ui/help/TForm4.h"

#include "ui/help/JpegDecoder.h"
#include "ui/help/LaughPicture.h"

#include <QCheckBox>
#include <QFont>
#include <QLabel>
#include <QPainter>
#include <QPalette>
#include <QPixmap>
#include <QPushButton>

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

namespace {

QLabel* NameLabel(const QString& caption, int x, int y, QWidget* parent)
{
    auto* label = new QLabel(caption, parent);
    QFont font = label->font();
    font.setBold(true);
    font.setPixelSize(16);
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, QColor(255, 0, 0));
    label->setPalette(palette);
    // No background fill: the picture shows around the letters.
    label->setAutoFillBackground(false);
    label->adjustSize();
    label->move(x, y);
    return label;
}

} // namespace

TForm4::TForm4(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setObjectName(QStringLiteral("TForm4"));
    setWindowTitle(QStringLiteral("Aren't they niiiiiiiiiiiiiice?"));
    setFixedSize(366, 399);
    move(235, 106);

    picture = DecodeJpeg(kLaughJpeg, kLaughJpegSize);

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setPixmap(QPixmap::fromImage(picture));
    Image1->setGeometry(0, 0, picture.width(), picture.height());

    Label1 = NameLabel(QStringLiteral("Ulvo"), 40, 176, this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label2 = NameLabel(QStringLiteral("Brem"), 280, 128, this);
    Label2->setObjectName(QStringLiteral("Label2"));

    Shape1 = new XorShape(this);
    Shape1->setObjectName(QStringLiteral("Shape1"));
    Shape1->setGeometry(32, 8, 161, 129);
    Shape2 = new XorShape(this);
    Shape2->setObjectName(QStringLiteral("Shape2"));
    Shape2->setGeometry(208, 16, 89, 89);

    Button1 = new QPushButton(QStringLiteral("Close"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(288, 368, 75, 25);
    Button1->setDefault(true);
    connect(Button1, &QPushButton::clicked, this, [this] { done(kResultCancel); });

    CheckBox1 = new QCheckBox(QStringLiteral("X-Ray"), this);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    CheckBox1->setGeometry(0, 368, 97, 17);
    CheckBox1->setChecked(true);
    connect(CheckBox1, &QCheckBox::toggled, this, &TForm4::CheckBox1Click);

    Button1->setFocus();
}

void TForm4::CheckBox1Click()
{
    const bool xray = CheckBox1->isChecked();
    Shape1->setVisible(xray);
    Shape2->setVisible(xray);
}

void TForm4::reject()
{
    done(kResultCancel);
}

} // namespace trv
