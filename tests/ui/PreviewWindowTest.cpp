// The preview window: shown by "View", redrawn when resized, printed, and its context menu.
#include "PlotUiSupport.h"

#include "plot/Bmp.h"
#include "ui/widgets/IntEditField.h"
#include "ui/windows/PreviewWindow.h"

#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTimer>

namespace trv::test {
namespace {

class PreviewWindowUi : public PlotUiTest {
  protected:
    // Clicks "View" and runs `inside` while the window is shown; the window is closed after.
    void WhileViewing(const std::function<void(PreviewWindow&)>& inside)
    {
        PreviewWindow& w = *Form().previewWindow();
        bool ran = false;
        QTimer::singleShot(0, &w, [&] {
            ran = true;
            inside(w);
            if (w.isVisible()) w.closeButton()->click();
        });
        Form().viewButton()->click();
        EXPECT_TRUE(ran) << "the window was not shown";
        EXPECT_FALSE(w.isVisible());
    }

    QImage PreviewShown() { return Shown(Form().previewWindow()->image()); }
};

TEST_F(PreviewWindowUi, ViewShowsTheSamePlotMaximisedAndModal)
{
    MainWindow& f = StartShown();
    f.plotIgnoreLeftEdit()->setText(
        "30"); // read at the drawing, though the main image was not redrawn
    WhileViewing([&](PreviewWindow& w) {
        EXPECT_EQ(QApplication::activeModalWidget(), &w);
        EXPECT_TRUE(w.windowState() & Qt::WindowMaximized);
        EXPECT_TRUE(
            SameImage(PreviewShown(), ReferencePlot(f, w.image()->width(), w.image()->height())));
    });
    EXPECT_EQ(f.previewWindow()->result(), PreviewWindow::kResultCancel);
    EXPECT_TRUE(platform_.errors.isEmpty()) << Str(platform_.errors.join("; "));
}

TEST_F(PreviewWindowUi, ResizeRedrawsTheLastPreparedDataInTheNewFrame)
{
    MainWindow& f = StartShown();
    PreviewWindow& w = *f.previewWindow();
    WhileViewing([](PreviewWindow&) {});
    const PlotSettings prepared = f.CurrentPlotSettings();
    // Changes that only a new PreparePlot would pick up; the scale is read at every drawing.
    f.previewBox()->setChecked(false); // so that the main window does not prepare either
    f.foldedBox()->setChecked(false);
    f.errorLinesBox()->setChecked(false);
    f.scaleEdit()->setText(QString::number(f.scaleSpin()->Position() + 20));

    w.show();
    w.setWindowState(Qt::WindowNoState);
    w.resize(700, 500);
    QApplication::processEvents();
    ASSERT_EQ(w.image()->size(), QSize(700, 500 - 41));

    EXPECT_TRUE(SameImage(PreviewShown(), ReferencePlot(f, 700, 459, prepared)));
    w.hide();
}

// The buttons are hidden while printing and come back after, with or without a printer.
TEST_F(PreviewWindowUi, PrintHidesTheButtonsWhilePrintingAndReportsAMissingPrinter)
{
    StartShown();
    for (const bool printer : {true, false}) {
        SCOPED_TRACE(printer);
        platform_.hasPrinter = printer;
        int eventsBefore = 0, callsAtStart = 0;
        bool panelHidden = false;
        QWidget* printed = nullptr;
        platform_.onPrint = [&](QWidget* widget) {
            printed = widget;
            panelHidden = Form().previewWindow()->buttonPanel()->isHidden();
            eventsBefore = platform_.processEventsCalls;
        };
        WhileViewing([&](PreviewWindow& w) {
            callsAtStart = platform_.processEventsCalls;
            w.printButton()->click();
            EXPECT_FALSE(w.buttonPanel()->isHidden());
            EXPECT_TRUE(w.closeButton()->isVisible());
        });
        EXPECT_EQ(platform_.printed, 1);
        EXPECT_EQ(printed, Form().previewWindow());
        EXPECT_TRUE(panelHidden);
        EXPECT_EQ(eventsBefore, callsAtStart + 1) << "pending events run before printing";
    }
    EXPECT_EQ(platform_.errors, QStringList{"There is no default printer currently selected"});
}

TEST_F(PreviewWindowUi, ContextMenuSavesThisImageAndOpensTheLastBitmap)
{
    MainWindow& f = StartShown();
    PreviewWindow& w = *f.previewWindow();
    EXPECT_EQ(w.popupMenu()->actions(),
              (QList<QAction*>{w.saveBitmapAction(), w.openLastBitmapAction()}));

    const std::string settingsBefore = ReadBytes(SettingsFile());
    QDir(Work()).mkdir("pictures");
    WhileViewing([&](PreviewWindow&) {
        platform_.QueueSave(Work("pictures/full.txt"));
        w.saveBitmapAction()->trigger();
        w.openLastBitmapAction()->trigger();
    });
    ASSERT_EQ(platform_.saveRequests.size(), 1u);
    EXPECT_EQ(platform_.saveRequests[0].proposedName, "HA1001  ");
    const QString saved = Work("pictures/full.bmp");
    EXPECT_EQ(ReadBytes(saved), EncodeBmp(w.image()->Bitmap())) << "the preview's own picture";
    EXPECT_EQ(f.LastBitmap(), saved);
    EXPECT_EQ(platform_.shellOpened, QStringList{saved});
    EXPECT_EQ(ReadBytes(SettingsFile()), settingsBefore) << "this dialog records no folder";

    f.openBitmapAction()->trigger(); // the main window opens the same last bitmap
    EXPECT_EQ(platform_.shellOpened, (QStringList{saved, saved}));
}

TEST_F(PreviewWindowUi, ViewWithoutSpectrumShowsBlack)
{
    Start();
    WhileViewing([&](PreviewWindow&) { EXPECT_TRUE(AllBlack(PreviewShown())); });
    EXPECT_TRUE(platform_.errors.isEmpty()) << Str(platform_.errors.join("; "));
}

} // namespace
} // namespace trv::test
