#include "UiTestSupport.h"

#include "ui/widgets/IntEditField.h"
#include "ui/widgets/MaskEditField.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
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

class OpenSpectrum : public UiTest {};

// The open fills the labels, the guessed fields and the plot's settings; the fields the chosen
// mode set and those it doesn't guess stay.
TEST_F(OpenSpectrum, Pca2FileFillsLabelsGuessesAndSettings)
{
    MainWindow& f = Start();
    ChooseSaveAsMode(kSave1024);
    f.ignoreLeftEdit()->setText("77");
    OpenViaDialog(WriteSpm("ha1234.spm", MakePca2(2560, Ramp)));

    ASSERT_TRUE(platform_.errors.isEmpty()) << Str(platform_.errors.join("|"));
    EXPECT_EQ(platform_.openRequests.at(0).filter, "Spm-files (*.spm)|*.spm");
    EXPECT_EQ((QStringList{f.spectrumNameLabel()->text(), f.fileSizeLabel()->text(),
                           f.channelCountLabel()->text(), f.firstStampLabel()->text(),
                           f.secondStampLabel()->text(), f.spmModeLabel()->text()}),
              (QStringList{"ha1234.spm", "2560 bytes", "512 channels", "05/01/2001 12:34:56",
                           "05/01/2001 12:34:56", "Mode : PCA2  (Header: 512)"}));
    EXPECT_EQ((QStringList{f.serialEdit()->Value().c_str(), f.descriptionEdit()->text(),
                           f.bFieldEdit()->Value().c_str(), f.temperatureEdit()->Value().c_str(),
                           f.saveAsModeCombo()->currentText(), f.channelsEdit()->text(),
                           f.foldingChannelEdit()->Value().c_str(), f.ignoreLeftEdit()->text(),
                           f.plotFoldEdit()->text(), f.plotIgnoreLeftEdit()->text()}),
              (QStringList{"HA1234  ", "HA1234: ", "0.0T", "295 K", "512 Channels (add)", "1024",
                           "5120.000 ", "77", "256", "9"}));
}

// Show data fills the grid; a cancelled or refused open keeps the previous spectrum, and the
// grid is cut back before the read.
TEST_F(OpenSpectrum, GridAndCancelledOrFailingOpenKeepingThePreviousSpectrum)
{
    MainWindow& f = Start();
    OpenViaDialog(WriteSpm("ha1234.spm", MakePca2(2560, Ramp)));
    f.showDataBox()->click();
    EXPECT_EQ(f.GridRowCount(), 513);
    EXPECT_EQ(QStringList({f.GridCell(0, 1), f.GridCell(1, 1), f.GridCell(1, 512)}),
              QStringList({"0", "1000", "1511"}));
    f.descriptionEdit()->setText("typed by the user");
    const auto take = [&f] {
        return std::tuple{QStringList{f.spectrumNameLabel()->text(), f.fileSizeLabel()->text(),
                                      f.channelCountLabel()->text(), f.firstStampLabel()->text(),
                                      f.spmModeLabel()->text(), f.serialEdit()->text(),
                                      f.descriptionEdit()->text(), f.plotFoldEdit()->text()},
                          f.Counts(), f.saveAsModeCombo()->currentIndex()};
    };
    const auto before = take();
    platform_.QueueOpen(std::nullopt);
    f.openAction()->trigger();
    EXPECT_TRUE(take() == before);
    EXPECT_EQ(f.GridRowCount(), 513);
    OpenViaDialog(WriteSpm("broken.spm", std::string(3500, 'x')));
    EXPECT_EQ(platform_.errors.size(), 1);
    EXPECT_TRUE(take() == before);
    EXPECT_EQ(f.GridRowCount(), 2);
    EXPECT_EQ(f.GridCell(1, 1), "1000") << "row 1 still shows channel 0";
    f.showDataBox()->click();
    EXPECT_EQ(f.GridCell(1, 1), "") << "Show data off empties row 1";
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

// A file named on the command line or dropped from a file manager opens as if chosen in the
// open dialog; its folder becomes the last folder, and Save writes beside it.
TEST_F(OpenSpectrum, GivenOrDroppedFileOpensWithoutTheDialog)
{
    MainWindow& f = Start();
    QDir(Work()).mkpath("spectra");
    WriteBytes(Work("spectra/HA1001.spm"), MakePca2(2560, Ramp));
    f.OpenGivenFile("spectra/HA1001.spm");
    EXPECT_EQ(f.spectrumNameLabel()->text(), "HA1001.spm");
    EXPECT_EQ(QDir::currentPath(), Work("spectra"));
    EXPECT_NE(ReadBytes(SettingsFile()).find(Str(Work("spectra"))), std::string::npos);
    f.saveAction()->trigger();
    EXPECT_TRUE(QFileInfo::exists(Work("spectra/HA1001.exp")));

    // Only a single .spm file is taken.
    const QString a = WriteSpm("a.spm", MakePca2(2560, Ramp));
    EXPECT_FALSE(Drop(f, {QUrl::fromLocalFile(a), QUrl::fromLocalFile(a)}));
    EXPECT_EQ(f.spectrumNameLabel()->text(), "HA1001.spm");
    QDir(Work()).mkdir("elsewhere");
    WriteBytes(Work("elsewhere/HB2001.SPM"), MakePca2(2560, Ramp));
    EXPECT_TRUE(Drop(f, {QUrl::fromLocalFile(Work("elsewhere/HB2001.SPM"))}));
    EXPECT_EQ(f.serialEdit()->Value(), "HB2001  ");
    EXPECT_EQ(QDir::currentPath(), Work("elsewhere"));
    EXPECT_TRUE(platform_.openRequests.empty() && platform_.errors.isEmpty());
}

} // namespace
} // namespace trv::test
