// The main window's side of the preview plot: the "Graphic" group's reactions, the preview
// window, bitmaps and the folding-channel suggestion.
#include "ui/windows/MainWindow.h"

#include "platform/AppError.h"
#include "platform/FileIo.h"
#include "plot/Bmp.h"
#include "plot/FoldingChannel.h"
#include "plot/GraphicControls.h"
#include "ui/TextConvert.h"
#include "ui/widgets/IntEditField.h"
#include "ui/widgets/MaskEditField.h"
#include "ui/widgets/PlotImage.h"
#include "ui/windows/PreviewWindow.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QMenu>

#include <cmath>

namespace trv {

namespace {

std::uint16_t Position(const UpDown* spin)
{
    return static_cast<std::uint16_t>(spin->Position());
}

} // namespace

void MainWindow::CreatePreviewWindow()
{
    previewWindow_ = new PreviewWindow(*this, platform_, this);

    findFoldingChannelAction_ = new QAction("Find folding channel", this);
    findFoldingChannelAction_->setObjectName("findFoldingChannelAction");
    specialMenu_->addAction(findFoldingChannelAction_);

    connect(saveBitmapAction_, &QAction::triggered, this,
            [this] { Guard([this] { OnSaveBitmap(); }); });
    connect(openBitmapAction_, &QAction::triggered, this,
            [this] { Guard([this] { OpenLastBitmap(); }); });
    connect(findFoldingChannelAction_, &QAction::triggered, this,
            [this] { Guard([this] { OnFindFoldingChannel(); }); });
    connect(previewImage_, &PlotImage::Resized, this, [this] { OnPreviewImageResized(); });
}

PlotSettings MainWindow::CurrentPlotSettings() const
{
    PlotSettings s;
    s.Folded = foldedBox_->isChecked();
    s.IgnoreFromLeft = Position(plotIgnoreLeftSpin_);
    s.IgnoreFromRight = Position(plotIgnoreRightSpin_);
    s.FoldChannel = Position(plotFoldSpin_);
    s.Scale = Position(scaleSpin_);
    s.DrawErrorLines = errorLinesBox_->isChecked();
    s.DrawMean = drawMeanBox_->isChecked();
    s.MeanWidth = Position(meanWidthSpin_);
    return s;
}

std::string MainWindow::SpectrumNameBytes() const
{
    // The plot writes 8-bit text.
    return Latin1Bytes(SpectrumName());
}

// ---------------------------------------------------------------- drawing

void MainWindow::GuessPreviewScale()
{
    scaleSpin_->SetPosition(trv::GuessScale(counts_, CurrentPlotSettings()));
}

void MainWindow::RedrawPreview()
{
    if (counts_.empty()) return;
    PreparePlot(previewWindow_->State(), counts_, CurrentPlotSettings());
    previewImage_->DrawPlot(previewWindow_->State(), CurrentPlotSettings(), SpectrumNameBytes());
}

void MainWindow::ClearPreview()
{
    previewImage_->FillBlack();
}

void MainWindow::OnPreviewImageResized()
{
    // The last drawing in the new frame: its data and settings, not controls changed since
    // without Preview. An error was reported when the drawing was asked for; a resize does not
    // repeat it.
    switch (previewImage_->Showing()) {
    case PlotImage::Shows::Nothing:
        break;
    case PlotImage::Shows::Black:
        ClearPreview();
        break;
    case PlotImage::Shows::Plot:
        Guard([this] {
            try {
                previewImage_->RedrawLast();
            }
            catch (const AppError&) {
            }
        });
        break;
    }
}

void MainWindow::ShowPreviewWindow()
{
    PreparePlot(previewWindow_->State(), counts_, CurrentPlotSettings());
    previewWindow_->DrawOnImage();
    previewWindow_->ShowModal();
}

// ---------------------------------------------------------------- "Graphic" reactions

void MainWindow::OnPreviewClicked()
{
    GuessPreviewScale();
    RedrawPreview();
}

void MainWindow::OnViewClicked()
{
    ShowPreviewWindow();
}

void MainWindow::OnScaleChanged()
{
    if (previewBox_->isChecked()) RedrawPreview();
}

void MainWindow::FoldingChannelReaction()
{
    // Only the folding channel is read here: reading the other fields would take over numbers
    // typed into them since, which the preview waits for.
    PlotSettings settings;
    settings.FoldChannel = Position(plotFoldSpin_);
    trv::FoldChannelReaction(settings, channelCount_);
    plotIgnoreLeftSpin_->SetPosition(settings.IgnoreFromLeft);
    plotIgnoreRightSpin_->SetPosition(settings.IgnoreFromRight);
    if (previewBox_->isChecked()) RedrawPreview();
}

void MainWindow::OnPlotFoldChanged()
{
    FoldingChannelReaction();
}

void MainWindow::OnPlotFoldStepped()
{
    // Runs before the change: the reaction sees the position from before.
    FoldingChannelReaction();
}

void MainWindow::OnFoldedToggled()
{
    GuessPreviewScale();
    RedrawPreview();
}

void MainWindow::OnErrorLinesToggled()
{
    RedrawPreview();
}

void MainWindow::OnDrawMeanToggled()
{
    RedrawPreview();
}

void MainWindow::OnPreviewToggled()
{
    if (previewBox_->isChecked())
        RedrawPreview();
    else
        ClearPreview();
}

void MainWindow::OnFindFoldingChannel()
{
    const std::optional<FoldingEstimate> estimate =
        FindFoldingChannel(counts_, CurrentPlotSettings());
    if (!estimate) {
        platform_.MessageBox("No folding channel can be suggested for this spectrum");
        return;
    }
    if (!estimate->Clear) {
        QString text = QString::fromLatin1(kNoClearFoldingChannelText);
        text[0] = text[0].toUpper(); // a sentence of its own here
        platform_.MessageBox(text);
        return;
    }
    const int channel = static_cast<int>(std::nearbyint(estimate->Fractional));
    const QString text = QString::fromStdString("Suggested folding channel: " +
                                                FoldingChannelText(estimate->Fractional)) +
                         QStringLiteral("\nSet the folding channel to %1?").arg(channel);
    // Yes types the channel into the field, so its reaction (margins, redraw) runs as it
    // would for the user's own typing.
    if (platform_.Question(text)) plotFoldEdit_->setText(QString::number(channel));
}

// ---------------------------------------------------------------- bitmaps

void MainWindow::OnSaveBitmap()
{
    SaveImageBitmap(*previewImage_, true);
}

void MainWindow::SaveImageBitmap(const PlotImage& image, bool mainWindowDialog)
{
    FileDialogRequest request;
    request.title = "Save As";
    request.filter = "Bitmaps (*.bmp)|*.bmp";
    request.proposedName = Latin1(serialEdit_->Value());
    // Only the main window's dialog records the folder it closed in.
    RunSaveDialog(
        request,
        [&](const FileDialogResult& chosen) {
            SaveBitmapFile(PathText(ChangeFileExt(PathBytes(chosen.path), ".bmp")), image);
        },
        mainWindowDialog);
}

void MainWindow::SaveBitmapFile(const QString& target, const PlotImage& image)
{
    // An image that was never drawn on has no bitmap, and nothing is written.
    if (image.HasBitmap()) {
        const std::string path = PathBytes(target);
        try {
            WriteFileAtomic(path, EncodeBmp(image.Bitmap()));
        }
        catch (const AppError&) {
            throw AppError("Cannot create file " + path);
        }
    }
    lastBitmap_ = target;
}

void MainWindow::OpenLastBitmap()
{
    if (!lastBitmap_.isEmpty()) platform_.ShellOpen(lastBitmap_);
}

} // namespace trv
