#include "ui/windows/PreviewWindow.h"

#include "platform/Platform.h"
#include "ui/ErrorGuard.h"
#include "ui/widgets/PlotImage.h"
#include "ui/windows/PreviewHost.h"

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

PreviewWindow::PreviewWindow(PreviewHost& host, Platform& platform, QWidget* parent)
    : QDialog(parent), host_(host), platform_(platform)
{
    setObjectName("PreviewWindow");
    setWindowTitle(QString());
    setModal(true);
    setSizeGripEnabled(false);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    image_ = new PlotImage(this);
    image_->setObjectName("image");
    image_->setContextMenuPolicy(Qt::CustomContextMenu);
    column->addWidget(image_, 1);

    buttonPanel_ = new QWidget(this);
    buttonPanel_->setObjectName("buttonPanel");
    buttonPanel_->setFixedHeight(kPanelHeight);
    closeButton_ = new QPushButton("Close", buttonPanel_);
    closeButton_->setObjectName("closeButton");
    closeButton_->setGeometry(16, 9, 75, 23);
    closeButton_->setDefault(true); // Enter presses it; Esc ends up in reject()
    printButton_ = new QPushButton("Print", buttonPanel_);
    printButton_->setObjectName("printButton");
    printButton_->setGeometry(104, 8, 75, 25);
    printButton_->setAutoDefault(false);
    column->addWidget(buttonPanel_);

    popupMenu_ = new QMenu(this);
    popupMenu_->setObjectName("popupMenu");
    saveBitmapAction_ = popupMenu_->addAction("Save image as bitmap");
    saveBitmapAction_->setObjectName("saveBitmapAction");
    openLastBitmapAction_ = popupMenu_->addAction("Open last bitmap");
    openLastBitmapAction_->setObjectName("openLastBitmapAction");

    resize(kDesignImageWidth, kDesignImageHeight + kPanelHeight);

    connect(image_, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { popupMenu_->popup(image_->mapToGlobal(at)); });
    connect(image_, &PlotImage::Resized, this,
            [this] { RunGuarded(platform_, [this] { OnResize(); }); });
    connect(closeButton_, &QPushButton::clicked, this, [this] { OnCloseClicked(); });
    connect(printButton_, &QPushButton::clicked, this,
            [this] { RunGuarded(platform_, [this] { OnPrintClicked(); }); });
    connect(saveBitmapAction_, &QAction::triggered, this,
            [this] { RunGuarded(platform_, [this] { OnSaveBitmap(); }); });
    connect(openLastBitmapAction_, &QAction::triggered, this,
            [this] { RunGuarded(platform_, [this] { OpenLastBitmap(); }); });

    OnCreate();
}

void PreviewWindow::OnCreate()
{
    InitPlotState(plot_);
}

void PreviewWindow::DrawOnImage()
{
    image_->DrawPlot(plot_, host_.CurrentPlotSettings(), host_.SpectrumNameBytes());
}

int PreviewWindow::ShowModal()
{
    // Maximised also where no window manager does it for us.
    if (const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen())
        setGeometry(screen->availableGeometry());
    setWindowState(windowState() | Qt::WindowMaximized);
    return exec();
}

void PreviewWindow::OnResize()
{
    // The last prepared data, redrawn in the new frame.
    if (plot_.PlotReady) DrawOnImage();
}

void PreviewWindow::OnCloseClicked()
{
    done(kResultCancel);
}

void PreviewWindow::reject()
{
    OnCloseClicked();
}

void PreviewWindow::OnPrintClicked()
{
    buttonPanel_->hide();
    platform_.ProcessEvents();
    // The buttons come back whether or not the printer took the page.
    try {
        platform_.PrintWidget(this);
    }
    catch (...) {
        buttonPanel_->show();
        throw;
    }
    buttonPanel_->show();
}

void PreviewWindow::OnSaveBitmap()
{
    host_.SaveImageBitmap(*image_, false);
}

void PreviewWindow::OpenLastBitmap()
{
    host_.OpenLastBitmap();
}

} // namespace trv
