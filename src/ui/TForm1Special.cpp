// The main window's "Special" and "Help" menus and the ASCII export.
#include "export/AsciiExport.h"
#include "platform/FileIo.h"
#include "plot/GraphicControls.h"
#include "plot/Plot.h"
#include "plot/PlotSurface.h"
#include "ui/IntEditField.h"
#include "ui/MaskEditField.h"
#include "ui/TASCIISave.h"
#include "ui/TCalibrationForm.h"
#include "ui/TForm1.h"
#include "ui/TForm2.h"
#include "ui/TForm5.h"
#include "ui/TextConvert.h"
#include "ui/help/TForm3.h"
#include "ui/help/TForm4.h"

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

void TForm1::CreateSpecialWindows()
{
    Form3 = new TForm3(this);
    Form5 = new TForm5(
        [this](std::vector<uint32_t> counts, int32_t channelCount) {
            AdoptCombinedSpectrum(std::move(counts), channelCount);
        },
        platform_, locale_, this);
    ASCIISave = new TASCIISave(this);
    CalibrationForm = new TCalibrationForm(platform_, *store_, locale_, this);
    CalibrationForm->onApply = [this](const CalibrationValues& values) {
        ApplyCalibrationValues(values);
    };
    CalibrateFromReference1 = new QAction(QString::fromUtf8("Calibrate from reference spectrum\u2026"), this);
    CalibrateFromReference1->setObjectName("CalibrateFromReference1");
    Special1->addAction(CalibrateFromReference1);
    connect(CalibrateFromReference1, &QAction::triggered, this,
            [this] { CalibrateFromReference1Click(); });

    connect(Addspektres1, &QAction::triggered, this, [this] { Addspektres1Click(); });
    connect(Subtractspectres1, &QAction::triggered, this, [this] { Subtractspectres1Click(); });
    connect(aAbout, &QAction::triggered, this, [this] { aAboutExecute(); });
    connect(aLaugh, &QAction::triggered, this, [this] { aLaughExecute(); });
    connect(SaveASCII, &QAction::triggered, this, [this] { SaveASCIIExecute(); });
}

void TForm1::Addspektres1Click()
{
    Form5->Button5->setEnabled(true);
    Form5->Button4->setEnabled(false);
    Form5->exec();
}

void TForm1::PrepareCalibrationWindow()
{
    CalibrationSubject subject;
    subject.counts = counts_;
    subject.channelCount = channelCount_;
    // Before the first open no item is chosen; the open would choose the add mode.
    subject.saveAsMode = SaveAsMode() < 0 ? kSave512Add : SaveAsMode();
    subject.foldMask = MaskEdit4->Model().Mask();
    subject.name = counts_.empty() ? QString() : SpectrumName();
    subject.stamps = Latin1Bytes(Label3->text()) + " - " + Latin1Bytes(Label4->text());
    CalibrationForm->SetSubject(std::move(subject));
}

void TForm1::CalibrateFromReference1Click()
{
    PrepareCalibrationWindow();
    CalibrationForm->exec();
}

void TForm1::Subtractspectres1Click()
{
    Form5->Button4->setEnabled(true);
    Form5->Button5->setEnabled(false);
    Form5->exec();
}

void TForm1::AdoptCombinedSpectrum(std::vector<uint32_t> counts, int32_t channelCount)
{
    // The scale is guessed with the margins as they are now; the drawing uses the reset ones.
    const int scale = trv::GuessScale(counts, CurrentPlotSettings());
    PlotSettings settings = CurrentPlotSettings();
    settings.Scale = static_cast<std::uint16_t>(scale);
    settings.IgnoreFromLeft = kMarginAfterOpen;
    settings.IgnoreFromRight = kMarginAfterOpen;
    PlotState trial = Form2->State();
    PreparePlot(trial, counts, settings);
    PlotSurface scratch;
    DrawPlot(trial, settings, SpectrumNameBytes(), scratch, Image1->width(), Image1->height());

    SetSpectrum(std::move(counts), channelCount);
    // Ticking the box fills the grid; a box ticked already leaves the grid as it was.
    CheckBox1->setChecked(true);
    cbSaveAsMode->setCurrentIndex(kSave512Add);
    // Margins before the scale: the redraw a scale change may trigger then shows the final
    // settings, which the trial above has drawn already.
    UpDown3->SetPosition(kMarginAfterOpen);
    UpDown4->SetPosition(kMarginAfterOpen);
    UpDown1->SetPosition(scale);
    RedrawPreview();

    const auto name = platform_.InputBox("Enter new filename", "Enter new filename", QString());
    Label1->setText(name.value_or(QString()));
}

void TForm1::aAboutExecute()
{
    Form3->exec();
}

void TForm1::aLaughExecute()
{
    // A fresh window each time, so it always opens with "X-Ray" on.
    TForm4 laugh(nullptr);
    laugh.exec();
}

void TForm1::SaveASCIIExecute()
{
    Guard("SaveASCIIExecute", [this] {
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
            ASCIISave->RadioGroup2->setEnabled(counts_.size() != 512);
            ASCIISave->RadioGroup1->SetItemIndex(1);
            ASCIISave->RadioGroup2->SetItemIndex(1);
            if (ASCIISave->exec() != TASCIISave::kResultOk) return;
            SaveASCIIFile(target, ASCIISave->RadioGroup1->ItemIndex(),
                          ASCIISave->RadioGroup2->ItemIndex());
        });
    });
}

void TForm1::SaveASCIIFile(const QString& target, int xAxis, int channelMode)
{
    // The whole table is built first, so a header field that is not a number leaves no file.
    const std::string table =
        BuildASCIITable(counts_, channelCount_, channelMode, xAxis, MaskEdit5->Value(),
                        MaskEdit6->Value(), locale_.decimalSeparator);
    WriteFileAtomic(PathBytes(target), table);
}

} // namespace trv
