#pragma once

#include "platform/LocaleFormats.h"
#include "platform/Platform.h"
#include "spectrum/Combine.h"
#include "ui/windows/ModalResult.h"

#include <QDialog>
#include <QString>

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

class QFrame;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QTreeWidget;

namespace trv {

// One of the two files of the add/subtract window: what was picked and what it holds.
struct SpmSlot {
    QLineEdit* path = nullptr;   // full path of the file last picked
    QTreeWidget* list = nullptr; // the file's facts, name and value
    std::vector<uint32_t> counts;
    int32_t channelCount = 0;
    int32_t size = 0;
};

// The add/subtract window: two SPM files side by side, and their channel-wise sum or
// difference replaces the main window's spectrum. Created once; the slots keep their files
// between showings.
class CombineSpectraDialog : public QDialog, public ModalResult {
    Q_OBJECT
  public:
    // Takes over a sum or difference: the main window's part, which sets its own controls.
    using AdoptSpectrum = std::function<void(std::vector<uint32_t> counts, int32_t channelCount)>;

    CombineSpectraDialog(AdoptSpectrum adopt, Platform& platform, LocaleFormats locale,
                         QWidget* parent = nullptr);

    static constexpr const char* kPickTwoText = "Pick two spectra first.";

    QGroupBox* firstGroup() const { return firstGroup_; }
    QLineEdit* firstPathEdit() const { return firstPathEdit_; }
    QPushButton* firstBrowseButton() const { return firstBrowseButton_; } // Browse, slot 1
    QTreeWidget* firstList() const { return firstList_; }
    QGroupBox* secondGroup() const { return secondGroup_; }
    QLineEdit* secondPathEdit() const { return secondPathEdit_; }
    QPushButton* secondBrowseButton() const { return secondBrowseButton_; } // Browse, slot 2
    QTreeWidget* secondList() const { return secondList_; }
    QFrame* buttonPanel() const { return buttonPanel_; }
    QPushButton* addButton() const { return addButton_; }           // &Add
    QPushButton* subtractButton() const { return subtractButton_; } // &Subtract
    QPushButton* closeButton() const { return closeButton_; }       // &Close

    const SpmSlot& Slot(int index) const { return slots_[index]; }
    // The rows of a slot's list as shown: (first column, second column).
    std::vector<std::pair<QString, QString>> SlotRows(int index) const;

    // --- reactions
    void OnBrowseFirst() { Browse(0); }
    void OnBrowseSecond() { Browse(1); }
    // Reads a file into a slot: what Browse does once the dialog has given a path.
    void LoadSlot(int index, const QString& path);
    // The click reaction of both "&Add" and "&Subtract"; the button clicked tells which.
    void OnCombineClicked(const QPushButton* clicked);
    void CombineSpectra(CombineOp op);

  public Q_SLOTS:
    // Escape and the frame's close button end the window like "&Close".
    void reject() override { done(kResultCancel); }

  protected:
    void resizeEvent(QResizeEvent* e) override;

  private:
    void BuildSlot(SpmSlot& slot, QGroupBox*& group, QLineEdit*& edit, QPushButton*& browse,
                   QTreeWidget*& list, const char* suffix, const QString& title);
    void Browse(int index);
    void PlaceControls();

    AdoptSpectrum adopt_;
    Platform& platform_;
    LocaleFormats locale_;
    SpmSlot slots_[2];
    int groupHeight_ = 185;

  private:
    // Controls
    QGroupBox* firstGroup_ = nullptr;
    QLineEdit* firstPathEdit_ = nullptr;
    QPushButton* firstBrowseButton_ = nullptr;
    QTreeWidget* firstList_ = nullptr;
    QGroupBox* secondGroup_ = nullptr;
    QLineEdit* secondPathEdit_ = nullptr;
    QPushButton* secondBrowseButton_ = nullptr;
    QTreeWidget* secondList_ = nullptr;
    QFrame* buttonPanel_ = nullptr;
    QPushButton* addButton_ = nullptr;
    QPushButton* subtractButton_ = nullptr;
    QPushButton* closeButton_ = nullptr;
};

} // namespace trv
