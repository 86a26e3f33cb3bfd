// The real question box: Yes and No, Yes taken by Enter, Escape and closing declining.
#include "ModalScript.h"
#include "UiTestSupport.h"

#include "ui/QtPlatform.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QTest>

#include <functional>

namespace trv::test {
namespace {

class QuestionBox : public UiTest {};

TEST_F(QuestionBox, AnswersYesOnlyForYesOrEnter)
{
    struct Case {
        const char* name;
        std::function<void(QMessageBox&)> user;
        bool yes;
    };
    const Case cases[] = {
        {"Yes clicked", [](QMessageBox& b) { b.button(QMessageBox::Yes)->click(); }, true},
        {"No clicked", [](QMessageBox& b) { b.button(QMessageBox::No)->click(); }, false},
        {"Enter", [](QMessageBox& b) { QTest::keyClick(&b, Qt::Key_Return); }, true},
        {"Escape", [](QMessageBox& b) { QTest::keyClick(&b, Qt::Key_Escape); }, false},
        {"closed", [](QMessageBox& b) { b.close(); }, false},
    };
    QtPlatform platform;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QString text;
        QStringList buttons;
        OnModal<QMessageBox> user([&](QMessageBox& box) {
            text = box.text();
            for (QAbstractButton* b : box.buttons())
                buttons << b->text().remove('&');
            c.user(box);
        });
        EXPECT_EQ(platform.Question("Set it?"), c.yes);
        EXPECT_TRUE(user.Ran());
        EXPECT_EQ(text, "Set it?");
        buttons.sort();
        EXPECT_EQ(buttons, (QStringList{"No", "Yes"}));
    }
}

} // namespace
} // namespace trv::test
