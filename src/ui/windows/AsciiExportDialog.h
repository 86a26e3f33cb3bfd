#pragma once

#include "ui/widgets/RadioGroup.h"
#include "ui/windows/ModalResult.h"

#include <QDialog>
class QFrame;
class QPushButton;

namespace trv {

// The options of the ASCII export: x axis and channel mode. Created once and reused; the
// export resets the choices each time before showing it.
class AsciiExportDialog : public QDialog, public ModalResult {
    Q_OBJECT
  public:
    explicit AsciiExportDialog(QWidget* parent = nullptr);

    QFrame* optionsFrame() const { return optionsFrame_; }
    RadioGroup* xAxisGroup() const { return xAxisGroup_; }       // X-axis
    RadioGroup* channelsGroup() const { return channelsGroup_; } // Channels
    QFrame* buttonPanel() const { return buttonPanel_; }
    QPushButton* saveButton() const { return saveButton_; }     // Save
    QPushButton* cancelButton() const { return cancelButton_; } // Cancel

    void OnSave() { done(kResultOk); }
    void OnCancel() { done(kResultCancel); }

  public Q_SLOTS:
    // Escape and the frame's close button cancel.
    void reject() override { done(kResultCancel); }

  private:
    // Controls
    QFrame* optionsFrame_ = nullptr;
    RadioGroup* xAxisGroup_ = nullptr;
    RadioGroup* channelsGroup_ = nullptr;
    QFrame* buttonPanel_ = nullptr;
    QPushButton* saveButton_ = nullptr;
    QPushButton* cancelButton_ = nullptr;
};

} // namespace trv
