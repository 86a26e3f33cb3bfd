#include "UiTestSupport.h"

#include "ui/MaskEditField.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

#include <array>

namespace trv::test {
namespace {

QStringList VisibleEntries(QMenu* menu)
{
    QStringList out;
    for (QAction* a : menu->actions())
        if (a->isVisible()) out << (a->isSeparator() ? QString("-") : a->text());
    return out;
}

class Frame : public UiTest {};

TEST_F(Frame, MenusHoldTheirEntriesInOrderAllAvailable)
{
    TForm1& f = Start();
    QStringList titles;
    for (QAction* a : f.menuBar()->actions())
        titles << a->text();
    EXPECT_EQ(titles, (QStringList{"Files", "Edit", "Image", "Special", "Header", "Help"}));
    EXPECT_EQ(VisibleEntries(f.Files1), (QStringList{"Open spm", "Save", "Save as", "-", "Close"}));
    EXPECT_EQ(VisibleEntries(f.Edit1),
              (QStringList{"&Copy", "Cu&t", "&Delete", "&Paste", "Select &All", "&Undo"}));
    EXPECT_EQ(VisibleEntries(f.Image2), (QStringList{"Save image as bitmap", "Open last bitmap"}));
    EXPECT_EQ(VisibleEntries(f.Special1),
              (QStringList{"Add spectres", "Subtract spectres", "Find folding channel"}));
    EXPECT_EQ(VisibleEntries(f.Header1), (QStringList{"Load header"}));
    EXPECT_EQ(VisibleEntries(f.Help1), (QStringList{"Laugh!", "About"}));
    for (QMenu* menu : {f.Files1, f.Image2, f.Special1, f.Header1, f.Help1})
        for (QAction* a : menu->actions())
            EXPECT_TRUE(a->isEnabled() || a->isSeparator() || a == f.SaveASCII) << Str(a->text());
    f.show();
    f.aClose->trigger();
    EXPECT_FALSE(f.isVisible());
}

TEST_F(Frame, ShortcutsStartTheirActions)
{
    TForm1& f = Start();
    ShowActive();
    f.Edit13->setFocus();
    platform_.QueueSave(std::nullopt);
    QTest::keyClick(f.Edit13, Qt::Key_F12);
    EXPECT_EQ(platform_.saveRequests.size(), 1u);
    platform_.QueueOpen(std::nullopt);
    QTest::keyClick(f.Edit13, Qt::Key_L, Qt::ControlModifier);
    ASSERT_EQ(platform_.openRequests.size(), 1u);
    EXPECT_EQ(platform_.openRequests[0].filter, "CAlibration files (*.cal)|*.cal");
    platform_.QueueOpen(std::nullopt);
    QTest::keyClick(f.Edit13, Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(platform_.openRequests.size(), 2u);
    QTest::keyClick(f.Edit13, Qt::Key_S, Qt::ControlModifier);
    EXPECT_TRUE(QFile::exists(Work("-.exp")));
}

// Copy, cut, delete, paste, select all, undo.
using Availability = std::array<bool, 6>;

Availability Now(TForm1& f)
{
    return {f.EditCopy1->isEnabled(),  f.EditCut1->isEnabled(),       f.EditDelete1->isEnabled(),
            f.EditPaste1->isEnabled(), f.EditSelectAll1->isEnabled(), f.EditUndo1->isEnabled()};
}

TEST_F(Frame, EditActionsFollowFocusSelectionTextAndClipboard)
{
    TForm1& f = Start();
    ShowActive();
    QApplication::clipboard()->clear();
    f.Edit13->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(Now(f), (Availability{0, 0, 0, 0, 0, 0}));
    QApplication::clipboard()->setText("pasted");
    EXPECT_EQ(Now(f), (Availability{0, 0, 0, 1, 0, 0}));
    QTest::keyClicks(f.Edit13, "abc");
    EXPECT_EQ(Now(f), (Availability{0, 0, 0, 1, 1, 1}));
    f.EditSelectAll1->trigger();
    EXPECT_EQ(Now(f), (Availability{1, 1, 1, 1, 1, 1}));
    f.EditCut1->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(), "abc");
    f.EditPaste1->trigger();
    f.EditPaste1->trigger();
    f.Edit13->setSelection(0, 3);
    f.EditDelete1->trigger();
    EXPECT_EQ(f.Edit13->text(), "abc");
    QTest::keyClick(f.Edit13, Qt::Key_Backspace, Qt::AltModifier); // undo
    EXPECT_EQ(f.Edit13->text(), "abcabc");

    // A masked field is never empty, so Select All is available at once.
    f.MaskEdit5->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(Now(f), (Availability{0, 0, 0, 1, 1, 0}));
    f.MaskEdit5->setSelection(0, 3);
    EXPECT_EQ(Now(f), (Availability{1, 1, 1, 1, 1, 0}));
    f.EditDelete1->trigger();
    EXPECT_EQ(f.MaskEdit5->Value(), "   .00");
    QTest::keyClick(f.MaskEdit5, Qt::Key_Backspace, Qt::AltModifier);
    EXPECT_EQ(f.MaskEdit5->Value(), "128.00");

    // The grid or a button has the focus: nothing to edit.
    for (QWidget* w : {static_cast<QWidget*>(f.StringGrid1), static_cast<QWidget*>(f.Button1)}) {
        w->setFocus();
        QApplication::processEvents();
        EXPECT_EQ(Now(f), (Availability{0, 0, 0, 0, 0, 0}));
    }
}

} // namespace
} // namespace trv::test
