#include "UiTestSupport.h"

#include "ui/widgets/IntEditField.h"
#include "ui/widgets/MaskEditField.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QMimeData>
#include <QScrollBar>
#include <QStyle>
#include <QTableWidget>
#include <QUrl>

#include <tuple>

namespace trv::test {
namespace {

uint32_t Ramp(int i)
{
    return 1000u + static_cast<uint32_t>(i);
}

// What a failed or cancelled open must leave as it was.
using Snapshot = std::tuple<QStringList, std::vector<uint32_t>, int>;

Snapshot Take(MainWindow& f)
{
    return {{f.spectrumNameLabel()->text(), f.fileSizeLabel()->text(),
             f.channelCountLabel()->text(), f.firstStampLabel()->text(),
             f.secondStampLabel()->text(), f.spmModeLabel()->text(), f.serialEdit()->text(),
             f.descriptionEdit()->text(), f.plotFoldEdit()->text()},
            f.Counts(),
            f.saveAsModeCombo()->currentIndex()};
}

class OpenSpectrum : public UiTest {};

TEST_F(OpenSpectrum, Pca2FileFillsLabelsGuessesAndSettings)
{
    MainWindow& f = Start();
    ShowActive();
    f.ignoreLeftEdit()->setText("77"); // the open changes only the guessed fields
    OpenViaDialog(WriteSpm("ha1234.spm", MakePca2(2560, Ramp)));

    ASSERT_TRUE(platform_.errors.isEmpty()) << Str(platform_.errors.join("|"));
    EXPECT_EQ(platform_.openRequests.at(0).filter, "Spm-files (*.spm)|*.spm");
    EXPECT_GE(platform_.processEventsCalls, 1);
    EXPECT_EQ((QStringList{f.spectrumNameLabel()->text(), f.fileSizeLabel()->text(),
                           f.channelCountLabel()->text(), f.firstStampLabel()->text(),
                           f.secondStampLabel()->text(), f.spmModeLabel()->text()}),
              (QStringList{"ha1234.spm", "2560 bytes", "512 channels", "05/01/2001 12:34:56",
                           "05/01/2001 12:34:56", "Mode : PCA2  (Header: 512)"}));
    ASSERT_EQ(f.Counts().size(), 512u);
    EXPECT_EQ(f.Counts()[511], 1511u);
    EXPECT_EQ(f.serialEdit()->Value(), "HA1234  ");
    EXPECT_EQ(f.descriptionEdit()->text(), "HA1234: ");
    EXPECT_EQ(f.bFieldEdit()->Value(), "0.0T");
    EXPECT_EQ(f.temperatureEdit()->Value(), "295 K");
    EXPECT_EQ(f.ignoreLeftEdit()->text(), "77");
    EXPECT_EQ(f.saveAsModeCombo()->currentText(), "512 Channels (add)");
    EXPECT_EQ(f.channelsEdit()->text(), "512") << "choosing the mode from code runs no reaction";
    EXPECT_EQ(f.plotFoldEdit()->text(), "256");
    EXPECT_EQ(f.plotIgnoreLeftEdit()->text(), "9");
    EXPECT_EQ(f.GridRowCount(), 2) << "Show data is off";
    EXPECT_EQ(QApplication::focusWidget(), f.descriptionEdit());
}

// Label texts of other shapes come from the spectrum reader; here the mode the user chose
// stays, and with "Guess exp data" off the fields stay too.
TEST_F(OpenSpectrum, ChosenModeAndUnguessedFieldsStay)
{
    MainWindow& f = Start();
    ChooseSaveAsMode(0);
    OpenViaDialog(WriteSpm("big.spm", MakePca2(5000, Ramp)));
    EXPECT_EQ(f.channelCountLabel()->text(), "1024 channels");
    EXPECT_EQ(f.plotFoldEdit()->text(), "512");
    EXPECT_EQ(f.saveAsModeCombo()->currentIndex(), 1);
    EXPECT_EQ(f.foldingChannelEdit()->Value(), "5120.000 ") << "the mask chosen by the user stays";
    f.guessExpDataBox()->setChecked(false);
    OpenViaDialog(WriteSpm("ha1234.spm", MakePca2(2560, Ramp)));
    EXPECT_EQ(f.serialEdit()->Value(), "H       ");
    EXPECT_EQ(f.descriptionEdit()->text(), "BIG.SP: ") << "the last guess stays";
    // A short name is fitted to the serial's mask.
    f.guessExpDataBox()->setChecked(true);
    OpenViaDialog(WriteSpm("ab.spm", MakePca2(2560, Ramp)));
    EXPECT_EQ(f.descriptionEdit()->text(), "AB.SPM: ");
    EXPECT_EQ(f.serialEdit()->Value(), "H       ") << "no \"H\" in AB.SPM: fitted to nothing";
}

TEST_F(OpenSpectrum, ShowDataFillsAndEmptiesTheGrid)
{
    MainWindow& f = Start();
    OpenViaDialog(WriteSpm("g.spm", MakePca2(2560, [](int i) {
                               return i == 3 ? 0xFFFFFFFFu : static_cast<uint32_t>(i * 10);
                           })));
    EXPECT_EQ(f.GridRowCount(), 2);
    f.showDataBox()->click();
    EXPECT_EQ(f.GridRowCount(), 513);
    EXPECT_EQ(f.GridCell(0, 1), "0") << "row 1 shows channel 0";
    EXPECT_EQ(f.GridCell(1, 4), "4294967295");
    EXPECT_EQ(f.GridCell(1, 512), "5110");
    f.showDataBox()->click();
    EXPECT_EQ(f.GridRowCount(), 2);
    EXPECT_EQ(f.GridCell(1, 1), "");

    f.showDataBox()->setChecked(true); // from code too
    OpenViaDialog(WriteSpm("big.spm", MakePca2(5000, Ramp)));
    EXPECT_EQ(f.GridCell(1, 1024), "2023");
}

// Shown whole, at the design width too: the widest count (a subtracted spectrum reaches
// 4294967295) beside the vertical scroll bar, the highest channel and both titles.
TEST_F(OpenSpectrum, GridShowsEveryCountAndTitleWhole)
{
    for (const int width : {770, 1300}) {
        SCOPED_TRACE(width);
        MainWindow& f = Start();
        f.showDataBox()->setChecked(true);
        OpenViaDialog(WriteSpm("wide.spm", MakePca2(5000, [](int i) {
                                   return i == 3 ? 0xFFFFFFFFu : static_cast<uint32_t>(i);
                               })));
        f.resize(width, 497);
        f.show();
        QApplication::processEvents();
        QTableWidget* grid = f.dataGrid();
        ASSERT_TRUE(grid->verticalScrollBar()->isVisible());
        const int viewport = grid->viewport()->width();
        // The item's style sheet padding and the delegate's own text margin, on both sides.
        const int cellMargins =
            2 * 4 +
            2 * (grid->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, grid) + 1);
        const int headerMargins = 2 * grid->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr,
                                                                 grid->horizontalHeader());
        const QFontMetrics cells(grid->font());
        const QFontMetrics titles(grid->horizontalHeader()->font());
        for (const auto& [col, row, text] : {std::tuple{1, 3, "4294967295"}, {0, 1023, "1023"}}) {
            ASSERT_EQ(f.GridCell(col, row + 1), text);
            const QRect cell = grid->visualRect(grid->model()->index(row, col));
            EXPECT_GE(cell.left(), 0) << text;
            EXPECT_LE(cell.right(), viewport - 1) << text << " runs under the scroll bar";
            EXPECT_GE(cell.width(), cells.horizontalAdvance(text) + cellMargins) << text;
            const QString title = f.GridCell(col, 0);
            EXPECT_GE(grid->columnWidth(col), titles.horizontalAdvance(title) + headerMargins)
                << Str(title);
        }
        Stop();
    }
}

TEST_F(OpenSpectrum, CancelledOrFailingOpenKeepsThePreviousSpectrum)
{
    MainWindow& f = Start();
    f.showDataBox()->setChecked(true);
    OpenViaDialog(WriteSpm("ha1234.spm", MakePca2(2560, Ramp)));
    f.descriptionEdit()->setText("typed by the user");
    const Snapshot before = Take(f);
    platform_.QueueOpen(std::nullopt);
    f.openAction()->trigger();
    EXPECT_TRUE(Take(f) == before);
    EXPECT_EQ(f.GridRowCount(), 513);

    // A refused file: one message, the spectrum as before, the grid cut back before the read.
    OpenViaDialog(WriteSpm("broken.spm", std::string(3500, 'x')));
    EXPECT_EQ(platform_.errors.size(), 1);
    EXPECT_TRUE(Take(f) == before);
    EXPECT_EQ(f.GridRowCount(), 2);
    EXPECT_EQ(f.GridCell(1, 1), "1000") << "row 1 still shows channel 0";
}

// --- drag and drop

bool Drop(MainWindow& f, const QList<QUrl>& urls)
{
    QMimeData mime;
    mime.setUrls(urls);
    QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&f, &enter);
    QDropEvent drop(QPointF(50, 50), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&f, &drop);
    return enter.isAccepted();
}

// A file named on the command line or by a file manager opens as if chosen in the open dialog;
// its folder becomes the last folder, and Save writes beside it.
TEST_F(OpenSpectrum, GivenFileOpensWithoutTheDialogFromTheFolderGiven)
{
    MainWindow& f = Start();
    QDir(Work()).mkpath("spectra");
    WriteBytes(Work("spectra/HA1001.spm"), MakePca2(2560, Ramp));
    f.OpenGivenFile("spectra/HA1001.spm");
    EXPECT_TRUE(platform_.errors.isEmpty()) << Str(platform_.errors.join('\n'));
    EXPECT_TRUE(platform_.openRequests.empty()) << "no dialog";
    EXPECT_EQ(f.spectrumNameLabel()->text(), "HA1001.spm");
    EXPECT_EQ(QDir::currentPath(), Work("spectra"));
    EXPECT_NE(ReadBytes(SettingsFile()).find(Str(Work("spectra"))), std::string::npos);
    f.saveAction()->trigger();
    EXPECT_TRUE(QFileInfo::exists(Work("spectra/HA1001.exp")));

    f.OpenGivenFile(Work("gone/b.spm"));
    EXPECT_EQ(platform_.errors, QStringList{"File not found"});
    EXPECT_EQ(f.spectrumNameLabel()->text(), "HA1001.spm");
    EXPECT_EQ(f.Counts().size(), 512u);
}

TEST_F(OpenSpectrum, DroppedSpmFileOpensWithoutTheDialogAndAnythingElseDoesNothing)
{
    MainWindow& f = Start();
    QDir(Work()).mkdir("elsewhere");
    const QString a = WriteSpm("a.spm", MakePca2(2560, Ramp));
    const QString txt = WriteSpm("notes.txt", MakePca2(2560, Ramp));
    EXPECT_FALSE(Drop(f, {QUrl::fromLocalFile(txt)}));
    EXPECT_FALSE(Drop(f, {QUrl::fromLocalFile(a), QUrl::fromLocalFile(a)}));
    EXPECT_FALSE(Drop(f, {QUrl("https://example.org/x.spm")}));
    EXPECT_EQ(f.spectrumNameLabel()->text(), "-");

    const QString path = Work("elsewhere/HB2001.SPM");
    WriteBytes(path, MakePca2(2560, Ramp));
    EXPECT_TRUE(Drop(f, {QUrl::fromLocalFile(path)}));
    EXPECT_TRUE(platform_.openRequests.empty());
    EXPECT_EQ(f.spectrumNameLabel()->text(), "HB2001.SPM");
    EXPECT_EQ(f.serialEdit()->Value(), "HB2001  ");
    EXPECT_EQ(QDir::currentPath(), Work("elsewhere")) << "its folder becomes the last folder";
    EXPECT_NE(ReadBytes(SettingsFile()).find("elsewhere"), std::string::npos);
    EXPECT_TRUE(platform_.errors.isEmpty());
}

} // namespace
} // namespace trv::test
