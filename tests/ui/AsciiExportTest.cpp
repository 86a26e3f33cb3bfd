#include "ModalScript.h"
#include "UiTestSupport.h"

#include "platform/AppError.h"
#include "ui/MaskEditField.h"
#include "ui/TASCIISave.h"

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <algorithm>

namespace trv::test {
namespace {

constexpr const char* kFilter = "Tekst files (*.txt)|*.txt|All Files (*.*)|*.*";

// The spectrum the golden tables were made from (tests/ui/data/make_ascii_golden.py).
uint32_t SpectrumCount(int i)
{
    return i % 61 == 3 ? 4294967000u + static_cast<uint32_t>(i % 250)
                       : static_cast<uint32_t>((i * 7919 + 13) % 100003);
}

std::string Golden(const char* name)
{
    return ReadBytes(QString(TRV_TEST_DATA_DIR) + "/" + name);
}

// What the user chooses in the options dialog; -1 leaves a group as it is shown.
struct Options {
    int xAxis = -1;
    int channels = -1;
    bool save = true;
};

// What the options dialog showed when it came up.
struct Shown {
    int xAxis = -1;
    int channels = -1;
    bool channelsEnabled = false;
    bool modal = false;
};

class AsciiExport : public UiTest {
  protected:
    TForm1& StartWith(int channels)
    {
        TForm1& f = Start();
        platform_.messages.clear();
        const std::string bytes = channels == 512 ? MakePca2(2500, SpectrumCount)
                                                  : MakePca3(1024, SpectrumCount, "s1", "s2");
        OpenViaDialog(WriteSpm(channels == 512 ? "small.spm" : "sample.spm", bytes));
        return f;
    }

    // Runs the export: the file dialog answers `typed` with `filterIndex` (or cancels when
    // typed is empty), then the options dialog gets `options`.
    Shown Export(const QString& typed, int filterIndex, Options options)
    {
        if (typed.isEmpty())
            platform_.QueueSave(std::nullopt);
        else
            platform_.QueueSave(Work(typed), filterIndex);
        Shown shown;
        OnModal<TASCIISave> user([&](TASCIISave& d) {
            shown = {d.RadioGroup1->ItemIndex(), d.RadioGroup2->ItemIndex(),
                     d.RadioGroup2->isEnabled(), d.isModal() && d.isVisible()};
            // Clicking a radio button as the user does; a disabled one does not react.
            if (options.xAxis >= 0)
                QTest::mouseClick(d.RadioGroup1->Item(options.xAxis), Qt::LeftButton);
            if (options.channels >= 0)
                QTest::mouseClick(d.RadioGroup2->Item(options.channels), Qt::LeftButton);
            (options.save ? d.Button1 : d.Button2)->click();
        });
        Form().SaveASCII->trigger();
        lastDialogShown_ = user.Ran();
        return shown;
    }

    QStringList WorkFiles() const
    {
        return QDir(Work()).entryList({"*.txt", "table*", "mean*"}, QDir::Files);
    }

    bool lastDialogShown_ = false;
};

TEST_F(AsciiExport, WritesTheGoldenTablesThroughBothDialogs)
{
    struct Case {
        int channels;
        QString typed;
        int filterIndex;
        Options options;
        QString written;
        const char* golden;
    };
    const Case cases[] = {
        // The dialog's defaults: "Velocity", "512 Channels (add)".
        {1024, "table", 1, {}, "table.txt", "ascii-1024-add-velocity.txt"},
        {1024, "mean.dat", 1, {-1, 2}, "mean.txt", "ascii-1024-mean-velocity.txt"},
        {1024, "table", 2, {0, 0}, "table", "ascii-1024-all-channel.txt"},
        // "Channels" can't be changed for a 512-channel spectrum; the counts go out unchanged.
        {512, "small.txt", 1, {0, 2}, "small.txt", "ascii-512-channel.txt"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Str(c.written));
        StartWith(c.channels);
        QFile::remove(Work(c.written));
        const Shown shown = Export(c.typed, c.filterIndex, c.options);
        ASSERT_TRUE(lastDialogShown_);
        EXPECT_TRUE(shown.modal);
        EXPECT_EQ(shown.xAxis, 1);
        EXPECT_EQ(shown.channels, 1);
        EXPECT_EQ(shown.channelsEnabled, c.channels != 512);
        EXPECT_EQ(ReadBytes(Work(c.written)), Golden(c.golden));
        if (c.written != c.typed) {
            EXPECT_FALSE(QFile::exists(Work(c.typed)));
        }
        EXPECT_TRUE(platform_.errors.isEmpty()) << Str(platform_.errors.join('|'));
        platform_.Verify();
    }
}

TEST_F(AsciiExport, FileDialogProposesTheNameAndRemembersTheFilter)
{
    StartWith(1024);
    Export("a", 2, {});
    Export("", 1, {}); // cancelled: nothing is written and the filter stays
    Export("b", 2, {});
    Export("c", 1, {});
    Export("d", 1, {});
    ASSERT_EQ(platform_.saveRequests.size(), 5u);
    const int expectedStart[] = {1, 2, 2, 2, 1};
    for (std::size_t i = 0; i < 5; ++i) {
        const FileDialogRequest& r = platform_.saveRequests[i];
        SCOPED_TRACE(i);
        EXPECT_EQ(r.filter, kFilter);
        EXPECT_EQ(r.proposedName, "sample.txt");
        EXPECT_FALSE(r.overwritePrompt);
        EXPECT_TRUE(r.hideReadOnly);
        EXPECT_TRUE(r.resizable);
        EXPECT_EQ(r.filterIndex, expectedStart[i]);
    }
    EXPECT_TRUE(QFile::exists(Work("a")));
    EXPECT_TRUE(QFile::exists(Work("b")));
    EXPECT_TRUE(QFile::exists(Work("c.txt")));
    EXPECT_TRUE(QFile::exists(Work("d.txt")));

    // The name after a combine has no extension: ".txt" is appended.
    Form().Label1->setText("combined");
    Export("", 1, {});
    EXPECT_EQ(platform_.saveRequests.back().proposedName, "combined.txt");
}

TEST_F(AsciiExport, OptionsStartOverOnEveryExport)
{
    StartWith(1024);
    Export("first", 1, {0, 2});
    const Shown again = Export("second", 1, {});
    EXPECT_EQ(again.xAxis, 1);
    EXPECT_EQ(again.channels, 1);
    EXPECT_EQ(ReadBytes(Work("second.txt")), Golden("ascii-1024-add-velocity.txt"));
}

TEST_F(AsciiExport, CancelInEitherDialogLeavesNoFile)
{
    StartWith(1024);
    QFile::remove(SettingsFile());
    // The file dialog.
    Export("", 1, {});
    EXPECT_FALSE(lastDialogShown_) << "the options are not asked for after a cancel";
    // Its closing still stores the folder.
    EXPECT_TRUE(QFile::exists(SettingsFile()));
    // The options dialog, by "Cancel", by Escape and by its frame's close button.
    Export("table", 1, {-1, -1, false});
    EXPECT_TRUE(lastDialogShown_);
    for (auto close : {std::function<void(TASCIISave&)>(
                           [](TASCIISave& d) { QTest::keyClick(&d, Qt::Key_Escape); }),
                       std::function<void(TASCIISave&)>([](TASCIISave& d) { d.close(); })}) {
        platform_.QueueSave(Work("table"), 1);
        OnModal<TASCIISave> user(close);
        Form().SaveASCII->trigger();
        EXPECT_TRUE(user.Ran());
        EXPECT_EQ(Form().ASCIISave->result(), TASCIISave::kResultCancel);
    }
    EXPECT_TRUE(WorkFiles().isEmpty()) << Str(WorkFiles().join(','));
    EXPECT_TRUE(platform_.errors.isEmpty());
}

TEST_F(AsciiExport, EnterSavesAsTheDefaultButton)
{
    StartWith(512);
    platform_.QueueSave(Work("enter"), 1);
    OnModal<TASCIISave> user([](TASCIISave& d) { QTest::keyClick(&d, Qt::Key_Return); });
    Form().SaveASCII->trigger();
    ASSERT_TRUE(user.Ran());
    EXPECT_EQ(Form().ASCIISave->result(), TASCIISave::kResultOk);
    // The defaults: velocity against the 512 counts.
    const std::string table = ReadBytes(Work("enter.txt"));
    EXPECT_EQ(std::count(table.begin(), table.end(), '\n'), 512);
    EXPECT_EQ(table.substr(0, 12), "-11.6928\t13\r");
}

TEST_F(AsciiExport, BadNumberStopsBeforeAnyFileIsCreated)
{
    StartWith(1024);
    Form().MaskEdit5->SetValue("   .  ");
    const std::string text = Form().MaskEdit5->Value();
    WriteBytes(Work("kept.txt"), "old contents");
    Export("table", 1, {});
    Export("kept", 1, {});
    EXPECT_EQ(platform_.errors, QStringList(2, QString::fromStdString(NotAFloatText(text))));
    EXPECT_FALSE(QFile::exists(Work("table.txt")));
    EXPECT_EQ(ReadBytes(Work("kept.txt")), "old contents");

    // The channel axis doesn't read the field.
    Export("table", 1, {0, -1});
    EXPECT_TRUE(QFile::exists(Work("table.txt")));
}

TEST_F(AsciiExport, ReplacesAnExistingFileWithoutAskingAndReportsWriteErrors)
{
    StartWith(512);
    WriteBytes(Work("small.txt"), "old contents");
    Export("small.txt", 1, {0, -1});
    EXPECT_EQ(ReadBytes(Work("small.txt")), Golden("ascii-512-channel.txt"));

    platform_.QueueSave(Work("no-such-folder/x.txt"), 1);
    OnModal<TASCIISave> user([](TASCIISave& d) { d.Button1->click(); });
    Form().SaveASCII->trigger();
    ASSERT_EQ(platform_.errors.size(), 1);
    EXPECT_EQ(platform_.errors[0], "File not found");
    EXPECT_FALSE(QDir(Work("no-such-folder")).exists());
}

TEST_F(AsciiExport, WithoutASpectrumThereIsNothingToExport)
{
    Start();
    platform_.messages.clear();
    OnModal<TASCIISave> user([](TASCIISave& d) { d.Button1->click(); });
    Form().SaveASCII->trigger();
    EXPECT_FALSE(user.Ran());
    EXPECT_EQ(platform_.messages,
              QStringList{"There is no spectrum to export. Open an SPM file first."});
    EXPECT_TRUE(platform_.saveRequests.empty());
    EXPECT_TRUE(WorkFiles().isEmpty());
}

TEST_F(AsciiExport, MenuEntryStaysHiddenAndTheDialogLooksAsDesigned)
{
    TForm1& f = Start();
    EXPECT_FALSE(f.SaveASCII->isVisible());
    EXPECT_TRUE(f.SaveASCII->shortcut().isEmpty());
    TASCIISave& d = *f.ASCIISave;
    EXPECT_EQ(d.windowTitle(), "ACSII Save");
    EXPECT_EQ(d.size(), QSize(215, 266));
    EXPECT_EQ(d.minimumSize(), d.maximumSize());
    EXPECT_EQ(d.RadioGroup1->title(), "X-axis");
    EXPECT_EQ(d.RadioGroup2->title(), "Channels");
    QStringList items;
    for (RadioGroup* g : {d.RadioGroup1, d.RadioGroup2})
        for (int i = 0; i < g->Count(); ++i)
            items << g->Item(i)->text();
    EXPECT_EQ(items, (QStringList{"Channel Number", "Velocity", "1024 Channels",
                                  "512 Channels (add)", "512 Channels (mean)"}));
    EXPECT_EQ(d.Panel1->height(), 36);
    EXPECT_EQ(d.Button1->text(), "Save");
    EXPECT_EQ(d.Button2->text(), "Cancel");
    EXPECT_TRUE(d.Button1->isDefault());
}

} // namespace
} // namespace trv::test
