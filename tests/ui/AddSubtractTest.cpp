#include "UiTestSupport.h"

#include "platform/AppError.h"
#include "ui/widgets/IntEditField.h"
#include "ui/windows/CombineSpectraDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <tuple>

namespace trv::test {
namespace {

// base, base + 1, base + 2, base, ...: a flat spectrum can't be plotted.
std::vector<uint32_t> RampCounts(uint32_t base)
{
    std::vector<uint32_t> out;
    for (int i = 0; i < 512; ++i)
        out.push_back(base + static_cast<uint32_t>(i % 3));
    return out;
}

std::string Ramp(uint32_t base, bool pca3 = false)
{
    const auto count = [=](int i) { return base + static_cast<uint32_t>(i % 3); };
    return pca3 ? MakePca3(1024, count, "", "") : MakePca2(2500, count);
}

class AddSubtract : public UiTest {
  protected:
    CombineSpectraDialog& Window() { return *Form().combineDialog(); }
    // Picks a file for a slot through its "Browse" button and the scripted dialog.
    void Pick(int slot, const QString& path)
    {
        platform_.QueueOpen(path);
        (slot == 0 ? Window().firstBrowseButton() : Window().secondBrowseButton())->click();
    }
    std::vector<uint32_t> Counts() const { return form_->Counts(); }
};

// A combine that can't finish says why and leaves the main window exactly as it was. Browse
// lists what a slot's file holds. A result replaces the spectrum: the name typed (a cancel
// leaves it empty), the first save-as mode, default margins and a guessed scale whatever the
// boxes say. The data grid is shown; it is filled anew only if it was hidden.
TEST_F(AddSubtract, CombineReplacesTheSpectrumOnlyWhenItCanFinish)
{
    MainWindow& f = Start();
    OpenViaDialog(WriteSpm("main.spm", Ramp(900)));
    f.plotIgnoreLeftSpin()->SetPosition(20);
    f.scaleEdit()->setText("333");
    platform_.messages.clear();
    const auto shown = [&] {
        return std::make_tuple(Counts(), f.spectrumNameLabel()->text(),
                               f.showDataBox()->isChecked(), f.saveAsModeCombo()->currentIndex(),
                               f.scaleEdit()->text(), f.plotIgnoreLeftEdit()->text(),
                               f.plotIgnoreRightEdit()->text(), f.previewImage()->Bitmap());
    };
    const auto before = shown();
    const auto flat = [](uint32_t v) { return MakePca2(2500, [=](int) { return v; }); };
    const struct {
        std::vector<std::string> files; // the slots picked, in order
        const char* message;            // a plain message box, else this in the error box
        const char* error;
    } cases[] = {
        {{Ramp(100)}, CombineSpectraDialog::kPickTwoText, nullptr},
        {{Ramp(100), Ramp(1, true)}, kNotSameChannelsText, nullptr},
        {{Ramp(7700), Ramp(7700)}, nullptr, kInvalidFloatOpText}, // all zero: no scale
        {{flat(60), flat(50)}, nullptr, kDivisionByZeroText},     // flat: no drawing
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message ? c.message : c.error);
        for (std::size_t i = 0; i < c.files.size(); ++i)
            Pick(static_cast<int>(i), WriteSpm(QString("slot%1.spm").arg(i), c.files[i]));
        Window().subtractButton()->click();
        EXPECT_EQ(platform_.messages, c.message ? QStringList{c.message} : QStringList());
        EXPECT_EQ(platform_.errors, c.error ? QStringList{c.error} : QStringList());
        EXPECT_TRUE(platform_.inputPrompts.isEmpty()) << "no name is asked for";
        EXPECT_TRUE(shown() == before);
        platform_.messages.clear();
        platform_.errors.clear();
    }

    f.guessScaleBox()->setChecked(false);
    // The arithmetic (wrapping modulo 2^32) is the spectrum library's; here what it replaces.
    Pick(0, WriteSpm("a.spm", Ramp(1000)));
    Pick(1, WriteSpm("b.spm", MakePca2(2500, [](int) { return 500u; })));
    // Each slot lists what its file holds; a cancel keeps the slot.
    platform_.QueueOpen(std::nullopt);
    Window().firstBrowseButton()->click();
    QStringList listed;
    for (const auto& [name, value] : Window().SlotRows(0))
        listed << name + "=" + value;
    EXPECT_EQ(listed.join("; "), "Channels=512; Filename=a.spm; Size=2500 bytes; Channels=512; "
                                 "Mode=PCA2; Date=05/01/2001 12:34:56; Date=05/01/2001 12:34:56; "
                                 "Header length=452");
    for (const auto& [button, name, showData, base, grid] :
         {std::tuple{Window().subtractButton(), std::optional<QString>("difference"), false, 500u,
                     "500"},
          {Window().addButton(), std::optional<QString>(), true, 1500u, "500"}}) {
        SCOPED_TRACE(base);
        f.saveAsModeCombo()->setCurrentIndex(0);
        f.plotIgnoreLeftSpin()->SetPosition(20);
        f.scaleSpin()->SetPosition(123);
        f.showDataBox()->setChecked(showData);
        platform_.QueueInput(name);
        button->click();
        EXPECT_EQ(Counts(), RampCounts(base));
        EXPECT_EQ(f.spectrumNameLabel()->text(), name.value_or("")) << "no extension is added";
        EXPECT_EQ(f.saveAsModeCombo()->currentIndex(), 1);
        EXPECT_EQ(f.plotIgnoreLeftSpin()->Position(), 9);
        EXPECT_EQ(f.scaleSpin()->Position(), GuessScale(Counts(), f.CurrentPlotSettings()));
        EXPECT_TRUE(f.showDataBox()->isChecked());
        EXPECT_EQ(f.GridCell(1, 1), grid);
    }
    EXPECT_EQ(platform_.inputPrompts, (QStringList{"Enter new filename", "Enter new filename"}));
}

} // namespace
} // namespace trv::test
