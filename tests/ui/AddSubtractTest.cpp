#include "UiTestSupport.h"

#include "platform/AppError.h"
#include "ui/widgets/IntEditField.h"
#include "ui/widgets/MaskEditField.h"
#include "ui/windows/CombineSpectraDialog.h"

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
    MainWindow& StartQuiet(bool withSpectrum = true)
    {
        MainWindow& f = Start();
        if (withSpectrum) OpenViaDialog(WriteSpm("main.spm", Pca2Ramp(900)));
        platform_.messages.clear();
        return f;
    }
    CombineSpectraDialog& Window() { return *Form().combineDialog(); }
    // Picks a file for a slot through its "Browse" button and the scripted dialog.
    void Pick(int slot, const QString& path)
    {
        platform_.QueueOpen(path);
        (slot == 0 ? Window().firstBrowseButton() : Window().secondBrowseButton())->click();
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
    Window().firstBrowseButton()->click();
    EXPECT_EQ(Window().SlotRows(0).size(), 8u);

    Pick(1, WriteSpm("b.spm", MakePca3(
                                  1024, [](int) { return 100u; }, "", "")));
    Pick(0, Work("gone.spm"));
    EXPECT_EQ(platform_.errors, QStringList{"File not found"});
    EXPECT_EQ(Window().firstPathEdit()->text(), Work("gone.spm"));
    EXPECT_TRUE(Window().SlotRows(0).empty());
    platform_.QueueInput(QString("sum"));
    Window().addButton()->click();
    EXPECT_EQ(Counts(), RampCounts(500, 1, 1024));
}

TEST_F(AddSubtract, CombineReplacesTheSpectrumAndResetsModeAndMargins)
{
    MainWindow& f = StartQuiet(false);
    OpenViaDialog(WriteSpm("main.spm", MakePca3(
                                           1024, [](int i) { return 5000u + i % 3; }, "s1", "s2")));
    const QStringList infoBefore = {f.fileSizeLabel()->text(), f.firstStampLabel()->text(),
                                    f.spmModeLabel()->text()};
    // The arithmetic (wrapping modulo 2^32) is the spectrum library's; here what it replaces.
    Pick(0, WriteSpm("a.spm", Pca2Ramp(1000)));
    Pick(1, WriteSpm("b.spm", MakePca2(2500, [](int) { return 500u; })));
    for (const auto& [button, name, base] :
         {std::tuple{Window().subtractButton(), "difference", 500u},
          {Window().addButton(), "sum", 1500u}}) {
        SCOPED_TRACE(name);
        f.saveAsModeCombo()->setCurrentIndex(0);
        f.plotIgnoreLeftSpin()->SetPosition(20);
        button->setEnabled(true);
        platform_.QueueInput(name);
        button->click();
        EXPECT_EQ(Counts(), RampCounts(base));
        EXPECT_EQ(f.ChannelCount(), 512);
        EXPECT_EQ(f.spectrumNameLabel()->text(), name) << "no extension is added";
        EXPECT_EQ(f.saveAsModeCombo()->currentIndex(), 1);
        EXPECT_EQ(f.plotIgnoreLeftSpin()->Position(), 9);
    }
    EXPECT_EQ(platform_.inputPrompts, (QStringList{"Enter new filename", "Enter new filename"}));
    EXPECT_TRUE(platform_.errors.isEmpty()) << Str(platform_.errors.join('|'));
    EXPECT_TRUE(platform_.messages.isEmpty());
    EXPECT_EQ((QStringList{f.fileSizeLabel()->text(), f.firstStampLabel()->text(),
                           f.spmModeLabel()->text()}),
              infoBefore);
}

TEST_F(AddSubtract, ScaleIsGuessedWhateverTheBoxSays)
{
    StartQuiet(false);
    Form().guessScaleBox()->setChecked(false);
    Form().foldedBox()->setChecked(false); // not folded: the whole spectrum counts
    Pick(0, WriteSpm("a.spm", MakePca2(2500, [](int i) { return i < 256 ? 100u : 300u; })));
    Pick(1, WriteSpm("b.spm", MakePca2(2500, [](int) { return 100u; })));
    Form().scaleSpin()->SetPosition(123);
    platform_.QueueInput(QString("x"));
    Window().CombineSpectra(CombineOp::Add);
    // Inside the margins the sum runs from 200 to 400: a scale of 1000 - 500 + 1 promille.
    EXPECT_EQ(Form().scaleSpin()->Position(), 501);
}

TEST_F(AddSubtract, GridIsRefilledOnlyWhenShowDataWasOffAndACancelledNameIsEmpty)
{
    // The sum is 300, 302, 304, 300, ...; the file opened first 900, 901, 902, 900, ...
    for (const auto& [tickedBefore, row1] : {std::pair{false, "300"}, {true, "900"}}) {
        SCOPED_TRACE(tickedBefore);
        StartQuiet(false);
        Form().showDataBox()->setChecked(true);
        OpenViaDialog(WriteSpm("main.spm", Pca2Ramp(900)));
        Form().showDataBox()->setChecked(tickedBefore);
        PickBoth(100, 200);
        platform_.QueueInput(std::nullopt);
        Window().CombineSpectra(CombineOp::Add);
        EXPECT_TRUE(Form().showDataBox()->isChecked());
        EXPECT_EQ(Form().GridCell(1, 1), row1);
        EXPECT_EQ(Counts(), RampCounts(300, 2));
        EXPECT_EQ(Form().spectrumNameLabel()->text(), "");
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
        {"no file picked", {}, CombineOp::Add, CombineSpectraDialog::kPickTwoText, {}},
        {"second slot empty",
         {Pca2Ramp(100)},
         CombineOp::Subtract,
         CombineSpectraDialog::kPickTwoText,
         {}},
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
        MainWindow& f = StartQuiet();
        f.plotIgnoreLeftSpin()->SetPosition(20);
        f.scaleEdit()->setText("333");
        const QString exp = Work("main.exp");
        f.saveAction()->trigger();
        const std::string savedBefore = ReadBytes(exp);
        QFile::remove(exp);
        const auto shown = [&] {
            return std::tuple{Counts(),
                              f.ChannelCount(),
                              f.spectrumNameLabel()->text(),
                              f.showDataBox()->isChecked(),
                              f.saveAsModeCombo()->currentIndex(),
                              f.scaleEdit()->text(),
                              f.plotIgnoreLeftEdit()->text(),
                              f.plotIgnoreRightEdit()->text(),
                              f.previewImage()->Bitmap()};
        };
        const auto before = shown();
        for (std::size_t i = 0; i < c.files.size(); ++i)
            Pick(static_cast<int>(i), WriteSpm(QString("slot%1.spm").arg(i), c.files[i]));

        (c.op == CombineOp::Add ? Window().addButton() : Window().subtractButton())->click();

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
        f.saveAction()->trigger();
        EXPECT_EQ(ReadBytes(exp), savedBefore);
        platform_.messages.clear();
        platform_.errors.clear();
    }
}

} // namespace
} // namespace trv::test
