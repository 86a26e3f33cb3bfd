// The boxes the user meets: the real question box (Yes taken by Enter, Escape and closing
// declining), and the guard that shows in the error box whatever escapes a reaction.
#include "ModalScript.h"
#include "UiTestSupport.h"

#include "platform/AppError.h"
#include "ui/ErrorGuard.h"
#include "ui/QtPlatform.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QTest>

#include <functional>
#include <new>
#include <stdexcept>

namespace trv::test {
namespace {

class QuestionBox : public UiTest {};

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
        {"closed", [](QMessageBox& b) { b.close(); }, false},
    };
    QtPlatform platform;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QString text;
        OnModal<QMessageBox> user([&](QMessageBox& box) {
            text = box.text();
            c.user(box);
        });
        EXPECT_EQ(platform.Question("Set it?"), c.yes);
        EXPECT_EQ(text, "Set it?");
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

} // namespace
} // namespace trv::test
