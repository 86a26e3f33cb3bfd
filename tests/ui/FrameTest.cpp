#include "UiTestSupport.h"

#include "ui/widgets/MaskEditField.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QMenuBar>
#include <QTableWidget>
#include <QTest>

#include <array>

namespace trv::test {
namespace {

class Frame : public UiTest {};

// Copy, cut, delete, paste, select all, undo.
using Availability = std::array<bool, 6>;

Availability Now(MainWindow& f)
{
    QApplication::processEvents();
    return {f.copyAction()->isEnabled(),      f.cutAction()->isEnabled(),
            f.deleteAction()->isEnabled(),    f.pasteAction()->isEnabled(),
            f.selectAllAction()->isEnabled(), f.undoAction()->isEnabled()};
}

// Ctrl+L and Ctrl+S start their actions from a field. The Edit entries follow the focused field,
// its selection, its text and the clipboard, also while Alt has the focus in the menu bar. Columns
// is read-only: it can be selected and copied, and no action or key changes it, so the EXP file
// keeps it.
TEST_F(Frame, ShortcutsAndEditActionsFollowingTheFocusedField)
{
    MainWindow& f = Start();
    ShowActive();
    f.descriptionEdit()->setFocus();
    platform_.QueueOpen(std::nullopt);
    QTest::keyClick(f.descriptionEdit(), Qt::Key_L, Qt::ControlModifier);
    ASSERT_EQ(platform_.openRequests.size(), 1u);
    EXPECT_EQ(platform_.openRequests[0].filter, "CAlibration files (*.cal)|*.cal");
    QTest::keyClick(f.descriptionEdit(), Qt::Key_S, Qt::ControlModifier);
    EXPECT_TRUE(QFile::exists(Work("-.exp")));

    QApplication::clipboard()->setText("pasted");
    QTest::keyClicks(f.descriptionEdit(), "abc");
    EXPECT_EQ(Now(f), (Availability{0, 0, 0, 1, 1, 1}));
    f.selectAllAction()->trigger();
    f.menuBar()->setFocus(Qt::MenuBarFocusReason);
    EXPECT_EQ(Now(f), (Availability{1, 1, 1, 1, 1, 1}));
    f.cutAction()->trigger();
    f.pasteAction()->trigger();
    f.pasteAction()->trigger();
    EXPECT_EQ(f.descriptionEdit()->text(), "abcabc");
    f.dataGrid()->setFocus();
    EXPECT_EQ(Now(f), (Availability{0, 0, 0, 0, 0, 0}));

    f.columnsEdit()->setFocus();
    f.selectAllAction()->trigger();
    EXPECT_EQ(Now(f), (Availability{1, 0, 0, 0, 1, 0}));
    for (QAction* a : {f.cutAction(), f.pasteAction(), f.deleteAction(), f.undoAction()}) {
        a->setEnabled(true);
        a->trigger();
        f.columnsEdit()->selectAll();
    }
    QTest::keyClick(f.columnsEdit(), Qt::Key_V, Qt::ControlModifier);
    QTest::keyClicks(f.columnsEdit(), "7");
    EXPECT_EQ(f.CurrentHeader().Columns, "08");
    f.copyAction()->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(), "08");
}

} // namespace
} // namespace trv::test
