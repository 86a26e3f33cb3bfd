#include "ui/windows/MainWindow.h"

#include "calibration/CalFileReader.h"
#include "exp/ExpFile.h"
#include "platform/FileIo.h"
#include "plot/GraphicControls.h"
#include "ui/ErrorGuard.h"
#include "ui/Icons.h"
#include "ui/TextConvert.h"
#include "ui/widgets/IntEditField.h"
#include "ui/widgets/MaskEditField.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QFocusEvent>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QScrollBar>
#include <QShowEvent>
#include <QSplitter>
#include <QStyle>
#include <QTableWidget>
#include <QUrl>

#include <algorithm>
#include <cstdint>
#include <limits>

namespace trv {

namespace {

constexpr const char* kInitialDir = "InitialDir";

MaskedField ModelOf(const MaskEditField* field)
{
    return field->Model();
}

} // namespace

MainWindow::MainWindow(Platform& platform, std::unique_ptr<SettingsStore> store,
                       LocaleFormats locale, QWidget* parent)
    : QMainWindow(parent), platform_(platform), store_(std::move(store)), locale_(locale)
{
    setObjectName("MainWindow");
    setWindowTitle("Trevandel");
    setWindowIcon(ApplicationIcon());
    setAcceptDrops(true);
    setGeometry(15, 95, 770, 497);
    BuildActions();
    BuildMenusAndToolBar();
    BuildCentre();
    SetTabOrder();
    ConnectReactions();
    OnCreate();
    UpdateEditActions();
    CreatePreviewWindow();
    // About, add/subtract and ASCII options: created once, after the preview window.
    CreateSpecialWindows();
    SetUpFollowing();
}

MainWindow::~MainWindow()
{
    // The windows this one owns go after this body; focus leaving them must not reach the
    // actions, which are gone by then.
    disconnect(qApp, nullptr, this, nullptr);
    disconnect(QApplication::clipboard(), nullptr, this, nullptr);
    OnDestroy();
}

void MainWindow::ConnectReactions()
{
    connect(openAction_, &QAction::triggered, this, [this] { OnOpen(); });
    connect(saveAction_, &QAction::triggered, this, [this] { OnSave(); });
    connect(saveAsAction_, &QAction::triggered, this, [this] { OnSaveAs(); });
    connect(loadHeaderAction_, &QAction::triggered, this, [this] { OnLoadHeader(); });
    connect(closeAction_, &QAction::triggered, this, [this] { OnClose(); });
    connect(copyAction_, &QAction::triggered, this, [this] { RunEditOp(EditOp::Copy); });
    connect(cutAction_, &QAction::triggered, this, [this] { RunEditOp(EditOp::Cut); });
    connect(deleteAction_, &QAction::triggered, this, [this] { RunEditOp(EditOp::Delete); });
    connect(pasteAction_, &QAction::triggered, this, [this] { RunEditOp(EditOp::Paste); });
    connect(selectAllAction_, &QAction::triggered, this, [this] { RunEditOp(EditOp::SelectAll); });
    connect(undoAction_, &QAction::triggered, this, [this] { RunEditOp(EditOp::Undo); });

    // Every change of the box runs the reaction, also one made from code.
    connect(showDataBox_, &QCheckBox::toggled, this,
            [this] { Guard([this] { OnShowDataToggled(); }); });
    // Only a choice by the user runs the reaction; selections from code don't.
    connect(saveAsModeCombo_, &QComboBox::activated, this,
            [this](int item) { Guard([=, this] { OnSaveAsModeChanged(item); }); });

    connect(previewButton_, &QPushButton::clicked, this,
            [this] { Guard([this] { OnPreviewClicked(); }); });
    connect(viewButton_, &QPushButton::clicked, this,
            [this] { Guard([this] { OnViewClicked(); }); });
    connect(scaleEdit_, &QLineEdit::textChanged, this,
            [this] { Guard([this] { OnScaleChanged(); }); });
    connect(plotFoldEdit_, &QLineEdit::textChanged, this,
            [this] { Guard([this] { OnPlotFoldChanged(); }); });
    connect(plotFoldSpin_, &UpDown::Changing, this,
            [this] { Guard([this] { OnPlotFoldStepped(); }); });
    connect(foldedBox_, &QCheckBox::clicked, this,
            [this] { Guard([this] { OnFoldedToggled(); }); });
    connect(errorLinesBox_, &QCheckBox::clicked, this,
            [this] { Guard([this] { OnErrorLinesToggled(); }); });
    connect(drawMeanBox_, &QCheckBox::clicked, this,
            [this] { Guard([this] { OnDrawMeanToggled(); }); });
    connect(previewBox_, &QCheckBox::clicked, this,
            [this] { Guard([this] { OnPreviewToggled(); }); });

    // The edit actions follow the focused field, its selection and text, and the clipboard. A
    // menu opened from the keyboard takes the focus: the field focused before stays the target.
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        auto* line = qobject_cast<QLineEdit*>(now);
        if (line && line->window() == this)
            editTarget_ = line;
        else if (!qobject_cast<QMenuBar*>(now) && !qobject_cast<QMenu*>(now))
            editTarget_ = nullptr;
        UpdateEditActions();
    });
    connect(editMenu_, &QMenu::aboutToShow, this, [this] { UpdateEditActions(); });
    connect(QApplication::clipboard(), &QClipboard::dataChanged, this,
            [this] { UpdateEditActions(); });
    for (QLineEdit* edit : findChildren<QLineEdit*>()) {
        edit->installEventFilter(this);
        connect(edit, &QLineEdit::selectionChanged, this, [this] { UpdateEditActions(); });
        connect(edit, &QLineEdit::textChanged, this, [this] { UpdateEditActions(); });
    }
}

bool MainWindow::Guard(const std::function<void()>& body)
{
    return RunGuarded(platform_, body);
}

// ---------------------------------------------------------------- start and end

void MainWindow::OnCreate()
{
    dataGrid_->setHorizontalHeaderLabels({"Channels", "Counts"});
    SetGridRowCount(2);
    FitGridColumns();
    counts_.clear();
    Guard([this] {
        if (!store_) return;
        if (store_->OpenKeyReadOnly(kProgramSettingsKey)) {
            const std::string dir = store_->ReadString(kInitialDir);
            if (!dir.empty()) QDir::setCurrent(PathText(dir)); // a vanished folder is no error
            store_->CloseKey();
        }
        else {
            platform_.MessageBox("First timer huh?");
        }
    });
}

void MainWindow::OnDestroy()
{
    if (store_) store_->CloseKey();
    store_.reset();
}

void MainWindow::OnClose()
{
    close();
}

void MainWindow::RememberFolder()
{
    Guard([this] {
        if (!store_) return;
        store_->OpenKey(kProgramSettingsKey, true);
        store_->WriteString(kInitialDir, PathBytes(QDir::currentPath()));
    });
}

std::optional<FileDialogResult> MainWindow::RunOpenDialog(const FileDialogRequest& request)
{
    auto result = platform_.OpenFileDialog(request);
    RememberFolder();
    return result;
}

bool MainWindow::RunSaveDialog(const FileDialogRequest& request, const SaveStep& save,
                               bool remember)
{
    const QString before = QDir::currentPath();
    const auto chosen = platform_.SaveFileDialog(request);
    try {
        if (chosen) save(*chosen);
    }
    catch (...) {
        // A folder the file could not be written to is not the one to come back to.
        QDir::setCurrent(before);
        throw;
    }
    if (remember) RememberFolder();
    return chosen.has_value();
}

// ---------------------------------------------------------------- spectrum

void MainWindow::SetSpectrum(std::vector<uint32_t> counts, int32_t channelCount)
{
    counts_ = std::move(counts);
    channelCount_ = channelCount;
}

QString MainWindow::SpectrumName() const
{
    return spectrumNameLabel_->text();
}

int MainWindow::GridRowCount() const
{
    return dataGrid_->rowCount() + 1;
}

void MainWindow::SetGridRowCount(int rows)
{
    // The title row is the grid's header; the grid keeps at least one data row.
    dataGrid_->setRowCount(std::max(rows, 2) - 1);
}

QString MainWindow::GridCell(int col, int row) const
{
    if (row == 0) {
        const QTableWidgetItem* header = dataGrid_->horizontalHeaderItem(col);
        return header ? header->text() : QString();
    }
    const QTableWidgetItem* item = dataGrid_->item(row - 1, col);
    return item ? item->text() : QString();
}

void MainWindow::OnOpen()
{
    Guard([this] {
        FileDialogRequest request;
        request.title = "Open";
        request.filter = "Spm-files (*.spm)|*.spm";
        const auto chosen = RunOpenDialog(request);
        if (!chosen) return;
        OpenSpectrumFile(chosen->path);
    });
}

void MainWindow::OpenSpectrumFile(const QString& path)
{
    platform_.ProcessEvents();
    spmImage_.clear();
    SetGridRowCount(2);
    // Read and parse first: a file that fails leaves the previous spectrum, labels and fields.
    std::string bytes = ReadWholeFile(PathBytes(path));
    SpmSpectrum spectrum = ParseSpmImage(bytes, PathBytes(path), locale_);
    spmImage_ = std::move(bytes);
    shownInfo_ = spectrum.info;
    channelCount_ = spectrum.info.ChannelCount;
    counts_ = std::move(spectrum.counts);
    spmMode_ = spectrum.info.Mode;

    plotFoldSpin_->SetPosition(FoldChannelAfterOpen(channelCount_));
    if (showDataBox_->isChecked()) SetGridRowCount(channelCount_ + 1);
    plotIgnoreLeftSpin_->SetPosition(kMarginAfterOpen);
    plotIgnoreRightSpin_->SetPosition(kMarginAfterOpen);

    const auto captions = SpmInfoCaptions(spectrum.info, locale_);
    spectrumNameLabel_->setText(PathText(spectrum.info.FileName));
    fileSizeLabel_->setText(Latin1(captions[1]));
    channelCountLabel_->setText(Latin1(captions[2]));
    saveAsModeCombo_->setCurrentIndex(kSave512Add);
    firstStampLabel_->setText(Latin1(captions[3]));
    secondStampLabel_->setText(Latin1(captions[4]));
    spmModeLabel_->setText(Latin1(captions[5]));

    if (guessExpDataBox_->isChecked()) {
        ExpHeader header = CurrentHeader();
        GuessExpData(header, Latin1Bytes(spectrumNameLabel_->text()));
        serialEdit_->SetModel(header.Serial);
        descriptionEdit_->setText(Latin1(header.Description));
        bFieldEdit_->SetModel(header.BField);
        temperatureEdit_->SetModel(header.Temperature);
    }
    if (guessScaleBox_->isChecked()) GuessPreviewScale();
    if (previewBox_->isChecked()) RedrawPreview();
    if (showDataBox_->isChecked()) FillDataGrid();
    descriptionEdit_->setFocus(Qt::OtherFocusReason);
    FollowOpenedFile(path);
}

void MainWindow::FillDataGrid()
{
    const int n = static_cast<int>(counts_.size());
    dataGrid_->setUpdatesEnabled(false);
    SetGridRowCount(std::max(2, n + 1));
    const QBrush fixed = palette().button();
    for (int i = 0; i < n; ++i) {
        auto* channel = new QTableWidgetItem(QString::number(i));
        channel->setFlags(Qt::ItemIsEnabled);
        channel->setBackground(fixed);
        channel->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        dataGrid_->setItem(i, 0, channel);
        auto* count = new QTableWidgetItem(QString::number(counts_[static_cast<std::size_t>(i)]));
        count->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        count->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        dataGrid_->setItem(i, 1, count);
    }
    dataGrid_->setUpdatesEnabled(true);
}

void MainWindow::OnShowDataToggled()
{
    if (!showDataBox_->isChecked()) {
        SetGridRowCount(2);
        delete dataGrid_->takeItem(0, 0);
        delete dataGrid_->takeItem(0, 1);
    }
    else {
        FillDataGrid();
    }
}

// ---------------------------------------------------------------- EXP header and files

ExpHeader MainWindow::CurrentHeader() const
{
    // The fields' controls in the order of kExpHeaderFields; a masked field's is a
    // MaskEditField, whose model (mask included) is taken whole.
    const std::array<const QLineEdit*, kExpHeaderFieldCount> controls = {
        serialEdit_,         descriptionEdit_, bFieldEdit_,      temperatureEdit_,
        channelsEdit_,       ignoreLeftEdit_,  ignoreRightEdit_, foldingChannelEdit_,
        countsMillionsEdit_, zeroSpeedEdit_,   calibrationEdit_, columnsEdit_,
        extra1Edit_,         extra2Edit_,      extra3Edit_,      extra4Edit_};
    ExpHeader h;
    for (std::size_t i = 0; i < controls.size(); ++i) {
        const ExpHeaderField& field = kExpHeaderFields[i];
        if (field.IsMasked())
            h.*field.masked = ModelOf(qobject_cast<const MaskEditField*>(controls[i]));
        else
            h.*field.plain = Latin1Bytes(controls[i]->text());
    }
    return h;
}

int MainWindow::SaveAsMode() const
{
    return std::max(0, saveAsModeCombo_->currentIndex());
}

void MainWindow::OnSaveAsModeChanged(int item)
{
    ExpHeader header = CurrentHeader();
    ApplySaveAsModeChange(header, item);
    channelsEdit_->setText(Latin1(header.Channels));
    ignoreLeftEdit_->setText(Latin1(header.IgnoreLeft));
    ignoreRightEdit_->setText(Latin1(header.IgnoreRight));
    foldingChannelEdit_->SetModel(header.FoldingChannel);
}

void MainWindow::SaveExpFile(const QString& target)
{
    WriteExpFile(PathBytes(target), CurrentHeader(), counts_, channelCount_, SaveAsMode());
}

void MainWindow::OnSave()
{
    Guard([this] { SaveExpFile(PathText(DefaultExpName(PathBytes(SpectrumName())))); });
}

void MainWindow::OnSaveAs()
{
    Guard([this] {
        FileDialogRequest request;
        request.title = "Save As";
        request.filter = "Exp-files (*.exp)|*.exp";
        request.overwritePrompt = true;
        request.hideReadOnly = true;
        request.resizable = true;
        RunSaveDialog(request, [this](const FileDialogResult& chosen) {
            SaveExpFile(PathText(ChangeFileExt(PathBytes(chosen.path), ".exp")));
        });
    });
}

void MainWindow::LoadHeaderFile(const QString& path)
{
    // Read first: a file that cannot be read leaves every field as it was.
    ApplyCalibrationValues(
        ParseCalibration(ReadWholeFile(PathBytes(path), kMaxCalibrationFileSize)));
}

void MainWindow::ApplyCalibrationValues(const CalibrationValues& values)
{
    ExpHeader header = CurrentHeader();
    ApplyCalibration(header, values);
    channelsEdit_->setText(Latin1(header.Channels));
    calibrationEdit_->SetModel(header.CalibrationConstant);
    foldingChannelEdit_->SetModel(header.FoldingChannel);
    zeroSpeedEdit_->SetModel(header.ZeroSpeedChannel);
}

void MainWindow::OnLoadHeader()
{
    Guard([this] {
        FileDialogRequest request;
        request.title = "Open";
        request.filter = "CAlibration files (*.cal)|*.cal";
        const auto chosen = RunOpenDialog(request);
        if (!chosen) return;
        LoadHeaderFile(chosen->path);
    });
}

// ---------------------------------------------------------------- standard edit actions

void MainWindow::UpdateEditActions()
{
    QLineEdit* line = editTarget_;
    auto* mask = qobject_cast<MaskEditField*>(line);
    const bool selection = line && line->hasSelectedText();
    // A read-only field can be copied from, never changed.
    const bool editable = line && !line->isReadOnly();
    copyAction_->setEnabled(selection);
    cutAction_->setEnabled(selection && editable);
    deleteAction_->setEnabled(selection && editable);
    pasteAction_->setEnabled(editable && !QApplication::clipboard()->text().isEmpty());
    selectAllAction_->setEnabled(line && !line->text().isEmpty());
    undoAction_->setEnabled(editable && (mask ? mask->CanUndo() : line->isUndoAvailable()));
}

void MainWindow::RunEditOp(EditOp op)
{
    QLineEdit* line = editTarget_;
    if (!line) return;
    if (auto* mask = qobject_cast<MaskEditField*>(line)) {
        switch (op) {
        case EditOp::Copy:
            mask->CopySelection();
            break;
        case EditOp::Cut:
            mask->CutSelection();
            break;
        case EditOp::Delete:
            mask->DeleteSelection();
            break;
        case EditOp::Paste:
            mask->PasteClipboard();
            break;
        case EditOp::SelectAll:
            mask->SelectWholeText();
            break;
        case EditOp::Undo:
            mask->UndoLastChange();
            break;
        }
    }
    else {
        // QLineEdit's cut(), paste() and undo() change a read-only field too.
        const bool editable = !line->isReadOnly();
        switch (op) {
        case EditOp::Copy:
            line->copy();
            break;
        case EditOp::Cut:
            if (editable) line->cut();
            break;
        case EditOp::Delete:
            if (line->hasSelectedText() && editable) line->del();
            break;
        case EditOp::Paste:
            if (editable) line->paste();
            break;
        case EditOp::SelectAll:
            line->selectAll();
            break;
        case EditOp::Undo:
            if (editable) line->undo();
            break;
        }
    }
    UpdateEditActions();
}

// ---------------------------------------------------------------- drag and drop

QString MainWindow::DroppedSpmFile(const QMimeData* mime)
{
    if (!mime || !mime->hasUrls()) return {};
    const QList<QUrl> urls = mime->urls();
    if (urls.size() != 1 || !urls.first().isLocalFile()) return {};
    const QString path = urls.first().toLocalFile();
    if (QFileInfo(path).suffix().compare("spm", Qt::CaseInsensitive) != 0) return {};
    return path;
}

void MainWindow::dragEnterEvent(QDragEnterEvent* e)
{
    if (!DroppedSpmFile(e->mimeData()).isEmpty()) e->acceptProposedAction();
}

void MainWindow::dragMoveEvent(QDragMoveEvent* e)
{
    if (!DroppedSpmFile(e->mimeData()).isEmpty()) e->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* e)
{
    const QString path = DroppedSpmFile(e->mimeData());
    if (path.isEmpty()) return;
    e->acceptProposedAction();
    OpenGivenFile(path);
}

void MainWindow::OpenGivenFile(const QString& path)
{
    Guard([&] {
        // Resolved before the folder changes: a relative name means the folder it was given in.
        const QString full = QFileInfo(path).absoluteFilePath();
        QDir::setCurrent(QFileInfo(full).absolutePath());
        RememberFolder();
        OpenSpectrumFile(full);
    });
}

// Both columns as wide as their widest possible text, and the grid never narrower than the
// columns and the vertical scroll bar: a squeezed grid hid the last digits of large counts.
void MainWindow::FitGridColumns()
{
    // Probe cells in the first row hold the widest texts: channel 1023, count 2^32 - 1.
    std::unique_ptr<QTableWidgetItem> saved[2] = {
        std::unique_ptr<QTableWidgetItem>(dataGrid_->takeItem(0, 0)),
        std::unique_ptr<QTableWidgetItem>(dataGrid_->takeItem(0, 1))};
    dataGrid_->setItem(0, 0, new QTableWidgetItem(QString::number(1023)));
    dataGrid_->setItem(
        0, 1, new QTableWidgetItem(QString::number(std::numeric_limits<std::uint32_t>::max())));
    int widths[2] = {};
    for (int col = 0; col < 2; ++col) {
        const QModelIndex probe = dataGrid_->model()->index(0, col);
        widths[col] = std::max(dataGrid_->sizeHintForIndex(probe).width(),
                               dataGrid_->horizontalHeader()->sectionSizeHint(col));
        delete dataGrid_->takeItem(0, col);
        if (saved[col]) dataGrid_->setItem(0, col, saved[col].release());
    }
    widths[0] = std::max(64, widths[0]);
    dataGrid_->setColumnWidth(0, widths[0]);
    dataGrid_->setColumnWidth(1, widths[1]);
    const int scrollBar = dataGrid_->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr,
                                                          dataGrid_->verticalScrollBar());
    dataGrid_->setMinimumWidth(widths[0] + widths[1] + scrollBar + 2 * dataGrid_->frameWidth());
}

void MainWindow::showEvent(QShowEvent* e)
{
    QMainWindow::showEvent(e);
    if (shownOnce_) return;
    shownOnce_ = true;
    // The grid starts at its design width; the centre takes the rest.
    const int total = splitter_->width() - splitter_->handleWidth();
    if (total > 193) splitter_->setSizes({193, total - 193});
}

bool MainWindow::eventFilter(QObject* watched, QEvent* e)
{
    if (e->type() == QEvent::ToolTip) return true; // the window shows no tool tips
    // A field loses its selection when the menu bar takes the focus (Alt), which would leave the
    // Edit menu nothing to copy or cut: the field handles the focus change, then gets its
    // selection back.
    if (e->type() == QEvent::FocusOut &&
        static_cast<QFocusEvent*>(e)->reason() == Qt::MenuBarFocusReason) {
        if (auto* line = qobject_cast<QLineEdit*>(watched); line && line->hasSelectedText()) {
            const int start = line->selectionStart();
            const int length = line->selectionLength();
            line->event(e);
            line->setSelection(start, length);
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, e);
}

} // namespace trv
