#pragma once

#include "calibration/CalFileReader.h"
#include "calibration/VelocityFit.h"
#include "exp/MaskedField.h"
#include "platform/LocaleFormats.h"
#include "platform/Platform.h"
#include "ui/widgets/CalibrationPlot.h"

#include <QDialog>
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class QLabel;
class QLineEdit;
class QPushButton;
class QScrollArea;
class QTableWidget;

namespace trv {

class SettingsStore;

// The spectrum a calibration is made from, and what the main window's header needs to take
// the result: its save-as mode and the folding channel's mask in force.
struct CalibrationSubject {
    std::vector<std::uint32_t> counts;
    std::int32_t channelCount = 0;
    int saveAsMode = 1;
    EditMask foldMask;
    QString name;       // the spectrum's name as shown
    std::string stamps; // its two time stamps as shown
};

// Velocity calibration from a reference spectrum: fits the reference's lines, shows the fit
// and its results, and hands the four header values to the main window or writes them into
// a calibration file. The line table is remembered in the settings store.
class CalibrationWindow : public QDialog {
  public:
    CalibrationWindow(Platform& platform, SettingsStore& store, LocaleFormats locale,
                      QWidget* parent = nullptr);

    // Sets the four header fields as loading the written calibration file would.
    std::function<void(const CalibrationValues&)> onApply;

    // Calibrates this spectrum (the main window's, as the window opens).
    void SetSubject(CalibrationSubject subject);
    const std::optional<CalibrationFit>& Fit() const { return fit_; }
    // The refusal of the last fit, empty when it succeeded.
    const QString& Refusal() const { return refusal_; }

    // --- reactions
    void RunFit();
    void OnBrowse();
    void LoadReferenceFile(const QString& path);
    void OnApply();
    void OnSaveCal();
    void SaveCalFile(const QString& target);
    void OnAddLine();
    void OnRemoveLine();
    void OnDefaultLines();

    // The table's line positions; AppError when a cell is not a number.
    std::vector<double> ReferenceLines() const;
    void SetReferenceLines(const std::vector<double>& lines);

    QLabel* sourceLabel() const { return sourceLabel_; }
    QPushButton* browseButton() const { return browseButton_; }
    QTableWidget* linesTable() const { return linesTable_; }
    QPushButton* addLineButton() const { return addLineButton_; }
    QPushButton* removeLineButton() const { return removeLineButton_; }
    QPushButton* defaultLinesButton() const { return defaultLinesButton_; }
    QPushButton* fitButton() const { return fitButton_; }
    CalibrationPlot* plot() const { return plot_; }
    QLabel* foldLabel() const { return foldLabel_; }
    QLabel* zeroLabel() const { return zeroLabel_; }
    QLabel* calLabel() const { return calLabel_; }
    QLabel* vmaxLabel() const { return vmaxLabel_; }
    QLabel* chi2Label() const { return chi2Label_; }
    QLabel* linesFoundLabel() const { return linesFoundLabel_; }
    QLabel* statusLabel() const { return statusLabel_; }
    QLabel* entryErrorLabel() const { return entryErrorLabel_; }
    QLineEdit* excludeEdit() const { return excludeEdit_; }
    QLabel* notesLabel() const { return notesLabel_; }
    QPushButton* applyButton() const { return applyButton_; }
    QPushButton* saveCalButton() const { return saveCalButton_; }
    QPushButton* closeButton() const { return closeButton_; }

  protected:
    void showEvent(QShowEvent* e) override;

  private:
    void Guarded(const std::function<void()>& body);
    void ShowResults();
    void StoreReferenceLines();
    // A table edit: clears the results, marks the entries that are no numbers, stores the rest.
    void OnTableEdited();
    // Marks bad entries and says what is wrong beside the table; true when all are numbers.
    bool CheckTable();
    // An entry still being typed counts as typed.
    void CommitOpenEditor();
    // A poor fit is used only when the user says so.
    bool PoorFitAccepted();
    void MarkUnusedLines();
    std::string ExcludedText() const;
    // The channels to leave out as the field says; nothing when it is no channel list.
    std::optional<std::vector<int>> ExcludedChannels() const;
    void LoadStoredReferenceLines();

    Platform& platform_;
    SettingsStore& store_;
    LocaleFormats locale_;
    CalibrationSubject subject_;
    std::optional<CalibrationFit> fit_;
    QString refusal_;
    bool fillingTable_ = false;

  private:
    // Controls
    QLabel* sourceLabel_ = nullptr;
    QPushButton* browseButton_ = nullptr;
    QTableWidget* linesTable_ = nullptr;
    QPushButton* addLineButton_ = nullptr;
    QPushButton* removeLineButton_ = nullptr;
    QPushButton* defaultLinesButton_ = nullptr;
    QPushButton* fitButton_ = nullptr;
    CalibrationPlot* plot_ = nullptr;
    QLabel* foldLabel_ = nullptr;
    QLabel* zeroLabel_ = nullptr;
    QLabel* calLabel_ = nullptr;
    QLabel* vmaxLabel_ = nullptr;
    QLabel* chi2Label_ = nullptr;
    QLabel* linesFoundLabel_ = nullptr;
    QLabel* statusLabel_ = nullptr;
    QLabel* entryErrorLabel_ = nullptr;
    QLineEdit* excludeEdit_ = nullptr;
    QLabel* notesLabel_ = nullptr;
    QScrollArea* sideScroll_ = nullptr;
    QPushButton* applyButton_ = nullptr;
    QPushButton* saveCalButton_ = nullptr;
    QPushButton* closeButton_ = nullptr;
};

} // namespace trv
