// The main window's preview: what the "Graphic" group's controls redraw, and saving the
// picture as a bitmap. The drawing rules are the plot library's; here each reaction's result
// is checked against a fresh drawing of the settings the controls hold.
#include "PlotUiSupport.h"

#include "support/FaultFolders.h"

#include "plot/Bmp.h"
#include "ui/widgets/IntEditField.h"
#include "ui/windows/PreviewWindow.h"

#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QToolButton>

#include <cerrno>
#include <cmath>

namespace trv::test {
namespace {

class PlotUi : public PlotUiTest {
  protected:
    QImage Image() { return Shown(Form().previewImage()); }
    ::testing::AssertionResult ShowsCurrentSettings()
    {
        return SameImage(Image(), ReferencePlot(Form(), Form().previewImage()->width(),
                                                Form().previewImage()->height()));
    }
    const PlotState& State() { return Form().previewWindow()->State(); }
};

TEST_F(PlotUi, OpeningShowsTheFoldedPlotAndControlsRedrawAsTheirRulesSay)
{
    MainWindow& f = StartShown();
    ASSERT_TRUE(platform_.errors.isEmpty()) << Str(platform_.errors.join("; "));
    EXPECT_EQ(f.scaleSpin()->Position(), trv::GuessScale(f.Counts(), f.CurrentPlotSettings()));
    EXPECT_NE(f.scaleEdit()->text(), "4") << "the dips need more than the default scale";
    EXPECT_EQ(State().PlotData.size(), 512u) << "folded";
    EXPECT_TRUE(ShowsCurrentSettings());

    const QImage before = Image();
    // The scale field redraws only while "Preview" is on; margins and mean width wait.
    f.previewBox()->setChecked(false);
    f.scaleEdit()->setText("700");
    f.plotIgnoreLeftEdit()->setText("60");
    f.meanWidthEdit()->setText("15");
    EXPECT_TRUE(SameImage(Image(), before));
    f.previewBox()->setChecked(true);
    f.scaleEdit()->setText("600");
    EXPECT_TRUE(ShowsCurrentSettings());

    // Error lines and mean redraw whatever "Preview" says.
    f.previewBox()->setChecked(false);
    f.errorLinesBox()->click();
    f.drawMeanBox()->click();
    EXPECT_TRUE(ShowsCurrentSettings());

    // The preview box blackens the image, at any size; clicking it again redraws.
    f.previewBox()->setChecked(true);
    f.previewBox()->click();
    f.resize(1250, 950);
    QApplication::processEvents();
    EXPECT_TRUE(AllBlack(Image()));
    EXPECT_EQ(Image().size(), f.previewImage()->size());
    f.previewBox()->click();
    EXPECT_TRUE(ShowsCurrentSettings());
}

// The reactions that guess the scale or prepare the plot anew redraw with "Preview" off too.
TEST_F(PlotUi, PreviewButtonFoldedBoxAndResizeRedrawWithTheSettingsTheControlsHold)
{
    MainWindow& f = StartShown([](int i) { return i % 2 ? 100000u : 99000u; });
    const QString guessed = f.scaleEdit()->text();
    f.previewBox()->click();
    f.scaleEdit()->setText("900");
    f.previewButton()->click();
    EXPECT_EQ(f.scaleEdit()->text(), guessed);
    EXPECT_TRUE(ShowsCurrentSettings());
    f.foldedBox()->click();
    EXPECT_EQ(f.scaleEdit()->text(), "11") << "min 99000, max 100000 over all channels";
    EXPECT_TRUE(ShowsCurrentSettings());
    const QSize before = f.previewImage()->size();
    f.resize(1500, 1150);
    QApplication::processEvents();
    ASSERT_NE(f.previewImage()->size(), before);
    EXPECT_TRUE(ShowsCurrentSettings());
}

// With the Preview box off, changed scale, margins and mean width wait for the Preview button;
// a resize shows the last drawing in the new frame, not the waiting values.
TEST_F(PlotUi, ResizeRedrawsTheLastDrawingNotControlsChangedSince)
{
    MainWindow& f = StartShown();
    f.previewBox()->click();
    f.previewButton()->click(); // draws whatever the box says
    const PlotSettings drawn = f.CurrentPlotSettings();
    f.scaleEdit()->setText("900");
    f.plotIgnoreLeftEdit()->setText("60");
    f.meanWidthEdit()->setText("15");
    ASSERT_NE(f.CurrentPlotSettings().Scale, drawn.Scale);
    for (const QSize size : {QSize(1500, 1150), QSize(1350, 1000)}) {
        f.resize(size);
        QApplication::processEvents();
        ASSERT_EQ(Image().size(), f.previewImage()->size());
        PlotState state;
        InitPlotState(state);
        PreparePlot(state, f.Counts(), drawn);
        PlotSurface surface;
        DrawPlot(state, drawn, f.SpectrumNameBytes(), surface, f.previewImage()->width(),
                 f.previewImage()->height());
        EXPECT_TRUE(SameImage(Image(), surface.Image().convertToFormat(QImage::Format_RGB32)));
    }
    EXPECT_EQ(f.scaleEdit()->text(), "900") << "the controls keep what was typed";
}

TEST_F(PlotUi, FoldingChannelSetsBothMarginsAndItsArrowsRunTheReactionTwice)
{
    MainWindow& f = StartShown();
    for (const auto& [fold, margins] : {std::pair{509, "11"}, {540, "61"}, {1023, "100"}}) {
        f.plotFoldEdit()->setText(QString::number(fold));
        EXPECT_EQ((QStringList{f.plotIgnoreLeftEdit()->text(), f.plotIgnoreRightEdit()->text()}),
                  QStringList(2, margins));
        EXPECT_EQ(State().Settings.FoldChannel, fold);
    }
    EXPECT_TRUE(ShowsCurrentSettings());
    f.plotFoldEdit()->setText("515");
    QStringList left;
    QObject::connect(f.plotIgnoreLeftEdit(), &QLineEdit::textChanged,
                     [&](const QString& t) { left << t; });
    f.plotIgnoreLeftEdit()->setText("50");
    f.plotFoldSpin()->findChild<QToolButton*>("up")->click();
    EXPECT_EQ(f.plotFoldEdit()->text(), "516");
    EXPECT_EQ(left, (QStringList{"50", "11", "13"}));
}

TEST_F(PlotUi, PlotsThatCannotBeScaledReportAndDrawNothing)
{
    MainWindow& f = StartShown(nullptr);
    f.previewButton()->click();
    EXPECT_EQ(platform_.errors, QStringList{"Floating point division by zero"});
    EXPECT_EQ(f.scaleEdit()->text(), "4");
    EXPECT_EQ(f.previewImage()->Showing(), PlotImage::Shows::Nothing);
    // Saved before any drawing: no file, but the name is remembered.
    platform_.QueueSave(Work("empty"));
    f.saveBitmapAction()->trigger();
    EXPECT_FALSE(QFile::exists(Work("empty.bmp")));
    EXPECT_EQ(f.LastBitmap(), Work("empty.bmp"));
    EXPECT_EQ(platform_.saveRequests.at(0).proposedName, "H       ");

    OpenViaDialog(WriteSpm("ha1001.spm", MakePca2(4608, [](int i) { return Doublet(i); })));
    platform_.errors.clear();
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

TEST_F(PlotUi, FindFoldingChannelOffersTheRoundedSuggestionAndOnlyYesAppliesIt)
{
    MainWindow& f = StartShown(nullptr);
    f.findFoldingChannelAction()->trigger();
    EXPECT_EQ(platform_.messages,
              QStringList{"No folding channel can be suggested for this spectrum"});
    EXPECT_TRUE(platform_.questions.isEmpty()) << "nothing to apply";
    platform_.messages.clear();
    // A flat spectrum agrees with itself everywhere: nothing is offered.
    OpenViaDialog(WriteSpm("flat.spm", MakePca2(4608, [](int) { return 40000u; })));
    f.findFoldingChannelAction()->trigger();
    EXPECT_EQ(platform_.messages,
              QStringList{"No clear folding channel found: the two halves of "
                          "the spectrum agree about as well at every position"});
    EXPECT_TRUE(platform_.questions.isEmpty()) << "nothing to apply";
    platform_.messages.clear();

    // Dips mirrored about `centre` - 1/2; the suggestion lands near `centre`, and the question
    // offers it rounded to the nearest channel.
    struct Case {
        double centre;
        int offered;
        const char* margins; // 2 x |512 - offered| + 5
    };
    for (const Case& c : {Case{505.0, 505, "19"}, Case{505.3, 505, "19"}, Case{505.7, 506, "17"}}) {
        SCOPED_TRACE(c.centre);
        OpenViaDialog(WriteSpm("ha1001.spm", MakePca2(4608, [&](int i) {
                                   const auto dip = [](double x) {
                                       return 3000.0 * std::exp(-x * x / 50.0);
                                   };
                                   return static_cast<uint32_t>(100000.0 - dip(i - 300.0) -
                                                                dip(2.0 * c.centre - 1 - 300 - i));
                               })));
        ASSERT_EQ(f.plotFoldEdit()->text(), "512");
        const QImage before = Image();

        // No leaves the control, its margins and the picture alone.
        platform_.QueueQuestion(false);
        f.findFoldingChannelAction()->trigger();
        ASSERT_EQ(platform_.questions.size(), 1);
        const auto match = QRegularExpression("^Suggested folding channel: (\\d+\\.\\d\\d)\n"
                                              "Set the folding channel to (\\d+)\\?$")
                               .match(platform_.questions[0]);
        ASSERT_TRUE(match.hasMatch()) << Str(platform_.questions[0]);
        EXPECT_NEAR(match.captured(1).toDouble(), c.centre, 0.25);
        EXPECT_EQ(match.captured(2).toInt(), c.offered);
        EXPECT_EQ((QStringList{f.plotFoldEdit()->text(), f.plotIgnoreLeftEdit()->text(),
                               f.plotIgnoreRightEdit()->text()}),
                  (QStringList{"512", "9", "9"}));
        EXPECT_EQ(State().Settings.FoldChannel, 512);
        EXPECT_TRUE(SameImage(Image(), before));

        // Yes types the channel in: its reaction sets both margins and redraws.
        platform_.QueueQuestion(true);
        f.findFoldingChannelAction()->trigger();
        EXPECT_EQ(platform_.questions.size(), 2);
        EXPECT_EQ((QStringList{f.plotFoldEdit()->text(), f.plotIgnoreLeftEdit()->text(),
                               f.plotIgnoreRightEdit()->text()}),
                  (QStringList{QString::number(c.offered), c.margins, c.margins}));
        EXPECT_EQ(State().Settings.FoldChannel, c.offered);
        EXPECT_TRUE(ShowsCurrentSettings());
        EXPECT_TRUE(platform_.messages.isEmpty()) << "one box asks, no second one tells";
        EXPECT_TRUE(platform_.errors.isEmpty()) << Str(platform_.errors.join("; "));
        platform_.questions.clear();
    }
}

// ---------------------------------------------------------------- bitmaps

TEST_F(PlotUi, SavedBitmapTakesTheBmpExtensionAndIsOpenedAsTheLastOne)
{
    MainWindow& f = StartShown();
    f.openBitmapAction()->trigger(); // before any save: nothing
    EXPECT_TRUE(platform_.shellOpened.isEmpty());
    for (const auto& [chosen, saved] : {std::pair{"plot.txt", "plot.bmp"},
                                        {"plot", "plot.bmp"},
                                        {"my.plot.png", "my.plot.bmp"}}) {
        platform_.QueueSave(Work(chosen));
        f.saveBitmapAction()->trigger();
        EXPECT_EQ(platform_.saveRequests.back().proposedName, "HA1001  ") << "the Serial # text";
        EXPECT_EQ(platform_.saveRequests.back().filter, "Bitmaps (*.bmp)|*.bmp");
        EXPECT_EQ(f.LastBitmap(), Work(saved));
        EXPECT_EQ(ReadBytes(Work(saved)), EncodeBmp(f.previewImage()->Bitmap()));
    }
    EXPECT_FALSE(QFile::exists(Work("plot.txt")));
    platform_.QueueSave(std::nullopt);
    f.saveBitmapAction()->trigger();
    f.openBitmapAction()->trigger();
    EXPECT_EQ(platform_.shellOpened, QStringList{Work("my.plot.bmp")});
    EXPECT_TRUE(platform_.errors.isEmpty()) << Str(platform_.errors.join("; "));
}

TEST_F(PlotUi, FailingSaveReportsCannotCreateFileAndKeepsTheOldOnes)
{
    MainWindow& f = StartShown();
    platform_.QueueSave(Work("good.bmp"));
    f.saveBitmapAction()->trigger();
    WriteBytes(Work("old.bmp"), "old picture");
    const QString missing = Work("no-such-folder/plot.bmp");
    platform_.QueueSave(missing);
    f.saveBitmapAction()->trigger();
    {
        // The last step of the atomic write refused; the folder is not stored after a failure.
        faults::FailingRename refused(EACCES);
        platform_.QueueSave(Work("old.bmp"));
        f.saveBitmapAction()->trigger();
    }
    EXPECT_EQ(platform_.errors, (QStringList{"Cannot create file " + missing,
                                             "Cannot create file " + Work("old.bmp")}));
    EXPECT_EQ(ReadBytes(Work("old.bmp")), "old picture");
    EXPECT_EQ(f.LastBitmap(), Work("good.bmp"));
}

} // namespace
} // namespace trv::test
