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

// The rectangles as the window places them, and the pixels their XOR fill covers.
const QRect kShape1(32, 8, 161, 129);
const QRect kShape2(208, 16, 89, 89);
QRect Interior(const QRect& r)
{
    return r.adjusted(1, 1, -1, -1);
}

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
    EXPECT_EQ(form.objectName(), "TForm4");
    EXPECT_EQ(form.windowTitle(), "Aren't they niiiiiiiiiiiiiice?");
    EXPECT_EQ(form.size(), QSize(366, 399));
    EXPECT_EQ(form.minimumSize(), form.maximumSize());
    EXPECT_EQ(form.pos(), QPoint(235, 106));
    const Qt::WindowFlags flags = form.windowFlags();
    EXPECT_TRUE(flags.testFlag(Qt::CustomizeWindowHint));
    EXPECT_TRUE(flags.testFlag(Qt::WindowTitleHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowCloseButtonHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowSystemMenuHint));

    EXPECT_EQ(form.Image1->geometry(), QRect(0, 0, 362, 362));
    EXPECT_EQ(form.Picture().size(), QSize(362, 362));
    EXPECT_EQ(form.Shape1->geometry(), kShape1);
    EXPECT_EQ(form.Shape2->geometry(), kShape2);
    EXPECT_EQ(form.Button1->text(), "Close");
    EXPECT_EQ(form.Button1->geometry(), QRect(288, 368, 75, 25));
    EXPECT_TRUE(form.Button1->isDefault());
    EXPECT_EQ(form.CheckBox1->text(), "X-Ray");
    EXPECT_EQ(form.CheckBox1->geometry(), QRect(0, 368, 97, 17));
    EXPECT_TRUE(form.CheckBox1->isChecked());

    struct LabelCase {
        QLabel* label;
        const char* name;
        const char* caption;
        QPoint pos;
    };
    for (const LabelCase& c : {LabelCase{form.Label1, "Label1", "Ulvo", {40, 176}},
                               LabelCase{form.Label2, "Label2", "Brem", {280, 128}}}) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.label->objectName(), c.name);
        EXPECT_EQ(c.label->text(), c.caption);
        EXPECT_EQ(c.label->pos(), c.pos);
        EXPECT_TRUE(c.label->font().bold());
        EXPECT_EQ(c.label->font().pixelSize(), 16);
        EXPECT_EQ(c.label->palette().color(QPalette::WindowText), QColor(255, 0, 0));
        EXPECT_FALSE(c.label->autoFillBackground());
    }

    // Painting order: picture, labels, then the shapes over them.
    const QObjectList& children = form.children();
    EXPECT_LT(children.indexOf(form.Image1), children.indexOf(form.Label1));
    EXPECT_LT(children.indexOf(form.Label1), children.indexOf(form.Label2));
    EXPECT_LT(children.indexOf(form.Label2), children.indexOf(form.Shape1));
    EXPECT_LT(children.indexOf(form.Shape1), children.indexOf(form.Shape2));
}

TEST(LaughWindow, XRayInvertsExactlyInsideTheOutlines)
{
    TForm4 form;
    form.show();
    const QImage xray = Grab(form);
    form.CheckBox1->setChecked(false);
    const QImage plain = Grab(form);
    ASSERT_EQ(xray.size(), QSize(366, 399));
    ASSERT_EQ(plain.size(), xray.size());

    int inverted = 0;
    for (int y = 0; y < xray.height(); ++y) {
        for (int x = 0; x < xray.width(); ++x) {
            const QPoint p(x, y);
            if (form.CheckBox1->geometry().contains(p)) continue; // its tick differs, of course
            const bool inside = Interior(kShape1).contains(p) || Interior(kShape2).contains(p);
            const QRgb expected = inside ? (~Rgb(plain, x, y) & 0xFFFFFF) : Rgb(plain, x, y);
            if (Rgb(xray, x, y) != expected) {
                ADD_FAILURE() << "pixel " << x << "," << y
                              << (inside ? " not inverted" : " changed");
                return;
            }
            inverted += inside;
        }
    }
    EXPECT_EQ(inverted, 159 * 127 + 87 * 87);

    // Without X-ray the picture shows as decoded, outline rows included.
    for (const QPoint p : {QPoint(100, 50), QPoint(32, 8), QPoint(192, 136), QPoint(250, 60),
                           QPoint(296, 104), QPoint(361, 361)})
        EXPECT_EQ(Rgb(plain, p.x(), p.y()), form.Picture().pixel(p) & 0xFFFFFF)
            << p.x() << "," << p.y();
    // The labels are painted: some red letters over the picture.
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
        EXPECT_FALSE(form.Shape1->isVisible());
        EXPECT_FALSE(form.Shape2->isVisible());
        form.CheckBox1->click();
        EXPECT_TRUE(form.Shape1->isVisible());
        EXPECT_TRUE(form.Shape2->isVisible());
        EXPECT_EQ(Grab(form), start) << "round " << round;
    }

    // What reaches the screen: a repaint of part of a shape, of one shape and of the whole
    // window must each leave the window as it was.
    QScreen* screen = form.screen();
    ASSERT_NE(screen, nullptr);
    auto onScreen = [&] {
        QApplication::processEvents();
        return screen->grabWindow(form.winId()).toImage().convertToFormat(QImage::Format_RGB32);
    };
    const QImage shown = onScreen();
    ASSERT_EQ(shown.size(), form.size());
    EXPECT_EQ(shown, start);
    form.update(QRect(40, 20, 30, 30));
    EXPECT_EQ(onScreen(), start);
    form.Shape1->repaint();
    EXPECT_EQ(onScreen(), start);
    form.Shape2->update(QRect(10, 10, 5, 5));
    form.repaint();
    EXPECT_EQ(onScreen(), start);
}

TEST(LaughWindow, EachShowingIsAFreshWindowWithXRayOn)
{
    auto first = std::make_unique<TForm4>();
    EXPECT_EQ(ExecWhile(*first,
                        [&] {
                            first->CheckBox1->click();
                            first->Button1->click();
                        }),
              TForm4::kResultCancel);
    EXPECT_FALSE(first->CheckBox1->isChecked());
    first.reset();

    auto second = std::make_unique<TForm4>();
    EXPECT_TRUE(second->CheckBox1->isChecked());
    EXPECT_FALSE(second->Shape1->isHidden());
    EXPECT_FALSE(second->Shape2->isHidden());
}

TEST(LaughWindow, CloseEnterAndEscapeEndWithCancel)
{
    struct Case {
        const char* what;
        std::function<void(TForm4&)> act;
    };
    const Case cases[] = {
        {"Close clicked", [](TForm4& f) { f.Button1->click(); }},
        {"Enter", [](TForm4& f) { PressKey(Focused(f), Qt::Key_Return); }},
        {"Escape", [](TForm4& f) { PressKey(Focused(f), Qt::Key_Escape); }},
        {"Enter on the check box",
         [](TForm4& f) {
             f.CheckBox1->setFocus();
             PressKey(f.CheckBox1, Qt::Key_Return);
         }},
        {"Escape on the check box",
         [](TForm4& f) {
             f.CheckBox1->setFocus();
             PressKey(f.CheckBox1, Qt::Key_Escape);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto form = std::make_unique<TForm4>();
        EXPECT_EQ(ExecWhile(*form, [&] { c.act(*form); }), TForm4::kResultCancel);
        EXPECT_FALSE(form->isVisible());
    }
}

TEST(LaughWindow, ClickingThePictureDoesNothing)
{
    TForm4 form;
    form.show();
    const QImage before = Grab(form);
    for (const QPoint p : {QPoint(100, 50), QPoint(250, 60), QPoint(200, 300)}) {
        QWidget* target = form.childAt(p);
        ASSERT_NE(target, nullptr);
        const QPoint local = target->mapFrom(&form, p);
        QMouseEvent press(QEvent::MouseButtonPress, local, target->mapToGlobal(local),
                          Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &press);
        QMouseEvent release(QEvent::MouseButtonRelease, local, target->mapToGlobal(local),
                            Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(target, &release);
    }
    EXPECT_TRUE(form.isVisible());
    EXPECT_TRUE(form.CheckBox1->isChecked());
    EXPECT_EQ(Grab(form), before);
}

} // namespace
} // namespace trv
