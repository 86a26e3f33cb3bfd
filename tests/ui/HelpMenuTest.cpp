#include "ModalScript.h"
#include "UiTestSupport.h"

#include "ui/windows/AboutDialog.h"
#include "ui/windows/LaughDialog.h"

#include <QAction>
#include <QPointer>
#include <QPushButton>

namespace trv::test {
namespace {

class HelpMenu : public UiTest {};

// OnModal acts only on a modal window of its type.
TEST_F(HelpMenu, AboutShowsItsOneWindowModally)
{
    MainWindow& f = Start();
    ShowActive();
    AboutDialog* shown = nullptr;
    OnModal<AboutDialog> user([&](AboutDialog& about) {
        shown = &about;
        about.okButton()->click();
    });
    f.aboutAction()->trigger();
    ASSERT_TRUE(user.Ran());
    EXPECT_EQ(shown, f.aboutDialog());
    EXPECT_TRUE(f.aboutDialog()->isHidden());
}

TEST_F(HelpMenu, LaughBuildsAFreshWindowEachTimeAndFreesIt)
{
    MainWindow& f = Start();
    ShowActive();
    for (int i = 0; i < 2; ++i) {
        QPointer<LaughDialog> shown;
        OnModal<LaughDialog> user([&](LaughDialog& laugh) {
            shown = &laugh;
            laugh.closeButton()->click();
        });
        f.laughAction()->trigger();
        ASSERT_TRUE(user.Ran());
        EXPECT_TRUE(shown.isNull()) << "freed once it has closed";
    }
}

} // namespace
} // namespace trv::test
