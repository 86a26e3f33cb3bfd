#include "ui/windows/LaughDialog.h"

#include "ui/picture/JpegDecoder.h"
#include "ui/picture/LaughPicture.h"

#include <QCheckBox>
#include <QFont>
#include <QLabel>
#include <QPainter>
#include <QPalette>
#include <QPixmap>
#include <QPushButton>

namespace trv {

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

LaughDialog::LaughDialog(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setObjectName(QStringLiteral("LaughDialog"));
    setWindowTitle(QStringLiteral("Aren't they niiiiiiiiiiiiiice?"));
    setFixedSize(366, 399);
    move(235, 106);

    picture = DecodeJpeg(kLaughJpeg, kLaughJpegSize);

    pictureLabel_ = new QLabel(this);
    pictureLabel_->setObjectName(QStringLiteral("pictureLabel"));
    pictureLabel_->setPixmap(QPixmap::fromImage(picture));
    pictureLabel_->setGeometry(0, 0, picture.width(), picture.height());

    firstNameLabel_ = NameLabel(QStringLiteral("Ulvo"), 40, 176, this);
    firstNameLabel_->setObjectName(QStringLiteral("firstNameLabel"));
    secondNameLabel_ = NameLabel(QStringLiteral("Brem"), 280, 128, this);
    secondNameLabel_->setObjectName(QStringLiteral("secondNameLabel"));

    leftShape_ = new XorShape(this);
    leftShape_->setObjectName(QStringLiteral("leftShape"));
    leftShape_->setGeometry(32, 8, 161, 129);
    rightShape_ = new XorShape(this);
    rightShape_->setObjectName(QStringLiteral("rightShape"));
    rightShape_->setGeometry(208, 16, 89, 89);

    closeButton_ = new QPushButton(QStringLiteral("Close"), this);
    closeButton_->setObjectName(QStringLiteral("closeButton"));
    closeButton_->setGeometry(288, 368, 75, 25);
    closeButton_->setDefault(true);
    connect(closeButton_, &QPushButton::clicked, this, [this] { done(kResultCancel); });

    xRayBox_ = new QCheckBox(QStringLiteral("X-Ray"), this);
    xRayBox_->setObjectName(QStringLiteral("xRayBox"));
    xRayBox_->setGeometry(0, 368, 97, 17);
    xRayBox_->setChecked(true);
    connect(xRayBox_, &QCheckBox::toggled, this, &LaughDialog::OnXRayToggled);

    closeButton_->setFocus();
}

void LaughDialog::OnXRayToggled()
{
    const bool xray = xRayBox_->isChecked();
    leftShape_->setVisible(xray);
    rightShape_->setVisible(xray);
}

void LaughDialog::reject()
{
    done(kResultCancel);
}

} // namespace trv
