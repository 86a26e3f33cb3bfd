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

// Every menu with its visible entries; "-" is a separator, an unavailable entry is bracketed.
std::vector<std::string> Menus(const TForm1& f)
{
    std::vector<std::string> out;
    for (QAction* title : f.menuBar()->actions()) {
        QStringList entries;
        for (QAction* a : title->menu()->actions())
            if (a->isVisible())
                entries << (a->isSeparator() ? "-"
                            : a->isEnabled() ? a->text()
                                             : "[" + a->text() + "]");
        out.push_back(Str(title->text() + ": " + entries.join(", ")));
    }
    return out;
}

class Frame : public UiTest {};

TEST_F(Frame, MenusHoldTheirEntriesInOrder)
{
    TForm1& f = Start();
    EXPECT_EQ(Menus(f), (std::vector<std::string>{
                            "Files: Open spm, Save, Save as, Save as ASCII, -, Close",
                            "Edit: [&Copy], [Cu&t], [&Delete], [&Paste], [Select &All], [&Undo]",
                            "Image: Save image as bitmap, Open last bitmap",
                            "Special: Add spectres, Subtract spectres, Find folding channel, "
                            "Calibrate from reference spectrum\u2026",
                            "Header: Load header",
                            "Help: Laugh!, About",
                        }));
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

// Columns is read-only: it can be selected and copied, and no action, shortcut or key changes
// it, so the EXP file keeps it.
TEST_F(Frame, ReadOnlyColumnsFieldOffersCopyOnlyAndNothingChangesIt)
{
    TForm1& f = Start();
    ShowActive();
    QApplication::clipboard()->setText("pasted");
    f.Edit12->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(Now(f), (Availability{0, 0, 0, 0, 1, 0}));
    f.EditSelectAll1->trigger();
    EXPECT_EQ(Now(f), (Availability{1, 0, 0, 0, 1, 0}));

    // Through the actions, whatever their state, and through the keys.
    for (QAction* a : {f.EditCut1, f.EditPaste1, f.EditPaste1, f.EditDelete1, f.EditUndo1}) {
        a->setEnabled(true);
        a->trigger();
        f.Edit12->selectAll();
    }
    EXPECT_EQ(f.Edit12->text(), "08");
    QTest::keyClick(f.Edit12, Qt::Key_X, Qt::ControlModifier);
    QTest::keyClick(f.Edit12, Qt::Key_V, Qt::ControlModifier);
    QTest::keyClick(f.Edit12, Qt::Key_V, Qt::ControlModifier);
    QTest::keyClick(f.Edit12, Qt::Key_Delete);
    QTest::keyClick(f.Edit12, Qt::Key_Backspace, Qt::AltModifier);
    QTest::keyClicks(f.Edit12, "7");
    EXPECT_EQ(f.Edit12->text(), "08");
    EXPECT_EQ(f.CurrentHeader().Columns, "08");

    f.Edit12->selectAll();
    f.EditCopy1->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(), "08");
}

} // namespace
} // namespace trv::test
