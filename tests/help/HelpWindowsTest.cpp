// The Help menu's windows: About's fixed text, the Laugh picture's X-ray, and the ways out of both.
#include "ui/windows/AboutDialog.h"
#include "ui/windows/LaughDialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace trv {
namespace {

// Runs dialog.exec() while `action` is done from inside its event loop; a dialog that does
// not close within two seconds ends with -1 so a failing test cannot hang.
int ExecWhile(QDialog& dialog, const std::function<void()>& action)
{
    QTimer::singleShot(0, &dialog, action);
    QTimer::singleShot(2000, &dialog, [&dialog] { dialog.done(-1); });
    return dialog.exec();
}

// A key as the user types it into the focused control; unhandled keys travel up to the window.
void PressKey(QWidget* target, int key, const QString& text = {})
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(target, &release);
}

QImage Grab(QWidget& w)
{
    QApplication::processEvents();
    return w.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// The shapes sit at (32, 8) 161 x 129 and (208, 16) 89 x 89: inside their one-pixel outline
// X-ray shows the negative, on the outline and outside the picture is unchanged.
TEST(LaughWindow, XRayInvertsExactlyInsideTheOutlinesAndTogglesBack)
{
    LaughDialog form;
    form.show();
    const QImage xray = Grab(form);
    form.xRayBox()->click();
    const QImage plain = Grab(form);
    const struct {
        int x, y;
        bool inverted;
    } probes[] = {
        {33, 9, true},     {191, 135, true}, {209, 17, true},   {295, 103, true}, {32, 8, false},
        {192, 136, false}, {208, 50, false}, {296, 104, false}, {330, 60, false},
    };
    for (const auto& p : probes) {
        const QRgb before = plain.pixel(p.x, p.y) & 0xFFFFFF;
        EXPECT_EQ(xray.pixel(p.x, p.y) & 0xFFFFFF, p.inverted ? ~before & 0xFFFFFF : before)
            << p.x << "," << p.y;
        EXPECT_EQ(before, form.Picture().pixel(p.x, p.y) & 0xFFFFFF) << "shown as decoded";
    }
    // Repainting starts from the widgets below, so no area is ever inverted twice.
    form.xRayBox()->click();
    EXPECT_EQ(Grab(form), xray);
}

// "Close", Escape and Enter end either window with Cancel; the About window is shown again and
// again, as the program does, and each Laugh window opens with X-ray on. About's text cannot be
// edited.
TEST(HelpWindows, EveryWayOutEndsWithCancel)
{
    AboutDialog about;
    PressKey(about.textView(), Qt::Key_X, "x");
    EXPECT_EQ(about.textView()->toPlainText(), AboutDialog::AboutText());
    for (const int key : {0, int(Qt::Key_Escape), int(Qt::Key_Return)}) {
        SCOPED_TRACE(key);
        LaughDialog laugh;
        EXPECT_TRUE(laugh.xRayBox()->isChecked());
        const auto act = [key](QWidget* target, QPushButton* close) {
            return [=] { key ? PressKey(target, key) : close->click(); };
        };
        EXPECT_EQ(ExecWhile(laugh, act(&laugh, laugh.closeButton())), ModalResult::kResultCancel);
        EXPECT_EQ(ExecWhile(about, act(about.textView(), about.okButton())),
                  ModalResult::kResultCancel);
        EXPECT_FALSE(laugh.isVisible() || about.isVisible());
    }
}

} // namespace
} // namespace trv
