#include "WindowTestUtil.h"
#include "ui/windows/LaughDialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QPushButton>

#include <gtest/gtest.h>

#include <memory>

namespace trv {
namespace {

using testing::ExecWhile;
using testing::Focused;
using testing::PressKey;

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
        {33, 9, true},   {100, 50, true},   {191, 135, true}, {209, 17, true},  {295, 103, true},
        {32, 8, false},  {192, 136, false}, {100, 8, false},  {208, 50, false}, {296, 104, false},
        {31, 50, false}, {100, 150, false}, {330, 60, false},
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
    form.xRayBox()->click();
    EXPECT_EQ(Grab(form), plain);
}

TEST(LaughWindow, EveryWayOutEndsWithCancelAndEachShowingIsFreshWithXRayOn)
{
    const std::pair<const char*, std::function<void(LaughDialog&)>> cases[] = {
        {"Close clicked", [](LaughDialog& f) { f.xRayBox()->click(), f.closeButton()->click(); }},
        {"Enter", [](LaughDialog& f) { PressKey(Focused(f), Qt::Key_Return); }},
        {"Escape", [](LaughDialog& f) { PressKey(Focused(f), Qt::Key_Escape); }},
    };
    for (const auto& [what, act] : cases) {
        auto form = std::make_unique<LaughDialog>();
        EXPECT_TRUE(form->xRayBox()->isChecked()) << what;
        EXPECT_EQ(ExecWhile(*form, [&] { act(*form); }), LaughDialog::kResultCancel) << what;
        EXPECT_FALSE(form->isVisible()) << what;
    }
}

} // namespace
} // namespace trv
