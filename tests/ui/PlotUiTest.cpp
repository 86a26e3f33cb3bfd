// The main window's preview and the preview window: what the "Graphic" group's controls redraw,
// the folding channel, saving the picture as a bitmap, View and printing. The drawing rules are
// the plot library's; here each picture is compared with a fresh drawing of the settings.
#include "UiTestSupport.h"

#include "support/FaultFolders.h"

#include "plot/Bmp.h"
#include "plot/Plot.h"
#include "plot/PlotSurface.h"
#include "ui/widgets/IntEditField.h"
#include "ui/widgets/PlotImage.h"
#include "ui/windows/PreviewWindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QPushButton>
#include <QTimer>

#include <cerrno>
#include <cmath>

namespace trv::test {
namespace {

// Two dips mirrored about F - 1/2, as a folded spectrum looks with its folding channel F.
std::string Doublet(double f = 512)
{
    return MakePca2(4608, [=](int i) {
        const auto dip = [](double x) { return 3000.0 * std::exp(-x * x / 50.0); };
        return static_cast<uint32_t>(100000.0 - dip(i - 300.0) - dip(2.0 * f - 1 - 300.0 - i));
    });
}

// What the user sees in an image control: the control painted as on the screen.
QImage Shown(PlotImage* image)
{
    return image->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

bool AllBlack(const QImage& image)
{
    QImage black(image.size(), QImage::Format_RGB32);
    black.fill(kPlotBlack);
    return !image.isNull() && image == black;
}

class PlotUi : public UiTest {
  protected:
    // The window on a screen large enough for the plot's labels, with `spm` open unless empty.
    MainWindow& StartShown(const std::string& spm = Doublet())
    {
        MainWindow& f = Start();
        f.resize(1300, 1000);
        f.show();
        QApplication::processEvents();
        if (!spm.empty()) OpenViaDialog(WriteSpm("ha1001.spm", spm));
        platform_.messages.clear();
        return f;
    }

    // Whether `image` shows the spectrum drawn afresh with `drawn` (by default the settings the
    // controls show now).
    bool Draws(PlotImage* image, std::optional<PlotSettings> drawn = {})
    {
        const PlotSettings settings = drawn.value_or(Form().CurrentPlotSettings());
        PlotState state;
        InitPlotState(state);
        PreparePlot(state, Form().Counts(), settings);
        PlotSurface surface;
        DrawPlot(state, settings, Form().SpectrumNameBytes(), surface, image->width(),
                 image->height());
        return Shown(image) == surface.Image().convertToFormat(QImage::Format_RGB32);
    }
    bool ShowsCurrentSettings() { return Draws(Form().previewImage()); }
    QImage Image() { return Shown(Form().previewImage()); }
    QStringList FoldAndMargins()
    {
        return {Form().plotFoldEdit()->text(), Form().plotIgnoreLeftEdit()->text(),
                Form().plotIgnoreRightEdit()->text()};
    }

    // Clicks "View" and runs `inside` while the preview window is shown; it is closed after.
    void WhileViewing(const std::function<void(PreviewWindow&)>& inside)
    {
        PreviewWindow& w = *Form().previewWindow();
        bool ran = false;
        QTimer::singleShot(0, &w, [&] {
            ran = true;
            inside(w);
            if (w.isVisible()) w.closeButton()->click();
        });
        Form().viewButton()->click();
        EXPECT_TRUE(ran) << "the window was not shown";
    }
};

TEST_F(PlotUi, ControlsRedrawAsTheirRulesSayAndTheBitmapIsThePictureShown)
{
    MainWindow& f = StartShown();
    EXPECT_TRUE(ShowsCurrentSettings()) << "folded, the scale guessed";

    // With "Preview" off, scale, margins and mean width wait; a resize shows the last drawing
    // in the new frame, not the waiting values.
    const PlotSettings drawn = f.CurrentPlotSettings();
    f.previewBox()->setChecked(false);
    f.scaleEdit()->setText("700");
    f.plotIgnoreLeftEdit()->setText("60");
    f.meanWidthEdit()->setText("15");
    f.resize(1500, 1150);
    QApplication::processEvents();
    EXPECT_TRUE(Draws(f.previewImage(), drawn));
    // With it on, the scale field redraws.
    f.previewBox()->setChecked(true);
    f.scaleEdit()->setText("600");
    EXPECT_TRUE(ShowsCurrentSettings());

    // Error lines, mean, the Preview button (guessing the scale again) and the Folded box
    // redraw whatever "Preview" says.
    f.previewBox()->setChecked(false);
    f.errorLinesBox()->click();
    f.drawMeanBox()->click();
    f.foldedBox()->click();
    EXPECT_TRUE(ShowsCurrentSettings());
    f.scaleEdit()->setText("900");
    f.previewButton()->click();
    EXPECT_EQ(f.scaleSpin()->Position(), GuessScale(f.Counts(), f.CurrentPlotSettings()));
    EXPECT_TRUE(ShowsCurrentSettings());

    // Clicking the preview box off blackens the image; clicking it on redraws.
    f.previewBox()->setChecked(true);
    f.previewBox()->click();
    EXPECT_TRUE(AllBlack(Image()));
    f.previewBox()->click();
    EXPECT_TRUE(ShowsCurrentSettings());

    // The bitmap saved is the picture shown, under the name chosen with ".bmp".
    platform_.QueueSave(Work("my.plot.png"));
    f.saveBitmapAction()->trigger();
    EXPECT_EQ(platform_.saveRequests.back().proposedName, "HA1001  ") << "the Serial # text";
    EXPECT_EQ(platform_.saveRequests.back().filter, "Bitmaps (*.bmp)|*.bmp");
    EXPECT_EQ(ReadBytes(Work("my.plot.bmp")), EncodeBmp(f.previewImage()->Bitmap()));
    platform_.QueueSave(std::nullopt);
    f.saveBitmapAction()->trigger();
    f.openBitmapAction()->trigger();
    EXPECT_EQ(platform_.shellOpened, QStringList{Work("my.plot.bmp")});

    WriteBytes(Work("old.bmp"), "old picture");
    const QString missing = Work("no-such-folder/plot.bmp");
    platform_.QueueSave(missing);
    f.saveBitmapAction()->trigger();
    {
        // The last step of the atomic write refused.
        faults::FailingRename refused(EACCES);
        platform_.QueueSave(Work("old.bmp"));
        f.saveBitmapAction()->trigger();
    }
    EXPECT_EQ(platform_.errors, (QStringList{"Cannot create file " + missing,
                                             "Cannot create file " + Work("old.bmp")}));
    EXPECT_EQ(ReadBytes(Work("old.bmp")), "old picture");
    EXPECT_EQ(f.LastBitmap(), Work("my.plot.bmp"));

    // "View" shows the same plot maximised and modal; its own entries save its picture and
    // open the last bitmap; printing hides the buttons and reports a missing printer.
    PreviewWindow& w = *f.previewWindow();
    f.plotIgnoreLeftEdit()->setText("30"); // read at the drawing, though the image waits
    WhileViewing([&](PreviewWindow&) {
        EXPECT_EQ(QApplication::activeModalWidget(), &w);
        EXPECT_TRUE(w.windowState() & Qt::WindowMaximized);
        EXPECT_TRUE(Draws(w.image()));
        platform_.QueueSave(Work("full.txt"));
        w.saveBitmapAction()->trigger();
        w.openLastBitmapAction()->trigger();
    });
    EXPECT_EQ(w.result(), PreviewWindow::kResultCancel);
    EXPECT_EQ(ReadBytes(Work("full.bmp")), EncodeBmp(w.image()->Bitmap()));
    EXPECT_EQ(platform_.shellOpened.last(), Work("full.bmp"));

    platform_.hasPrinter = false;
    bool panelHidden = false;
    platform_.onPrint = [&](QWidget* printed) {
        EXPECT_EQ(printed, &w);
        panelHidden = w.buttonPanel()->isHidden();
    };
    WhileViewing([&](PreviewWindow&) {
        w.printButton()->click();
        EXPECT_TRUE(w.closeButton()->isVisible()) << "the buttons come back";
    });
    EXPECT_TRUE(panelHidden);
    EXPECT_EQ(platform_.errors.last(), "There is no default printer currently selected");
}

// Without a spectrum, with a flat or an all-zero one, the plot cannot be scaled and no folding
// channel can be suggested. A suggestion asks before it is applied.
TEST_F(PlotUi, FoldingChannelSuggestionsAndPlotsThatCannotBeScaled)
{
    MainWindow& f = StartShown({});
    f.previewButton()->click();
    f.findFoldingChannelAction()->trigger();
    EXPECT_EQ(platform_.errors, QStringList{"Floating point division by zero"});
    EXPECT_EQ(f.previewImage()->Showing(), PlotImage::Shows::Nothing);
    // A flat spectrum agrees with itself everywhere: nothing is offered either.
    OpenViaDialog(WriteSpm("flat.spm", MakePca2(4608, [](int) { return 40000u; })));
    f.findFoldingChannelAction()->trigger();
    EXPECT_EQ(platform_.messages,
              (QStringList{"No folding channel can be suggested for this spectrum",
                           "No clear folding channel found: the two halves of "
                           "the spectrum agree about as well at every position"}));
    EXPECT_TRUE(platform_.questions.isEmpty()) << "nothing to apply";

    // Dips mirrored about 505.2 (channel 505.7 - 1/2): the suggestion is offered rounded to
    // the nearest channel. Yes types it in, and the folding channel's reaction sets both
    // margins to 2 x |512 - offered| + 5, up to 100.
    OpenViaDialog(WriteSpm("ha1001.spm", Doublet(505.7)));
    const QImage before = Image();
    platform_.messages.clear();
    platform_.errors.clear();
    platform_.QueueQuestion(false);
    f.findFoldingChannelAction()->trigger();
    EXPECT_EQ(platform_.questions,
              QStringList{"Suggested folding channel: 505.70\nSet the folding channel to 506?"});
    // No leaves the control, its margins and the picture alone.
    EXPECT_EQ(FoldAndMargins(), (QStringList{"512", "9", "9"}));
    EXPECT_EQ(Image(), before);
    platform_.QueueQuestion(true);
    f.findFoldingChannelAction()->trigger();
    EXPECT_EQ(FoldAndMargins(), (QStringList{"506", "17", "17"}));
    EXPECT_TRUE(ShowsCurrentSettings());
    EXPECT_TRUE(platform_.messages.isEmpty()) << "one box asks, no second one tells";
    f.plotFoldEdit()->setText("1023");
    EXPECT_EQ(FoldAndMargins(), (QStringList{"1023", "100", "100"})) << "the margins' limit";

    f.scaleEdit()->setText("0");
    EXPECT_EQ(platform_.errors, QStringList{"Floating point division by zero"});
    EXPECT_TRUE(AllBlack(Image()));

    OpenViaDialog(WriteSpm("zero.spm", MakePca2(4608, [](int) { return 0u; })));
    f.previewBox()->setChecked(false);
    f.scaleEdit()->setText("4");
    platform_.errors.clear();
    f.foldedBox()->click();
    EXPECT_EQ(platform_.errors, QStringList{"Invalid floating point operation"});
    EXPECT_EQ(f.scaleEdit()->text(), "4") << "scale unchanged";
}

} // namespace
} // namespace trv::test
