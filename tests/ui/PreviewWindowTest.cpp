// The preview window: shown by "View", redrawn when resized, printed, and its context menu.
#include "PlotUiSupport.h"

#include "plot/Bmp.h"
#include "ui/IntEditField.h"
#include "ui/TForm2.h"

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

class PreviewWindow : public PlotUiTest {
  protected:
    // Clicks "View" and runs `inside` while the window is shown; the window is closed after.
    void WhileViewing(const std::function<void(TForm2&)>& inside)
    {
        TForm2& w = *Form().Form2;
        bool ran = false;
        QTimer::singleShot(0, &w, [&] {
            ran = true;
            inside(w);
            if (w.isVisible()) w.Button1->click();
        });
        Form().Button4->click();
        EXPECT_TRUE(ran) << "the window was not shown";
        EXPECT_FALSE(w.isVisible());
    }

    QImage PreviewShown() { return Shown(Form().Form2->Image1); }
};

TEST_F(PreviewWindow, ViewShowsTheSamePlotMaximisedAndModal)
{
    TForm1& f = StartShown();
    f.Edit4->setText("30"); // read at the drawing, though the main image was not redrawn
    WhileViewing([&](TForm2& w) {
        EXPECT_EQ(QApplication::activeModalWidget(), &w);
        EXPECT_TRUE(w.windowState() & Qt::WindowMaximized);
        EXPECT_TRUE(
            SameImage(PreviewShown(), ReferencePlot(f, w.Image1->width(), w.Image1->height())));
    });
    EXPECT_EQ(f.Form2->result(), TForm2::kResultCancel);
    EXPECT_TRUE(platform_.errors.isEmpty()) << Str(platform_.errors.join("; "));
}

TEST_F(PreviewWindow, ResizeRedrawsTheLastPreparedDataInTheNewFrame)
{
    TForm1& f = StartShown();
    TForm2& w = *f.Form2;
    WhileViewing([](TForm2&) {});
    const PlotSettings prepared = f.CurrentPlotSettings();
    // Changes that only a new PreparePlot would pick up; the scale is read at every drawing.
    f.CheckBox5->setChecked(false); // so that the main window does not prepare either
    f.CheckBox2->setChecked(false);
    f.CheckBox3->setChecked(false);
    f.Edit2->setText(QString::number(f.UpDown1->Position() + 20));

    w.show();
    w.setWindowState(Qt::WindowNoState);
    w.resize(700, 500);
    QApplication::processEvents();
    ASSERT_EQ(w.Image1->size(), QSize(700, 500 - 41));

    EXPECT_TRUE(SameImage(PreviewShown(), ReferencePlot(f, 700, 459, prepared)));
    w.hide();
}

// The buttons are hidden while printing and come back after, with or without a printer.
TEST_F(PreviewWindow, PrintHidesTheButtonsWhilePrintingAndReportsAMissingPrinter)
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
            panelHidden = Form().Form2->Panel1->isHidden();
            eventsBefore = platform_.processEventsCalls;
        };
        WhileViewing([&](TForm2& w) {
            callsAtStart = platform_.processEventsCalls;
            w.Button2->click();
            EXPECT_FALSE(w.Panel1->isHidden());
            EXPECT_TRUE(w.Button1->isVisible());
        });
        EXPECT_EQ(platform_.printed, 1);
        EXPECT_EQ(printed, Form().Form2);
        EXPECT_TRUE(panelHidden);
        EXPECT_EQ(eventsBefore, callsAtStart + 1) << "pending events run before printing";
    }
    EXPECT_EQ(platform_.errors, QStringList{"There is no default printer currently selected"});
}

TEST_F(PreviewWindow, ContextMenuSavesThisImageAndOpensTheLastBitmap)
{
    TForm1& f = StartShown();
    TForm2& w = *f.Form2;
    EXPECT_EQ(w.PopupMenu1->actions(), (QList<QAction*>{w.Saveimageasbitmap1, w.Openlastbitmap1}));

    const std::string settingsBefore = ReadBytes(SettingsFile());
    QDir(Work()).mkdir("pictures");
    WhileViewing([&](TForm2&) {
        platform_.QueueSave(Work("pictures/full.txt"));
        w.Saveimageasbitmap1->trigger();
        w.Openlastbitmap1->trigger();
    });
    ASSERT_EQ(platform_.saveRequests.size(), 1u);
    EXPECT_EQ(platform_.saveRequests[0].proposedName, "HA1001  ");
    const QString saved = Work("pictures/full.bmp");
    EXPECT_EQ(ReadBytes(saved), EncodeBmp(w.Image1->Bitmap())) << "the preview's own picture";
    EXPECT_EQ(f.LastBitmap(), saved);
    EXPECT_EQ(platform_.shellOpened, QStringList{saved});
    EXPECT_EQ(ReadBytes(SettingsFile()), settingsBefore) << "this dialog records no folder";

    f.openbitmap->trigger(); // the main window opens the same last bitmap
    EXPECT_EQ(platform_.shellOpened, (QStringList{saved, saved}));
}

TEST_F(PreviewWindow, ViewWithoutSpectrumShowsBlack)
{
    Start();
    WhileViewing([&](TForm2&) { EXPECT_TRUE(AllBlack(PreviewShown())); });
    EXPECT_TRUE(platform_.errors.isEmpty()) << Str(platform_.errors.join("; "));
}

} // namespace
} // namespace trv::test
