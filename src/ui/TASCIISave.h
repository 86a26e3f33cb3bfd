#pragma once

#include "ui/ModalResult.h"

#include <QDialog>
#include <QGroupBox>

#include <vector>

class QButtonGroup;
class QFrame;
class QPushButton;
class QRadioButton;

namespace trv {

// A titled frame of radio buttons of which exactly one is selected, addressed by item index.
class RadioGroup : public QGroupBox {
    Q_OBJECT
  public:
    RadioGroup(const QString& title, const QStringList& items, QWidget* parent = nullptr);

    int ItemIndex() const;
    void SetItemIndex(int index);
    QRadioButton* Item(int index) const { return items_.at(static_cast<std::size_t>(index)); }
    int Count() const { return static_cast<int>(items_.size()); }

  private:
    QButtonGroup* group_;
    std::vector<QRadioButton*> items_;
};

// The options of the ASCII export: x axis and channel mode. Created once and reused; the
// export resets the choices each time before showing it.
class TASCIISave : public QDialog, public ModalResult {
    Q_OBJECT
  public:
    explicit TASCIISave(QWidget* parent = nullptr);

    QFrame* GroupBox1;
    RadioGroup* RadioGroup1; // X-axis
    RadioGroup* RadioGroup2; // Channels
    QFrame* Panel1;
    QPushButton* Button1; // Save
    QPushButton* Button2; // Cancel

    void Button1Click() { done(kResultOk); }
    void Button2Click() { done(kResultCancel); }

  public Q_SLOTS:
    // Escape and the frame's close button cancel.
    void reject() override { done(kResultCancel); }
};

} // namespace trv
