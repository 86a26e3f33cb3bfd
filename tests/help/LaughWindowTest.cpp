#include "WindowTestUtil.h"
#include "ui/help/TForm4.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

#include <gtest/gtest.h>

#include <memory>

namespace trv {
namespace {

using testing::ExecWhile;
using testing::Focused;
using testing::PressKey;

// The rectangles as the window places them; their XOR fill covers the inside of the outline.
const QRect kShape1(32, 8, 161, 129);
const QRect kShape2(208, 16, 89, 89);

QImage Grab(QWidget& w)
{
    QApplication::processEvents();
    return w.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

QRgb Rgb(const QImage& image, int x, int y)
{
    return image.pixel(x, y) & 0xFFFFFF;
}

TEST(LaughWindow, FrameAndControls)
{
    TForm4 form;
    EXPECT_EQ(form.windowTitle(), "Aren't they niiiiiiiiiiiiiice?");
    EXPECT_EQ(form.geometry(), QRect(235, 106, 366, 399));
    EXPECT_EQ(form.minimumSize(), form.maximumSize());
    EXPECT_FALSE(form.windowFlags().testFlag(Qt::WindowCloseButtonHint));
    EXPECT_EQ(form.Button1->text(), "Close");
    EXPECT_TRUE(form.Button1->isDefault());
    EXPECT_EQ(form.CheckBox1->text(), "X-Ray");
    EXPECT_EQ(form.Label1->text() + form.Label2->text(), "UlvoBrem");
    EXPECT_EQ(form.Label2->pos(), QPoint(280, 128));
    EXPECT_TRUE(form.Label2->font().bold());
    // Painting order: picture, labels, then the shapes over them.
    const QObjectList& children = form.children();
    const QObject* order[] = {form.Image1, form.Label1, form.Label2, form.Shape1, form.Shape2};
    for (int i = 0; i + 1 < 5; ++i)
        EXPECT_LT(children.indexOf(order[i]), children.indexOf(order[i + 1])) << i;
}

TEST(LaughWindow, XRayInvertsExactlyInsideTheOutlines)
{
    TForm4 form;
    form.show();
    const QImage xray = Grab(form);
    form.CheckBox1->setChecked(false);
    const QImage plain = Grab(form);
    ASSERT_EQ(xray.size(), QSize(366, 399));
    int inverted = 0, wrong = 0;
    for (int y = 0; y < xray.height(); ++y)
        for (int x = 0; x < xray.width(); ++x) {
            const QPoint p(x, y);
            if (form.CheckBox1->geometry().contains(p)) continue; // its tick differs, of course
            const bool inside = kShape1.adjusted(1, 1, -1, -1).contains(p) ||
                                kShape2.adjusted(1, 1, -1, -1).contains(p);
            wrong += Rgb(xray, x, y) != (inside ? ~Rgb(plain, x, y) & 0xFFFFFF : Rgb(plain, x, y));
            inverted += inside;
        }
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(inverted, 159 * 127 + 87 * 87);
    // Without X-ray the picture shows as decoded, outline rows included, with red labels.
    for (const QPoint p : {QPoint(100, 50), QPoint(32, 8), QPoint(296, 104), QPoint(361, 361)})
        EXPECT_EQ(Rgb(plain, p.x(), p.y()), form.Picture().pixel(p) & 0xFFFFFF) << p.x();
    int red = 0;
    for (int y = 176; y < 196; ++y)
        for (int x = 40; x < 80; ++x)
            red += Rgb(plain, x, y) == 0xFF0000;
    EXPECT_GT(red, 20);
}

TEST(LaughWindow, TogglingAndRepaintingNeverInvertTwice)
{
    TForm4 form;
    form.show();
    const QImage start = Grab(form);
    for (int round = 0; round < 2; ++round) {
        form.CheckBox1->click();
        EXPECT_TRUE(form.Shape1->isHidden() && form.Shape2->isHidden());
        form.CheckBox1->click();
        EXPECT_EQ(Grab(form), start) << "round " << round;
    }
    // What reaches the screen after partial and whole repaints.
    const auto onScreen = [&] {
        QApplication::processEvents();
        return form.screen()
            ->grabWindow(form.winId())
            .toImage()
            .convertToFormat(QImage::Format_RGB32);
    };
    EXPECT_EQ(onScreen(), start);
    form.update(QRect(40, 20, 30, 30));
    form.Shape1->repaint();
    EXPECT_EQ(onScreen(), start);
    form.Shape2->update(QRect(10, 10, 5, 5));
    form.repaint();
    EXPECT_EQ(onScreen(), start);
}

TEST(LaughWindow, EveryWayOutEndsWithCancelAndEachShowingIsFreshWithXRayOn)
{
    const std::pair<const char*, std::function<void(TForm4&)>> cases[] = {
        {"Close clicked", [](TForm4& f) { f.CheckBox1->click(), f.Button1->click(); }},
        {"Enter", [](TForm4& f) { PressKey(Focused(f), Qt::Key_Return); }},
        {"Escape", [](TForm4& f) { PressKey(Focused(f), Qt::Key_Escape); }},
        {"Enter on the check box",
         [](TForm4& f) { f.CheckBox1->setFocus(), PressKey(f.CheckBox1, Qt::Key_Return); }},
    };
    for (const auto& [what, act] : cases) {
        auto form = std::make_unique<TForm4>();
        EXPECT_TRUE(form->CheckBox1->isChecked() && !form->Shape1->isHidden()) << what;
        EXPECT_EQ(ExecWhile(*form, [&] { act(*form); }), TForm4::kResultCancel) << what;
        EXPECT_FALSE(form->isVisible()) << what;
    }
}

} // namespace
} // namespace trv
