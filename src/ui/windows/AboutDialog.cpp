#include "ui/windows/AboutDialog.h"

#include <QApplication>
#include <QFrame>
#include <QGuiApplication>
#include <QPalette>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>

namespace trv {

QString AboutDialog::AboutText()
{
    return QStringLiteral(
        "Trevandel was made in 2026 for the spectroscopy group of the physics laboratory by the "
        "Trevandel developers.\n"
        "It turns the .spm data files written by the PCA programs into the .exp format that the "
        "analysis program reads.\n"
        "\n"
        "This program currently supports (input):\n"
        "    Spm:\n"
        "        PCA2\n"
        "        PCA3\n"
        "------------------------------------------------------------------------\n"
        "12.02.2026  Version 1.01\n"
        "    The header length of PCA2 files is now computed correctly.\n"
        "09.03.2026  Version 1.10\n"
        "    Editing of the EXP header, loading of calibration files, the preview window and "
        "the Laugh window.\n"
        "27.04.2026  Version 1.20\n"
        "    Options to add and subtract spectra.");
}

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("AboutDialog"));
    setWindowTitle(QStringLiteral("About"));
    setFixedSize(536, 348);

    constexpr int kPanelHeight = 41;
    textView_ = new QPlainTextEdit(this);
    textView_->setObjectName(QStringLiteral("textView"));
    textView_->setGeometry(0, 0, width(), height() - kPanelHeight);
    textView_->setReadOnly(true);
    textView_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    textView_->setPlainText(AboutText());
    // The memo sits on the menu colour so it reads as a page of the window, not an editor.
    QPalette memoPalette = textView_->palette();
    const QColor menuColour = QApplication::palette("QMenu").color(QPalette::Window);
    memoPalette.setColor(QPalette::Base, menuColour);
    memoPalette.setColor(QPalette::Text,
                         QApplication::palette("QMenu").color(QPalette::WindowText));
    textView_->setPalette(memoPalette);

    buttonPanel_ = new QFrame(this);
    buttonPanel_->setObjectName(QStringLiteral("buttonPanel"));
    buttonPanel_->setFrameShape(QFrame::NoFrame);
    buttonPanel_->setGeometry(0, height() - kPanelHeight, width(), kPanelHeight);

    okButton_ = new QPushButton(QStringLiteral("Close"), buttonPanel_);
    okButton_->setObjectName(QStringLiteral("okButton"));
    okButton_->setGeometry(448, 8, 75, 25);
    okButton_->setDefault(true);
    connect(okButton_, &QPushButton::clicked, this, [this] { done(kResultCancel); });

    okButton_->setFocus();
}

void AboutDialog::reject()
{
    done(kResultCancel);
}

void AboutDialog::showEvent(QShowEvent* event)
{
    // Centred on the desktop, not on the owner window.
    if (QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    QDialog::showEvent(event);
}

} // namespace trv
