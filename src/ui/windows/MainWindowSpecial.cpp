// The main window's "Special" and "Help" menus and the ASCII export.
#include "asciitable/AsciiExport.h"
#include "platform/FileIo.h"
#include "plot/GraphicControls.h"
#include "plot/Plot.h"
#include "plot/PlotSurface.h"
#include "ui/TextConvert.h"
#include "ui/widgets/IntEditField.h"
#include "ui/widgets/MaskEditField.h"
#include "ui/windows/AboutDialog.h"
#include "ui/windows/AsciiExportDialog.h"
#include "ui/windows/CalibrationWindow.h"
#include "ui/windows/CombineSpectraDialog.h"
#include "ui/windows/LaughDialog.h"
#include "ui/windows/MainWindow.h"
#include "ui/windows/PreviewWindow.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>

namespace trv {

namespace {

constexpr const char* kNoSpectrumText = "There is no spectrum to export. Open an SPM file first.";

} // namespace

void MainWindow::CreateSpecialWindows()
{
    aboutDialog_ = new AboutDialog(this);
    combineDialog_ = new CombineSpectraDialog(
        [this](std::vector<uint32_t> counts, int32_t channelCount) {
            AdoptCombinedSpectrum(std::move(counts), channelCount);
        },
        platform_, locale_, this);
    asciiExportDialog_ = new AsciiExportDialog(this);
    calibrationWindow_ = new CalibrationWindow(platform_, *store_, locale_, this);
    calibrationWindow_->onApply = [this](const CalibrationValues& values) {
        ApplyCalibrationValues(values);
    };
    calibrateAction_ =
        new QAction(QString::fromUtf8("Calibrate from reference spectrum\u2026"), this);
    calibrateAction_->setObjectName("calibrateAction");
    specialMenu_->addAction(calibrateAction_);
    connect(calibrateAction_, &QAction::triggered, this, [this] { OnCalibrate(); });

    connect(addSpectraAction_, &QAction::triggered, this, [this] { OnAddSpectra(); });
    connect(subtractSpectraAction_, &QAction::triggered, this, [this] { OnSubtractSpectra(); });
    connect(aboutAction_, &QAction::triggered, this, [this] { OnAbout(); });
    connect(laughAction_, &QAction::triggered, this, [this] { OnLaugh(); });
    connect(saveAsciiAction_, &QAction::triggered, this, [this] { OnSaveAscii(); });
}

void MainWindow::OnAddSpectra()
{
    combineDialog_->addButton()->setEnabled(true);
    combineDialog_->subtractButton()->setEnabled(false);
    combineDialog_->exec();
}

void MainWindow::PrepareCalibrationWindow()
{
    CalibrationSubject subject;
    subject.counts = counts_;
    subject.channelCount = channelCount_;
    // Before the first open no item is chosen; the open would choose the add mode.
    subject.saveAsMode = saveAsModeCombo_->currentIndex() < 0 ? kSave512Add : SaveAsMode();
    subject.foldMask = foldingChannelEdit_->Model().Mask();
    subject.name = counts_.empty() ? QString() : SpectrumName();
    subject.stamps =
        Latin1Bytes(firstStampLabel_->text()) + " - " + Latin1Bytes(secondStampLabel_->text());
    calibrationWindow_->SetSubject(std::move(subject));
}

void MainWindow::OnCalibrate()
{
    PrepareCalibrationWindow();
    calibrationWindow_->exec();
}

void MainWindow::OnSubtractSpectra()
{
    combineDialog_->subtractButton()->setEnabled(true);
    combineDialog_->addButton()->setEnabled(false);
    combineDialog_->exec();
}

void MainWindow::AdoptCombinedSpectrum(std::vector<uint32_t> counts, int32_t channelCount)
{
    // The scale is guessed with the margins as they are now; the drawing uses the reset ones.
    const int scale = trv::GuessScale(counts, CurrentPlotSettings());
    PlotSettings settings = CurrentPlotSettings();
    settings.Scale = static_cast<std::uint16_t>(scale);
    settings.IgnoreFromLeft = kMarginAfterOpen;
    settings.IgnoreFromRight = kMarginAfterOpen;
    PlotState trial = previewWindow_->State();
    PreparePlot(trial, counts, settings);
    PlotSurface scratch;
    DrawPlot(trial, settings, SpectrumNameBytes(), scratch, previewImage_->width(),
             previewImage_->height());

    SetSpectrum(std::move(counts), channelCount);
    StopFollowing();
    // Ticking the box fills the grid; a box ticked already leaves the grid as it was.
    showDataBox_->setChecked(true);
    saveAsModeCombo_->setCurrentIndex(kSave512Add);
    // Margins before the scale: the redraw a scale change may trigger then shows the final
    // settings, which the trial above has drawn already.
    plotIgnoreLeftSpin_->SetPosition(kMarginAfterOpen);
    plotIgnoreRightSpin_->SetPosition(kMarginAfterOpen);
    scaleSpin_->SetPosition(scale);
    RedrawPreview();

    const auto name = platform_.InputBox("Enter new filename", "Enter new filename", QString());
    spectrumNameLabel_->setText(name.value_or(QString()));
}

void MainWindow::OnAbout()
{
    aboutDialog_->exec();
}

void MainWindow::OnLaugh()
{
    // A fresh window each time, so it always opens with "X-Ray" on.
    LaughDialog laugh(nullptr);
    laugh.exec();
}

void MainWindow::OnSaveAscii()
{
    Guard([this] {
        if (counts_.empty()) {
            platform_.MessageBox(kNoSpectrumText);
            return;
        }
        FileDialogRequest request;
        request.title = "Save As";
        request.filter = "Tekst files (*.txt)|*.txt|All Files (*.*)|*.*";
        request.proposedName = PathText(ChangeFileExt(PathBytes(SpectrumName()), ".txt"));
        request.overwritePrompt = false;
        request.hideReadOnly = true;
        request.resizable = true;
        request.filterIndex = asciiFilterIndex_;
        RunSaveDialog(request, [this](const FileDialogResult& chosen) {
            asciiFilterIndex_ = chosen.filterIndex;
            QString target = chosen.path;
            if (chosen.filterIndex == 1)
                target = PathText(ChangeFileExt(PathBytes(target), ".txt"));

            // The options start over on every export.
            asciiExportDialog_->channelsGroup()->setEnabled(counts_.size() != 512);
            asciiExportDialog_->xAxisGroup()->SetItemIndex(1);
            asciiExportDialog_->channelsGroup()->SetItemIndex(1);
            if (asciiExportDialog_->exec() != AsciiExportDialog::kResultOk) return;
            SaveASCIIFile(target, asciiExportDialog_->xAxisGroup()->ItemIndex(),
                          asciiExportDialog_->channelsGroup()->ItemIndex());
        });
    });
}

void MainWindow::SaveASCIIFile(const QString& target, int xAxis, int channelMode)
{
    // The whole table is built first, so a header field that is not a number leaves no file.
    const std::string table =
        BuildASCIITable(counts_, channelCount_, channelMode, xAxis, zeroSpeedEdit_->Value(),
                        calibrationEdit_->Value(), locale_.decimalSeparator);
    WriteFileAtomic(PathBytes(target), table);
}

} // namespace trv
