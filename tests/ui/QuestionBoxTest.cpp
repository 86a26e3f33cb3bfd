// The modal boxes and windows the user meets: the real question box (Yes taken by Enter,
// Escape declining), the guard that shows in the error box whatever escapes a reaction, and
// the Help menu's windows.
#include "ModalScript.h"
#include "UiTestSupport.h"

#include "platform/AppError.h"
#include "ui/ErrorGuard.h"
#include "ui/QtPlatform.h"
#include "ui/windows/AboutDialog.h"
#include "ui/windows/LaughDialog.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTest>

#include <functional>
#include <new>
#include <stdexcept>

namespace trv::test {
namespace {

class QuestionBox : public UiTest {};
class HelpMenu : public UiTest {};

TEST_F(QuestionBox, AnswersYesOnlyForYesOrEnter)
{
    const struct {
        const char* name;
        std::function<void(QMessageBox&)> user;
        bool yes;
    } cases[] = {
        {"Yes clicked", [](QMessageBox& b) { b.button(QMessageBox::Yes)->click(); }, true},
        {"No clicked", [](QMessageBox& b) { b.button(QMessageBox::No)->click(); }, false},
        {"Enter", [](QMessageBox& b) { QTest::keyClick(&b, Qt::Key_Return); }, true},
        {"Escape", [](QMessageBox& b) { QTest::keyClick(&b, Qt::Key_Escape); }, false},
    };
    QtPlatform platform;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        OnModal<QMessageBox> user(c.user);
        EXPECT_EQ(platform.Question("Set it?"), c.yes);
        EXPECT_TRUE(user.Ran());
    }
}

TEST(ErrorGuard, ShowsWhatEscapesAReactionAndSaysWhetherItRanThrough)
{
    const struct {
        std::function<void()> body;
        QString shown; // empty: nothing shown, the reaction ran through
    } cases[] = {
        {[] {}, ""},
        {[] { throw AppError("File not found"); }, "File not found"},
        // Control bytes of a file name are escaped; a name that is not UTF-8 shows as 8-bit.
        {[] { throw AppError("Cannot create file /tmp/a\nb\x1b[2J\tc\xE9.bmp"); },
         QString::fromUtf8("Cannot create file /tmp/a\\x0Ab\\x1B[2J\\x09c\u00E9.bmp")},
        {[] { throw std::bad_alloc(); }, "Out of memory"},
        {[] { throw std::runtime_error("vector::reserve"); }, "vector::reserve"},
    };
    for (const auto& c : cases) {
        ScriptedPlatform platform;
        EXPECT_EQ(RunGuarded(platform, c.body), c.shown.isEmpty()) << c.shown.toStdString();
        EXPECT_EQ(platform.errors, c.shown.isEmpty() ? QStringList() : QStringList{c.shown});
    }
}

// About shows its one window modally; Laugh builds a window of its own and frees it.
TEST_F(HelpMenu, AboutReusesItsWindowAndLaughBuildsAFreshOne)
{
    MainWindow& f = Start();
    ShowActive();
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
    EXPECT_TRUE(shown.isNull()) << "freed once it has closed, so the next one is fresh";
}

} // namespace
} // namespace trv::test
