#pragma once

#include "plot/Plot.h"
#include "ui/ModalResult.h"

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
class TForm2 : public QDialog, public ModalResult {
    Q_OBJECT
  public:
    TForm2(PreviewHost& host, Platform& platform, QWidget* parent = nullptr);

    PlotState& State() { return plot_; }
    const PlotState& State() const { return plot_; }

    // Draws the last prepared plot on this window's image, at the image's current size.
    void DrawOnImage();
    // Shows the window maximised and returns when it is closed.
    int ShowModal();

    // --- reactions
    void FormCreate();
    void FormResize();
    void Button1Click();
    void Button2Click();
    void SaveBitmapExecute();
    void openbitmapExecute();

    PlotImage* Image1 = nullptr;
    QWidget* Panel1 = nullptr;
    QPushButton* Button1 = nullptr; // Close
    QPushButton* Button2 = nullptr; // Print
    QMenu* PopupMenu1 = nullptr;
    QAction* Saveimageasbitmap1 = nullptr;
    QAction* Openlastbitmap1 = nullptr;

  public Q_SLOTS:
    // Esc and the window's own close control do what "Close" does.
    void reject() override;

  private:
    PreviewHost& host_;
    Platform& platform_;
    PlotState plot_;
};

} // namespace trv
