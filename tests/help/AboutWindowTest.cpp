#include "WindowTestUtil.h"
#include "ui/help/TForm3.h"

#include <QApplication>
#include <QFrame>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QStringList>

#include <gtest/gtest.h>

namespace trv {
namespace {

using testing::ExecWhile;
using testing::Focused;
using testing::PressKey;

TEST(AboutWindow, FrameAndControls)
{
    TForm3 form;
    EXPECT_EQ(form.objectName(), "TForm3");
    EXPECT_EQ(form.windowTitle(), "About");
    EXPECT_EQ(form.size(), QSize(536, 348));
    EXPECT_EQ(form.minimumSize(), form.maximumSize());

    EXPECT_EQ(form.Panel1->objectName(), "Panel1");
    EXPECT_EQ(form.Panel1->geometry(), QRect(0, 307, 536, 41));
    EXPECT_EQ(form.Memo1->objectName(), "Memo1");
    EXPECT_EQ(form.Memo1->geometry(), QRect(0, 0, 536, 307));
    EXPECT_EQ(form.Memo1->lineWrapMode(), QPlainTextEdit::WidgetWidth);
    EXPECT_EQ(form.Memo1->palette().color(QPalette::Base),
              QApplication::palette("QMenu").color(QPalette::Window));

    EXPECT_EQ(form.Button1->objectName(), "Button1");
    EXPECT_EQ(form.Button1->parentWidget(), form.Panel1);
    EXPECT_EQ(form.Button1->text(), "Close");
    EXPECT_EQ(form.Button1->geometry(), QRect(448, 8, 75, 25));
    EXPECT_TRUE(form.Button1->isDefault());
}

TEST(AboutWindow, TextHasCreditsSupportedInputAndThreeDatedVersions)
{
    TForm3 form;
    const QString text = form.Memo1->toPlainText();
    EXPECT_EQ(text, TForm3::AboutText());
    const QStringList lines = text.split('\n');

    EXPECT_TRUE(lines[0].contains("2026")) << lines[0].toStdString();
    EXPECT_TRUE(text.contains(".spm") && text.contains(".exp") && text.contains("PCA programs"));

    const qsizetype supports = lines.indexOf("This program currently supports (input):");
    ASSERT_GE(supports, 0);
    ASSERT_LT(supports + 4, lines.size());
    const QString list[] = {"Spm:", "PCA2", "PCA3"};
    for (int i = 0; i < 3; ++i) {
        const QString& line = lines[supports + 1 + i];
        EXPECT_EQ(line.trimmed(), list[i]);
        EXPECT_TRUE(line.startsWith(' ')) << "not indented: " << line.toStdString();
    }
    // The two PCA entries sit deeper than "Spm:".
    EXPECT_GT(lines[supports + 2].indexOf('P'), lines[supports + 1].indexOf('S'));
    EXPECT_TRUE(QRegularExpression("^-{10,}$").match(lines[supports + 4]).hasMatch());

    // The history: three dated entries with rising version numbers, each with a line of change.
    const QRegularExpression entry(R"(^(\d\d)\.(\d\d)\.(\d{4})\s+Version (\d+\.\d+)$)");
    QStringList versions;
    for (qsizetype i = supports + 5; i < lines.size(); ++i) {
        const QRegularExpressionMatch m = entry.match(lines[i]);
        if (!m.hasMatch()) continue;
        versions << m.captured(4);
        ASSERT_LT(i + 1, lines.size());
        EXPECT_FALSE(lines[i + 1].trimmed().isEmpty());
    }
    ASSERT_EQ(versions.size(), 3);
    EXPECT_LT(versions[0].toDouble(), versions[1].toDouble());
    EXPECT_LT(versions[1].toDouble(), versions[2].toDouble());
    EXPECT_TRUE(text.contains("PCA2 files"));
    EXPECT_TRUE(text.contains("calibration") && text.contains("preview") && text.contains("Laugh"));
    EXPECT_TRUE(text.contains("add and subtract"));
}

TEST(AboutWindow, TextCannotBeEdited)
{
    TForm3 form;
    form.show();
    const QString before = form.Memo1->toPlainText();
    EXPECT_TRUE(form.Memo1->isReadOnly());
    form.Memo1->setFocus();
    PressKey(form.Memo1, Qt::Key_X, Qt::NoModifier, "x");
    PressKey(form.Memo1, Qt::Key_Backspace);
    PressKey(form.Memo1, Qt::Key_Delete);
    PressKey(form.Memo1, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(form.Memo1->toPlainText(), before);
}

TEST(AboutWindow, CloseEnterAndEscapeEndWithCancel)
{
    struct Case {
        const char* what;
        bool focusMemo;
        std::function<void(TForm3&)> act;
    };
    const Case cases[] = {
        {"Close clicked", false, [](TForm3& f) { f.Button1->click(); }},
        {"Enter", false, [](TForm3& f) { PressKey(Focused(f), Qt::Key_Return); }},
        {"keypad Enter", false, [](TForm3& f) { PressKey(Focused(f), Qt::Key_Enter); }},
        {"Escape", false, [](TForm3& f) { PressKey(Focused(f), Qt::Key_Escape); }},
        {"Enter in the text", true, [](TForm3& f) { PressKey(f.Memo1, Qt::Key_Return); }},
        {"Escape in the text", true, [](TForm3& f) { PressKey(f.Memo1, Qt::Key_Escape); }},
        {"frame closed", false, [](TForm3& f) { f.close(); }},
    };
    // One window shown again and again, as the program does.
    TForm3 form;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const int result = ExecWhile(form, [&] {
            if (c.focusMemo) form.Memo1->setFocus();
            c.act(form);
        });
        EXPECT_EQ(result, TForm3::kResultCancel);
        EXPECT_FALSE(form.isVisible());
    }
}

} // namespace
} // namespace trv
