#pragma once

#include "exp/Calibration.h"
#include "exp/ExpHeader.h"
#include "platform/LocaleFormats.h"
#include "platform/Platform.h"
#include "platform/SettingsStore.h"
#include "spectrum/Spm.h"
#include "ui/PlotImage.h"
#include "ui/PreviewHost.h"

#include <QMainWindow>

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

class MaskEditField;
class UpDown;
class TForm2;
class TForm3;
class TForm5;
class TCalibrationForm;
class TASCIISave;

// The main window. Controls are public members named as the user-facing description names
// them, so that the tests can reach them; the other windows go through the narrow interfaces
// they are given. Reactions are public methods; slots only ask a dialog and then call the
// method that takes a path.
class TForm1 : public QMainWindow, public PreviewHost {
    Q_OBJECT
  public:
    // The store is created by the caller (its location is the caller's choice) and owned from
    // here on; FormCreate runs before the constructor returns.
    TForm1(Platform& platform, std::unique_ptr<SettingsStore> store, LocaleFormats locale,
           QWidget* parent = nullptr);
    ~TForm1() override;

    // --- the loaded spectrum
    const std::vector<uint32_t>& Counts() const { return counts_; }
    int32_t ChannelCount() const { return channelCount_; }
    const std::string& SpmImage() const { return spmImage_; }
    // Replaces the spectrum without touching the image, the mode or the other labels.
    void SetSpectrum(std::vector<uint32_t> counts, int32_t channelCount);
    // The name of the loaded spectrum: the caption of Label1.
    QString SpectrumName() const;

    // --- the EXP header as its fields read now
    ExpHeader CurrentHeader() const;
    int SaveAsMode() const;

    // --- the data grid, counted as the user sees it: row 0 is the title row
    int GridRowCount() const;
    void SetGridRowCount(int rows);
    QString GridCell(int col, int row) const;

    // --- reactions
    void FormCreate();
    void FormDestroy();
    void aOpenExecute();
    void OpenSpectrumFile(const QString& path); // the open's steps after the dialog
    // A file named from outside (dropped, or given on the command line) opens as if chosen in
    // the open dialog: its folder becomes the current and the remembered one.
    void OpenGivenFile(const QString& path);
    void FillDataGrid();
    void CheckBox1Click();
    void cbSaveAsModeChange(int item);
    void aSaveExecute();
    void aSaveAsExecute();
    void SaveExpFile(const QString& target);
    void aLoadHeaderExecute();
    void LoadHeaderFile(const QString& path);
    void aCloseExecute();
    void OpenDialog2Close();
    void UpdateEditActions();

    // --- preview hooks; the plot fills them in
    void GuessScale();
    void RedrawPreview();
    void ClearPreview();
    void Button1Click();
    void Button4Click();
    void Edit2Change();
    void Edit6Change();
    void UpDown5Changing();
    void CheckBox2Click();
    void CheckBox3Click();
    void CheckBox4Click();
    void CheckBox5Click();

    // --- preview plot (TForm1Plot.cpp)
    TForm2* Form2 = nullptr;                // the preview window; holds the plot's state
    QAction* FindFoldingChannel1 = nullptr; // "Find folding channel" in "Special"
    // The "Graphic" group's values as the controls read now.
    PlotSettings CurrentPlotSettings() const override;
    // Label1's caption as the plot writes it.
    std::string SpectrumNameBytes() const override;
    void ShowPreviewWindow();
    void SaveBitmapExecute();
    void openbitmapExecute() override;
    void FindFoldingChannel1Click();

    // --- velocity calibration (TForm1Special.cpp)
    QAction* CalibrateFromReference1 = nullptr; // "Calibrate from reference spectrum…" in "Special"
    TCalibrationForm* CalibrationForm = nullptr;
    void CalibrateFromReference1Click();
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

    // Runs one reaction through RunGuarded; an error it raises is shown to the user. False when
    // it failed.
    bool Guard(const char* reaction, const std::function<void()>& body);

    // File dialogs of this window: each opens in the current folder and runs OpenDialog2Close
    // when it closes, chosen or cancelled.
    std::optional<FileDialogResult> RunOpenDialog(const FileDialogRequest& request);
    // A save dialog and the save of the chosen file. A save that fails leaves the folder from
    // before the dialog current and the stored one untouched, and passes its error on; only
    // `remember` dialogs run OpenDialog2Close. False when the dialog was cancelled.
    using SaveStep = std::function<void(const FileDialogResult&)>;
    bool RunSaveDialog(const FileDialogRequest& request, const SaveStep& save,
                       bool remember = true);

    Platform& platformSeam() { return platform_; }

    // --- frame
    QToolBar* ToolBar1 = nullptr;     // open, save, header, edit and About buttons
    QStatusBar* StatusBar1 = nullptr; // holds the credit line
    QLabel* CreditLine = nullptr;
    QTableWidget* StringGrid1 = nullptr; // the data grid: channel and count per row
    QSplitter* Splitter1 = nullptr;      // between the grid and the left panel
    QWidget* Panel1 = nullptr;           // left panel: options, SPM Info, Graphic, preview
    QWidget* Panel2 = nullptr;           // right panel: Exp Data, Exp Header, Save options
    PlotImage* Image1 = nullptr;         // the preview plot

    // --- "Load options"
    QGroupBox* GroupBox5 = nullptr; // "Load options"
    QCheckBox* CheckBox1 = nullptr; // Show data
    QCheckBox* CheckBox5 = nullptr; // Preview
    QCheckBox* CheckBox6 = nullptr; // Guess scale
    QCheckBox* CheckBox7 = nullptr; // Guess Exp Data

    // --- "SPM Info"
    QGroupBox* GroupBox1 = nullptr; // "SPM Info"
    QLabel* Label1 = nullptr;       // the spectrum's file name
    QLabel* Label2 = nullptr;       // "N bytes"
    QLabel* Label3 = nullptr;       // first time stamp
    QLabel* Label4 = nullptr;       // second time stamp
    QLabel* Label5 = nullptr;       // "N channels"
    QLabel* Label6 = nullptr;       // "Mode : PCA2  (Header: N)"

    // --- "Graphic"
    QGroupBox* GroupBox2 = nullptr; // "Graphic"
    QLabel* ileft = nullptr;        // caption of Edit4
    QLabel* Label8 = nullptr;       // caption of Edit5
    QLabel* Label9 = nullptr;       // caption of Edit2
    QLabel* Label10 = nullptr;      // caption of Edit6
    QLineEdit* Edit2 = nullptr;     // scale (1/10 %)
    QLineEdit* Edit4 = nullptr;     // ignore from left
    QLineEdit* Edit5 = nullptr;     // ignore from right
    QLineEdit* Edit6 = nullptr;     // folding channel of the plot
    QLineEdit* Edit7 = nullptr;     // half-width of the drawn mean
    UpDown* UpDown1 = nullptr;      // arrows of Edit2
    UpDown* UpDown3 = nullptr;      // arrows of Edit4
    UpDown* UpDown4 = nullptr;      // arrows of Edit5
    UpDown* UpDown5 = nullptr;      // arrows of Edit6
    UpDown* UpDown6 = nullptr;      // arrows of Edit7
    QCheckBox* CheckBox2 = nullptr; // Folded
    QCheckBox* CheckBox3 = nullptr; // Draw Errorlines
    QCheckBox* CheckBox4 = nullptr; // Draw mean
    QPushButton* Button1 = nullptr; // Preview
    QPushButton* Button4 = nullptr; // View

    // --- "Exp Data", "Exp Header", "Save options"
    QGroupBox* GroupBox4 = nullptr;      // "Exp Data"
    QGroupBox* GroupBox3 = nullptr;      // "Exp Header"
    QGroupBox* GroupBox6 = nullptr;      // "Save options"
    QLineEdit* Edit13 = nullptr;         // Description
    MaskEditField* MaskEdit1 = nullptr;  // Serial
    MaskEditField* MaskEdit2 = nullptr;  // BField
    MaskEditField* MaskEdit3 = nullptr;  // Temperature
    QLineEdit* Edit8 = nullptr;          // Channels
    QLineEdit* Edit9 = nullptr;          // IgnoreLeft
    QLineEdit* Edit10 = nullptr;         // IgnoreRight
    QLineEdit* Edit11 = nullptr;         // CountsMillions
    QLineEdit* Edit12 = nullptr;         // Columns
    UpDown* UpDown7 = nullptr;           // arrows of Edit8
    UpDown* UpDown8 = nullptr;           // arrows of Edit9
    UpDown* UpDown9 = nullptr;           // arrows of Edit10
    UpDown* UpDown10 = nullptr;          // arrows of Edit11
    MaskEditField* MaskEdit4 = nullptr;  // FoldingChannel
    MaskEditField* MaskEdit5 = nullptr;  // ZeroSpeedChannel
    MaskEditField* MaskEdit6 = nullptr;  // CalibrationConstant
    MaskEditField* MaskEdit7 = nullptr;  // Extra1
    MaskEditField* MaskEdit9 = nullptr;  // Extra2
    MaskEditField* MaskEdit8 = nullptr;  // Extra3
    MaskEditField* MaskEdit10 = nullptr; // Extra4
    QComboBox* cbSaveAsMode = nullptr;   // 1024 / 512 (add) / 512 (mean) channels
    QLabel* SaveAsModeLabel = nullptr;

    // --- actions and menus
    QAction* EditCopy1 = nullptr;
    QAction* EditCut1 = nullptr;
    QAction* EditDelete1 = nullptr;
    QAction* EditPaste1 = nullptr;
    QAction* EditSelectAll1 = nullptr;
    QAction* EditUndo1 = nullptr;
    QAction* aOpen = nullptr;
    QAction* aSave = nullptr;
    QAction* aSaveAs = nullptr;
    QAction* aClose = nullptr;
    QAction* aLoadHeader = nullptr;
    QAction* aAbout = nullptr;
    QAction* aLaugh = nullptr;
    QAction* SaveBitmap = nullptr;
    QAction* openbitmap = nullptr;
    QAction* SaveASCII = nullptr;
    QAction* Addspektres1 = nullptr;      // "Add spectres"
    QAction* Subtractspectres1 = nullptr; // "Subtract spectres"
    QMenu* Files1 = nullptr;              // "Files"
    QMenu* Edit1 = nullptr;               // "Edit" (a menu, not a field)
    QMenu* Image2 = nullptr;              // "Image"
    QMenu* Special1 = nullptr;            // "Special"
    QMenu* Header1 = nullptr;             // "Header"
    QMenu* Help1 = nullptr;               // "Help"

    // --- "Special" and "Help" menus, ASCII export (TForm1Special.cpp)
    TForm3* Form3 = nullptr;         // About
    TForm5* Form5 = nullptr;         // add/subtract
    TASCIISave* ASCIISave = nullptr; // the ASCII export's options
    void Addspektres1Click();
    void Subtractspectres1Click();
    void aAboutExecute();
    void aLaughExecute();
    void SaveASCIIExecute();
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

    enum class EditOp { Copy, Cut, Delete, Paste, SelectAll, Undo };
    void RunEditOp(EditOp op);

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
    void Image1Resize();
    QString lastBitmap_;

    // "Special"/"Help" windows and the ASCII export's remembered file type.
    void CreateSpecialWindows();
    int asciiFilterIndex_ = 1;
};

} // namespace trv
