#pragma once

#include "calibration/CalFileReader.h"
#include "exp/ExpHeader.h"
#include "follow/Progress.h"
#include "platform/LocaleFormats.h"
#include "platform/Platform.h"
#include "platform/SettingsStore.h"
#include "spectrum/Spm.h"
#include "ui/widgets/PlotImage.h"
#include "ui/windows/PreviewHost.h"

#include <QLineEdit>
#include <QMainWindow>
#include <QPointer>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QAction;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMimeData;
class QShowEvent;
class QMenu;
class QPushButton;
class QSplitter;
class QStatusBar;
class QTableWidget;
class QToolBar;

namespace trv {

class FileFollower;
class MaskEditField;
class UpDown;
class PreviewWindow;
class AboutDialog;
class CombineSpectraDialog;
class CalibrationWindow;
class AsciiExportDialog;

// The main window. Controls are public members named as the user-facing description names
// them, so that the tests can reach them; the other windows go through the narrow interfaces
// they are given. Reactions are public methods; slots only ask a dialog and then call the
// method that takes a path.
class MainWindow : public QMainWindow, public PreviewHost {
    Q_OBJECT
  public:
    // The store is created by the caller (its location is the caller's choice) and owned from
    // here on; OnCreate runs before the constructor returns.
    MainWindow(Platform& platform, std::unique_ptr<SettingsStore> store, LocaleFormats locale,
               QWidget* parent = nullptr);
    ~MainWindow() override;

    // --- the loaded spectrum
    const std::vector<uint32_t>& Counts() const { return counts_; }
    int32_t ChannelCount() const { return channelCount_; }
    const std::string& SpmImage() const { return spmImage_; }
    // Replaces the spectrum without touching the image, the mode or the other labels.
    void SetSpectrum(std::vector<uint32_t> counts, int32_t channelCount);
    // The name of the loaded spectrum: the caption of spectrumNameLabel_.
    QString SpectrumName() const;

    // --- the EXP header as its fields read now
    ExpHeader CurrentHeader() const;
    int SaveAsMode() const;

    // --- the data grid, counted as the user sees it: row 0 is the title row
    int GridRowCount() const;
    void SetGridRowCount(int rows);
    QString GridCell(int col, int row) const;

    // --- reactions
    void OnCreate();
    void OnDestroy();
    void OnOpen();
    void OpenSpectrumFile(const QString& path); // the open's steps after the dialog
    // A file named from outside (dropped, or given on the command line) opens as if chosen in
    // the open dialog: its folder becomes the current and the remembered one.
    void OpenGivenFile(const QString& path);
    void FillDataGrid();
    void OnShowDataToggled();
    void OnSaveAsModeChanged(int item);
    void OnSave();
    void OnSaveAs();
    void SaveExpFile(const QString& target);
    void OnLoadHeader();
    void LoadHeaderFile(const QString& path);
    void OnClose();
    void RememberFolder();
    void UpdateEditActions();

    // --- preview hooks; the plot fills them in
    void GuessPreviewScale();
    void RedrawPreview();
    void ClearPreview();
    void OnPreviewClicked();
    void OnViewClicked();
    void OnScaleChanged();
    void OnPlotFoldChanged();
    void OnPlotFoldStepped();
    void OnFoldedToggled();
    void OnErrorLinesToggled();
    void OnDrawMeanToggled();
    void OnPreviewToggled();

    // --- preview plot (MainWindowPlot.cpp)
    PreviewWindow* previewWindow() const
    {
        return previewWindow_;
    } // the preview window; holds the plot's state
    QAction* findFoldingChannelAction() const
    {
        return findFoldingChannelAction_;
    } // "Find folding channel" in "Special"
    // The "Graphic" group's values as the controls read now.
    PlotSettings CurrentPlotSettings() const override;
    // spectrumNameLabel_'s caption as the plot writes it.
    std::string SpectrumNameBytes() const override;
    void ShowPreviewWindow();
    void OnSaveBitmap();
    void OpenLastBitmap() override;
    void OnFindFoldingChannel();

    // --- velocity calibration (MainWindowSpecial.cpp)
    QAction* calibrateAction() const
    {
        return calibrateAction_;
    } // "Calibrate from reference spectrum…" in "Special"
    CalibrationWindow* calibrationWindow() const { return calibrationWindow_; }
    void OnCalibrate();
    // Hands the window the loaded spectrum, the mode and the folding channel's mask, and fits.
    void PrepareCalibrationWindow();
    // Sets the four calibration fields as Load header sets them from a file with these values.
    void ApplyCalibrationValues(const CalibrationValues& values);
    // Asks for a name (proposed: the Serial # text) and saves the image's bitmap there as .bmp;
    // only the main window's dialog records its folder.
    void SaveImageBitmap(const PlotImage& image, bool mainWindowDialog) override;
    // The save after the dialog: writes the bitmap, if the image has one, and remembers target.
    void SaveBitmapFile(const QString& target, const PlotImage& image);
    const QString& LastBitmap() const { return lastBitmap_; }

    // --- following the opened file while its measurement runs (MainWindowFollow.cpp)
    QAction* followAction() const { return followAction_; }
    QLabel* followStatus() const { return followStatus_; }
    QLabel* progressLabel() const { return progressLabel_; }
    QLineEdit* targetNoiseEdit() const { return targetNoiseEdit_; }
    const FileFollower& Follower() const { return *follower_; }
    // A new complete version of the followed file: what it says, its counts, the grid and the
    // preview; never the header fields.
    void ReloadSpectrum(const SpmSpectrum& spectrum);

    // Runs one reaction through RunGuarded; an error it raises is shown to the user. False when
    // it failed.
    bool Guard(const std::function<void()>& body);

    // File dialogs of this window: each opens in the current folder and runs RememberFolder
    // when it closes, chosen or cancelled.
    std::optional<FileDialogResult> RunOpenDialog(const FileDialogRequest& request);
    // A save dialog and the save of the chosen file. A save that fails leaves the folder from
    // before the dialog current and the stored one untouched, and passes its error on; only
    // `remember` dialogs run RememberFolder. False when the dialog was cancelled.
    using SaveStep = std::function<void(const FileDialogResult&)>;
    bool RunSaveDialog(const FileDialogRequest& request, const SaveStep& save,
                       bool remember = true);

    Platform& platformSeam() { return platform_; }

    // --- frame
    QToolBar* toolBar() const { return toolBar_; } // open, save, header, edit and About buttons
    QStatusBar* statusLine() const { return statusLine_; } // holds the credit line
    QLabel* creditLine() const { return creditLine_; }
    QTableWidget* dataGrid() const { return dataGrid_; } // the data grid: channel and count per row
    QSplitter* splitter() const { return splitter_; }    // between the grid and the left panel
    QWidget* leftPanel() const
    {
        return leftPanel_;
    } // left panel: options, SPM Info, Graphic, preview
    QWidget* rightPanel() const
    {
        return rightPanel_;
    } // right panel: Exp Data, Exp Header, Save options
    PlotImage* previewImage() const { return previewImage_; } // the preview plot

    // --- "Load options"
    QGroupBox* loadOptionsGroup() const { return loadOptionsGroup_; } // "Load options"
    QCheckBox* showDataBox() const { return showDataBox_; }           // Show data
    QCheckBox* previewBox() const { return previewBox_; }             // Preview
    QCheckBox* guessScaleBox() const { return guessScaleBox_; }       // Guess scale
    QCheckBox* guessExpDataBox() const { return guessExpDataBox_; }   // Guess Exp Data

    // --- "SPM Info"
    QGroupBox* spmInfoGroup() const { return spmInfoGroup_; }        // "SPM Info"
    QLabel* spectrumNameLabel() const { return spectrumNameLabel_; } // the spectrum's file name
    QLabel* fileSizeLabel() const { return fileSizeLabel_; }         // "N bytes"
    QLabel* firstStampLabel() const { return firstStampLabel_; }     // first time stamp
    QLabel* secondStampLabel() const { return secondStampLabel_; }   // second time stamp
    QLabel* channelCountLabel() const { return channelCountLabel_; } // "N channels"
    QLabel* spmModeLabel() const { return spmModeLabel_; }           // "Mode : PCA2  (Header: N)"

    // --- "Graphic"
    QGroupBox* graphicGroup() const { return graphicGroup_; } // "Graphic"
    QLabel* plotIgnoreLeftLabel() const
    {
        return plotIgnoreLeftLabel_;
    } // caption of plotIgnoreLeftEdit_
    QLabel* plotIgnoreRightLabel() const
    {
        return plotIgnoreRightLabel_;
    }                                                        // caption of plotIgnoreRightEdit_
    QLabel* scaleLabel() const { return scaleLabel_; }       // caption of scaleEdit_
    QLabel* plotFoldLabel() const { return plotFoldLabel_; } // caption of plotFoldEdit_
    QLineEdit* scaleEdit() const { return scaleEdit_; }      // scale (1/10 %)
    QLineEdit* plotIgnoreLeftEdit() const { return plotIgnoreLeftEdit_; }   // ignore from left
    QLineEdit* plotIgnoreRightEdit() const { return plotIgnoreRightEdit_; } // ignore from right
    QLineEdit* plotFoldEdit() const { return plotFoldEdit_; }   // folding channel of the plot
    QLineEdit* meanWidthEdit() const { return meanWidthEdit_; } // half-width of the drawn mean
    UpDown* scaleSpin() const { return scaleSpin_; }            // arrows of scaleEdit_
    UpDown* plotIgnoreLeftSpin() const
    {
        return plotIgnoreLeftSpin_;
    } // arrows of plotIgnoreLeftEdit_
    UpDown* plotIgnoreRightSpin() const
    {
        return plotIgnoreRightSpin_;
    }                                                             // arrows of plotIgnoreRightEdit_
    UpDown* plotFoldSpin() const { return plotFoldSpin_; }        // arrows of plotFoldEdit_
    UpDown* meanWidthSpin() const { return meanWidthSpin_; }      // arrows of meanWidthEdit_
    QCheckBox* foldedBox() const { return foldedBox_; }           // Folded
    QCheckBox* errorLinesBox() const { return errorLinesBox_; }   // Draw Errorlines
    QCheckBox* drawMeanBox() const { return drawMeanBox_; }       // Draw mean
    QPushButton* previewButton() const { return previewButton_; } // Preview
    QPushButton* viewButton() const { return viewButton_; }       // View

    // --- "Exp Data", "Exp Header", "Save options"
    QGroupBox* expDataGroup() const { return expDataGroup_; }             // "Exp Data"
    QGroupBox* expHeaderGroup() const { return expHeaderGroup_; }         // "Exp Header"
    QGroupBox* saveOptionsGroup() const { return saveOptionsGroup_; }     // "Save options"
    QLineEdit* descriptionEdit() const { return descriptionEdit_; }       // Description
    MaskEditField* serialEdit() const { return serialEdit_; }             // Serial
    MaskEditField* bFieldEdit() const { return bFieldEdit_; }             // BField
    MaskEditField* temperatureEdit() const { return temperatureEdit_; }   // Temperature
    QLineEdit* channelsEdit() const { return channelsEdit_; }             // Channels
    QLineEdit* ignoreLeftEdit() const { return ignoreLeftEdit_; }         // IgnoreLeft
    QLineEdit* ignoreRightEdit() const { return ignoreRightEdit_; }       // IgnoreRight
    QLineEdit* countsMillionsEdit() const { return countsMillionsEdit_; } // CountsMillions
    QLineEdit* columnsEdit() const { return columnsEdit_; }               // Columns
    UpDown* channelsSpin() const { return channelsSpin_; }                // arrows of channelsEdit_
    UpDown* ignoreLeftSpin() const { return ignoreLeftSpin_; }   // arrows of ignoreLeftEdit_
    UpDown* ignoreRightSpin() const { return ignoreRightSpin_; } // arrows of ignoreRightEdit_
    UpDown* countsMillionsSpin() const
    {
        return countsMillionsSpin_;
    } // arrows of countsMillionsEdit_
    MaskEditField* foldingChannelEdit() const { return foldingChannelEdit_; } // FoldingChannel
    MaskEditField* zeroSpeedEdit() const { return zeroSpeedEdit_; }           // ZeroSpeedChannel
    MaskEditField* calibrationEdit() const { return calibrationEdit_; }       // CalibrationConstant
    MaskEditField* extra1Edit() const { return extra1Edit_; }                 // Extra1
    MaskEditField* extra2Edit() const { return extra2Edit_; }                 // Extra2
    MaskEditField* extra3Edit() const { return extra3Edit_; }                 // Extra3
    MaskEditField* extra4Edit() const { return extra4Edit_; }                 // Extra4
    QComboBox* saveAsModeCombo() const
    {
        return saveAsModeCombo_;
    } // 1024 / 512 (add) / 512 (mean) channels
    QLabel* saveAsModeLabel() const { return saveAsModeLabel_; }

    // --- actions and menus
    QAction* copyAction() const { return copyAction_; }
    QAction* cutAction() const { return cutAction_; }
    QAction* deleteAction() const { return deleteAction_; }
    QAction* pasteAction() const { return pasteAction_; }
    QAction* selectAllAction() const { return selectAllAction_; }
    QAction* undoAction() const { return undoAction_; }
    QAction* openAction() const { return openAction_; }
    QAction* saveAction() const { return saveAction_; }
    QAction* saveAsAction() const { return saveAsAction_; }
    QAction* closeAction() const { return closeAction_; }
    QAction* loadHeaderAction() const { return loadHeaderAction_; }
    QAction* aboutAction() const { return aboutAction_; }
    QAction* laughAction() const { return laughAction_; }
    QAction* saveBitmapAction() const { return saveBitmapAction_; }
    QAction* openBitmapAction() const { return openBitmapAction_; }
    QAction* saveAsciiAction() const { return saveAsciiAction_; }
    QAction* addSpectraAction() const { return addSpectraAction_; }           // "Add spectres"
    QAction* subtractSpectraAction() const { return subtractSpectraAction_; } // "Subtract spectres"
    QMenu* filesMenu() const { return filesMenu_; }                           // "Files"
    QMenu* editMenu() const { return editMenu_; }       // "Edit" (a menu, not a field)
    QMenu* imageMenu() const { return imageMenu_; }     // "Image"
    QMenu* specialMenu() const { return specialMenu_; } // "Special"
    QMenu* headerMenu() const { return headerMenu_; }   // "Header"
    QMenu* helpMenu() const { return helpMenu_; }       // "Help"

    // --- "Special" and "Help" menus, ASCII export (MainWindowSpecial.cpp)
    AboutDialog* aboutDialog() const { return aboutDialog_; }              // About
    CombineSpectraDialog* combineDialog() const { return combineDialog_; } // add/subtract
    AsciiExportDialog* asciiExportDialog() const
    {
        return asciiExportDialog_;
    } // the ASCII export's options
    void OnAddSpectra();
    void OnSubtractSpectra();
    void OnAbout();
    void OnLaugh();
    void OnSaveAscii();
    // Takes over the sum or difference the add/subtract window made: Show data on, the 512
    // (add) mode, a guessed scale, both margins 9, a redraw, and the name the user gives. All or
    // nothing: the scale guess and the drawing are tried on the new counts first, so an error
    // leaves this window as it was.
    void AdoptCombinedSpectrum(std::vector<uint32_t> counts, int32_t channelCount);
    // What the export does once both dialogs have answered.
    void SaveASCIIFile(const QString& target, int xAxis, int channelMode);
    const LocaleFormats& Locale() const { return locale_; }

  protected:
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dragMoveEvent(QDragMoveEvent* e) override;
    void dropEvent(QDropEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;
    void showEvent(QShowEvent* e) override;

  private:
    void BuildActions();
    void BuildMenusAndToolBar();
    void BuildCentre();
    QWidget* BuildLeftPanel();
    QWidget* BuildRightPanel();
    void BuildLoadOptions(QWidget* parent);
    void BuildSpmInfo(QWidget* parent);
    void BuildGraphic(QWidget* parent);
    void BuildExpData(QWidget* parent);
    void BuildExpHeader(QWidget* parent);
    void BuildSaveOptions(QWidget* parent);
    void ConnectReactions();
    void SetTabOrder();
    static QString DroppedSpmFile(const QMimeData* mime);
    void FitGridColumns();

    enum class FollowState { Off, Following, Awaiting, Failed };
    void BuildMeasurement(QWidget* parent);
    void SetUpFollowing();
    void RememberFollowSettings();
    void SetFollowing(bool on);
    void FollowOpenedFile(const QString& path);
    void StopFollowing();
    MeasurementProgress CurrentProgress() const;
    void ShowProgress();
    void ShowFollowStatus(FollowState state);
    FileFollower* follower_ = nullptr;
    QAction* followAction_ = nullptr;
    QLabel* followStatus_ = nullptr;
    QGroupBox* measurementGroup_ = nullptr;
    QLabel* progressLabel_ = nullptr;
    QLineEdit* targetNoiseEdit_ = nullptr;
    QString openedPath_;
    QString followProblem_;
    SpmInfo shownInfo_;
    std::vector<CountObservation> history_;
    bool loadingFollowSettings_ = false;

    enum class EditOp { Copy, Cut, Delete, Paste, SelectAll, Undo };
    void RunEditOp(EditOp op);
    // The field the Edit menu acts on: the focused one, or the one focused before a menu took
    // the focus.
    QPointer<QLineEdit> editTarget_;

    Platform& platform_;
    std::unique_ptr<SettingsStore> store_;
    LocaleFormats locale_;

    std::string spmImage_;
    std::vector<uint32_t> counts_;
    int32_t channelCount_ = 0;
    SpmMode spmMode_ = SpmMode::PCA2;
    bool shownOnce_ = false;

    // Preview plot
    void CreatePreviewWindow();
    void FoldingChannelReaction();
    void OnPreviewImageResized();
    QString lastBitmap_;

    // "Special"/"Help" windows and the ASCII export's remembered file type.
    void CreateSpecialWindows();
    int asciiFilterIndex_ = 1;

  private:
    // Controls
    PreviewWindow* previewWindow_ = nullptr;
    QAction* findFoldingChannelAction_ = nullptr;
    QAction* calibrateAction_ = nullptr;
    CalibrationWindow* calibrationWindow_ = nullptr;
    QToolBar* toolBar_ = nullptr;
    QStatusBar* statusLine_ = nullptr;
    QLabel* creditLine_ = nullptr;
    QTableWidget* dataGrid_ = nullptr;
    QSplitter* splitter_ = nullptr;
    QWidget* leftPanel_ = nullptr;
    QWidget* rightPanel_ = nullptr;
    PlotImage* previewImage_ = nullptr;
    QGroupBox* loadOptionsGroup_ = nullptr;
    QCheckBox* showDataBox_ = nullptr;
    QCheckBox* previewBox_ = nullptr;
    QCheckBox* guessScaleBox_ = nullptr;
    QCheckBox* guessExpDataBox_ = nullptr;
    QGroupBox* spmInfoGroup_ = nullptr;
    QLabel* spectrumNameLabel_ = nullptr;
    QLabel* fileSizeLabel_ = nullptr;
    QLabel* firstStampLabel_ = nullptr;
    QLabel* secondStampLabel_ = nullptr;
    QLabel* channelCountLabel_ = nullptr;
    QLabel* spmModeLabel_ = nullptr;
    QGroupBox* graphicGroup_ = nullptr;
    QLabel* plotIgnoreLeftLabel_ = nullptr;
    QLabel* plotIgnoreRightLabel_ = nullptr;
    QLabel* scaleLabel_ = nullptr;
    QLabel* plotFoldLabel_ = nullptr;
    QLineEdit* scaleEdit_ = nullptr;
    QLineEdit* plotIgnoreLeftEdit_ = nullptr;
    QLineEdit* plotIgnoreRightEdit_ = nullptr;
    QLineEdit* plotFoldEdit_ = nullptr;
    QLineEdit* meanWidthEdit_ = nullptr;
    UpDown* scaleSpin_ = nullptr;
    UpDown* plotIgnoreLeftSpin_ = nullptr;
    UpDown* plotIgnoreRightSpin_ = nullptr;
    UpDown* plotFoldSpin_ = nullptr;
    UpDown* meanWidthSpin_ = nullptr;
    QCheckBox* foldedBox_ = nullptr;
    QCheckBox* errorLinesBox_ = nullptr;
    QCheckBox* drawMeanBox_ = nullptr;
    QPushButton* previewButton_ = nullptr;
    QPushButton* viewButton_ = nullptr;
    QGroupBox* expDataGroup_ = nullptr;
    QGroupBox* expHeaderGroup_ = nullptr;
    QGroupBox* saveOptionsGroup_ = nullptr;
    QLineEdit* descriptionEdit_ = nullptr;
    MaskEditField* serialEdit_ = nullptr;
    MaskEditField* bFieldEdit_ = nullptr;
    MaskEditField* temperatureEdit_ = nullptr;
    QLineEdit* channelsEdit_ = nullptr;
    QLineEdit* ignoreLeftEdit_ = nullptr;
    QLineEdit* ignoreRightEdit_ = nullptr;
    QLineEdit* countsMillionsEdit_ = nullptr;
    QLineEdit* columnsEdit_ = nullptr;
    UpDown* channelsSpin_ = nullptr;
    UpDown* ignoreLeftSpin_ = nullptr;
    UpDown* ignoreRightSpin_ = nullptr;
    UpDown* countsMillionsSpin_ = nullptr;
    MaskEditField* foldingChannelEdit_ = nullptr;
    MaskEditField* zeroSpeedEdit_ = nullptr;
    MaskEditField* calibrationEdit_ = nullptr;
    MaskEditField* extra1Edit_ = nullptr;
    MaskEditField* extra2Edit_ = nullptr;
    MaskEditField* extra3Edit_ = nullptr;
    MaskEditField* extra4Edit_ = nullptr;
    QComboBox* saveAsModeCombo_ = nullptr;
    QLabel* saveAsModeLabel_ = nullptr;
    QAction* copyAction_ = nullptr;
    QAction* cutAction_ = nullptr;
    QAction* deleteAction_ = nullptr;
    QAction* pasteAction_ = nullptr;
    QAction* selectAllAction_ = nullptr;
    QAction* undoAction_ = nullptr;
    QAction* openAction_ = nullptr;
    QAction* saveAction_ = nullptr;
    QAction* saveAsAction_ = nullptr;
    QAction* closeAction_ = nullptr;
    QAction* loadHeaderAction_ = nullptr;
    QAction* aboutAction_ = nullptr;
    QAction* laughAction_ = nullptr;
    QAction* saveBitmapAction_ = nullptr;
    QAction* openBitmapAction_ = nullptr;
    QAction* saveAsciiAction_ = nullptr;
    QAction* addSpectraAction_ = nullptr;
    QAction* subtractSpectraAction_ = nullptr;
    QMenu* filesMenu_ = nullptr;
    QMenu* editMenu_ = nullptr;
    QMenu* imageMenu_ = nullptr;
    QMenu* specialMenu_ = nullptr;
    QMenu* headerMenu_ = nullptr;
    QMenu* helpMenu_ = nullptr;
    AboutDialog* aboutDialog_ = nullptr;
    CombineSpectraDialog* combineDialog_ = nullptr;
    AsciiExportDialog* asciiExportDialog_ = nullptr;
};

} // namespace trv
