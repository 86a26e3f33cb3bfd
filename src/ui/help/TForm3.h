#pragma once

#include "ui/ModalResult.h"

#include <QDialog>

class QFrame;
class QPlainTextEdit;
class QPushButton;

namespace trv {

// The About window: credits and version history, closed by "Close", Enter or Escape.
class TForm3 : public QDialog, public ModalResult {
    Q_OBJECT

  public:
    explicit TForm3(QWidget* parent = nullptr);

    QPlainTextEdit* Memo1;
    QFrame* Panel1;
    QPushButton* Button1;

    // The fixed text the memo holds.
    static QString AboutText();

  public Q_SLOTS:
    // Escape and the frame's close button end the window like "Close": result 2.
    void reject() override;

  protected:
    void showEvent(QShowEvent* event) override;
};

} // namespace trv
