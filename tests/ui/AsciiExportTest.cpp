#include "ModalScript.h"
#include "UiTestSupport.h"

#include "asciitable/AsciiExport.h"
#include "platform/AppError.h"
#include "platform/LocaleFormats.h"
#include "ui/widgets/MaskEditField.h"
#include "ui/windows/AsciiExportDialog.h"

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QPushButton>

namespace trv::test {
namespace {

class AsciiExport : public UiTest {
  protected:
    void OpenSpectrum()
    {
        const auto count = [](int i) { return 4294960000u + static_cast<uint32_t>(i % 5); };
        OpenViaDialog(WriteSpm("sample.spm", MakePca3(1024, count, "s1", "s2")));
    }

    // The file dialog answers `typed` with `filterIndex` (an empty name cancels), then the
    // options dialog is left as shown and closed with Save or Cancel. Whether it came up.
    bool Export(const QString& typed, int filterIndex = 1, bool save = true)
    {
        platform_.QueueSave(typed.isEmpty() ? std::nullopt : std::optional(Work(typed)),
                            filterIndex);
        OnModal<AsciiExportDialog> user(
            [&](AsciiExportDialog& d) { (save ? d.saveButton() : d.cancelButton())->click(); });
        Form().saveAsciiAction()->trigger();
        return user.Ran();
    }
};

// Without a spectrum there is nothing to export; with one, a cancel in either dialog or a bad
// number leaves no file and replaces none.
TEST_F(AsciiExport, RefusalsLeaveNoFileAndATableIsWrittenUnderTheProposedName)
{
    MainWindow& f = Start();
    f.saveAsciiAction()->trigger();
    EXPECT_EQ(platform_.messages.last(), "There is no spectrum to export. Open an SPM file first.");
    EXPECT_TRUE(platform_.saveRequests.empty());

    OpenSpectrum();
    EXPECT_FALSE(Export("", 1)) << "the options are not asked for after a cancel";
    EXPECT_TRUE(Export("table", 1, false));

    // The velocity axis reads the field before any file is created or replaced.
    f.zeroSpeedEdit()->SetValue("   .  ");
    WriteBytes(Work("kept.txt"), "old contents");
    Export("table", 1);
    Export("kept", 1);
    EXPECT_EQ(platform_.errors,
              QStringList(2, QString::fromStdString(NotAFloatText(f.zeroSpeedEdit()->Value()))));
    EXPECT_EQ(ReadBytes(Work("kept.txt")), "old contents");

    // The name proposed is the spectrum's; ".txt" is added under the first filter only, and
    // the filter chosen last is offered next time. A chosen file is replaced without asking.
    platform_.saveRequests.clear();
    f.zeroSpeedEdit()->SetValue("255.50");
    WriteBytes(Work("b.txt"), "old contents");
    Export("a", 2);
    Export("", 1); // cancelled: the filter stays
    Export("b", 1);
    for (const auto& [i, startFilter] : {std::pair{0, 1}, {1, 2}, {2, 2}}) {
        const FileDialogRequest& r = platform_.saveRequests.at(i);
        EXPECT_EQ(r.filter, "Tekst files (*.txt)|*.txt|All Files (*.*)|*.*");
        EXPECT_EQ(r.proposedName, "sample.txt");
        EXPECT_FALSE(r.overwritePrompt);
        EXPECT_EQ(r.filterIndex, startFilter) << i;
    }
    EXPECT_EQ(QDir(Work()).entryList(QDir::Files),
              (QStringList{"a", "b.txt", "kept.txt", "sample.spm"}));
    // The dialog's defaults: "Velocity", "512 Channels (add)".
    EXPECT_EQ(ReadBytes(Work("b.txt")),
              BuildASCIITable(f.Counts(), f.ChannelCount(), 1, kXAxisVelocity,
                              f.zeroSpeedEdit()->Value(), f.calibrationEdit()->Value(),
                              LocaleFormats::Fixed().decimalSeparator));

    // The name after a combine has no extension: ".txt" is appended.
    f.spectrumNameLabel()->setText("combined");
    Export("", 1);
    EXPECT_EQ(platform_.saveRequests.back().proposedName, "combined.txt");
    EXPECT_EQ(platform_.saveRequests.back().filterIndex, 1);
}

} // namespace
} // namespace trv::test
