#include "ModalScript.h"
#include "UiTestSupport.h"

#include "platform/AppError.h"
#include "ui/IntEditField.h"
#include "ui/MaskEditField.h"
#include "ui/TForm5.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

namespace trv::test {
namespace {

using Rows = std::vector<std::pair<QString, QString>>;

class AddSubtract : public UiTest {
  protected:
    // Starts the program past its first-run message.
    TForm1& StartQuiet()
    {
        TForm1& f = Start();
        platform_.messages.clear();
        return f;
    }
    TForm5& Window() { return *Form().Form5; }
    // Picks a file for a slot through its "Browse" button and the scripted dialog.
    void Pick(int slot, const QString& path)
    {
        platform_.QueueOpen(path);
        (slot == 0 ? Window().Button1 : Window().Button2)->click();
    }
    std::vector<uint32_t> Counts() const { return form_->Counts(); }
};

// A 512-channel PCA2 spectrum of base + i % 3 (flat spectra can't be plotted).
uint32_t Ramp(uint32_t base, int i)
{
    return base + static_cast<uint32_t>(i % 3);
}
std::string Pca2Ramp(uint32_t base)
{
    return MakePca2(2500, [=](int i) { return Ramp(base, i); });
}
std::vector<uint32_t> RampCounts(uint32_t base, uint32_t step = 1)
{
    std::vector<uint32_t> out(512);
    for (int i = 0; i < 512; ++i)
        out[static_cast<std::size_t>(i)] = base + step * static_cast<uint32_t>(i % 3);
    return out;
}

TEST_F(AddSubtract, SlotListsShowTheFileAndItsStampsInOrder)
{
    const std::string good2Time = "12:34:56   ";
    const std::string good2Date = "Jan  5  2001";
    std::string secondBad = MakePca2(2500, [](int i) { return uint32_t(i); });
    secondBad.replace(401, 12, "Xyz  5  2001"); // the second stamp's month is no month
    std::string pca3_1024 = MakePca3(
        1024, [](int) { return 1u; }, "03-05-2002", "14:15:16");

    struct Case {
        const char* name;
        std::string bytes;
        Rows rows;
    };
    const Case cases[] = {
        {"both.spm",
         MakePca2(2500, [](int) { return 1u; }),
         {{"Channels", "512"},
          {"Filename", "both.spm"},
          {"Size", "2500 bytes"},
          {"Channels", "512"},
          {"Mode", "PCA2"},
          {"Date", "05/01/2001 12:34:56"},
          {"Date", "05/01/2001 12:34:56"},
          {"Header length", "452"}}},
        {"firstbad.spm",
         MakePca2(
             2500, [](int) { return 1u; }, good2Time, "Xyz  5  2001"),
         {{"Channels", "512"},
          {"Filename", "firstbad.spm"},
          {"Size", "2500 bytes"},
          {"Channels", "512"},
          {"Mode", "PCA2"},
          {"Date", "12:34:56    Xyz  5  2001"},
          {"Date", "12:34:56    Xyz  5  2001"},
          {"Header length", "452"}}},
        {"secondbad.spm",
         secondBad,
         {{"Channels", "512"},
          {"Filename", "secondbad.spm"},
          {"Size", "2500 bytes"},
          {"Channels", "512"},
          {"Mode", "PCA2"},
          {"Date", "05/01/2001 12:34:56"},
          {"Date", "12:34:56    Jan  5  2001"},
          {"Date", "12:34:56    Xyz  5  2001"},
          {"Header length", "452"}}},
        {"pca3.spm",
         pca3_1024,
         {{"Channels", "1024"},
          {"Filename", "pca3.spm"},
          {"Size", "4546 bytes"},
          {"Channels", "1024"},
          {"Mode", "PCA3"},
          {"Date", "03-05-2002"},
          {"Date", "14:15:16"},
          {"Header length", "450"}}},
    };
    StartQuiet();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = WriteSpm(c.name, c.bytes);
        Pick(1, path);
        EXPECT_EQ(Window().Edit2->text(), path);
        EXPECT_EQ(Window().SlotRows(1), c.rows);
        EXPECT_EQ(Window().Slot(1).channelCount, c.rows[0].second.toInt());
        EXPECT_EQ(Window().Slot(1).size, static_cast<int32_t>(c.bytes.size()));
        EXPECT_EQ(Window().Slot(1).counts.size(),
                  static_cast<std::size_t>(c.rows[0].second.toInt()));
    }
    EXPECT_EQ(Window().ListView2->columnCount(), 2);
    EXPECT_TRUE(Window().SlotRows(0).empty()) << "the other slot stays as it was";
}

TEST_F(AddSubtract, BrowseUsesItsOwnDialogAndCancelChangesNothing)
{
    StartQuiet();
    QFile::remove(SettingsFile());
    const QString path = WriteSpm("a.spm", Pca2Ramp(400));
    const int repaintsBefore = platform_.processEventsCalls;
    Pick(0, path);
    ASSERT_EQ(platform_.openRequests.size(), 1u);
    EXPECT_EQ(platform_.openRequests[0].filter, "SPM-files (*.spm)|*.spm");
    EXPECT_GT(platform_.processEventsCalls, repaintsBefore) << "the window repaints before reading";
    // Not one of the main window's dialogs: the last folder is not written by it.
    EXPECT_FALSE(QFile::exists(SettingsFile()));

    platform_.QueueOpen(std::nullopt);
    Window().Button1->click();
    EXPECT_EQ(Window().Edit1->text(), path);
    EXPECT_EQ(Window().SlotRows(0).size(), 8u);
    EXPECT_EQ(Window().Slot(0).counts, RampCounts(400));
    EXPECT_TRUE(platform_.errors.isEmpty());
}

TEST_F(AddSubtract, FailingBrowseEmptiesTheListButKeepsTheEarlierCounts)
{
    StartQuiet();
    Pick(0, WriteSpm("a.spm", Pca2Ramp(400)));
    Pick(1, WriteSpm("b.spm", Pca2Ramp(100)));
    const QString missing = Work("gone.spm");
    Pick(0, missing);
    EXPECT_EQ(platform_.errors, QStringList{"File not found"});
    EXPECT_EQ(Window().Edit1->text(), missing);
    EXPECT_TRUE(Window().SlotRows(0).empty());
    EXPECT_EQ(Window().Slot(0).channelCount, 512);
    EXPECT_EQ(Window().Slot(0).size, 2500);

    // The earlier file's counts are what the combine still uses.
    platform_.QueueInput(QString("sum"));
    Window().Button5->click();
    EXPECT_EQ(Counts(), RampCounts(500, 2));
}

TEST_F(AddSubtract, CombineWrapsModulo2To32AndReplacesTheSpectrum)
{
    StartQuiet();
    // The main window shows a 1024-channel file first.
    OpenViaDialog(WriteSpm("main.spm", MakePca3(
                                           1024, [](int i) { return Ramp(5000, i); }, "s1", "s2")));
    const QStringList infoBefore = {Form().Label2->text(), Form().Label3->text(),
                                    Form().Label4->text(), Form().Label5->text(),
                                    Form().Label6->text()};
    const std::string imageBefore = Form().SpmImage();
    const QString foldBefore = Form().MaskEdit4->text();
    const QString serialBefore = Form().MaskEdit1->text();

    // Channel 100 goes below 0 in the difference, channel 200 past 2^32 - 1 in the sum.
    Pick(0, WriteSpm("a.spm", MakePca2(2500, [](int i) {
                         return i == 100 ? 5u : i == 200 ? 4294967295u : Ramp(1000, i);
                     })));
    Pick(1, WriteSpm("b.spm", MakePca2(2500, [](int i) {
                         return i == 100 ? 7u : i == 200 ? 2u : 500u;
                     })));

    struct Case {
        QPushButton* button;
        QString name;
        uint32_t at0, at100, at200, at511;
    };
    const Case cases[] = {
        {Window().Button4, "difference", 500u, 4294967294u, 4294967293u, 501u},
        {Window().Button5, "sum", 1500u, 12u, 1u, 1501u},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name.toStdString());
        Form().cbSaveAsMode->setCurrentIndex(0);
        Form().UpDown3->SetPosition(20);
        Form().UpDown4->SetPosition(30);
        c.button->setEnabled(true);
        platform_.QueueInput(c.name);
        c.button->click();
        EXPECT_TRUE(platform_.errors.isEmpty()) << Str(platform_.errors.join('|'));
        ASSERT_EQ(Form().ChannelCount(), 512);
        ASSERT_EQ(Counts().size(), 512u);
        EXPECT_EQ(Counts()[0], c.at0);
        EXPECT_EQ(Counts()[100], c.at100);
        EXPECT_EQ(Counts()[200], c.at200);
        EXPECT_EQ(Counts()[511], c.at511);
        EXPECT_EQ(Form().Label1->text(), c.name) << "no extension is added";
        EXPECT_EQ(Form().cbSaveAsMode->currentIndex(), 1);
        EXPECT_EQ(Form().Edit4->text(), "9");
        EXPECT_EQ(Form().Edit5->text(), "9");
        EXPECT_EQ(Form().UpDown3->Position(), 9);
        EXPECT_EQ(Form().UpDown4->Position(), 9);
    }
    ASSERT_EQ(platform_.inputPrompts, (QStringList{"Enter new filename", "Enter new filename"}));
    EXPECT_TRUE(platform_.errors.isEmpty()) << Str(platform_.errors.join('|'));
    EXPECT_TRUE(platform_.messages.isEmpty());
    // What the combine leaves alone.
    EXPECT_EQ((QStringList{Form().Label2->text(), Form().Label3->text(), Form().Label4->text(),
                           Form().Label5->text(), Form().Label6->text()}),
              infoBefore);
    EXPECT_EQ(Form().SpmImage(), imageBefore);
    EXPECT_EQ(Form().MaskEdit4->text(), foldBefore);
    EXPECT_EQ(Form().MaskEdit1->text(), serialBefore);
    EXPECT_TRUE(Window().isHidden()) << "the combine itself never shows or closes the window";
}

TEST_F(AddSubtract, ScaleIsGuessedWhateverTheBoxSays)
{
    StartQuiet();
    Form().CheckBox6->setChecked(false);
    Form().CheckBox2->setChecked(false); // not folded: the whole spectrum counts
    Pick(0, WriteSpm("a.spm", MakePca2(2500, [](int i) { return i < 256 ? 100u : 300u; })));
    Pick(1, WriteSpm("b.spm", MakePca2(2500, [](int) { return 100u; })));
    Form().UpDown1->SetPosition(123);
    platform_.QueueInput(QString("x"));
    Window().CombineSpectra(CombineOp::Add);
    // Inside the margins the sum runs from 200 to 400: a scale of 1000 - 500 + 1 promille.
    EXPECT_EQ(Form().UpDown1->Position(), 501);
}

TEST_F(AddSubtract, DifferentChannelCountsOnlyShowTheMessage)
{
    StartQuiet();
    OpenViaDialog(WriteSpm("main.spm", Pca2Ramp(900)));
    const std::vector<uint32_t> before = Counts();
    const QString name = Form().Label1->text();

    // One slot empty, then 512 against 1024.
    Pick(0, WriteSpm("a.spm", Pca2Ramp(100)));
    Window().Button5->click();
    Pick(1, WriteSpm("b.spm", MakePca3(
                                  1024, [](int) { return 1u; }, "", "")));
    Window().Button4->click();

    EXPECT_EQ(platform_.messages, (QStringList{"Not the same number of channels!",
                                               "Not the same number of channels!"}));
    EXPECT_TRUE(platform_.errors.isEmpty()) << Str(platform_.errors.join('|'));
    EXPECT_TRUE(platform_.inputPrompts.isEmpty());
    EXPECT_EQ(Counts(), before);
    EXPECT_EQ(Form().ChannelCount(), 512);
    EXPECT_EQ(Form().Label1->text(), name);
}

TEST_F(AddSubtract, GridIsRefilledOnlyWhenShowDataWasOff)
{
    struct Case {
        bool tickedBefore;
        QString expectedRow1;
        QString expectedRow512;
    };
    // The sum is 300, 302, 304, 300, ...; the file opened first 900, 901, 902, 900, ...
    for (const Case& c : {Case{false, "300", "302"}, Case{true, "900", "901"}}) {
        SCOPED_TRACE(c.tickedBefore);
        StartQuiet();
        Form().CheckBox1->setChecked(true);
        OpenViaDialog(WriteSpm("main.spm", Pca2Ramp(900)));
        Form().CheckBox1->setChecked(c.tickedBefore);
        Pick(0, WriteSpm("a.spm", Pca2Ramp(100)));
        Pick(1, WriteSpm("b.spm", Pca2Ramp(200)));
        platform_.QueueInput(QString("sum"));
        Window().CombineSpectra(CombineOp::Add);
        EXPECT_TRUE(Form().CheckBox1->isChecked());
        EXPECT_EQ(Form().GridCell(1, 1), c.expectedRow1);
        EXPECT_EQ(Form().GridCell(1, 512), c.expectedRow512);
        EXPECT_EQ(Counts(), RampCounts(300, 2));
    }
}

TEST_F(AddSubtract, CancellingTheNamePromptLeavesLabel1Empty)
{
    StartQuiet();
    OpenViaDialog(WriteSpm("main.spm", Pca2Ramp(900)));
    Pick(0, WriteSpm("a.spm", Pca2Ramp(100)));
    Pick(1, WriteSpm("b.spm", Pca2Ramp(200)));
    platform_.QueueInput(std::nullopt);
    Window().Button5->click();
    EXPECT_EQ(Form().Label1->text(), "");
    EXPECT_EQ(Counts(), RampCounts(300, 2));
}

TEST_F(AddSubtract, AllZeroResultStopsAtTheScaleGuess)
{
    StartQuiet();
    OpenViaDialog(WriteSpm("main.spm", Pca2Ramp(900)));
    const QString path = WriteSpm("a.spm", Pca2Ramp(7700));
    Pick(0, path);
    Pick(1, path);
    Form().UpDown3->SetPosition(20);
    Window().Button4->click();
    EXPECT_EQ(Counts(), std::vector<uint32_t>(512, 0));
    ASSERT_EQ(platform_.errors.size(), 1) << Str(platform_.errors.join('|'));
    EXPECT_TRUE(platform_.errors[0] == kInvalidFloatOpText ||
                platform_.errors[0] == kDivisionByZeroText)
        << Str(platform_.errors[0]);
    // The steps after the guess did not run.
    EXPECT_EQ(Form().UpDown3->Position(), 20);
    EXPECT_TRUE(platform_.inputPrompts.isEmpty());
    EXPECT_EQ(Form().Label1->text(), "main.spm");
}

TEST_F(AddSubtract, MenuEntriesEnableTheMatchingButtonAndShowTheWindowModally)
{
    StartQuiet();
    ShowActive();
    const QString path = WriteSpm("a.spm", Pca2Ramp(100));
    struct Case {
        QAction* entry;
        bool addEnabled;
    };
    for (const Case& c : {Case{Form().Addspektres1, true}, Case{Form().Subtractspectres1, false},
                          Case{Form().Addspektres1, true}}) {
        SCOPED_TRACE(Str(c.entry->text()));
        EXPECT_TRUE(c.entry->isEnabled());
        bool add = false, subtract = false, modal = false;
        OnModal<TForm5> user([&](TForm5& w) {
            add = w.Button5->isEnabled();
            subtract = w.Button4->isEnabled();
            modal =
                w.isModal() && w.isVisible() && w.Button5->isVisible() && w.Button4->isVisible();
            if (w.Edit1->text().isEmpty()) {
                platform_.QueueOpen(path);
                w.Button1->click();
            }
            w.Button3->click();
        });
        c.entry->trigger();
        ASSERT_TRUE(user.Ran());
        EXPECT_EQ(add, c.addEnabled);
        EXPECT_EQ(subtract, !c.addEnabled);
        EXPECT_TRUE(modal);
        EXPECT_TRUE(Window().isHidden());
        EXPECT_EQ(Window().result(), TForm5::kResultCancel);
        // The slot picked the first time is kept between showings.
        EXPECT_EQ(Window().Edit1->text(), path);
        EXPECT_EQ(Window().Slot(0).channelCount, 512);
    }

    // Escape closes it like "&Close".
    OnModal<TForm5> escape([](TForm5& w) { QTest::keyClick(&w, Qt::Key_Escape); });
    Form().Addspektres1->trigger();
    ASSERT_TRUE(escape.Ran());
    EXPECT_EQ(Window().result(), TForm5::kResultCancel);
}

TEST_F(AddSubtract, WindowLayout)
{
    StartQuiet();
    TForm5& w = Window();
    EXPECT_TRUE(w.windowTitle().trimmed().isEmpty());
    EXPECT_EQ(w.GroupBox1->title(), "File #1");
    EXPECT_EQ(w.GroupBox2->title(), "File #2");
    EXPECT_EQ(w.Button1->text(), "Browse");
    EXPECT_EQ(w.Button2->text(), "Browse");
    EXPECT_EQ(w.Button5->text(), "&Add");
    EXPECT_EQ(w.Button4->text(), "&Subtract");
    EXPECT_EQ(w.Button3->text(), "&Close");
    EXPECT_TRUE(w.Edit1->isReadOnly());
    EXPECT_TRUE(w.Edit2->isReadOnly());
    EXPECT_EQ(w.ListView1->columnWidth(0), 200);
    EXPECT_EQ(w.ListView1->columnWidth(1), 200);
    EXPECT_GE(w.GroupBox1->height(), 185);
    EXPECT_GE(w.ListView1->height(), 129);
    EXPECT_EQ(w.Panel1->height(), 41);
    // The path fields stretch and the buttons keep to the right edge.
    w.show();
    w.resize(w.width() + 100, w.height());
    const int gw = w.GroupBox1->width();
    EXPECT_EQ(w.GroupBox2->width(), gw);
    EXPECT_GE(gw, w.width() - 10);
    EXPECT_EQ(w.Edit1->geometry().right(), gw - 9);
    EXPECT_EQ(w.Button1->geometry().right(), gw - 9);
    EXPECT_EQ(w.Button2->geometry().right(), gw - 9);
    EXPECT_EQ(w.Button3->geometry().right(), w.width() - 11);
    EXPECT_EQ(w.Button5->x(), w.width() - 245);
}

} // namespace
} // namespace trv::test
