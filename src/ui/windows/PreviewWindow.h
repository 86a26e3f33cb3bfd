#pragma once

#include "plot/Plot.h"
#include "ui/windows/ModalResult.h"

#include <QDialog>

class QAction;
class QMenu;
class QPushButton;

namespace trv {

class Platform;
class PlotImage;
class PreviewHost;

// The preview window: the plot full screen, with "Close" and "Print" below it. It is created
// hidden at start and holds the plot's state for the whole run; the main window's image is
// drawn from the same state.
class PreviewWindow : public QDialog, public ModalResult {
    Q_OBJECT
  public:
    PreviewWindow(PreviewHost& host, Platform& platform, QWidget* parent = nullptr);

    PlotState& State() { return plot_; }
    const PlotState& State() const { return plot_; }

    // Draws the last prepared plot on this window's image, at the image's current size.
    void DrawOnImage();
    // Shows the window maximised and returns when it is closed.
    int ShowModal();

    // --- reactions
    void OnCreate();
    void OnResize();
    void OnCloseClicked();
    void OnPrintClicked();
    void OnSaveBitmap();
    void OpenLastBitmap();

    PlotImage* image() const { return image_; }
    QWidget* buttonPanel() const { return buttonPanel_; }
    QPushButton* closeButton() const { return closeButton_; } // Close
    QPushButton* printButton() const { return printButton_; } // Print
    QMenu* popupMenu() const { return popupMenu_; }
    QAction* saveBitmapAction() const { return saveBitmapAction_; }
    QAction* openLastBitmapAction() const { return openLastBitmapAction_; }

  public Q_SLOTS:
    // Esc and the window's own close control do what "Close" does.
    void reject() override;

  private:
    PreviewHost& host_;
    Platform& platform_;
    PlotState plot_;

  private:
    // Controls
    PlotImage* image_ = nullptr;
    QWidget* buttonPanel_ = nullptr;
    QPushButton* closeButton_ = nullptr;
    QPushButton* printButton_ = nullptr;
    QMenu* popupMenu_ = nullptr;
    QAction* saveBitmapAction_ = nullptr;
    QAction* openLastBitmapAction_ = nullptr;
};

} // namespace trv
