#pragma once

#include "calibration/VelocityFit.h"
#include "exp/Calibration.h"
#include "exp/MaskedField.h"
#include "platform/LocaleFormats.h"
#include "platform/Platform.h"

#include <QDialog>
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class QLabel;
class QPushButton;
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

// Draws the folded reference spectrum with the fitted curve over it, the line positions, and
// the residuals in a strip below.
class CalibrationPlot : public QWidget {
  public:
    explicit CalibrationPlot(QWidget* parent = nullptr);
    void SetData(FoldedSpectrum folded, std::vector<double> lineVelocities);
    void Clear();
    QSize sizeHint() const override { return {560, 420}; }

  protected:
    void paintEvent(QPaintEvent* e) override;

  private:
    FoldedSpectrum folded_;
    std::vector<double> lines_;
};

// Velocity calibration from a reference spectrum: fits the reference's lines, shows the fit
// and its results, and hands the four header values to the main window or writes them into
// a calibration file. The line table is remembered in the settings store.
class TCalibrationForm : public QDialog {
  public:
    TCalibrationForm(Platform& platform, SettingsStore& store, LocaleFormats locale,
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
    void BrowseClick();
    void LoadReferenceFile(const QString& path);
    void ApplyClick();
    void SaveCalClick();
    void SaveCalFile(const QString& target);
    void AddLineClick();
    void RemoveLineClick();
    void DefaultLinesClick();

    // The table's line positions; AppError when a cell is not a number.
    std::vector<double> ReferenceLines() const;
    void SetReferenceLines(const std::vector<double>& lines);

    QLabel* SourceLabel = nullptr;
    QPushButton* BrowseButton = nullptr;
    QTableWidget* LinesTable = nullptr;
    QPushButton* AddLineButton = nullptr;
    QPushButton* RemoveLineButton = nullptr;
    QPushButton* DefaultLinesButton = nullptr;
    QPushButton* FitButton = nullptr;
    CalibrationPlot* Plot = nullptr;
    QLabel* FoldLabel = nullptr;
    QLabel* ZeroLabel = nullptr;
    QLabel* CalLabel = nullptr;
    QLabel* VmaxLabel = nullptr;
    QLabel* Chi2Label = nullptr;
    QLabel* LinesFoundLabel = nullptr;
    QLabel* StatusLabel = nullptr;
    QPushButton* ApplyButton = nullptr;
    QPushButton* SaveCalButton = nullptr;
    QPushButton* CloseButton = nullptr;

  private:
    void Guarded(const std::function<void()>& body);
    void ShowResults();
    void StoreReferenceLines();
    void LoadStoredReferenceLines();

    Platform& platform_;
    SettingsStore& store_;
    LocaleFormats locale_;
    CalibrationSubject subject_;
    std::optional<CalibrationFit> fit_;
    QString refusal_;
    bool fillingTable_ = false;
};

} // namespace trv
