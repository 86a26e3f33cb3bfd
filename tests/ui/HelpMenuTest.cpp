#include "ModalScript.h"
#include "UiTestSupport.h"

#include "ui/help/TForm3.h"
#include "ui/help/TForm4.h"

#include <QAction>
#include <QPointer>
#include <QPushButton>

namespace trv::test {
namespace {

class HelpMenu : public UiTest {};

// OnModal acts only on a modal window of its type.
TEST_F(HelpMenu, AboutShowsItsOneWindowModally)
{
    TForm1& f = Start();
    ShowActive();
    TForm3* shown = nullptr;
    OnModal<TForm3> user([&](TForm3& about) {
        shown = &about;
        about.Button1->click();
    });
    f.aAbout->trigger();
    ASSERT_TRUE(user.Ran());
    EXPECT_EQ(shown, f.Form3);
    EXPECT_TRUE(f.Form3->isHidden());
}

TEST_F(HelpMenu, LaughBuildsAFreshWindowEachTimeAndFreesIt)
{
    TForm1& f = Start();
    ShowActive();
    for (int i = 0; i < 2; ++i) {
        QPointer<TForm4> shown;
        OnModal<TForm4> user([&](TForm4& laugh) {
            shown = &laugh;
            laugh.Button1->click();
        });
        f.aLaugh->trigger();
        ASSERT_TRUE(user.Ran());
        EXPECT_TRUE(shown.isNull()) << "freed once it has closed";
    }
}

} // namespace
} // namespace trv::test
