#include "ui/TForm2.h"

#include "platform/Platform.h"
#include "ui/ErrorGuard.h"
#include "ui/PlotImage.h"
#include "ui/PreviewHost.h"

#include <QAction>
#include <QGuiApplication>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace trv {

namespace {

// The image's size when the window has its design size, and the panel's height below it.
constexpr int kDesignImageWidth = 536;
constexpr int kDesignImageHeight = 307;
constexpr int kPanelHeight = 41;

} // namespace

TForm2::TForm2(PreviewHost& host, Platform& platform, QWidget* parent)
    : QDialog(parent), host_(host), platform_(platform)
{
    setObjectName("Form2");
    setWindowTitle(QString());
    setModal(true);
    setSizeGripEnabled(false);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    Image1 = new PlotImage(this);
    Image1->setObjectName("Image1");
    Image1->setContextMenuPolicy(Qt::CustomContextMenu);
    column->addWidget(Image1, 1);

    Panel1 = new QWidget(this);
    Panel1->setObjectName("Panel1");
    Panel1->setFixedHeight(kPanelHeight);
    Button1 = new QPushButton("Close", Panel1);
    Button1->setObjectName("Button1");
    Button1->setGeometry(16, 9, 75, 23);
    Button1->setDefault(true); // Enter presses it; Esc ends up in reject()
    Button2 = new QPushButton("Print", Panel1);
    Button2->setObjectName("Button2");
    Button2->setGeometry(104, 8, 75, 25);
    Button2->setAutoDefault(false);
    column->addWidget(Panel1);

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName("PopupMenu1");
    Saveimageasbitmap1 = PopupMenu1->addAction("Save image as bitmap");
    Saveimageasbitmap1->setObjectName("Saveimageasbitmap1");
    Openlastbitmap1 = PopupMenu1->addAction("Open last bitmap");
    Openlastbitmap1->setObjectName("Openlastbitmap1");

    resize(kDesignImageWidth, kDesignImageHeight + kPanelHeight);

    connect(Image1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { PopupMenu1->popup(Image1->mapToGlobal(at)); });
    connect(Image1, &PlotImage::Resized, this,
            [this] { RunGuarded(platform_, [this] { FormResize(); }); });
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(Button2, &QPushButton::clicked, this,
            [this] { RunGuarded(platform_, [this] { Button2Click(); }); });
    connect(Saveimageasbitmap1, &QAction::triggered, this,
            [this] { RunGuarded(platform_, [this] { SaveBitmapExecute(); }); });
    connect(Openlastbitmap1, &QAction::triggered, this,
            [this] { RunGuarded(platform_, [this] { openbitmapExecute(); }); });

    FormCreate();
}

void TForm2::FormCreate()
{
    InitPlotState(plot_);
}

void TForm2::DrawOnImage()
{
    Image1->DrawPlot(plot_, host_.CurrentPlotSettings(), host_.SpectrumNameBytes());
}

int TForm2::ShowModal()
{
    // Maximised also where no window manager does it for us.
    if (const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen())
        setGeometry(screen->availableGeometry());
    setWindowState(windowState() | Qt::WindowMaximized);
    return exec();
}

void TForm2::FormResize()
{
    // The last prepared data, redrawn in the new frame.
    if (plot_.PlotReady) DrawOnImage();
}

void TForm2::Button1Click()
{
    done(kResultCancel);
}

void TForm2::reject()
{
    Button1Click();
}

void TForm2::Button2Click()
{
    Panel1->hide();
    platform_.ProcessEvents();
    // The buttons come back whether or not the printer took the page.
    try {
        platform_.PrintWidget(this);
    }
    catch (...) {
        Panel1->show();
        throw;
    }
    Panel1->show();
}

void TForm2::SaveBitmapExecute()
{
    host_.SaveImageBitmap(*Image1, false);
}

void TForm2::openbitmapExecute()
{
    host_.openbitmapExecute();
}

} // namespace trv
