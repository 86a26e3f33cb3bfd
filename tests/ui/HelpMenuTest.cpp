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

// About shows its one window modally each time; Laugh builds a fresh window and frees it.
TEST_F(HelpMenu, AboutReusesItsWindowAndLaughBuildsAFreshOne)
{
    MainWindow& f = Start();
    ShowActive();
    for (int i = 0; i < 2; ++i) {
        OnModal<AboutDialog> about([&](AboutDialog& d) {
            EXPECT_EQ(&d, f.aboutDialog());
            d.okButton()->click();
        });
        f.aboutAction()->trigger();
        EXPECT_TRUE(about.Ran());
        QPointer<LaughDialog> shown;
        OnModal<LaughDialog> laugh([&](LaughDialog& d) {
            shown = &d;
            d.closeButton()->click();
        });
        f.laughAction()->trigger();
        EXPECT_TRUE(laugh.Ran());
        EXPECT_TRUE(shown.isNull()) << "freed once it has closed";
    }
}

} // namespace
} // namespace trv::test
