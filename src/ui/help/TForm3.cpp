#include "ui/help/TForm3.h"

#include <QApplication>
#include <QFrame>
#include <QGuiApplication>
#include <QPalette>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>

namespace trv {

QString TForm3::AboutText()
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

TForm3::TForm3(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("TForm3"));
    setWindowTitle(QStringLiteral("About"));
    setFixedSize(536, 348);

    constexpr int kPanelHeight = 41;
    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setGeometry(0, 0, width(), height() - kPanelHeight);
    Memo1->setReadOnly(true);
    Memo1->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    Memo1->setPlainText(AboutText());
    // The memo sits on the menu colour so it reads as a page of the window, not an editor.
    QPalette memoPalette = Memo1->palette();
    const QColor menuColour = QApplication::palette("QMenu").color(QPalette::Window);
    memoPalette.setColor(QPalette::Base, menuColour);
    memoPalette.setColor(QPalette::Text,
                         QApplication::palette("QMenu").color(QPalette::WindowText));
    Memo1->setPalette(memoPalette);

    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameShape(QFrame::NoFrame);
    Panel1->setGeometry(0, height() - kPanelHeight, width(), kPanelHeight);

    Button1 = new QPushButton(QStringLiteral("Close"), Panel1);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(448, 8, 75, 25);
    Button1->setDefault(true);
    connect(Button1, &QPushButton::clicked, this, [this] { done(kResultCancel); });

    Button1->setFocus();
}

void TForm3::reject()
{
    done(kResultCancel);
}

void TForm3::showEvent(QShowEvent* event)
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
