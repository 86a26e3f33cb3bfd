#include "ui/TForm1.h"

#include "exp/Calibration.h"
#include "exp/ExpFile.h"
#include "platform/FileIo.h"
#include "plot/GraphicControls.h"
#include "ui/ErrorGuard.h"
#include "ui/Icons.h"
#include "ui/IntEditField.h"
#include "ui/MaskEditField.h"
#include "ui/TextConvert.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
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

TForm1::TForm1(Platform& platform, std::unique_ptr<SettingsStore> store, LocaleFormats locale,
               QWidget* parent)
    : QMainWindow(parent), platform_(platform), store_(std::move(store)), locale_(locale)
{
    setObjectName("Form1");
    setWindowTitle("Trevandel");
    setWindowIcon(ApplicationIcon());
    setAcceptDrops(true);
    setGeometry(15, 95, 770, 497);
    BuildActions();
    BuildMenusAndToolBar();
    BuildCentre();
    SetTabOrder();
    ConnectReactions();
    FormCreate();
    UpdateEditActions();
    CreatePreviewWindow();
    // About, add/subtract and ASCII options: created once, after the preview window.
    CreateSpecialWindows();
}

TForm1::~TForm1()
{
    // The windows this one owns go after this body; focus leaving them must not reach the
    // actions, which are gone by then.
    disconnect(qApp, nullptr, this, nullptr);
    disconnect(QApplication::clipboard(), nullptr, this, nullptr);
    FormDestroy();
}

void TForm1::ConnectReactions()
{
    connect(aOpen, &QAction::triggered, this, [this] { aOpenExecute(); });
    connect(aSave, &QAction::triggered, this, [this] { aSaveExecute(); });
    connect(aSaveAs, &QAction::triggered, this, [this] { aSaveAsExecute(); });
    connect(aLoadHeader, &QAction::triggered, this, [this] { aLoadHeaderExecute(); });
    connect(aClose, &QAction::triggered, this, [this] { aCloseExecute(); });
    connect(EditCopy1, &QAction::triggered, this, [this] { RunEditOp(EditOp::Copy); });
    connect(EditCut1, &QAction::triggered, this, [this] { RunEditOp(EditOp::Cut); });
    connect(EditDelete1, &QAction::triggered, this, [this] { RunEditOp(EditOp::Delete); });
    connect(EditPaste1, &QAction::triggered, this, [this] { RunEditOp(EditOp::Paste); });
    connect(EditSelectAll1, &QAction::triggered, this, [this] { RunEditOp(EditOp::SelectAll); });
    connect(EditUndo1, &QAction::triggered, this, [this] { RunEditOp(EditOp::Undo); });

    // Every change of the box runs the reaction, also one made from code.
    connect(CheckBox1, &QCheckBox::toggled, this,
            [this] { Guard("CheckBox1Click", [this] { CheckBox1Click(); }); });
    // Only a choice by the user runs the reaction; selections from code don't.
    connect(cbSaveAsMode, &QComboBox::activated, this, [this](int item) {
        Guard("cbSaveAsModeChange", [=, this] { cbSaveAsModeChange(item); });
    });

    connect(Button1, &QPushButton::clicked, this,
            [this] { Guard("Button1Click", [this] { Button1Click(); }); });
    connect(Button4, &QPushButton::clicked, this,
            [this] { Guard("Button4Click", [this] { Button4Click(); }); });
    connect(Edit2, &QLineEdit::textChanged, this,
            [this] { Guard("Edit2Change", [this] { Edit2Change(); }); });
    connect(Edit6, &QLineEdit::textChanged, this,
            [this] { Guard("Edit6Change", [this] { Edit6Change(); }); });
    connect(UpDown5, &UpDown::Changing, this,
            [this] { Guard("UpDown5Changing", [this] { UpDown5Changing(); }); });
    connect(CheckBox2, &QCheckBox::clicked, this,
            [this] { Guard("CheckBox2Click", [this] { CheckBox2Click(); }); });
    connect(CheckBox3, &QCheckBox::clicked, this,
            [this] { Guard("CheckBox3Click", [this] { CheckBox3Click(); }); });
    connect(CheckBox4, &QCheckBox::clicked, this,
            [this] { Guard("CheckBox4Click", [this] { CheckBox4Click(); }); });
    connect(CheckBox5, &QCheckBox::clicked, this,
            [this] { Guard("CheckBox5Click", [this] { CheckBox5Click(); }); });

    // The edit actions follow the focused field, its selection and text, and the clipboard.
    connect(qApp, &QApplication::focusChanged, this, [this] { UpdateEditActions(); });
    connect(QApplication::clipboard(), &QClipboard::dataChanged, this,
            [this] { UpdateEditActions(); });
    for (QLineEdit* edit : findChildren<QLineEdit*>()) {
        connect(edit, &QLineEdit::selectionChanged, this, [this] { UpdateEditActions(); });
        connect(edit, &QLineEdit::textChanged, this, [this] { UpdateEditActions(); });
    }
}

bool TForm1::Guard(const char* /*reaction*/, const std::function<void()>& body)
{
    return RunGuarded(platform_, body);
}

// ---------------------------------------------------------------- start and end

void TForm1::FormCreate()
{
    StringGrid1->setHorizontalHeaderLabels({"Channels", "Counts"});
    SetGridRowCount(2);
    FitGridColumns();
    counts_.clear();
    Guard("FormCreate", [this] {
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

void TForm1::FormDestroy()
{
    if (store_) store_->CloseKey();
    store_.reset();
}

void TForm1::aCloseExecute()
{
    close();
}

void TForm1::OpenDialog2Close()
{
    Guard("OpenDialog2Close", [this] {
        if (!store_) return;
        store_->OpenKey(kProgramSettingsKey, true);
        store_->WriteString(kInitialDir, PathBytes(QDir::currentPath()));
    });
}

std::optional<FileDialogResult> TForm1::RunOpenDialog(const FileDialogRequest& request)
{
    auto result = platform_.OpenFileDialog(request);
    OpenDialog2Close();
    return result;
}

bool TForm1::RunSaveDialog(const FileDialogRequest& request, const SaveStep& save, bool remember)
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
    if (remember) OpenDialog2Close();
    return chosen.has_value();
}

// ---------------------------------------------------------------- spectrum

void TForm1::SetSpectrum(std::vector<uint32_t> counts, int32_t channelCount)
{
    counts_ = std::move(counts);
    channelCount_ = channelCount;
}

QString TForm1::SpectrumName() const
{
    return Label1->text();
}

int TForm1::GridRowCount() const
{
    return StringGrid1->rowCount() + 1;
}

void TForm1::SetGridRowCount(int rows)
{
    // The title row is the grid's header; the grid keeps at least one data row.
    StringGrid1->setRowCount(std::max(rows, 2) - 1);
}

QString TForm1::GridCell(int col, int row) const
{
    if (row == 0) {
        const QTableWidgetItem* header = StringGrid1->horizontalHeaderItem(col);
        return header ? header->text() : QString();
    }
    const QTableWidgetItem* item = StringGrid1->item(row - 1, col);
    return item ? item->text() : QString();
}

void TForm1::aOpenExecute()
{
    Guard("aOpenExecute", [this] {
        FileDialogRequest request;
        request.title = "Open";
        request.filter = "Spm-files (*.spm)|*.spm";
        const auto chosen = RunOpenDialog(request);
        if (!chosen) return;
        OpenSpectrumFile(chosen->path);
    });
}

void TForm1::OpenSpectrumFile(const QString& path)
{
    platform_.ProcessEvents();
    spmImage_.clear();
    SetGridRowCount(2);
    // Read and parse first: a file that fails leaves the previous spectrum, labels and fields.
    std::string bytes = ReadWholeFile(PathBytes(path));
    SpmSpectrum spectrum = ParseSpmImage(bytes, PathBytes(path), locale_);
    spmImage_ = std::move(bytes);
    channelCount_ = spectrum.info.ChannelCount;
    counts_ = std::move(spectrum.counts);
    spmMode_ = spectrum.info.Mode;

    UpDown5->SetPosition(FoldChannelAfterOpen(channelCount_));
    if (CheckBox1->isChecked()) SetGridRowCount(channelCount_ + 1);
    UpDown3->SetPosition(kMarginAfterOpen);
    UpDown4->SetPosition(kMarginAfterOpen);

    const auto captions = SpmInfoCaptions(spectrum.info, locale_);
    Label1->setText(PathText(spectrum.info.FileName));
    Label2->setText(Latin1(captions[1]));
    Label5->setText(Latin1(captions[2]));
    cbSaveAsMode->setCurrentIndex(kSave512Add);
    Label3->setText(Latin1(captions[3]));
    Label4->setText(Latin1(captions[4]));
    Label6->setText(Latin1(captions[5]));

    if (CheckBox7->isChecked()) {
        ExpHeader header = CurrentHeader();
        GuessExpData(header, Latin1Bytes(Label1->text()));
        MaskEdit1->SetModel(header.Serial);
        Edit13->setText(Latin1(header.Description));
        MaskEdit2->SetModel(header.BField);
        MaskEdit3->SetModel(header.Temperature);
    }
    if (CheckBox6->isChecked()) GuessScale();
    if (CheckBox5->isChecked()) RedrawPreview();
    if (CheckBox1->isChecked()) FillDataGrid();
    Edit13->setFocus(Qt::OtherFocusReason);
}

void TForm1::FillDataGrid()
{
    const int n = static_cast<int>(counts_.size());
    StringGrid1->setUpdatesEnabled(false);
    SetGridRowCount(std::max(2, n + 1));
    const QBrush fixed = palette().button();
    for (int i = 0; i < n; ++i) {
        auto* channel = new QTableWidgetItem(QString::number(i));
        channel->setFlags(Qt::ItemIsEnabled);
        channel->setBackground(fixed);
        channel->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        StringGrid1->setItem(i, 0, channel);
        auto* count = new QTableWidgetItem(QString::number(counts_[static_cast<std::size_t>(i)]));
        count->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        count->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        StringGrid1->setItem(i, 1, count);
    }
    StringGrid1->setUpdatesEnabled(true);
}

void TForm1::CheckBox1Click()
{
    if (!CheckBox1->isChecked()) {
        SetGridRowCount(2);
        delete StringGrid1->takeItem(0, 0);
        delete StringGrid1->takeItem(0, 1);
    }
    else {
        FillDataGrid();
    }
}

// ---------------------------------------------------------------- EXP header and files

ExpHeader TForm1::CurrentHeader() const
{
    // The fields' controls in the order of kExpHeaderFields; a masked field's is a
    // MaskEditField, whose model (mask included) is taken whole.
    const std::array<const QLineEdit*, kExpHeaderFieldCount> controls = {
        MaskEdit1, Edit13,    MaskEdit2, MaskEdit3, Edit8,     Edit9,     Edit10,    MaskEdit4,
        Edit11,    MaskEdit5, MaskEdit6, Edit12,    MaskEdit7, MaskEdit9, MaskEdit8, MaskEdit10};
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

int TForm1::SaveAsMode() const
{
    return std::max(0, cbSaveAsMode->currentIndex());
}

void TForm1::cbSaveAsModeChange(int item)
{
    ExpHeader header = CurrentHeader();
    ApplySaveAsModeChange(header, item);
    Edit8->setText(Latin1(header.Channels));
    Edit9->setText(Latin1(header.IgnoreLeft));
    Edit10->setText(Latin1(header.IgnoreRight));
    MaskEdit4->SetModel(header.FoldingChannel);
}

void TForm1::SaveExpFile(const QString& target)
{
    WriteExpFile(PathBytes(target), CurrentHeader(), counts_, channelCount_, SaveAsMode());
}

void TForm1::aSaveExecute()
{
    Guard("aSaveExecute",
          [this] { SaveExpFile(PathText(DefaultExpName(PathBytes(SpectrumName())))); });
}

void TForm1::aSaveAsExecute()
{
    Guard("aSaveAsExecute", [this] {
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

void TForm1::LoadHeaderFile(const QString& path)
{
    // Read first: a file that cannot be read leaves every field as it was.
    ApplyCalibrationValues(
        ParseCalibration(ReadWholeFile(PathBytes(path), kMaxCalibrationFileSize)));
}

void TForm1::ApplyCalibrationValues(const CalibrationValues& values)
{
    ExpHeader header = CurrentHeader();
    ApplyCalibration(header, values);
    Edit8->setText(Latin1(header.Channels));
    MaskEdit6->SetModel(header.CalibrationConstant);
    MaskEdit4->SetModel(header.FoldingChannel);
    MaskEdit5->SetModel(header.ZeroSpeedChannel);
}

void TForm1::aLoadHeaderExecute()
{
    Guard("aLoadHeaderExecute", [this] {
        FileDialogRequest request;
        request.title = "Open";
        request.filter = "CAlibration files (*.cal)|*.cal";
        const auto chosen = RunOpenDialog(request);
        if (!chosen) return;
        LoadHeaderFile(chosen->path);
    });
}

// ---------------------------------------------------------------- standard edit actions

void TForm1::UpdateEditActions()
{
    auto* line = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    if (line && line->window() != this) line = nullptr;
    auto* mask = qobject_cast<MaskEditField*>(line);
    const bool selection = line && line->hasSelectedText();
    // A read-only field can be copied from, never changed.
    const bool editable = line && !line->isReadOnly();
    EditCopy1->setEnabled(selection);
    EditCut1->setEnabled(selection && editable);
    EditDelete1->setEnabled(selection && editable);
    EditPaste1->setEnabled(editable && !QApplication::clipboard()->text().isEmpty());
    EditSelectAll1->setEnabled(line && !line->text().isEmpty());
    EditUndo1->setEnabled(editable && (mask ? mask->CanUndo() : line->isUndoAvailable()));
}

void TForm1::RunEditOp(EditOp op)
{
    auto* line = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    if (!line || line->window() != this) return;
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

QString TForm1::DroppedSpmFile(const QMimeData* mime)
{
    if (!mime || !mime->hasUrls()) return {};
    const QList<QUrl> urls = mime->urls();
    if (urls.size() != 1 || !urls.first().isLocalFile()) return {};
    const QString path = urls.first().toLocalFile();
    if (QFileInfo(path).suffix().compare("spm", Qt::CaseInsensitive) != 0) return {};
    return path;
}

void TForm1::dragEnterEvent(QDragEnterEvent* e)
{
    if (!DroppedSpmFile(e->mimeData()).isEmpty()) e->acceptProposedAction();
}

void TForm1::dragMoveEvent(QDragMoveEvent* e)
{
    if (!DroppedSpmFile(e->mimeData()).isEmpty()) e->acceptProposedAction();
}

void TForm1::dropEvent(QDropEvent* e)
{
    const QString path = DroppedSpmFile(e->mimeData());
    if (path.isEmpty()) return;
    e->acceptProposedAction();
    OpenGivenFile(path);
}

void TForm1::OpenGivenFile(const QString& path)
{
    Guard("OpenGivenFile", [&] {
        // Resolved before the folder changes: a relative name means the folder it was given in.
        const QString full = QFileInfo(path).absoluteFilePath();
        QDir::setCurrent(QFileInfo(full).absolutePath());
        OpenDialog2Close();
        OpenSpectrumFile(full);
    });
}

// Both columns as wide as their widest possible text, and the grid never narrower than the
// columns and the vertical scroll bar: a squeezed grid hid the last digits of large counts.
void TForm1::FitGridColumns()
{
    // Probe cells in the first row hold the widest texts: channel 1023, count 2^32 - 1.
    std::unique_ptr<QTableWidgetItem> saved[2] = {
        std::unique_ptr<QTableWidgetItem>(StringGrid1->takeItem(0, 0)),
        std::unique_ptr<QTableWidgetItem>(StringGrid1->takeItem(0, 1))};
    StringGrid1->setItem(0, 0, new QTableWidgetItem(QString::number(1023)));
    StringGrid1->setItem(
        0, 1, new QTableWidgetItem(QString::number(std::numeric_limits<std::uint32_t>::max())));
    int widths[2] = {};
    for (int col = 0; col < 2; ++col) {
        const QModelIndex probe = StringGrid1->model()->index(0, col);
        widths[col] = std::max(StringGrid1->sizeHintForIndex(probe).width(),
                               StringGrid1->horizontalHeader()->sectionSizeHint(col));
        delete StringGrid1->takeItem(0, col);
        if (saved[col]) StringGrid1->setItem(0, col, saved[col].release());
    }
    widths[0] = std::max(64, widths[0]);
    StringGrid1->setColumnWidth(0, widths[0]);
    StringGrid1->setColumnWidth(1, widths[1]);
    const int scrollBar = StringGrid1->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr,
                                                            StringGrid1->verticalScrollBar());
    StringGrid1->setMinimumWidth(widths[0] + widths[1] + scrollBar + 2 * StringGrid1->frameWidth());
}

void TForm1::showEvent(QShowEvent* e)
{
    QMainWindow::showEvent(e);
    if (shownOnce_) return;
    shownOnce_ = true;
    // The grid starts at its design width; the centre takes the rest.
    const int total = Splitter1->width() - Splitter1->handleWidth();
    if (total > 193) Splitter1->setSizes({193, total - 193});
}

bool TForm1::eventFilter(QObject* watched, QEvent* e)
{
    if (e->type() == QEvent::ToolTip) return true; // the window shows no tool tips
    return QMainWindow::eventFilter(watched, e);
}

} // namespace trv
