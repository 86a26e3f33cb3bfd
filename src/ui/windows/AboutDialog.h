#pragma once

#include "ui/windows/ModalResult.h"

#include <QDialog>

class QFrame;
class QPlainTextEdit;
class QPushButton;

namespace trv {

// The About window: credits and version history, closed by "Close", Enter or Escape.
class AboutDialog : public QDialog, public ModalResult {
    Q_OBJECT

  public:
    explicit AboutDialog(QWidget* parent = nullptr);

    QPlainTextEdit* textView() const { return textView_; }
    QFrame* buttonPanel() const { return buttonPanel_; }
    QPushButton* okButton() const { return okButton_; }

    // The fixed text the memo holds.
    static QString AboutText();

  public Q_SLOTS:
    // Escape and the frame's close button end the window like "Close": result 2.
    void reject() override;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    // Controls
    QPlainTextEdit* textView_ = nullptr;
    QFrame* buttonPanel_ = nullptr;
    QPushButton* okButton_ = nullptr;
};

} // namespace trv
