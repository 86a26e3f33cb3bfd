#include "WindowTestUtil.h"
#include "ui/windows/AboutDialog.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace trv {
namespace {

using testing::ExecWhile;
using testing::Focused;
using testing::PressKey;

TEST(AboutWindow, TextListsTheSupportedInputAndThreeDatedVersions)
{
    AboutDialog form;
    EXPECT_EQ(form.windowTitle(), "About");
    const QString text = form.textView()->toPlainText();
    const QStringList lines = text.split('\n');
    const qsizetype supports = lines.indexOf("This program currently supports (input):");
    ASSERT_GE(supports, 0);
    ASSERT_LT(supports + 3, lines.size());
    const char* list[] = {"Spm:", "PCA2", "PCA3"};
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(lines[supports + 1 + i].trimmed(), list[i]);

    // Three dated entries with rising version numbers.
    const QRegularExpression entry(R"(^\d\d\.\d\d\.\d{4}\s+Version (\d+\.\d+)$)");
    std::vector<double> versions;
    for (const QString& line : lines)
        if (const auto m = entry.match(line); m.hasMatch())
            versions.push_back(m.captured(1).toDouble());
    ASSERT_EQ(versions.size(), 3u);
    EXPECT_TRUE(versions[0] < versions[1] && versions[1] < versions[2]);
}

TEST(AboutWindow, TextCannotBeEditedAndEveryWayOutEndsWithCancel)
{
    AboutDialog form;
    form.show();
    const QString before = form.textView()->toPlainText();
    form.textView()->setFocus();
    PressKey(form.textView(), Qt::Key_X, Qt::NoModifier, "x");
    PressKey(form.textView(), Qt::Key_Backspace);
    PressKey(form.textView(), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(form.textView()->toPlainText(), before);

    const std::pair<const char*, std::function<void()>> cases[] = {
        {"Close clicked", [&] { form.okButton()->click(); }},
        {"Escape", [&] { PressKey(Focused(form), Qt::Key_Escape); }},
        {"Enter in the text",
         [&] { form.textView()->setFocus(), PressKey(form.textView(), Qt::Key_Return); }},
    };
    for (const auto& [what, act] : cases) { // one window shown again and again, as the program does
        EXPECT_EQ(ExecWhile(form, act), AboutDialog::kResultCancel) << what;
        EXPECT_FALSE(form.isVisible()) << what;
    }
}

} // namespace
} // namespace trv
