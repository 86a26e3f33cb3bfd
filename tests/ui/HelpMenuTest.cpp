#include "ModalScript.h"
#include "UiTestSupport.h"

#include "ui/TASCIISave.h"
#include "ui/TForm5.h"
#include "ui/help/TForm3.h"
#include "ui/help/TForm4.h"

#include <QAction>
#include <QCheckBox>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QToolBar>

namespace trv::test {
namespace {

class HelpMenu : public UiTest {};

TEST_F(HelpMenu, AboutShowsTheOneAboutWindowModally)
{
    TForm1& f = Start();
    ShowActive();
    EXPECT_TRUE(f.ToolBar1->actions().contains(f.aAbout));
    std::vector<TForm3*> seen;
    for (int i = 0; i < 2; ++i) {
        OnModal<TForm3> user([&](TForm3& about) {
            seen.push_back(&about);
            EXPECT_TRUE(about.isVisible());
            EXPECT_TRUE(about.Memo1->isReadOnly());
            // Escape the first time, "Close" the second.
            if (i == 0)
                QTest::keyClick(&about, Qt::Key_Escape);
            else
                about.Button1->click();
        });
        f.aAbout->trigger();
        ASSERT_TRUE(user.Ran());
        EXPECT_TRUE(f.Form3->isHidden());
        EXPECT_EQ(f.Form3->result(), TForm3::kResultCancel);
    }
    EXPECT_EQ(seen, (std::vector<TForm3*>{f.Form3, f.Form3}));
}

TEST_F(HelpMenu, LaughBuildsAFreshWindowEachTimeAndFreesIt)
{
    TForm1& f = Start();
    ShowActive();
    std::vector<QPointer<TForm4>> shown;
    for (int i = 0; i < 2; ++i) {
        bool xRayAtStart = false;
        bool shapesAtStart = false;
        OnModal<TForm4> user([&](TForm4& laugh) {
            shown.emplace_back(&laugh);
            xRayAtStart = laugh.CheckBox1->isChecked();
            shapesAtStart = laugh.Shape1->isVisible() && laugh.Shape2->isVisible();
            EXPECT_EQ(laugh.parent(), nullptr) << "the Laugh window has no owner";
            laugh.CheckBox1->click();
            EXPECT_FALSE(laugh.Shape1->isVisible());
            laugh.Button1->click();
        });
        f.aLaugh->trigger();
        ASSERT_TRUE(user.Ran());
        EXPECT_TRUE(xRayAtStart);
        EXPECT_TRUE(shapesAtStart);
        EXPECT_TRUE(shown.back().isNull()) << "freed once it has closed";
    }
}

} // namespace
} // namespace trv::test
