#include "UiTestSupport.h"

#include "ui/IntEditField.h"
#include "ui/MaskEditField.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QLabel>
#include <QMimeData>
#include <QUrl>

namespace trv::test {
namespace {

uint32_t Ramp(int i)
{
    return 1000u + static_cast<uint32_t>(i);
}

struct Snapshot {
    QStringList labels;
    std::vector<uint32_t> counts;
    int channelCount;
    std::string serial, description;
    int saveAsMode;
    QString fold;
};

Snapshot Take(TForm1& f)
{
    return {{f.Label1->text(), f.Label2->text(), f.Label5->text(), f.Label3->text(),
             f.Label4->text(), f.Label6->text()},
            f.Counts(),
            f.ChannelCount(),
            f.MaskEdit1->Value(),
            f.Edit13->text().toStdString(),
            f.cbSaveAsMode->currentIndex(),
            f.Edit6->text()};
}

void ExpectSame(const Snapshot& a, const Snapshot& b)
{
    EXPECT_EQ(a.labels, b.labels);
    EXPECT_EQ(a.counts, b.counts);
    EXPECT_EQ(a.channelCount, b.channelCount);
    EXPECT_EQ(a.serial, b.serial);
    EXPECT_EQ(a.description, b.description);
    EXPECT_EQ(a.saveAsMode, b.saveAsMode);
    EXPECT_EQ(a.fold, b.fold);
}

class OpenSpectrum : public UiTest {};

TEST_F(OpenSpectrum, FreshWindowShowsItsDefaults)
{
    TForm1& f = Start();
    EXPECT_EQ(f.windowTitle(), "Trevandel");
    EXPECT_EQ(f.Label1->text(), "-");
    EXPECT_EQ(f.Label2->text(), "-");
    EXPECT_EQ(f.Label5->text(), "");
    EXPECT_EQ(f.ChannelCount(), 0);
    EXPECT_TRUE(f.Counts().empty());
    EXPECT_EQ(f.GridRowCount(), 2);
    EXPECT_EQ(f.GridCell(0, 0), "Channels");
    EXPECT_EQ(f.GridCell(1, 0), "Counts");
    EXPECT_EQ(f.cbSaveAsMode->currentIndex(), -1);
    EXPECT_FALSE(f.CheckBox1->isChecked());
    EXPECT_TRUE(f.CheckBox5->isChecked());
    EXPECT_TRUE(f.CheckBox6->isChecked());
    EXPECT_TRUE(f.CheckBox7->isChecked());
    EXPECT_EQ(f.MaskEdit1->text(), "H_____  ");
    EXPECT_EQ(f.Edit8->text(), "512");
    EXPECT_EQ(f.Edit9->text(), "9");
    EXPECT_EQ(f.Edit10->text(), "245");
    EXPECT_EQ(f.MaskEdit4->Value(), "512.0000");
    EXPECT_EQ(f.Edit12->text(), "08");
    EXPECT_TRUE(f.Edit12->isReadOnly());
    EXPECT_EQ(f.Edit2->text(), "4");
    EXPECT_EQ(f.Edit6->text(), "512");
    EXPECT_EQ(f.Edit7->text(), "2");
}

TEST_F(OpenSpectrum, Pca2FileFillsLabelsGuessesAndSettings)
{
    TForm1& f = Start();
    ShowActive();
    f.Edit9->setText("77"); // the open changes only the guessed fields
    const QString path = WriteSpm("ha1234.spm", MakePca2(2560, Ramp));
    OpenViaDialog(path);

    ASSERT_TRUE(platform_.errors.isEmpty()) << Str(platform_.errors.join("|"));
    ASSERT_EQ(platform_.openRequests.size(), 1u);
    EXPECT_EQ(platform_.openRequests[0].filter, "Spm-files (*.spm)|*.spm");
    EXPECT_GE(platform_.processEventsCalls, 1);
    EXPECT_EQ(f.Label1->text(), "ha1234.spm");
    EXPECT_EQ(f.Label2->text(), "2560 bytes");
    EXPECT_EQ(f.Label5->text(), "512 channels");
    EXPECT_EQ(f.Label3->text(), "05/01/2001 12:34:56");
    EXPECT_EQ(f.Label4->text(), "05/01/2001 12:34:56");
    EXPECT_EQ(f.Label6->text(), "Mode : PCA2  (Header: 512)");
    EXPECT_EQ(f.ChannelCount(), 512);
    ASSERT_EQ(f.Counts().size(), 512u);
    EXPECT_EQ(f.Counts()[0], 1000u);
    EXPECT_EQ(f.Counts()[511], 1511u);
    EXPECT_EQ(f.SpmImage().size(), 2560u);

    EXPECT_EQ(f.MaskEdit1->Value(), "HA1234  ");
    EXPECT_EQ(f.Edit13->text(), "HA1234: ");
    EXPECT_EQ(f.MaskEdit2->Value(), "0.0T");
    EXPECT_EQ(f.MaskEdit3->Value(), "295 K");
    EXPECT_EQ(f.Edit9->text(), "77");
    EXPECT_EQ(f.cbSaveAsMode->currentIndex(), 1);
    EXPECT_EQ(f.cbSaveAsMode->currentText(), "512 Channels (add)");
    EXPECT_EQ(f.Edit8->text(), "512") << "choosing the mode from code runs no reaction";
    EXPECT_EQ(f.Edit6->text(), "256");
    EXPECT_EQ(f.Edit4->text(), "9");
    EXPECT_EQ(f.Edit5->text(), "9");
    EXPECT_EQ(f.GridRowCount(), 2) << "Show data is off";
    EXPECT_EQ(f.GridCell(0, 1), "");
    EXPECT_EQ(QApplication::focusWidget(), f.Edit13);
}

TEST_F(OpenSpectrum, LargeFileHasTenTwentyFourChannelsAndAlsoSelectsAddMode)
{
    TForm1& f = Start();
    ChooseSaveAsMode(0);
    OpenViaDialog(WriteSpm("big.spm", MakePca2(5000, Ramp)));
    EXPECT_EQ(f.Label2->text(), "5000 bytes");
    EXPECT_EQ(f.Label5->text(), "1024 channels");
    EXPECT_EQ(f.Label6->text(), "Mode : PCA2  (Header: 904)");
    EXPECT_EQ(f.ChannelCount(), 1024);
    EXPECT_EQ(f.Edit6->text(), "512");
    EXPECT_EQ(f.cbSaveAsMode->currentIndex(), 1);
    EXPECT_EQ(f.MaskEdit4->Value(), "5120.000 ") << "the mask chosen by the user stays";
}

TEST_F(OpenSpectrum, StampsShowRawWhenEitherFailsAndPca3ShowsThemUnchanged)
{
    TForm1& f = Start();
    std::string bytes = MakePca2(3000, Ramp);
    bytes.replace(401, 3, "jan"); // second date no longer decodes
    OpenViaDialog(WriteSpm("raw.spm", bytes));
    EXPECT_EQ(f.Label3->text(), "12:34:56    Jan  5  2001");
    EXPECT_EQ(f.Label4->text(), "12:34:56    jan  5  2001");
    EXPECT_EQ(f.Label6->text(), "Mode : PCA2  (Header: 952)");

    std::string pca3 = MakePca3(512, Ramp, std::string("abc\0defghij", 11), "10:11:12 AM");
    OpenViaDialog(WriteSpm("steel.spm", pca3));
    EXPECT_EQ(f.Label3->text(), "abc");
    EXPECT_EQ(f.Label4->text(), "10:11:12 AM");
    EXPECT_EQ(f.Label6->text(), "Mode : PCA3  (Header: 450)");
    EXPECT_EQ(f.Label2->text(), "2498 bytes");
}

TEST_F(OpenSpectrum, GuessExpDataOffLeavesTheFieldsAndShortNamesAreFitted)
{
    TForm1& f = Start();
    f.CheckBox7->setChecked(false);
    OpenViaDialog(WriteSpm("ha1234.spm", MakePca2(2560, Ramp)));
    EXPECT_EQ(f.MaskEdit1->Value(), "H       ");
    EXPECT_EQ(f.Edit13->text(), "");
    f.CheckBox7->setChecked(true);
    OpenViaDialog(WriteSpm("ab.spm", MakePca2(2560, Ramp)));
    EXPECT_EQ(f.Edit13->text(), "AB.SPM: ");
    EXPECT_EQ(f.MaskEdit1->Value(), "H       ") << "no \"H\" in AB.SPM: fitted to nothing";
}

TEST_F(OpenSpectrum, ShowDataFillsAndEmptiesTheGrid)
{
    TForm1& f = Start();
    OpenViaDialog(WriteSpm("g.spm", MakePca2(2560, [](int i) {
                               return i == 3 ? 0xFFFFFFFFu : static_cast<uint32_t>(i * 10);
                           })));
    EXPECT_EQ(f.GridRowCount(), 2);
    f.CheckBox1->click();
    EXPECT_EQ(f.GridRowCount(), 513);
    EXPECT_EQ(f.GridCell(0, 1), "0") << "row 1 shows channel 0";
    EXPECT_EQ(f.GridCell(1, 2), "10");
    EXPECT_EQ(f.GridCell(1, 4), "4294967295");
    EXPECT_EQ(f.GridCell(0, 512), "511");
    EXPECT_EQ(f.GridCell(1, 512), "5110");
    f.CheckBox1->click();
    EXPECT_EQ(f.GridRowCount(), 2);
    EXPECT_EQ(f.GridCell(0, 1), "");
    EXPECT_EQ(f.GridCell(1, 1), "");

    f.CheckBox1->setChecked(true); // from code too
    EXPECT_EQ(f.GridRowCount(), 513);
    OpenViaDialog(WriteSpm("big.spm", MakePca2(5000, Ramp)));
    EXPECT_EQ(f.GridRowCount(), 1025);
    EXPECT_EQ(f.GridCell(1, 1024), "2023");
}

TEST_F(OpenSpectrum, ShowDataBeforeAnyLoadKeepsTwoRows)
{
    TForm1& f = Start();
    f.CheckBox1->click();
    EXPECT_EQ(f.GridRowCount(), 2);
    EXPECT_TRUE(platform_.errors.isEmpty());
}

TEST_F(OpenSpectrum, CancelChangesNothing)
{
    TForm1& f = Start();
    OpenViaDialog(WriteSpm("ha1234.spm", MakePca2(2560, Ramp)));
    const Snapshot before = Take(f);
    platform_.QueueOpen(std::nullopt);
    f.aOpen->trigger();
    ExpectSame(before, Take(f));
    EXPECT_TRUE(platform_.errors.isEmpty());
}

TEST_F(OpenSpectrum, FailingOpenKeepsThePreviousSpectrum)
{
    TForm1& f = Start();
    f.CheckBox1->setChecked(true);
    OpenViaDialog(WriteSpm("ha1234.spm", MakePca2(2560, Ramp)));
    f.Edit13->setText("typed by the user");
    const Snapshot before = Take(f);

    OpenViaDialog(Work("missing.spm"));
    ASSERT_EQ(platform_.errors, QStringList{"File not found"});
    ExpectSame(before, Take(f));
    EXPECT_EQ(f.GridRowCount(), 2) << "the grid was cut back before the read";

    // PCA2 with a negative header length: the count block is not inside the file.
    OpenViaDialog(WriteSpm("broken.spm", std::string(3500, 'x')));
    ASSERT_EQ(platform_.errors.size(), 2);
    EXPECT_FALSE(platform_.errors[1].isEmpty());
    ExpectSame(before, Take(f));

    // A folder is no spectrum.
    QDir(Work()).mkdir("folder.spm");
    OpenViaDialog(Work("folder.spm"));
    ASSERT_EQ(platform_.errors.size(), 3);
    EXPECT_EQ(platform_.errors[2], "File access denied");
    ExpectSame(before, Take(f));
}

TEST_F(OpenSpectrum, HugeFileIsRefusedWithoutReadingIt)
{
    TForm1& f = Start();
    OpenViaDialog(WriteSpm("ha1234.spm", MakePca2(2560, Ramp)));
    const Snapshot before = Take(f);
    const QString huge = Work("huge.spm");
    {
        QFile file(huge);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_TRUE(file.resize(65 * 1024 * 1024)); // sparse: costs no disk
    }
    OpenViaDialog(huge);
    ASSERT_EQ(platform_.errors.size(), 1);
    EXPECT_TRUE(platform_.errors[0].contains("huge.spm")) << Str(platform_.errors[0]);
    ExpectSame(before, Take(f));
}

// --- drag and drop

void Drop(TForm1& f, const QList<QUrl>& urls, bool expectAccepted)
{
    QMimeData mime;
    mime.setUrls(urls);
    QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&f, &enter);
    EXPECT_EQ(enter.isAccepted(), expectAccepted);
    QDropEvent drop(QPointF(50, 50), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&f, &drop);
}

class DragAndDrop : public UiTest {};

TEST_F(DragAndDrop, OneSpmFileOpensWithoutTheDialog)
{
    TForm1& f = Start();
    QDir(Work()).mkdir("elsewhere");
    const QString path = Work("elsewhere/HB2001.SPM");
    WriteBytes(path, MakePca2(2560, Ramp));
    Drop(f, {QUrl::fromLocalFile(path)}, true);
    EXPECT_TRUE(platform_.openRequests.empty());
    EXPECT_EQ(f.Label1->text(), "HB2001.SPM");
    EXPECT_EQ(f.ChannelCount(), 512);
    EXPECT_EQ(f.MaskEdit1->Value(), "HB2001  ");
    EXPECT_EQ(QDir::currentPath(), Work("elsewhere")) << "its folder becomes the last folder";
    EXPECT_NE(ReadBytes(SettingsFile()).find("elsewhere"), std::string::npos);
}

TEST_F(DragAndDrop, AnythingElseDoesNothing)
{
    TForm1& f = Start();
    const QString a = WriteSpm("a.spm", MakePca2(2560, Ramp));
    const QString b = WriteSpm("b.spm", MakePca2(2560, Ramp));
    const QString txt = Work("notes.txt");
    WriteBytes(txt, MakePca2(2560, Ramp));
    Drop(f, {QUrl::fromLocalFile(txt)}, false);
    Drop(f, {QUrl::fromLocalFile(a), QUrl::fromLocalFile(b)}, false);
    Drop(f, {QUrl("https://example.org/x.spm")}, false);
    EXPECT_EQ(f.Label1->text(), "-");
    EXPECT_EQ(f.ChannelCount(), 0);
    EXPECT_TRUE(platform_.errors.isEmpty());
}

} // namespace
} // namespace trv::test
