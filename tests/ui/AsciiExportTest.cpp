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
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

namespace trv::test {
namespace {

uint32_t SpectrumCount(int i)
{
    return i % 61 == 3 ? 4294967000u + static_cast<uint32_t>(i % 250)
                       : static_cast<uint32_t>((i * 7919 + 13) % 100003);
}

// What the user chooses in the options dialog; -1 leaves a group as it is shown.
struct Options {
    int xAxis = -1, channels = -1;
    bool save = true;
};

// What the options dialog showed when it came up.
struct Shown {
    int xAxis = -1, channels = -1;
    bool channelsEnabled = false, modal = false;
};

class AsciiExport : public UiTest {
  protected:
    MainWindow& StartWith(int channels)
    {
        MainWindow& f = Start();
        platform_.messages.clear();
        const std::string bytes = channels == 512 ? MakePca2(2500, SpectrumCount)
                                                  : MakePca3(1024, SpectrumCount, "s1", "s2");
        OpenViaDialog(WriteSpm(channels == 512 ? "small.spm" : "sample.spm", bytes));
        return f;
    }

    // The file dialog answers `typed` with `filterIndex` (an empty name cancels), then the
    // options dialog gets `options`.
    Shown Export(const QString& typed, int filterIndex, Options options)
    {
        platform_.QueueSave(typed.isEmpty() ? std::nullopt : std::optional(Work(typed)),
                            filterIndex);
        Shown shown;
        OnModal<AsciiExportDialog> user([&](AsciiExportDialog& d) {
            shown = {d.xAxisGroup()->ItemIndex(), d.channelsGroup()->ItemIndex(),
                     d.channelsGroup()->isEnabled(), d.isModal() && d.isVisible()};
            // Clicked as the user does: a disabled button does not react.
            if (options.xAxis >= 0)
                QTest::mouseClick(d.xAxisGroup()->Item(options.xAxis), Qt::LeftButton);
            if (options.channels >= 0)
                QTest::mouseClick(d.channelsGroup()->Item(options.channels), Qt::LeftButton);
            (options.save ? d.saveButton() : d.cancelButton())->click();
        });
        Form().saveAsciiAction()->trigger();
        dialogShown_ = user.Ran();
        return shown;
    }

    // The table the export function makes of the open spectrum with these options.
    std::string Table(int xAxis, int channelMode)
    {
        return BuildASCIITable(Form().Counts(), Form().ChannelCount(), channelMode, xAxis,
                               Form().zeroSpeedEdit()->Value(), Form().calibrationEdit()->Value(),
                               LocaleFormats::Fixed().decimalSeparator);
    }

    QStringList WorkFiles() const
    {
        return QDir(Work()).entryList({"*.txt", "table*"}, QDir::Files);
    }

    bool dialogShown_ = false;
};

// The dialogs' choices reach the export function; a chosen file is replaced without asking.
TEST_F(AsciiExport, WritesTheTableOfTheChosenOptionsThroughBothDialogs)
{
    struct Case {
        int channels;
        QString typed;
        int filterIndex;
        Options options;
        QString written;
        int xAxis, channelMode; // what reaches the export
    };
    const Case cases[] = {
        // The dialog's defaults: "Velocity", "512 Channels (add)".
        {1024, "table", 1, {}, "table.txt", kXAxisVelocity, 1},
        {1024, "mean.dat", 1, {-1, 2}, "mean.txt", kXAxisVelocity, 2},
        {1024, "table", 2, {0, 0}, "table", kXAxisChannel, 0},
        // "Channels" can't be changed for a 512-channel spectrum.
        {512, "small.txt", 1, {0, 2}, "small.txt", kXAxisChannel, 1},
    };
    WriteBytes(Work("small.txt"), "old contents");
    for (const Case& c : cases) {
        SCOPED_TRACE(Str(c.written));
        StartWith(c.channels);
        Form().zeroSpeedEdit()->SetValue("255.50");
        const Shown shown = Export(c.typed, c.filterIndex, c.options);
        ASSERT_TRUE(dialogShown_);
        EXPECT_TRUE(shown.modal);
        EXPECT_EQ(shown.xAxis, 1);
        EXPECT_EQ(shown.channels, 1);
        EXPECT_EQ(shown.channelsEnabled, c.channels != 512);
        EXPECT_EQ(ReadBytes(Work(c.written)), Table(c.xAxis, c.channelMode));
        EXPECT_EQ(QFile::exists(Work(c.typed)), c.written == c.typed);
        EXPECT_TRUE(platform_.errors.isEmpty()) << Str(platform_.errors.join('|'));
    }
}

TEST_F(AsciiExport, FileDialogProposesTheNameAndRemembersTheFilter)
{
    StartWith(1024);
    Export("a", 2, {0, 0});
    Export("", 1, {}); // cancelled: the filter stays
    const Shown b = Export("b", 1, {});
    EXPECT_EQ((std::pair{b.xAxis, b.channels}), (std::pair{1, 1})) << "the options start over";
    for (const auto& [i, startFilter] : {std::pair{0, 1}, {1, 2}, {2, 2}}) {
        const FileDialogRequest& r = platform_.saveRequests.at(i);
        EXPECT_EQ(r.filter, "Tekst files (*.txt)|*.txt|All Files (*.*)|*.*");
        EXPECT_EQ(r.proposedName, "sample.txt");
        EXPECT_FALSE(r.overwritePrompt);
        EXPECT_EQ(r.filterIndex, startFilter) << i;
    }
    EXPECT_EQ(QDir(Work()).entryList(QDir::Files), (QStringList{"a", "b.txt", "sample.spm"}));

    // The name after a combine has no extension: ".txt" is appended.
    Form().spectrumNameLabel()->setText("combined");
    Export("", 1, {});
    EXPECT_EQ(platform_.saveRequests.back().proposedName, "combined.txt");
    EXPECT_EQ(platform_.saveRequests.back().filterIndex, 1);
}

TEST_F(AsciiExport, CancelInEitherDialogOrABadNumberLeavesNoFile)
{
    StartWith(1024);
    QFile::remove(SettingsFile());
    Export("", 1, {});
    EXPECT_FALSE(dialogShown_) << "the options are not asked for after a cancel";
    EXPECT_TRUE(QFile::exists(SettingsFile())) << "the dialog's closing stores the folder";
    Export("table", 1, {-1, -1, false});
    EXPECT_TRUE(dialogShown_);
    EXPECT_TRUE(WorkFiles().isEmpty()) << Str(WorkFiles().join(','));

    // The velocity axis reads the field before any file is created or replaced.
    Form().zeroSpeedEdit()->SetValue("   .  ");
    WriteBytes(Work("kept.txt"), "old contents");
    Export("table", 1, {});
    Export("kept", 1, {});
    EXPECT_EQ(
        platform_.errors,
        QStringList(2, QString::fromStdString(NotAFloatText(Form().zeroSpeedEdit()->Value()))));
    EXPECT_EQ(WorkFiles(), QStringList{"kept.txt"});
    EXPECT_EQ(ReadBytes(Work("kept.txt")), "old contents");
}

// The user opens the Files menu with the mouse and clicks the entry.
TEST_F(AsciiExport, TheFilesMenuOffersTheExport)
{
    MainWindow& f = StartWith(1024);
    ShowActive();
    QMenuBar* bar = f.menuBar();
    QTest::mouseClick(bar, Qt::LeftButton, {},
                      bar->actionGeometry(f.filesMenu()->menuAction()).center());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(f.filesMenu()));
    const QRect entry = f.filesMenu()->actionGeometry(f.saveAsciiAction());
    ASSERT_FALSE(entry.isEmpty()) << "the entry is in the open menu";
    EXPECT_EQ(f.filesMenu()->actionAt(entry.center()), f.saveAsciiAction());
    platform_.QueueSave(Work("menu"));
    OnModal<AsciiExportDialog> user([](AsciiExportDialog& d) { d.saveButton()->click(); });
    QTest::mouseClick(f.filesMenu(), Qt::LeftButton, {}, entry.center());
    EXPECT_TRUE(user.Ran());
    EXPECT_EQ(ReadBytes(Work("menu.txt")), Table(kXAxisVelocity, 1));
    EXPECT_TRUE(platform_.errors.isEmpty()) << Str(platform_.errors.join('|'));
}

TEST_F(AsciiExport, WithoutASpectrumThereIsNothingToExport)
{
    MainWindow& f = Start();
    platform_.messages.clear();
    OnModal<AsciiExportDialog> user([](AsciiExportDialog& d) { d.saveButton()->click(); });
    f.saveAsciiAction()->trigger();
    EXPECT_FALSE(user.Ran());
    EXPECT_EQ(platform_.messages,
              QStringList{"There is no spectrum to export. Open an SPM file first."});
    EXPECT_TRUE(platform_.saveRequests.empty());
}

} // namespace
} // namespace trv::test
