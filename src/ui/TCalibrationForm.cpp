#include "ui/TCalibrationForm.h"

#include "calibration/CalFile.h"
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
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <charconv>
#include <cmath>

namespace trv {

namespace {

constexpr const char* kReferenceLinesValue = "ReferenceLines";

QString Text(const std::string& s)
{
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

// A decimal number with '.' as the point, nothing else around it but blanks.
std::optional<double> ParseDecimal(std::string_view text)
{
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    double value = 0.0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size() ||
        !std::isfinite(value))
        return std::nullopt;
    return value;
}

QString WithError(double value, double error, int significant)
{
    return Text(PlainDecimal(value, significant)) + QString::fromUtf8(" \u00b1 ") +
           Text(PlainDecimal(error, 2));
}

} // namespace

// ---------------------------------------------------------------- plot

CalibrationPlot::CalibrationPlot(QWidget* parent) : QWidget(parent)
{
    setMinimumSize(320, 240);
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, Qt::white);
    setPalette(p);
}

void CalibrationPlot::SetData(FoldedSpectrum folded, std::vector<double> lineVelocities)
{
    folded_ = std::move(folded);
    lines_ = std::move(lineVelocities);
    update();
}

void CalibrationPlot::Clear()
{
    folded_ = {};
    lines_.clear();
    update();
}

void CalibrationPlot::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, true);
    const QFontMetrics fm = fontMetrics();
    const int left = fm.horizontalAdvance("00000000000") + 8;
    const int right = 12;
    const int top = 8;
    const int bottom = fm.height() * 2 + 8;
    const int plotW = width() - left - right;
    const int plotH = height() - top - bottom;
    if (plotW < 40 || plotH < 60) return;
    const int mainH = plotH * 3 / 4 - 6;
    const QRect mainRect(left, top, plotW, mainH);
    const QRect residRect(left, top + mainH + 12, plotW, plotH - mainH - 12);
    painter.setPen(Qt::gray);
    painter.drawRect(mainRect);
    painter.drawRect(residRect);
    if (folded_.velocity.empty()) {
        painter.setPen(Qt::darkGray);
        painter.drawText(mainRect, Qt::AlignCenter, "No calibration");
        return;
    }

    const auto [vMinIt, vMaxIt] = std::minmax_element(folded_.velocity.begin(), folded_.velocity.end());
    const double vMin = *vMinIt;
    const double vMax = *vMaxIt;
    double yMin = *std::min_element(folded_.counts.begin(), folded_.counts.end());
    double yMax = *std::max_element(folded_.counts.begin(), folded_.counts.end());
    yMin = std::min(yMin, *std::min_element(folded_.model.begin(), folded_.model.end()));
    yMax = std::max(yMax, *std::max_element(folded_.model.begin(), folded_.model.end()));
    const double yPad = (yMax - yMin) * 0.05 + 1.0;
    yMin -= yPad;
    yMax += yPad;
    double rMax = 3.0;
    for (double r : folded_.residual)
        rMax = std::max(rMax, std::fabs(r));
    const double vSpan = vMax > vMin ? vMax - vMin : 1.0;
    auto xOf = [&](double v) { return left + (v - vMin) / vSpan * plotW; };
    auto yOf = [&](double y) { return top + (yMax - y) / (yMax - yMin) * mainH; };
    auto rOf = [&](double r) {
        return residRect.top() + (rMax - r) / (2.0 * rMax) * residRect.height();
    };

    // Velocity ticks every mm/s (every 2 or 5 when the sweep is wide).
    const double step = vSpan > 30 ? 5.0 : vSpan > 12 ? 2.0 : 1.0;
    painter.setPen(QColor(220, 220, 220));
    for (double v = std::ceil(vMin / step) * step; v <= vMax; v += step) {
        const double x = xOf(v);
        painter.drawLine(QPointF(x, mainRect.top()), QPointF(x, residRect.bottom()));
    }
    painter.setPen(Qt::black);
    for (double v = std::ceil(vMin / step) * step; v <= vMax; v += step) {
        const double x = xOf(v);
        const QString label = QString::number(v, 'f', 0);
        painter.drawText(QPointF(x - fm.horizontalAdvance(label) / 2.0,
                                 residRect.bottom() + fm.ascent() + 3),
                         label);
    }
    const QString axis = "velocity (mm/s)";
    painter.drawText(QPointF(left + (plotW - fm.horizontalAdvance(axis)) / 2.0,
                             residRect.bottom() + fm.height() + fm.ascent() + 3),
                     axis);
    painter.drawText(QRectF(0, top, left - 4, fm.height()), Qt::AlignRight,
                     QString::number(yMax, 'f', 0));
    painter.drawText(QRectF(0, top + mainH - fm.height(), left - 4, fm.height()), Qt::AlignRight,
                     QString::number(yMin, 'f', 0));
    painter.drawText(QRectF(0, residRect.top(), left - 4, residRect.height()),
                     Qt::AlignRight | Qt::AlignVCenter, "resid.");

    // The reference lines where the fit puts them.
    painter.setPen(QPen(QColor(40, 120, 40), 1, Qt::DashLine));
    for (double v : lines_)
        painter.drawLine(QPointF(xOf(v), mainRect.top()), QPointF(xOf(v), mainRect.bottom()));

    painter.save();
    painter.setClipRect(mainRect);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(30, 30, 30));
    for (std::size_t i = 0; i < folded_.velocity.size(); ++i)
        painter.drawEllipse(QPointF(xOf(folded_.velocity[i]), yOf(folded_.counts[i])), 1.6, 1.6);
    QPainterPath curve;
    for (std::size_t i = 0; i < folded_.velocity.size(); ++i) {
        const QPointF p(xOf(folded_.velocity[i]), yOf(folded_.model[i]));
        if (i == 0) curve.moveTo(p);
        else curve.lineTo(p);
    }
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor(200, 30, 30), 1.5));
    painter.drawPath(curve);
    painter.restore();

    painter.save();
    painter.setClipRect(residRect);
    painter.setPen(QPen(Qt::gray, 1, Qt::DotLine));
    painter.drawLine(QPointF(residRect.left(), rOf(0)), QPointF(residRect.right(), rOf(0)));
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(30, 60, 160));
    for (std::size_t i = 0; i < folded_.velocity.size(); ++i)
        painter.drawEllipse(QPointF(xOf(folded_.velocity[i]), rOf(folded_.residual[i])), 1.4, 1.4);
    painter.restore();
}

// ---------------------------------------------------------------- window

TCalibrationForm::TCalibrationForm(Platform& platform, SettingsStore& store, LocaleFormats locale,
                                   QWidget* parent)
    : QDialog(parent), platform_(platform), store_(store), locale_(std::move(locale))
{
    setObjectName("CalibrationForm");
    setWindowTitle("Velocity calibration");
    setModal(true);
    setSizeGripEnabled(true);

    SourceLabel = new QLabel(this);
    SourceLabel->setObjectName("SourceLabel");
    SourceLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    BrowseButton = new QPushButton(QString::fromUtf8("&Reference file\u2026"), this);
    FitButton = new QPushButton("&Fit", this);

    Plot = new CalibrationPlot(this);

    LinesTable = new QTableWidget(0, 1, this);
    LinesTable->setObjectName("LinesTable");
    LinesTable->setHorizontalHeaderLabels({"Line (mm/s)"});
    LinesTable->horizontalHeader()->setStretchLastSection(true);
    LinesTable->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    LinesTable->setMinimumWidth(fontMetrics().horizontalAdvance("Line (mm/s)") + 80);
    AddLineButton = new QPushButton("A&dd line", this);
    RemoveLineButton = new QPushButton("Re&move line", this);
    DefaultLinesButton = new QPushButton("&Iron foil", this);
    DefaultLinesButton->setToolTip("The six lines of an iron foil at room temperature");

    auto value = [this](const char* name) {
        auto* label = new QLabel("-", this);
        label->setObjectName(name);
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        return label;
    };
    FoldLabel = value("FoldLabel");
    ZeroLabel = value("ZeroLabel");
    CalLabel = value("CalLabel");
    VmaxLabel = value("VmaxLabel");
    Chi2Label = value("Chi2Label");
    LinesFoundLabel = value("LinesFoundLabel");
    LinesFoundLabel->setWordWrap(true);
    StatusLabel = new QLabel(this);
    StatusLabel->setObjectName("StatusLabel");
    StatusLabel->setWordWrap(true);

    ApplyButton = new QPushButton("&Apply to header", this);
    SaveCalButton = new QPushButton(QString::fromUtf8("&Save .cal\u2026"), this);
    CloseButton = new QPushButton("&Close", this);
    for (QPushButton* b : {BrowseButton, FitButton, AddLineButton, RemoveLineButton,
                           DefaultLinesButton, ApplyButton, SaveCalButton, CloseButton})
        b->setAutoDefault(false);

    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel("Reference:", this));
    top->addWidget(SourceLabel, 1);
    top->addWidget(BrowseButton);

    auto* results = new QFormLayout;
    results->addRow("2xFolding channel", FoldLabel);
    results->addRow("Zero speed channel", ZeroLabel);
    results->addRow("Calibration constant\n(mm/s per channel)", CalLabel);
    results->addRow("Maximum velocity (mm/s)", VmaxLabel);
    results->addRow(QString::fromUtf8("\u03c7\u00b2 / degrees of freedom"), Chi2Label);
    results->addRow("Lines at channels", LinesFoundLabel);

    auto* tableButtons = new QHBoxLayout;
    tableButtons->addWidget(AddLineButton);
    tableButtons->addWidget(RemoveLineButton);
    tableButtons->addWidget(DefaultLinesButton);

    auto* side = new QVBoxLayout;
    side->addWidget(new QLabel("Reference lines", this));
    side->addWidget(LinesTable, 1);
    side->addLayout(tableButtons);
    side->addSpacing(8);
    side->addLayout(results);
    side->addWidget(StatusLabel);

    auto* middle = new QHBoxLayout;
    middle->addWidget(Plot, 1);
    middle->addLayout(side);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(FitButton);
    buttons->addStretch(1);
    buttons->addWidget(ApplyButton);
    buttons->addWidget(SaveCalButton);
    buttons->addWidget(CloseButton);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(middle, 1);
    layout->addLayout(buttons);
    resize(960, 600);

    connect(BrowseButton, &QPushButton::clicked, this, [this] { BrowseClick(); });
    connect(FitButton, &QPushButton::clicked, this, [this] { Guarded([this] { RunFit(); }); });
    connect(AddLineButton, &QPushButton::clicked, this, [this] { AddLineClick(); });
    connect(RemoveLineButton, &QPushButton::clicked, this, [this] { RemoveLineClick(); });
    connect(DefaultLinesButton, &QPushButton::clicked, this, [this] { DefaultLinesClick(); });
    connect(ApplyButton, &QPushButton::clicked, this, [this] { ApplyClick(); });
    connect(SaveCalButton, &QPushButton::clicked, this, [this] { SaveCalClick(); });
    connect(CloseButton, &QPushButton::clicked, this, [this] { done(QDialog::Rejected); });
    connect(LinesTable, &QTableWidget::cellChanged, this, [this] {
        if (!fillingTable_) StoreReferenceLines();
    });

    LoadStoredReferenceLines();
    ShowResults();
}

void TCalibrationForm::Guarded(const std::function<void()>& body)
{
    RunGuarded(platform_, body);
}

void TCalibrationForm::SetSubject(CalibrationSubject subject)
{
    subject_ = std::move(subject);
    SourceLabel->setText(subject_.name.isEmpty() ? QString("-") : subject_.name);
    Guarded([this] { RunFit(); });
}

void TCalibrationForm::RunFit()
{
    fit_.reset();
    refusal_.clear();
    ShowResults();
    if (subject_.counts.empty()) {
        refusal_ = "There is no spectrum to calibrate. Open an SPM file or choose a reference file.";
        ShowResults();
        return;
    }
    const std::vector<double> lines = ReferenceLines();
    try {
        fit_ = CalibrateSpectrum(subject_.counts, subject_.channelCount, subject_.saveAsMode, lines);
    }
    catch (const AppError& e) {
        refusal_ = "Cannot calibrate " + subject_.name + ": " + ErrorText(e.what());
    }
    ShowResults();
}

void TCalibrationForm::ShowResults()
{
    const bool ok = fit_.has_value();
    ApplyButton->setEnabled(ok);
    SaveCalButton->setEnabled(ok);
    StatusLabel->setText(refusal_);
    StatusLabel->setVisible(!refusal_.isEmpty());
    if (!ok) {
        for (QLabel* l : {FoldLabel, ZeroLabel, CalLabel, VmaxLabel, Chi2Label, LinesFoundLabel})
            l->setText("-");
        Plot->Clear();
        return;
    }
    const VelocityCalibration& r = fit_->result;
    FoldLabel->setText(WithError(r.fold2x, r.fold2xErr, 8));
    ZeroLabel->setText(WithError(r.zero, r.zeroErr, 7));
    CalLabel->setText(WithError(r.cal, r.calErr, 6));
    VmaxLabel->setText(Text(PlainDecimal(r.vmax, 6)));
    Chi2Label->setText(Text(PlainDecimal(r.chi2dof, 4)));
    QStringList found;
    for (double j : r.lineChannels)
        found << Text(PlainDecimal(j, 5));
    LinesFoundLabel->setText(found.join(", "));
    const double varianceScale =
        subject_.channelCount == 1024 && subject_.saveAsMode == kSave512Mean ? 0.5 : 1.0;
    const std::vector<std::uint32_t> saved =
        ReduceChannels(subject_.counts, subject_.channelCount, subject_.saveAsMode);
    std::vector<double> lineVelocities;
    for (double j : r.lineChannels)
        lineVelocities.push_back((j - r.zero) * fit_->signedCal);
    Plot->SetData(FoldForDisplay(saved, *fit_, varianceScale), std::move(lineVelocities));
}

void TCalibrationForm::BrowseClick()
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

void TCalibrationForm::LoadReferenceFile(const QString& path)
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

void TCalibrationForm::ApplyClick()
{
    Guarded([this] {
        if (!fit_) return;
        const CalibrationValues values = CalibrationFieldTexts(fit_->result, subject_.foldMask);
        if (onApply) onApply(values);
    });
}

void TCalibrationForm::SaveCalClick()
{
    Guarded([this] {
        if (!fit_) return;
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

void TCalibrationForm::SaveCalFile(const QString& target)
{
    if (!fit_) return;
    CalibrationSource source;
    source.fileName = PathBytes(subject_.name);
    source.stamps = subject_.stamps;
    source.date = CalibrationDateNow();
    source.mode = SavedChannelsCaption(subject_.channelCount, subject_.saveAsMode);
    WriteFileAtomic(PathBytes(target),
                    FormatCalibrationFile(fit_->result, subject_.foldMask, source,
                                          ReferenceLines()));
}

std::vector<double> TCalibrationForm::ReferenceLines() const
{
    std::vector<double> lines;
    for (int row = 0; row < LinesTable->rowCount(); ++row) {
        const QTableWidgetItem* item = LinesTable->item(row, 0);
        const std::string text = item ? item->text().toStdString() : std::string();
        if (text.find_first_not_of(' ') == std::string::npos) continue; // an empty row
        const auto value = ParseDecimal(text);
        if (!value) throw AppError(NotAFloatText(EscapeControlBytes(text)));
        lines.push_back(*value);
    }
    return lines;
}

void TCalibrationForm::SetReferenceLines(const std::vector<double>& lines)
{
    fillingTable_ = true;
    LinesTable->setRowCount(static_cast<int>(lines.size()));
    for (int row = 0; row < static_cast<int>(lines.size()); ++row)
        LinesTable->setItem(row, 0, new QTableWidgetItem(QString::number(lines[row], 'g', 10)));
    fillingTable_ = false;
}

void TCalibrationForm::AddLineClick()
{
    const int row = LinesTable->rowCount();
    LinesTable->insertRow(row);
    LinesTable->setCurrentCell(row, 0);
    LinesTable->editItem(LinesTable->item(row, 0));
}

void TCalibrationForm::RemoveLineClick()
{
    const int row = LinesTable->currentRow();
    if (row < 0) return;
    LinesTable->removeRow(row);
    StoreReferenceLines();
}

void TCalibrationForm::DefaultLinesClick()
{
    SetReferenceLines(DefaultReferenceLines());
    StoreReferenceLines();
}

void TCalibrationForm::LoadStoredReferenceLines()
{
    std::vector<double> lines;
    try {
        if (store_.OpenKeyReadOnly(kProgramSettingsKey)) {
            const std::string stored = store_.ReadString(kReferenceLinesValue);
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
    SetReferenceLines(lines.size() >= 2 ? lines : DefaultReferenceLines());
}

void TCalibrationForm::StoreReferenceLines()
{
    Guarded([this] {
        std::string text;
        for (double line : ReferenceLines()) {
            if (!text.empty()) text += ' ';
            text += QString::number(line, 'g', 10).toStdString();
        }
        if (store_.OpenKey(kProgramSettingsKey, true)) {
            store_.WriteString(kReferenceLinesValue, text);
            store_.CloseKey();
        }
    });
}

} // namespace trv
