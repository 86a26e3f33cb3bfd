#include "ui/windows/CalibrationWindow.h"

#include "asciitable/AsciiExport.h"
#include "calibration/CalFileWriter.h"
#include "exp/ExpFile.h"
#include "exp/ExpHeader.h"
#include "platform/AppError.h"
#include "platform/FileIo.h"
#include "platform/SettingsStore.h"
#include "spectrum/Spm.h"
#include "ui/ErrorGuard.h"
#include "ui/TextConvert.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace trv {

namespace {

constexpr const char* kReferenceLinesValue = "ReferenceLines";
constexpr const char* kExcludedChannelsValue = "ExcludedChannels";

QString Text(const std::string& s)
{
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

// A table entry as a number, read as the header's number fields are; nullopt when it is none.
std::optional<double> ParseDecimal(std::string_view text)
{
    try {
        return DotStrToFloat(text);
    }
    catch (const AppError&) {
        return std::nullopt;
    }
}

QString WithError(double value, double error, int significant)
{
    return Text(PlainDecimal(value, significant)) + QString::fromUtf8(" \u00b1 ") +
           Text(PlainDecimal(error, 2));
}

} // namespace

CalibrationWindow::CalibrationWindow(Platform& platform, SettingsStore& store, LocaleFormats locale,
                                     QWidget* parent)
    : QDialog(parent), platform_(platform), store_(store), locale_(std::move(locale))
{
    setObjectName("CalibrationWindow");
    setWindowTitle("Velocity calibration");
    setModal(true);
    setSizeGripEnabled(true);

    sourceLabel_ = new QLabel(this);
    sourceLabel_->setObjectName("sourceLabel");
    sourceLabel_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    browseButton_ = new QPushButton(QString::fromUtf8("&Reference file\u2026"), this);
    fitButton_ = new QPushButton("&Fit", this);

    plot_ = new CalibrationPlot(this);

    linesTable_ = new QTableWidget(0, 1, this);
    linesTable_->setObjectName("linesTable");
    linesTable_->setHorizontalHeaderLabels({"Line (mm/s)"});
    linesTable_->horizontalHeader()->setStretchLastSection(true);
    linesTable_->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    linesTable_->setMinimumWidth(fontMetrics().horizontalAdvance("Line (mm/s)") + 80);
    entryErrorLabel_ = new QLabel(this);
    entryErrorLabel_->setObjectName("entryErrorLabel");
    entryErrorLabel_->setWordWrap(true);
    entryErrorLabel_->setStyleSheet("color: #b00000");
    entryErrorLabel_->hide();
    excludeEdit_ = new QLineEdit(this);
    excludeEdit_->setObjectName("excludeEdit");
    excludeEdit_->setPlaceholderText("e.g. 0,511 or 0-3");
    excludeEdit_->setToolTip("Channels of the spectrum as saved in this mode to leave out of the "
                             "fit; isolated channels far outside their noise are left out anyway");
    notesLabel_ = new QLabel(this);
    notesLabel_->setObjectName("notesLabel");
    notesLabel_->setWordWrap(true);
    notesLabel_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    addLineButton_ = new QPushButton("A&dd line", this);
    removeLineButton_ = new QPushButton("Re&move line", this);
    defaultLinesButton_ = new QPushButton("&Iron foil", this);
    defaultLinesButton_->setToolTip("The six lines of an iron foil at room temperature");

    auto value = [this](const char* name) {
        auto* label = new QLabel("-", this);
        label->setObjectName(name);
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        return label;
    };
    foldLabel_ = value("foldLabel");
    zeroLabel_ = value("zeroLabel");
    calLabel_ = value("calLabel");
    vmaxLabel_ = value("vmaxLabel");
    chi2Label_ = value("chi2Label");
    linesFoundLabel_ = value("linesFoundLabel");
    linesFoundLabel_->setWordWrap(true);
    statusLabel_ = new QLabel(this);
    statusLabel_->setObjectName("statusLabel");
    statusLabel_->setWordWrap(true);

    applyButton_ = new QPushButton("&Apply to header", this);
    saveCalButton_ = new QPushButton(QString::fromUtf8("&Save .cal\u2026"), this);
    closeButton_ = new QPushButton("&Close", this);
    for (QPushButton* b : {browseButton_, fitButton_, addLineButton_, removeLineButton_,
                           defaultLinesButton_, applyButton_, saveCalButton_, closeButton_})
        b->setAutoDefault(false);

    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel("Reference:", this));
    top->addWidget(sourceLabel_, 1);
    top->addWidget(browseButton_);

    auto* results = new QFormLayout;
    results->addRow("2xFolding channel", foldLabel_);
    results->addRow("Zero speed channel", zeroLabel_);
    results->addRow("Calibration constant\n(mm/s per channel)", calLabel_);
    results->addRow("Maximum velocity (mm/s)", vmaxLabel_);
    results->addRow(QString::fromUtf8("\u03c7\u00b2 / degrees of freedom"), chi2Label_);
    results->addRow("Lines at channels", linesFoundLabel_);

    auto* tableButtons = new QHBoxLayout;
    tableButtons->addWidget(addLineButton_);
    tableButtons->addWidget(removeLineButton_);
    tableButtons->addWidget(defaultLinesButton_);

    // The table and the results scroll as one column where the window is too low for them,
    // rather than being squeezed over each other.
    auto* sideWidget = new QWidget;
    auto* side = new QVBoxLayout(sideWidget);
    side->setContentsMargins(0, 0, 0, 0);
    side->addWidget(new QLabel("Reference lines", sideWidget));
    side->addWidget(linesTable_, 1);
    side->addWidget(entryErrorLabel_);
    side->addLayout(tableButtons);
    auto* exclude = new QFormLayout;
    auto* excludeCaption = new QLabel("&Leave out channels", sideWidget);
    excludeCaption->setBuddy(excludeEdit_);
    exclude->addRow(excludeCaption, excludeEdit_);
    side->addLayout(exclude);
    side->addSpacing(8);
    side->addLayout(results);
    side->addWidget(notesLabel_);
    side->addWidget(statusLabel_);
    linesTable_->setMinimumHeight(linesTable_->verticalHeader()->defaultSectionSize() * 4);
    auto* sideScroll = new QScrollArea(this);
    sideScroll->setObjectName("sideScroll");
    sideScroll->setWidget(sideWidget);
    sideScroll->setWidgetResizable(true);
    sideScroll->setFrameShape(QFrame::NoFrame);
    sideScroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    sideScroll_ = sideScroll;

    auto* middle = new QHBoxLayout;
    middle->addWidget(plot_, 1);
    middle->addWidget(sideScroll);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(fitButton_);
    buttons->addStretch(1);
    buttons->addWidget(applyButton_);
    buttons->addWidget(saveCalButton_);
    buttons->addWidget(closeButton_);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(middle, 1);
    layout->addLayout(buttons);
    resize(960, 600);

    connect(browseButton_, &QPushButton::clicked, this, [this] { OnBrowse(); });
    connect(fitButton_, &QPushButton::clicked, this, [this] { Guarded([this] { RunFit(); }); });
    connect(addLineButton_, &QPushButton::clicked, this, [this] { OnAddLine(); });
    connect(removeLineButton_, &QPushButton::clicked, this, [this] { OnRemoveLine(); });
    connect(defaultLinesButton_, &QPushButton::clicked, this, [this] { OnDefaultLines(); });
    connect(applyButton_, &QPushButton::clicked, this, [this] { OnApply(); });
    connect(saveCalButton_, &QPushButton::clicked, this, [this] { OnSaveCal(); });
    connect(closeButton_, &QPushButton::clicked, this, [this] { done(QDialog::Rejected); });
    connect(linesTable_, &QTableWidget::cellChanged, this, [this] {
        if (!fillingTable_) OnTableEdited();
    });
    connect(excludeEdit_, &QLineEdit::textEdited, this, [this] { OnTableEdited(); });

    LoadStoredReferenceLines();
    ShowResults();
}

void CalibrationWindow::showEvent(QShowEvent* e)
{
    // As wide as the column's widest row (the table's buttons), measured once the style has
    // given the buttons their size: the column scrolls only up and down.
    sideScroll_->setMinimumWidth(sideScroll_->widget()->minimumSizeHint().width() +
                                 sideScroll_->verticalScrollBar()->sizeHint().width());
    QDialog::showEvent(e);
}

void CalibrationWindow::Guarded(const std::function<void()>& body)
{
    RunGuarded(platform_, body);
}

void CalibrationWindow::SetSubject(CalibrationSubject subject)
{
    subject_ = std::move(subject);
    // A name may hold control bytes (a line feed): shown escaped, as the .cal writes it.
    sourceLabel_->setText(subject_.name.isEmpty()
                              ? QString("-")
                              : PathText(EscapeControlBytes(PathBytes(subject_.name))));
    Guarded([this] { RunFit(); });
}

void CalibrationWindow::RunFit()
{
    CommitOpenEditor();
    fit_.reset();
    refusal_.clear();
    ShowResults();
    if (subject_.counts.empty()) {
        refusal_ =
            "There is no spectrum to calibrate. Open an SPM file or choose a reference file.";
        ShowResults();
        return;
    }
    if (!CheckTable()) {
        refusal_ = "Correct the line table first.";
        ShowResults();
        return;
    }
    const std::vector<double> lines = ReferenceLines();
    CalibrationOptions options;
    options.excludedChannels = ExcludedChannels().value_or(std::vector<int>{});
    try {
        fit_ = CalibrateSpectrum(subject_.counts, subject_.channelCount, subject_.saveAsMode, lines,
                                 options);
    }
    catch (const AppError& e) {
        refusal_ = "Cannot calibrate " + subject_.name + ": " + ErrorText(e.what());
    }
    ShowResults();
}

void CalibrationWindow::ShowResults()
{
    const bool ok = fit_.has_value();
    applyButton_->setEnabled(ok);
    saveCalButton_->setEnabled(ok);
    statusLabel_->setText(refusal_);
    statusLabel_->setVisible(!refusal_.isEmpty());
    MarkUnusedLines();
    if (!ok) {
        notesLabel_->clear();
        notesLabel_->hide();
        for (QLabel* l :
             {foldLabel_, zeroLabel_, calLabel_, vmaxLabel_, chi2Label_, linesFoundLabel_})
            l->setText("-");
        plot_->Clear();
        return;
    }
    const VelocityCalibration& r = fit_->result;
    foldLabel_->setText(WithError(r.fold2x, r.fold2xErr, 8));
    zeroLabel_->setText(WithError(r.zero, r.zeroErr, 7));
    calLabel_->setText(WithError(r.cal, r.calErr, 6));
    vmaxLabel_->setText(Text(PlainDecimal(r.vmax, 6)));
    chi2Label_->setText(Text(PlainDecimal(r.chi2dof, 4)));
    QStringList found;
    for (double j : r.lineChannels)
        found << Text(PlainDecimal(j, 5));
    linesFoundLabel_->setText(found.join(", "));
    // Channels left out, lines used, warnings; a poor fit stands out and is asked about.
    QStringList notes;
    for (const std::string& note : CalibrationNotes(r, ReferenceLines())) {
        QString text = Text(EscapeControlBytes(note));
        text[0] = text[0].toUpper();
        notes << text.toHtmlEscaped();
    }
    if (r.poorFit)
        notes.back() =
            "<b style=\"color:#b00000\">" + notes.back() + ". Apply and Save ask first.</b>";
    notesLabel_->setText(notes.join("<br>"));
    notesLabel_->setVisible(!notes.isEmpty());
    const double varianceScale =
        subject_.channelCount == 1024 && subject_.saveAsMode == kSave512Mean ? 0.5 : 1.0;
    const std::vector<std::uint32_t> saved =
        ReduceChannels(subject_.counts, subject_.channelCount, subject_.saveAsMode);
    std::vector<double> lineVelocities;
    for (double j : r.lineChannels)
        lineVelocities.push_back((j - r.zero) * fit_->signedCal);
    plot_->SetData(FoldForDisplay(saved, *fit_, varianceScale), std::move(lineVelocities));
}

void CalibrationWindow::OnBrowse()
{
    Guarded([this] {
        FileDialogRequest request;
        request.title = "Open reference spectrum";
        request.filter = "SPM-files (*.spm)|*.spm";
        const auto chosen = platform_.OpenFileDialog(request);
        if (!chosen) return;
        LoadReferenceFile(chosen->path);
    });
}

void CalibrationWindow::LoadReferenceFile(const QString& path)
{
    // Read and parsed whole before anything changes: a bad file leaves the last fit standing.
    const std::string pathBytes = PathBytes(path);
    const SpmSpectrum spm = ParseSpmImage(ReadWholeFile(pathBytes), pathBytes, locale_);
    CalibrationSubject subject = subject_;
    subject.counts = spm.counts;
    subject.channelCount = spm.info.ChannelCount;
    subject.name = PathText(spm.info.FileName);
    subject.stamps = StampDisplayText(spm.info.FirstStamp, locale_) + " - " +
                     StampDisplayText(spm.info.SecondStamp, locale_);
    SetSubject(std::move(subject));
}

bool CalibrationWindow::PoorFitAccepted()
{
    if (!fit_->result.poorFit) return true;
    return platform_.Question(QString("This fit describes the spectrum poorly (%1). Use it anyway?")
                                  .arg(Text(EscapeControlBytes(fit_->result.poorFitReason))));
}

void CalibrationWindow::MarkUnusedLines()
{
    // Table lines the fit did not use (beyond a narrow sweep) are greyed.
    fillingTable_ = true;
    for (int row = 0; row < linesTable_->rowCount(); ++row) {
        QTableWidgetItem* item = linesTable_->item(row, 0);
        if (!item) continue;
        const auto value = ParseDecimal(item->text().toStdString());
        const bool unused = fit_ && value &&
                            std::find(fit_->result.usedLines.begin(), fit_->result.usedLines.end(),
                                      *value) == fit_->result.usedLines.end();
        item->setForeground(unused ? QBrush(Qt::gray) : QBrush());
        item->setToolTip(unused ? "Not used: beyond the sweep" : QString());
    }
    fillingTable_ = false;
}

std::string CalibrationWindow::ExcludedText() const
{
    return excludeEdit_->text().toStdString();
}

std::optional<std::vector<int>> CalibrationWindow::ExcludedChannels() const
{
    if (excludeEdit_->text().trimmed().isEmpty()) return std::vector<int>{};
    return ParseChannelList(ExcludedText());
}

void CalibrationWindow::OnApply()
{
    Guarded([this] {
        if (!fit_ || !PoorFitAccepted()) return;
        const CalibrationValues values = CalibrationFieldTexts(fit_->result, subject_.foldMask);
        if (onApply) onApply(values);
    });
}

void CalibrationWindow::OnSaveCal()
{
    Guarded([this] {
        if (!fit_ || !PoorFitAccepted()) return;
        // Refused before the dialog when the values do not fit the header's fields.
        CalibrationFieldTexts(fit_->result, subject_.foldMask);
        FileDialogRequest request;
        request.title = "Save calibration";
        request.filter = "CAlibration files (*.cal)|*.cal";
        request.proposedName = PathText(ChangeFileExt(PathBytes(subject_.name), ".cal"));
        request.overwritePrompt = true;
        const auto chosen = platform_.SaveFileDialog(request);
        if (!chosen) return;
        SaveCalFile(chosen->path);
    });
}

void CalibrationWindow::SaveCalFile(const QString& target)
{
    if (!fit_) return;
    CalibrationSource source;
    source.fileName = PathBytes(subject_.name);
    source.stamps = subject_.stamps;
    source.date = CalibrationDateNow();
    source.mode = SavedChannelsCaption(subject_.channelCount, subject_.saveAsMode);
    WriteFileAtomic(PathBytes(target), FormatCalibrationFile(fit_->result, subject_.foldMask,
                                                             source, ReferenceLines()));
}

std::vector<double> CalibrationWindow::ReferenceLines() const
{
    std::vector<double> lines;
    for (int row = 0; row < linesTable_->rowCount(); ++row) {
        const QTableWidgetItem* item = linesTable_->item(row, 0);
        const std::string text = item ? item->text().toStdString() : std::string();
        if (text.find_first_not_of(' ') == std::string::npos) continue; // an empty row
        const auto value = ParseDecimal(text);
        if (!value) throw AppError(NotAFloatText(EscapeControlBytes(text)));
        lines.push_back(*value);
    }
    return lines;
}

void CalibrationWindow::SetReferenceLines(const std::vector<double>& lines)
{
    fillingTable_ = true;
    linesTable_->setRowCount(static_cast<int>(lines.size()));
    for (int row = 0; row < static_cast<int>(lines.size()); ++row)
        linesTable_->setItem(row, 0, new QTableWidgetItem(QString::number(lines[row], 'g', 10)));
    fillingTable_ = false;
}

void CalibrationWindow::OnAddLine()
{
    CommitOpenEditor();
    const int row = linesTable_->rowCount();
    fillingTable_ = true; // an empty row changes no line
    linesTable_->insertRow(row);
    linesTable_->setItem(row, 0, new QTableWidgetItem);
    fillingTable_ = false;
    linesTable_->setCurrentCell(row, 0);
    linesTable_->setFocus();
    linesTable_->editItem(linesTable_->item(row, 0));
}

void CalibrationWindow::OnRemoveLine()
{
    CommitOpenEditor();
    const QList<QTableWidgetItem*> selected = linesTable_->selectedItems();
    if (selected.isEmpty()) return;
    const int row = selected.front()->row();
    linesTable_->removeRow(row);
    // The row that moved into its place is selected, so Remove goes on downwards.
    if (linesTable_->rowCount() > 0)
        linesTable_->setCurrentCell(std::min(row, linesTable_->rowCount() - 1), 0);
    else
        linesTable_->clearSelection();
    OnTableEdited();
}

void CalibrationWindow::OnDefaultLines()
{
    CommitOpenEditor();
    SetReferenceLines(DefaultReferenceLines());
    OnTableEdited();
}

void CalibrationWindow::CommitOpenEditor()
{
    // Leaving the current cell commits what an editor open on it holds.
    const QModelIndex current = linesTable_->currentIndex();
    if (!current.isValid()) return;
    linesTable_->setCurrentIndex(QModelIndex());
    linesTable_->setCurrentIndex(current);
}

bool CalibrationWindow::CheckTable()
{
    QStringList problems;
    fillingTable_ = true; // colouring a cell is no edit
    for (int row = 0; row < linesTable_->rowCount(); ++row) {
        QTableWidgetItem* item = linesTable_->item(row, 0);
        if (!item) continue;
        const std::string text = item->text().toStdString();
        const bool bad =
            text.find_first_not_of(' ') != std::string::npos && !ParseDecimal(text).has_value();
        item->setBackground(bad ? QColor(255, 210, 210) : QBrush());
        if (bad)
            problems << QString("Line %1: %2")
                            .arg(row + 1)
                            .arg(Text(NotAFloatText(EscapeControlBytes(text))));
    }
    fillingTable_ = false;
    if (!ExcludedChannels()) problems << QString("Leave out channels: %1").arg(kChannelListForm);
    entryErrorLabel_->setText(problems.join("\n"));
    entryErrorLabel_->setVisible(!problems.isEmpty());
    return problems.isEmpty();
}

void CalibrationWindow::OnTableEdited()
{
    // The results belong to the table that was fitted: a new table waits for the next Fit.
    const bool hadResults = fit_.has_value() || !refusal_.isEmpty();
    fit_.reset();
    refusal_ =
        hadResults ? QString("The line table changed: press Fit to calibrate with it.") : QString();
    ShowResults();
    if (CheckTable()) StoreReferenceLines();
}

void CalibrationWindow::LoadStoredReferenceLines()
{
    std::vector<double> lines;
    try {
        if (store_.OpenKeyReadOnly(kProgramSettingsKey)) {
            const std::string stored = store_.ReadString(kReferenceLinesValue);
            const std::string excluded = store_.ReadString(kExcludedChannelsValue);
            excludeEdit_->setText(QString::fromStdString(excluded));
            if (!ExcludedChannels()) excludeEdit_->clear();
            store_.CloseKey();
            std::string_view rest = stored;
            while (!rest.empty()) {
                const auto space = rest.find(' ');
                const std::string_view word = rest.substr(0, space);
                if (!word.empty()) {
                    const auto value = ParseDecimal(word);
                    if (!value) {
                        lines.clear();
                        break;
                    }
                    lines.push_back(*value);
                }
                if (space == std::string_view::npos) break;
                rest.remove_prefix(space + 1);
            }
        }
    }
    catch (const AppError&) {
        lines.clear(); // a damaged store gives the default table
    }
    if (store_.HasOpenKey()) store_.CloseKey();
    SetReferenceLines(lines.empty() ? DefaultReferenceLines() : lines);
}

void CalibrationWindow::StoreReferenceLines()
{
    Guarded([this] {
        std::string text;
        for (double line : ReferenceLines()) {
            if (!text.empty()) text += ' ';
            text += QString::number(line, 'g', 10).toStdString();
        }
        if (store_.OpenKey(kProgramSettingsKey, true)) {
            store_.WriteString(kReferenceLinesValue, text);
            store_.WriteString(kExcludedChannelsValue, ExcludedText());
            store_.CloseKey();
        }
    });
}

} // namespace trv
