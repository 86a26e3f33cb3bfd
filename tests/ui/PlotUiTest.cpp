// The main window's preview: what the "Graphic" group's controls draw, the scale guess, the
// folding channel, and saving and reopening the picture as a bitmap.
#include "PlotUiSupport.h"
#include "UiTestSupport.h"

#include "platform/FileIo.h"
#include "plot/Bmp.h"
#include "ui/IntEditField.h"
#include "ui/MaskEditField.h"
#include "ui/TForm2.h"

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>
#include <QToolButton>

#include <cerrno>
#include <cmath>

namespace trv::test {
namespace {

constexpr int kPca2Size1024 = 4608; // a PCA2 file of 1024 channels

// Two dips mirrored about F - 1/2, as a folded spectrum looks with its folding channel F.
uint32_t Doublet(int i, int f)
{
    const auto dip = [](double x) { return 3000.0 * std::exp(-x * x / 50.0); };
    return static_cast<uint32_t>(100000.0 - dip(i - 300.0) - dip(2.0 * f - 1 - 300.0 - i));
}

class PlotUi : public UiTest {
  protected:
    // The window on a screen large enough for the plot's labels.
    TForm1& StartShown()
    {
        TForm1& f = Start();
        f.resize(1300, 1000);
        f.show();
        QApplication::processEvents();
        return f;
    }

    void OpenCounts(const std::function<uint32_t(int)>& count, const QString& name = "ha1001.spm")
    {
        OpenViaDialog(WriteSpm(name, MakePca2(kPca2Size1024, count)));
    }

    void OpenSample()
    {
        const QString path = Work("ha1001-fe-foil.spm");
        ASSERT_TRUE(QFile::copy(TRV_SOURCE_DIR "/samples/ha1001-fe-foil.spm", path));
        OpenViaDialog(path);
    }

    QImage Image() { return Shown(Form().Image1); }
    QImage Reference()
    {
        return ReferencePlot(Form(), Form().Image1->width(), Form().Image1->height());
    }
    const PlotState& State() { return Form().Form2->State(); }
};

TEST_F(PlotUi, OpeningASpectrumShowsItsFoldedPlotWithGuessedScale)
{
    TForm1& f = StartShown();
    OpenSample();
    ASSERT_TRUE(platform_.errors.isEmpty()) << Str(platform_.errors.join("; "));
    EXPECT_EQ(f.Edit6->text(), "512");
    EXPECT_EQ(f.Edit4->text(), "9");
    EXPECT_EQ(f.Edit5->text(), "9");
    PlotSettings atOpen = f.CurrentPlotSettings();
    EXPECT_EQ(f.UpDown1->Position(), trv::GuessScale(f.Counts(), atOpen));
    EXPECT_NE(f.Edit2->text(), "4") << "the sample's dips need more than the default scale";

    const QImage shown = Image();
    EXPECT_EQ(shown.size(), f.Image1->size()) << "the plot fills the image";
    EXPECT_GT(f.Image1->height(), 400) << "large enough for the labels";
    EXPECT_TRUE(SameImage(shown, Reference()));
    EXPECT_GT(CountColour(shown, kPlotYellow), 400);
    EXPECT_GT(CountColour(shown, kPlotRed), 400);
    EXPECT_GT(CountColour(shown, kPlotGreen), 400);
    EXPECT_GT(CountColour(shown, kPlotWhite), f.Image1->width()) << "mean level and fold lines";
    EXPECT_EQ(State().PlotData.size(), 512u) << "folded";
}

TEST_F(PlotUi, ScaleFieldRedrawsOnlyWhilePreviewIsOn)
{
    TForm1& f = StartShown();
    OpenCounts([](int i) { return Doublet(i, 512); });
    const QImage before = Image();

    f.CheckBox5->setChecked(false); // no click: the image keeps its plot
    f.Edit2->setText("700");
    EXPECT_NE(State().Settings.Scale, 700) << "not prepared again";
    EXPECT_TRUE(SameImage(Image(), before));

    f.CheckBox5->setChecked(true);
    f.Edit2->setText("600");
    EXPECT_EQ(State().Settings.Scale, 600);
    EXPECT_TRUE(SameImage(Image(), Reference()));
    EXPECT_FALSE(SameImage(Image(), before));
}

TEST_F(PlotUi, PreviewBoxBlackensTheImageAndRedrawsIt)
{
    TForm1& f = StartShown();
    OpenCounts([](int i) { return Doublet(i, 512); });
    f.CheckBox5->click();
    EXPECT_FALSE(f.CheckBox5->isChecked());
    EXPECT_TRUE(AllBlack(Image()));
    EXPECT_EQ(Image().size(), f.Image1->size());
    f.CheckBox5->click();
    EXPECT_TRUE(SameImage(Image(), Reference()));
}

TEST_F(PlotUi, PreviewButtonGuessesAndRedrawsEvenWithPreviewOff)
{
    TForm1& f = StartShown();
    OpenCounts([](int i) { return Doublet(i, 512); });
    const QString guessed = f.Edit2->text();
    f.CheckBox5->click(); // black
    f.Edit2->setText("900");
    f.Button1->click();
    EXPECT_EQ(f.Edit2->text(), guessed);
    EXPECT_TRUE(SameImage(Image(), Reference()));
    EXPECT_TRUE(platform_.errors.isEmpty());
}

TEST_F(PlotUi, FoldedBoxGuessesAnewAndPlotsEveryChannel)
{
    TForm1& f = StartShown();
    // Odd channels high: folding evens them out, unfolded they span a wider range.
    OpenCounts([](int i) { return 99000u + (i % 2) * 1000u; });
    const int foldedScale = f.UpDown1->Position();
    f.CheckBox2->click();
    EXPECT_EQ(f.UpDown1->Position(), 11) << "min 99000, max 100000";
    EXPECT_NE(f.UpDown1->Position(), foldedScale);
    EXPECT_EQ(State().PlotData.size(), 1024u);
    EXPECT_TRUE(SameImage(Image(), Reference()));
    EXPECT_EQ(CountColour(Image(), kPlotWhite), 0) << "no fold overlay when unfolded";
}

TEST_F(PlotUi, ErrorLineAndMeanBoxesRedrawAtOnce)
{
    TForm1& f = StartShown();
    OpenCounts([](int i) { return Doublet(i, 512); });
    f.CheckBox5->setChecked(false); // they redraw whatever "Preview" says
    f.CheckBox3->click();
    EXPECT_EQ(CountColour(Image(), kPlotRed), 0);
    EXPECT_GT(CountColour(Image(), kPlotGreen), 0);
    f.CheckBox4->click();
    EXPECT_EQ(CountColour(Image(), kPlotGreen), 0);
    EXPECT_TRUE(SameImage(Image(), Reference()));
}

TEST_F(PlotUi, MarginAndMeanWidthFieldsWaitForTheNextDrawing)
{
    TForm1& f = StartShown();
    OpenCounts([](int i) { return Doublet(i, 512); });
    const QImage before = Image();
    f.Edit4->setText("60");
    f.Edit5->setText("70");
    f.Edit7->setText("15");
    EXPECT_TRUE(SameImage(Image(), before));
    f.CheckBox3->click();
    EXPECT_EQ(State().Settings.IgnoreFromLeft, 60);
    EXPECT_EQ(State().Settings.MeanWidth, 15);
    EXPECT_TRUE(SameImage(Image(), Reference()));
}

struct FoldCase {
    int fold;
    const char* margins;
};

class FoldingChannel : public PlotUi, public ::testing::WithParamInterface<FoldCase> {};

TEST_P(FoldingChannel, SetsBothMarginsFromTheDistanceToTheMiddle)
{
    TForm1& f = StartShown();
    OpenCounts([](int i) { return Doublet(i, 512); });
    f.Edit6->setText("600");
    f.Edit6->setText(QString::number(GetParam().fold));
    EXPECT_EQ(f.Edit4->text(), GetParam().margins);
    EXPECT_EQ(f.Edit5->text(), GetParam().margins);
    EXPECT_EQ(State().Settings.FoldChannel, GetParam().fold) << "preview on: redrawn";
    EXPECT_TRUE(SameImage(Image(), Reference()));
    EXPECT_TRUE(platform_.errors.isEmpty()) << Str(platform_.errors.join("; "));
}

INSTANTIATE_TEST_SUITE_P(Cases, FoldingChannel,
                         ::testing::Values(FoldCase{512, "5"}, FoldCase{515, "11"},
                                           FoldCase{509, "11"}, FoldCase{540, "61"},
                                           FoldCase{1023, "100"}));

TEST_F(PlotUi, FoldingArrowRunsTheReactionBeforeAndAfterTheChange)
{
    TForm1& f = StartShown();
    OpenCounts([](int i) { return Doublet(i, 512); });
    f.Edit6->setText("515");
    f.Edit4->setText("50"); // no reaction of its own
    QStringList left;
    QObject::connect(f.Edit4, &QLineEdit::textChanged, [&](const QString& t) { left << t; });
    f.UpDown5->findChild<QToolButton*>("up")->click();
    EXPECT_EQ(f.Edit6->text(), "516");
    EXPECT_EQ(left, (QStringList{"11", "13"})) << "first with 515, then with 516";

    f.Edit6->setText("1023");
    f.UpDown5->findChild<QToolButton*>("up")->click();
    EXPECT_EQ(f.Edit6->text(), "1023") << "kept within 0..1023";
}

TEST_F(PlotUi, FoldingChannelBeforeAnySpectrumIsHarmless)
{
    TForm1& f = StartShown();
    f.Edit6->setText("10"); // the middle of no channels is 0
    EXPECT_EQ(f.Edit4->text(), "25");
    EXPECT_TRUE(platform_.errors.isEmpty());
    EXPECT_EQ(f.Image1->Showing(), PlotImage::Shows::Nothing);
}

struct GuessCase {
    const char* name;
    std::function<uint32_t(int)> count;
    int scale;
};

TEST_F(PlotUi, GuessedScaleFollowsTheLowestValueOfTheWindow)
{
    const GuessCase cases[] = {
        {"min 99000 of 100000", [](int i) { return 99000u + (i % 2) * 1000u; }, 11},
        {"a zero in the window", [](int i) { return i == 500 ? 0u : 5000u; }, 1000},
        {"a zero in the margin", [](int i) { return i == 3 ? 0u : 5000u; }, 1},
        {"all equal", [](int) { return 5000u; }, 1},
    };
    for (const GuessCase& c : cases) {
        TForm1& f = StartShown();
        f.CheckBox2->setChecked(false); // plain channels: the values are the counts
        OpenCounts(c.count);
        EXPECT_EQ(f.UpDown1->Position(), c.scale) << c.name;
        EXPECT_EQ(f.Edit2->text(), QString::number(c.scale)) << c.name;
        platform_.errors.clear();
    }
}

TEST_F(PlotUi, GuessWithoutValuesReportsAndDrawsNothing)
{
    TForm1& f = StartShown();
    f.Button1->click();
    EXPECT_EQ(platform_.errors, QStringList{"Floating point division by zero"});
    EXPECT_EQ(f.Edit2->text(), "4");
    EXPECT_EQ(f.Image1->Showing(), PlotImage::Shows::Nothing);

    platform_.errors.clear();
    OpenCounts([](int) { return 0u; });
    platform_.errors.clear();
    f.Edit2->setText("4");
    f.CheckBox5->setChecked(false);
    f.CheckBox2->click();
    EXPECT_EQ(platform_.errors, QStringList{"Invalid floating point operation"});
    EXPECT_EQ(f.Edit2->text(), "4") << "scale unchanged";
}

TEST_F(PlotUi, ZeroRangeShowsTheBlackBackgroundAndTheMessage)
{
    TForm1& f = StartShown();
    OpenCounts([](int i) { return Doublet(i, 512); });
    platform_.errors.clear();
    f.Edit2->setText("0");
    EXPECT_EQ(platform_.errors, QStringList{"Floating point division by zero"});
    EXPECT_TRUE(AllBlack(Image()));
}

TEST_F(PlotUi, LargerWindowRedrawsTheWholePlotInTheNewFrame)
{
    TForm1& f = StartShown();
    OpenCounts([](int i) { return Doublet(i, 512); });
    const QSize before = f.Image1->size();
    const auto prepared = State().PlotData;
    f.resize(1500, 1150);
    QApplication::processEvents();
    ASSERT_NE(f.Image1->size(), before);
    EXPECT_EQ(Image().size(), f.Image1->size()) << "nothing is cut off";
    EXPECT_TRUE(SameImage(Image(), Reference()));
    EXPECT_EQ(State().PlotData, prepared);

    f.CheckBox5->click(); // black, and black it stays at any size
    f.resize(1300, 1000);
    QApplication::processEvents();
    EXPECT_TRUE(AllBlack(Image()));
    EXPECT_EQ(Image().size(), f.Image1->size());
}

TEST_F(PlotUi, FindFoldingChannelSetsTheBestChannelAndSaysSo)
{
    TForm1& f = StartShown();
    OpenCounts([](int i) { return Doublet(i, 509); });
    platform_.messages.clear();
    f.FindFoldingChannel1->trigger();
    EXPECT_EQ(f.Edit6->text(), "509");
    EXPECT_EQ(f.Edit4->text(), "11") << "the folding channel's reaction ran";
    EXPECT_EQ(State().Settings.FoldChannel, 509) << "and redrew";
    ASSERT_EQ(platform_.messages.size(), 1);
    const QRegularExpression form("^Suggested folding channel: (\\d+\\.\\d\\d)$");
    const auto match = form.match(platform_.messages[0]);
    ASSERT_TRUE(match.hasMatch()) << Str(platform_.messages[0]);
    EXPECT_NEAR(match.captured(1).toDouble(), 509.0, 0.5);
    EXPECT_TRUE(f.Special1->actions().contains(f.FindFoldingChannel1));
    EXPECT_TRUE(f.FindFoldingChannel1->isEnabled());
}

TEST_F(PlotUi, FindFoldingChannelWithoutSpectrumSaysItCannot)
{
    TForm1& f = StartShown();
    platform_.messages.clear();
    f.FindFoldingChannel1->trigger();
    EXPECT_EQ(platform_.messages,
              QStringList{"No folding channel can be suggested for this spectrum"});
    EXPECT_EQ(f.Edit6->text(), "512");
}

// ---------------------------------------------------------------- bitmaps

struct NameCase {
    const char* chosen;
    const char* saved;
};

class BitmapName : public PlotUi, public ::testing::WithParamInterface<NameCase> {};

TEST_P(BitmapName, ChosenNameIsSavedWithTheBmpExtension)
{
    TForm1& f = StartShown();
    OpenSample();
    platform_.QueueSave(Work(GetParam().chosen));
    f.SaveBitmap->trigger();
    ASSERT_EQ(platform_.saveRequests.size(), 1u);
    EXPECT_EQ(platform_.saveRequests[0].proposedName, "HA1001  ") << "the Serial # text";
    EXPECT_EQ(platform_.saveRequests[0].filter, "Bitmaps (*.bmp)|*.bmp");
    const QString saved = Work(GetParam().saved);
    EXPECT_EQ(f.LastBitmap(), saved);
    EXPECT_EQ(ReadBytes(saved), EncodeBmp(f.Image1->Bitmap()));
    EXPECT_TRUE(platform_.errors.isEmpty()) << Str(platform_.errors.join("; "));
}

INSTANTIATE_TEST_SUITE_P(Cases, BitmapName,
                         ::testing::Values(NameCase{"plot.txt", "plot.bmp"},
                                           NameCase{"plot", "plot.bmp"},
                                           NameCase{"plot.bmp", "plot.bmp"},
                                           NameCase{"my.plot.png", "my.plot.bmp"}));

TEST_F(PlotUi, SavedBitmapIsAWindowsBitmapOfTheImage)
{
    TForm1& f = StartShown();
    OpenSample();
    platform_.QueueSave(Work("plot.txt"));
    f.SaveBitmap->trigger();
    const std::string bytes = ReadBytes(Work("plot.bmp"));
    ASSERT_GT(bytes.size(), 54u);
    const auto le32 = [&](std::size_t at) {
        uint32_t v = 0;
        for (int b = 3; b >= 0; --b)
            v = (v << 8) | static_cast<uint8_t>(bytes[at + b]);
        return v;
    };
    EXPECT_EQ(bytes.substr(0, 2), "BM");
    EXPECT_EQ(le32(2), bytes.size());
    EXPECT_EQ(le32(18), static_cast<uint32_t>(f.Image1->width()));
    EXPECT_EQ(le32(22), static_cast<uint32_t>(f.Image1->height()));
    EXPECT_EQ(le32(28) & 0xFFFF, 24u);
    // The main window's dialog records the folder it closed in.
    EXPECT_NE(ReadBytes(SettingsFile()).find("InitialDir"), std::string::npos);

    f.openbitmap->trigger();
    EXPECT_EQ(platform_.shellOpened, QStringList{Work("plot.bmp")});
}

TEST_F(PlotUi, OpenLastBitmapBeforeAnySaveDoesNothing)
{
    TForm1& f = StartShown();
    EXPECT_TRUE(f.openbitmap->isEnabled());
    f.openbitmap->trigger();
    EXPECT_TRUE(platform_.shellOpened.isEmpty());
    EXPECT_TRUE(platform_.errors.isEmpty());
}

TEST_F(PlotUi, CancelledSaveChangesNothing)
{
    TForm1& f = StartShown();
    OpenSample();
    platform_.QueueSave(Work("first.bmp"));
    f.SaveBitmap->trigger();
    platform_.QueueSave(std::nullopt);
    f.SaveBitmap->trigger();
    EXPECT_EQ(f.LastBitmap(), Work("first.bmp"));
}

TEST_F(PlotUi, SaveBeforeAnyDrawingWritesNoFileButRemembersTheName)
{
    TForm1& f = StartShown();
    platform_.QueueSave(Work("empty"));
    f.SaveBitmap->trigger();
    EXPECT_FALSE(QFile::exists(Work("empty.bmp")));
    EXPECT_EQ(f.LastBitmap(), Work("empty.bmp"));
    EXPECT_EQ(platform_.saveRequests.at(0).proposedName, "H       ");
}

int FailingRename(const char*, const char*)
{
    errno = EACCES;
    return -1;
}

TEST_F(PlotUi, FailingSaveReportsCannotCreateFileAndKeepsTheOldOnes)
{
    TForm1& f = StartShown();
    OpenSample();
    platform_.QueueSave(Work("good.bmp"));
    f.SaveBitmap->trigger();

    const QString missing = Work("no-such-folder/plot.bmp");
    platform_.QueueSave(missing);
    f.SaveBitmap->trigger();
    EXPECT_EQ(platform_.errors, QStringList{"Cannot create file " + missing});
    EXPECT_EQ(f.LastBitmap(), Work("good.bmp"));

    platform_.errors.clear();
    WriteBytes(Work("old.bmp"), "old picture");
    // The save after the dialog, with the last step of the atomic write refused.
    const RenameFunction previous = SetRenameFunctionForTesting(&FailingRename);
    f.Guard("SaveBitmapExecute", [&] { f.SaveBitmapFile(Work("old.bmp"), *f.Image1); });
    SetRenameFunctionForTesting(previous);
    EXPECT_EQ(platform_.errors, QStringList{"Cannot create file " + Work("old.bmp")});
    EXPECT_EQ(ReadBytes(Work("old.bmp")), "old picture");
    EXPECT_EQ(f.LastBitmap(), Work("good.bmp"));
}

} // namespace
} // namespace trv::test
