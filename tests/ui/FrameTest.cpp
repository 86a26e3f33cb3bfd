#include "UiTestSupport.h"

#include "ui/widgets/MaskEditField.h"

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
std::vector<std::string> Menus(const MainWindow& f)
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
    MainWindow& f = Start();
    EXPECT_EQ(Menus(f), (std::vector<std::string>{
                            "Files: Open spm, Follow file, Save, Save as, Save as ASCII, -, Close",
                            "Edit: [&Copy], [Cu&t], [&Delete], [&Paste], [Select &All], [&Undo]",
                            "Image: Save image as bitmap, Open last bitmap",
                            "Special: Add spectres, Subtract spectres, Find folding channel, "
                            "Calibrate from reference spectrum\u2026",
                            "Header: Load header",
                            "Help: Laugh!, About",
                        }));
    f.show();
    f.closeAction()->trigger();
    EXPECT_FALSE(f.isVisible());
}

TEST_F(Frame, ShortcutsStartTheirActions)
{
    MainWindow& f = Start();
    ShowActive();
    f.descriptionEdit()->setFocus();
    platform_.QueueSave(std::nullopt);
    QTest::keyClick(f.descriptionEdit(), Qt::Key_F12);
    EXPECT_EQ(platform_.saveRequests.size(), 1u);
    platform_.QueueOpen(std::nullopt);
    QTest::keyClick(f.descriptionEdit(), Qt::Key_L, Qt::ControlModifier);
    ASSERT_EQ(platform_.openRequests.size(), 1u);
    EXPECT_EQ(platform_.openRequests[0].filter, "CAlibration files (*.cal)|*.cal");
    platform_.QueueOpen(std::nullopt);
    QTest::keyClick(f.descriptionEdit(), Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(platform_.openRequests.size(), 2u);
    QTest::keyClick(f.descriptionEdit(), Qt::Key_S, Qt::ControlModifier);
    EXPECT_TRUE(QFile::exists(Work("-.exp")));
}

// Copy, cut, delete, paste, select all, undo.
using Availability = std::array<bool, 6>;

Availability Now(MainWindow& f)
{
    return {f.copyAction()->isEnabled(),      f.cutAction()->isEnabled(),
            f.deleteAction()->isEnabled(),    f.pasteAction()->isEnabled(),
            f.selectAllAction()->isEnabled(), f.undoAction()->isEnabled()};
}

TEST_F(Frame, EditActionsFollowFocusSelectionTextAndClipboard)
{
    MainWindow& f = Start();
    ShowActive();
    QApplication::clipboard()->clear();
    f.descriptionEdit()->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(Now(f), (Availability{0, 0, 0, 0, 0, 0}));
    QApplication::clipboard()->setText("pasted");
    EXPECT_EQ(Now(f), (Availability{0, 0, 0, 1, 0, 0}));
    QTest::keyClicks(f.descriptionEdit(), "abc");
    EXPECT_EQ(Now(f), (Availability{0, 0, 0, 1, 1, 1}));
    f.selectAllAction()->trigger();
    EXPECT_EQ(Now(f), (Availability{1, 1, 1, 1, 1, 1}));
    // Alt takes the focus to the menu bar: the entries still follow the field focused before,
    // and act on it.
    f.menuBar()->setFocus(Qt::MenuBarFocusReason);
    QApplication::processEvents();
    ASSERT_EQ(QApplication::focusWidget(), f.menuBar());
    EXPECT_EQ(Now(f), (Availability{1, 1, 1, 1, 1, 1}));
    f.copyAction()->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(), "abc");
    f.descriptionEdit()->setFocus();
    f.cutAction()->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(), "abc");
    f.pasteAction()->trigger();
    f.pasteAction()->trigger();
    f.descriptionEdit()->setSelection(0, 3);
    f.deleteAction()->trigger();
    EXPECT_EQ(f.descriptionEdit()->text(), "abc");
    QTest::keyClick(f.descriptionEdit(), Qt::Key_Backspace, Qt::AltModifier); // undo
    EXPECT_EQ(f.descriptionEdit()->text(), "abcabc");

    // A masked field is never empty, so Select All is available at once.
    f.zeroSpeedEdit()->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(Now(f), (Availability{0, 0, 0, 1, 1, 0}));
    f.zeroSpeedEdit()->setSelection(0, 3);
    EXPECT_EQ(Now(f), (Availability{1, 1, 1, 1, 1, 0}));
    f.deleteAction()->trigger();
    EXPECT_EQ(f.zeroSpeedEdit()->Value(), "   .00");
    QTest::keyClick(f.zeroSpeedEdit(), Qt::Key_Backspace, Qt::AltModifier);
    EXPECT_EQ(f.zeroSpeedEdit()->Value(), "128.00");

    // The grid or a button has the focus: nothing to edit.
    for (QWidget* w :
         {static_cast<QWidget*>(f.dataGrid()), static_cast<QWidget*>(f.previewButton())}) {
        w->setFocus();
        QApplication::processEvents();
        EXPECT_EQ(Now(f), (Availability{0, 0, 0, 0, 0, 0}));
    }
}

// Columns is read-only: it can be selected and copied, and no action, shortcut or key changes
// it, so the EXP file keeps it.
TEST_F(Frame, ReadOnlyColumnsFieldOffersCopyOnlyAndNothingChangesIt)
{
    MainWindow& f = Start();
    ShowActive();
    QApplication::clipboard()->setText("pasted");
    f.columnsEdit()->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(Now(f), (Availability{0, 0, 0, 0, 1, 0}));
    f.selectAllAction()->trigger();
    EXPECT_EQ(Now(f), (Availability{1, 0, 0, 0, 1, 0}));

    // Through the actions, whatever their state, and through the keys.
    for (QAction* a :
         {f.cutAction(), f.pasteAction(), f.pasteAction(), f.deleteAction(), f.undoAction()}) {
        a->setEnabled(true);
        a->trigger();
        f.columnsEdit()->selectAll();
    }
    EXPECT_EQ(f.columnsEdit()->text(), "08");
    QTest::keyClick(f.columnsEdit(), Qt::Key_X, Qt::ControlModifier);
    QTest::keyClick(f.columnsEdit(), Qt::Key_V, Qt::ControlModifier);
    QTest::keyClick(f.columnsEdit(), Qt::Key_V, Qt::ControlModifier);
    QTest::keyClick(f.columnsEdit(), Qt::Key_Delete);
    QTest::keyClick(f.columnsEdit(), Qt::Key_Backspace, Qt::AltModifier);
    QTest::keyClicks(f.columnsEdit(), "7");
    EXPECT_EQ(f.columnsEdit()->text(), "08");
    EXPECT_EQ(f.CurrentHeader().Columns, "08");

    f.columnsEdit()->selectAll();
    f.copyAction()->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(), "08");
}

} // namespace
} // namespace trv::test
