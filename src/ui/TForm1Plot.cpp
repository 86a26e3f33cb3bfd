// The main window's side of the preview plot: the "Graphic" group's reactions, the preview
// window, bitmaps and the folding-channel suggestion.
#include "ui/TForm1.h"

#include "platform/AppError.h"
#include "platform/FileIo.h"
#include "plot/Bmp.h"
#include "plot/FoldingChannel.h"
#include "plot/GraphicControls.h"
#include "ui/IntEditField.h"
#include "ui/MaskEditField.h"
#include "ui/PlotImage.h"
#include "ui/TForm2.h"
#include "ui/TextConvert.h"

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

void TForm1::CreatePreviewWindow()
{
    Form2 = new TForm2(*this, platform_, this);

    FindFoldingChannel1 = new QAction("Find folding channel", this);
    FindFoldingChannel1->setObjectName("FindFoldingChannel1");
    Special1->addAction(FindFoldingChannel1);

    connect(SaveBitmap, &QAction::triggered, this,
            [this] { Guard("SaveBitmapExecute", [this] { SaveBitmapExecute(); }); });
    connect(openbitmap, &QAction::triggered, this,
            [this] { Guard("openbitmapExecute", [this] { openbitmapExecute(); }); });
    connect(FindFoldingChannel1, &QAction::triggered, this,
            [this] { Guard("FindFoldingChannel1Click", [this] { FindFoldingChannel1Click(); }); });
    connect(Image1, &PlotImage::Resized, this, [this] { Image1Resize(); });
}

PlotSettings TForm1::CurrentPlotSettings() const
{
    PlotSettings s;
    s.Folded = CheckBox2->isChecked();
    s.IgnoreFromLeft = Position(UpDown3);
    s.IgnoreFromRight = Position(UpDown4);
    s.FoldChannel = Position(UpDown5);
    s.Scale = Position(UpDown1);
    s.DrawErrorLines = CheckBox3->isChecked();
    s.DrawMean = CheckBox4->isChecked();
    s.MeanWidth = Position(UpDown6);
    return s;
}

std::string TForm1::SpectrumNameBytes() const
{
    // The plot writes 8-bit text.
    return Latin1Bytes(SpectrumName());
}

// ---------------------------------------------------------------- drawing

void TForm1::GuessScale()
{
    UpDown1->SetPosition(trv::GuessScale(counts_, CurrentPlotSettings()));
}

void TForm1::RedrawPreview()
{
    if (counts_.empty()) return;
    PreparePlot(Form2->State(), counts_, CurrentPlotSettings());
    Image1->DrawPlot(Form2->State(), CurrentPlotSettings(), SpectrumNameBytes());
}

void TForm1::ClearPreview()
{
    Image1->FillBlack();
}

void TForm1::Image1Resize()
{
    // The last drawing in the new frame: its data and settings, not controls changed since
    // without Preview. An error was reported when the drawing was asked for; a resize does not
    // repeat it.
    switch (Image1->Showing()) {
    case PlotImage::Shows::Nothing:
        break;
    case PlotImage::Shows::Black:
        ClearPreview();
        break;
    case PlotImage::Shows::Plot:
        Guard("Image1Resize", [this] {
            try {
                Image1->RedrawLast();
            }
            catch (const AppError&) {
            }
        });
        break;
    }
}

void TForm1::ShowPreviewWindow()
{
    PreparePlot(Form2->State(), counts_, CurrentPlotSettings());
    Form2->DrawOnImage();
    Form2->ShowModal();
}

// ---------------------------------------------------------------- "Graphic" reactions

void TForm1::Button1Click()
{
    GuessScale();
    RedrawPreview();
}

void TForm1::Button4Click()
{
    ShowPreviewWindow();
}

void TForm1::Edit2Change()
{
    if (CheckBox5->isChecked()) RedrawPreview();
}

void TForm1::FoldingChannelReaction()
{
    // Only the folding channel is read here: reading the other fields would take over numbers
    // typed into them since, which the preview waits for.
    PlotSettings settings;
    settings.FoldChannel = Position(UpDown5);
    trv::FoldChannelReaction(settings, channelCount_);
    UpDown3->SetPosition(settings.IgnoreFromLeft);
    UpDown4->SetPosition(settings.IgnoreFromRight);
    if (CheckBox5->isChecked()) RedrawPreview();
}

void TForm1::Edit6Change()
{
    FoldingChannelReaction();
}

void TForm1::UpDown5Changing()
{
    // Runs before the change: the reaction sees the position from before.
    FoldingChannelReaction();
}

void TForm1::CheckBox2Click()
{
    GuessScale();
    RedrawPreview();
}

void TForm1::CheckBox3Click()
{
    RedrawPreview();
}

void TForm1::CheckBox4Click()
{
    RedrawPreview();
}

void TForm1::CheckBox5Click()
{
    if (CheckBox5->isChecked())
        RedrawPreview();
    else
        ClearPreview();
}

void TForm1::FindFoldingChannel1Click()
{
    const std::optional<FoldingEstimate> estimate =
        FindFoldingChannel(counts_, CurrentPlotSettings());
    if (!estimate) {
        platform_.MessageBox("No folding channel can be suggested for this spectrum");
        return;
    }
    const int channel = static_cast<int>(std::nearbyint(estimate->Fractional));
    const QString text = QString::fromStdString("Suggested folding channel: " +
                                                FoldingChannelText(estimate->Fractional)) +
                         QStringLiteral("\nSet the folding channel to %1?").arg(channel);
    // Yes types the channel into the field, so its reaction (margins, redraw) runs as it
    // would for the user's own typing.
    if (platform_.Question(text)) Edit6->setText(QString::number(channel));
}

// ---------------------------------------------------------------- bitmaps

void TForm1::SaveBitmapExecute()
{
    SaveImageBitmap(*Image1, true);
}

void TForm1::SaveImageBitmap(const PlotImage& image, bool mainWindowDialog)
{
    FileDialogRequest request;
    request.title = "Save As";
    request.filter = "Bitmaps (*.bmp)|*.bmp";
    request.proposedName = Latin1(MaskEdit1->Value());
    // Only the main window's dialog records the folder it closed in.
    RunSaveDialog(
        request,
        [&](const FileDialogResult& chosen) {
            SaveBitmapFile(PathText(ChangeFileExt(PathBytes(chosen.path), ".bmp")), image);
        },
        mainWindowDialog);
}

void TForm1::SaveBitmapFile(const QString& target, const PlotImage& image)
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

void TForm1::openbitmapExecute()
{
    if (!lastBitmap_.isEmpty()) platform_.ShellOpen(lastBitmap_);
}

} // namespace trv
