#include "UiTestSupport.h"

#include "platform/AppError.h"
#include "ui/IntEditField.h"
#include "ui/MaskEditField.h"
#include "ui/TForm5.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>
#include <tuple>

namespace trv::test {
namespace {

// base, base + step, base + 2 step, base, ...: a flat spectrum can't be plotted.
std::vector<uint32_t> RampCounts(uint32_t base, uint32_t step = 1, int n = 512)
{
    std::vector<uint32_t> out;
    for (int i = 0; i < n; ++i)
        out.push_back(base + step * static_cast<uint32_t>(i % 3));
    return out;
}

std::string Pca2Ramp(uint32_t base)
{
    return MakePca2(2500, [=](int i) { return base + static_cast<uint32_t>(i % 3); });
}

class AddSubtract : public UiTest {
  protected:
    // Starts the program past its first-run message, with a spectrum open when asked.
    TForm1& StartQuiet(bool withSpectrum = true)
    {
        TForm1& f = Start();
        if (withSpectrum) OpenViaDialog(WriteSpm("main.spm", Pca2Ramp(900)));
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
    void PickBoth(uint32_t a, uint32_t b)
    {
        Pick(0, WriteSpm("a.spm", Pca2Ramp(a)));
        Pick(1, WriteSpm("b.spm", Pca2Ramp(b)));
    }
    std::vector<uint32_t> Counts() const { return form_->Counts(); }
};

// Browse uses its own dialog, which stores no folder; a cancel keeps the slot, a failure
// empties its list but the combine goes on with the counts read before.
TEST_F(AddSubtract, BrowseFillsTheSlotListAndCancelOrFailureKeepsTheCounts)
{
    StartQuiet(false);
    QFile::remove(SettingsFile());
    Pick(0, WriteSpm("pca3.spm",
                     MakePca3(
                         1024, [](int i) { return 400u + i % 3; }, "03-05-2002", "14:15:16")));
    EXPECT_EQ(platform_.openRequests.at(0).filter, "SPM-files (*.spm)|*.spm");
    EXPECT_FALSE(QFile::exists(SettingsFile()));
    QStringList listed;
    for (const auto& [name, value] : Window().SlotRows(0))
        listed << name + "=" + value;
    EXPECT_EQ(listed.join("; "),
              "Channels=1024; Filename=pca3.spm; Size=4546 bytes; Channels=1024; Mode=PCA3; "
              "Date=03-05-2002; Date=14:15:16; Header length=450");
    platform_.QueueOpen(std::nullopt);
    Window().Button1->click();
    EXPECT_EQ(Window().SlotRows(0).size(), 8u);

    Pick(1, WriteSpm("b.spm", MakePca3(
                                  1024, [](int) { return 100u; }, "", "")));
    Pick(0, Work("gone.spm"));
    EXPECT_EQ(platform_.errors, QStringList{"File not found"});
    EXPECT_EQ(Window().Edit1->text(), Work("gone.spm"));
    EXPECT_TRUE(Window().SlotRows(0).empty());
    platform_.QueueInput(QString("sum"));
    Window().Button5->click();
    EXPECT_EQ(Counts(), RampCounts(500, 1, 1024));
}

TEST_F(AddSubtract, CombineReplacesTheSpectrumAndResetsModeAndMargins)
{
    TForm1& f = StartQuiet(false);
    OpenViaDialog(WriteSpm("main.spm", MakePca3(
                                           1024, [](int i) { return 5000u + i % 3; }, "s1", "s2")));
    const QStringList infoBefore = {f.Label2->text(), f.Label3->text(), f.Label6->text()};
    // The arithmetic (wrapping modulo 2^32) is the spectrum library's; here what it replaces.
    Pick(0, WriteSpm("a.spm", Pca2Ramp(1000)));
    Pick(1, WriteSpm("b.spm", MakePca2(2500, [](int) { return 500u; })));
    for (const auto& [button, name, base] :
         {std::tuple{Window().Button4, "difference", 500u}, {Window().Button5, "sum", 1500u}}) {
        SCOPED_TRACE(name);
        f.cbSaveAsMode->setCurrentIndex(0);
        f.UpDown3->SetPosition(20);
        button->setEnabled(true);
        platform_.QueueInput(name);
        button->click();
        EXPECT_EQ(Counts(), RampCounts(base));
        EXPECT_EQ(f.ChannelCount(), 512);
        EXPECT_EQ(f.Label1->text(), name) << "no extension is added";
        EXPECT_EQ(f.cbSaveAsMode->currentIndex(), 1);
        EXPECT_EQ(f.UpDown3->Position(), 9);
    }
    EXPECT_EQ(platform_.inputPrompts, (QStringList{"Enter new filename", "Enter new filename"}));
    EXPECT_TRUE(platform_.errors.isEmpty()) << Str(platform_.errors.join('|'));
    EXPECT_TRUE(platform_.messages.isEmpty());
    EXPECT_EQ((QStringList{f.Label2->text(), f.Label3->text(), f.Label6->text()}), infoBefore);
}

TEST_F(AddSubtract, ScaleIsGuessedWhateverTheBoxSays)
{
    StartQuiet(false);
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

TEST_F(AddSubtract, GridIsRefilledOnlyWhenShowDataWasOffAndACancelledNameIsEmpty)
{
    // The sum is 300, 302, 304, 300, ...; the file opened first 900, 901, 902, 900, ...
    for (const auto& [tickedBefore, row1] : {std::pair{false, "300"}, {true, "900"}}) {
        SCOPED_TRACE(tickedBefore);
        StartQuiet(false);
        Form().CheckBox1->setChecked(true);
        OpenViaDialog(WriteSpm("main.spm", Pca2Ramp(900)));
        Form().CheckBox1->setChecked(tickedBefore);
        PickBoth(100, 200);
        platform_.QueueInput(std::nullopt);
        Window().CombineSpectra(CombineOp::Add);
        EXPECT_TRUE(Form().CheckBox1->isChecked());
        EXPECT_EQ(Form().GridCell(1, 1), row1);
        EXPECT_EQ(Counts(), RampCounts(300, 2));
        EXPECT_EQ(Form().Label1->text(), "");
    }
}

// A combine that can't finish says why and leaves the main window exactly as it was: what it
// shows, and the EXP file a save writes afterwards.
TEST_F(AddSubtract, CombineThatCannotFinishChangesNothingInTheMainWindow)
{
    const auto pca3Flat = MakePca3(
        1024, [](int) { return 1u; }, "", "");
    const auto flat = [](uint32_t v) { return MakePca2(2500, [=](int) { return v; }); };
    struct Case {
        const char* name;
        std::vector<std::string> files; // the slots picked, in order
        CombineOp op;
        QString message;                // plain message box
        std::vector<const char*> error; // one of these in the error box
    };
    const Case cases[] = {
        {"no file picked", {}, CombineOp::Add, TForm5::kPickTwoText, {}},
        {"second slot empty", {Pca2Ramp(100)}, CombineOp::Subtract, TForm5::kPickTwoText, {}},
        {"channel counts differ",
         {Pca2Ramp(100), pca3Flat},
         CombineOp::Add,
         kNotSameChannelsText,
         {}},
        {"all-zero result: no scale",
         {Pca2Ramp(7700), Pca2Ramp(7700)},
         CombineOp::Subtract,
         "",
         {kInvalidFloatOpText, kDivisionByZeroText}},
        {"flat result: no drawing",
         {flat(50), flat(50)},
         CombineOp::Add,
         "",
         {kDivisionByZeroText}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TForm1& f = StartQuiet();
        f.UpDown3->SetPosition(20);
        f.Edit2->setText("333");
        const QString exp = Work("main.exp");
        f.aSave->trigger();
        const std::string savedBefore = ReadBytes(exp);
        QFile::remove(exp);
        const auto shown = [&] {
            return std::tuple{Counts(),
                              f.ChannelCount(),
                              f.Label1->text(),
                              f.CheckBox1->isChecked(),
                              f.cbSaveAsMode->currentIndex(),
                              f.Edit2->text(),
                              f.Edit4->text(),
                              f.Edit5->text(),
                              f.Image1->Bitmap()};
        };
        const auto before = shown();
        for (std::size_t i = 0; i < c.files.size(); ++i)
            Pick(static_cast<int>(i), WriteSpm(QString("slot%1.spm").arg(i), c.files[i]));

        (c.op == CombineOp::Add ? Window().Button5 : Window().Button4)->click();

        EXPECT_EQ(platform_.messages, c.message.isEmpty() ? QStringList() : QStringList{c.message});
        if (c.error.empty()) {
            EXPECT_TRUE(platform_.errors.isEmpty()) << Str(platform_.errors.join('|'));
        }
        else {
            ASSERT_EQ(platform_.errors.size(), 1);
            EXPECT_NE(std::find(c.error.begin(), c.error.end(), Str(platform_.errors[0])),
                      c.error.end())
                << Str(platform_.errors[0]);
        }
        EXPECT_TRUE(platform_.inputPrompts.isEmpty()) << "no name is asked for";
        EXPECT_TRUE(shown() == before);
        f.aSave->trigger();
        EXPECT_EQ(ReadBytes(exp), savedBefore);
        platform_.messages.clear();
        platform_.errors.clear();
    }
}

} // namespace
} // namespace trv::test
