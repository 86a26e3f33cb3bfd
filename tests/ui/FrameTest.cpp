#include "UiTestSupport.h"

#include "ui/MaskEditField.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSplitter>
#include <QStatusBar>
#include <QTableWidget>
#include <QTest>
#include <QToolBar>

namespace trv::test {
namespace {

QStringList VisibleEntries(QMenu* menu)
{
    QStringList out;
    for (QAction* a : menu->actions()) {
        if (!a->isVisible()) continue;
        out << (a->isSeparator() ? QString("-") : a->text());
    }
    return out;
}

class Frame : public UiTest {};

TEST_F(Frame, MenusHoldTheirEntriesInOrder)
{
    TForm1& f = Start();
    QStringList titles;
    for (QAction* a : f.menuBar()->actions())
        titles << a->text();
    EXPECT_EQ(titles, (QStringList{"Files", "Edit", "Image", "Special", "Header", "Help"}));
    EXPECT_EQ(VisibleEntries(f.Files1), (QStringList{"Open spm", "Save", "Save as", "-", "Close"}));
    EXPECT_FALSE(f.SaveASCII->isVisible());
    EXPECT_TRUE(f.Files1->actions().contains(f.SaveASCII));
    EXPECT_EQ(VisibleEntries(f.Edit1),
              (QStringList{"&Copy", "Cu&t", "&Delete", "&Paste", "Select &All", "&Undo"}));
    EXPECT_EQ(VisibleEntries(f.Image2), (QStringList{"Save image as bitmap", "Open last bitmap"}));
    EXPECT_EQ(VisibleEntries(f.Special1),
              (QStringList{"Add spectres", "Subtract spectres", "Find folding channel"}));
    EXPECT_EQ(VisibleEntries(f.Header1), (QStringList{"Load header"}));
    EXPECT_EQ(VisibleEntries(f.Help1), (QStringList{"Laugh!", "About"}));
}

TEST_F(Frame, ActionsCarryShortcutsHintsAndImages)
{
    TForm1& f = Start();
    struct Row {
        QAction* action;
        QKeySequence shortcut;
        const char* hint;
        int image;
    };
    const Row rows[] = {
        {f.EditCopy1, QKeySequence("Ctrl+C"), "Copy", 0},
        {f.EditCut1, QKeySequence("Ctrl+X"), "Cut", 1},
        {f.EditDelete1, QKeySequence("Del"), "", 2},
        {f.EditPaste1, QKeySequence("Ctrl+V"), "Paste", 3},
        {f.EditSelectAll1, QKeySequence(), "", -1},
        {f.EditUndo1, QKeySequence("Alt+Backspace"), "", 4},
        {f.aOpen, QKeySequence("Ctrl+O"), "Open SPM file", 6},
        {f.aSave, QKeySequence("Ctrl+S"), "Save EXP file", 5},
        {f.aSaveAs, QKeySequence("F12"), "Save EXP file as", -1},
        {f.aClose, QKeySequence(), "", 7},
        {f.aLoadHeader, QKeySequence("Ctrl+L"), "", 8},
        {f.aAbout, QKeySequence(), "", 9},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(Str(r.action->objectName()));
        EXPECT_EQ(r.action->shortcut(), r.shortcut);
        EXPECT_EQ(r.action->property("hint").toString(), r.hint);
        EXPECT_EQ(r.action->property("imageIndex").toInt(), r.image);
        EXPECT_EQ(r.action->icon().isNull(), r.image < 0);
    }
    // Tool bar, left to right.
    QStringList bar;
    for (QAction* a : f.ToolBar1->actions())
        bar << (a->isSeparator() ? "|" : a->objectName());
    EXPECT_EQ(bar,
              (QStringList{"aOpen", "aSave", "|", "aLoadHeader", "|", "|", "EditCopy1", "EditCut1",
                           "EditPaste1", "|", "EditDelete1", "EditUndo1", "|", "aAbout"}));
    EXPECT_FALSE(f.StatusBar1->findChild<QLabel*>("StatusPanel0")->text().isEmpty());
    EXPECT_FALSE(f.windowIcon().isNull());
}

TEST_F(Frame, LayoutKeepsTheGridLeftAndTheHeaderPanelRight)
{
    TForm1& f = Start();
    f.resize(1200, 800);
    f.show();
    QApplication::processEvents();
    // 328 pixels, a little more when the font's captions need it.
    EXPECT_GE(f.Panel2->width(), 328);
    EXPECT_LE(f.Panel2->width(), 360);
    EXPECT_NEAR(f.StringGrid1->width(), 193, 2);
    EXPECT_LT(f.StringGrid1->mapTo(&f, QPoint()).x(), f.Panel1->mapTo(&f, QPoint()).x());
    EXPECT_LT(f.Panel1->mapTo(&f, QPoint()).x(), f.Panel2->mapTo(&f, QPoint()).x());
    EXPECT_GT(f.Image1->height(), 100) << "the preview takes what is left";
    f.Splitter1->setSizes({300, 500});
    QApplication::processEvents();
    EXPECT_NEAR(f.StringGrid1->width(), 300, 2);
}

TEST_F(Frame, CloseEndsTheWindow)
{
    TForm1& f = Start();
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

// --- the standard edit actions

struct Availability {
    bool copy, cut, del, paste, selectAll, undo;
};

Availability Now(TForm1& f)
{
    return {f.EditCopy1->isEnabled(),  f.EditCut1->isEnabled(),       f.EditDelete1->isEnabled(),
            f.EditPaste1->isEnabled(), f.EditSelectAll1->isEnabled(), f.EditUndo1->isEnabled()};
}

#define EXPECT_AVAILABLE(f, c, x, d, p, s, u)                                                      \
    do {                                                                                           \
        const Availability a = Now(f);                                                             \
        EXPECT_EQ(a.copy, c);                                                                      \
        EXPECT_EQ(a.cut, x);                                                                       \
        EXPECT_EQ(a.del, d);                                                                       \
        EXPECT_EQ(a.paste, p);                                                                     \
        EXPECT_EQ(a.selectAll, s);                                                                 \
        EXPECT_EQ(a.undo, u);                                                                      \
    } while (0)

TEST_F(Frame, EditActionsFollowFocusSelectionTextAndClipboard)
{
    TForm1& f = Start();
    ShowActive();
    QApplication::clipboard()->clear();
    f.StringGrid1->setFocus();
    QApplication::processEvents();
    EXPECT_AVAILABLE(f, false, false, false, false, false, false);

    f.Edit13->setFocus();
    QApplication::processEvents();
    EXPECT_AVAILABLE(f, false, false, false, false, false, false);
    QApplication::clipboard()->setText("pasted");
    EXPECT_AVAILABLE(f, false, false, false, true, false, false);

    QTest::keyClicks(f.Edit13, "abc");
    EXPECT_AVAILABLE(f, false, false, false, true, true, true);
    f.EditSelectAll1->trigger();
    EXPECT_AVAILABLE(f, true, true, true, true, true, true);
    f.EditCut1->trigger();
    EXPECT_EQ(f.Edit13->text(), "");
    EXPECT_EQ(QApplication::clipboard()->text(), "abc");
    f.EditPaste1->trigger();
    f.EditPaste1->trigger();
    EXPECT_EQ(f.Edit13->text(), "abcabc");
    f.Edit13->setSelection(0, 3);
    f.EditDelete1->trigger();
    EXPECT_EQ(f.Edit13->text(), "abc");

    // Alt+Backspace undoes in the focused field.
    QTest::keyClick(f.Edit13, Qt::Key_Backspace, Qt::AltModifier);
    EXPECT_EQ(f.Edit13->text(), "abcabc");

    // A masked field: never empty, so Select All is available at once.
    f.MaskEdit5->setFocus();
    QApplication::processEvents();
    EXPECT_AVAILABLE(f, false, false, false, true, true, false);
    f.MaskEdit5->setSelection(0, 3);
    EXPECT_AVAILABLE(f, true, true, true, true, true, false);
    f.EditDelete1->trigger();
    EXPECT_EQ(f.MaskEdit5->Value(), "   .00");
    EXPECT_TRUE(f.EditUndo1->isEnabled());
    QTest::keyClick(f.MaskEdit5, Qt::Key_Backspace, Qt::AltModifier);
    EXPECT_EQ(f.MaskEdit5->Value(), "128.00");

    // A button has the focus: nothing to edit.
    f.Button1->setFocus();
    QApplication::processEvents();
    EXPECT_AVAILABLE(f, false, false, false, false, false, false);
}

// --- the last folder

class LastFolder : public UiTest {};

TEST_F(LastFolder, FirstStartGreetsAndCancelledDialogCreatesTheKey)
{
    TForm1& f = Start();
    EXPECT_EQ(platform_.messages, QStringList{"First timer huh?"});
    EXPECT_FALSE(QFile::exists(SettingsFile()));
    platform_.QueueOpen(std::nullopt);
    f.aOpen->trigger();
    const std::string stored = ReadBytes(SettingsFile());
    EXPECT_NE(stored.find("[\\SoftWare\\Brolleck\\]"), std::string::npos) << stored;
    EXPECT_NE(stored.find("\"InitialDir\"=\"" + Str(Work()) + "\""), std::string::npos) << stored;

    Stop();
    QDir::setCurrent(QDir::tempPath());
    platform_.messages.clear();
    Start();
    EXPECT_TRUE(platform_.messages.isEmpty()) << "the second start is silent";
    EXPECT_EQ(QDir::currentPath(), Work());
}

TEST_F(LastFolder, ChosenFileFolderIsUsedNowAndAtTheNextStart)
{
    TForm1& f = Start();
    QDir(Work()).mkpath("spectra/today");
    const QString spm = Work("spectra/today/ha1234.spm");
    WriteBytes(spm, MakePca2(2560, [](int) { return 5u; }));
    OpenViaDialog(spm);
    EXPECT_EQ(QDir::currentPath(), Work("spectra/today"));
    // The calibration dialog and Save both work in that folder now.
    platform_.QueueSave(std::nullopt);
    f.aSaveAs->trigger();
    f.aSave->trigger();
    EXPECT_TRUE(QFile::exists(Work("spectra/today/ha1234.exp")));

    Stop();
    QDir::setCurrent(Work());
    Start();
    EXPECT_EQ(QDir::currentPath(), Work("spectra/today"));
}

TEST_F(LastFolder, VanishedFolderIsIgnoredSilently)
{
    Start();
    platform_.QueueOpen(std::nullopt);
    QDir(Work()).mkdir("gone");
    QDir::setCurrent(Work("gone"));
    Form().aOpen->trigger();
    Stop();
    QDir::setCurrent(Work());
    QDir(Work()).rmdir("gone");
    platform_.messages.clear();
    Start();
    EXPECT_TRUE(platform_.messages.isEmpty());
    EXPECT_TRUE(platform_.errors.isEmpty());
    EXPECT_EQ(QDir::currentPath(), Work());
}

TEST_F(LastFolder, UnwritableStoreComplainsButTheDialogGoesOn)
{
    WriteBytes(Work("not-a-folder"), "x");
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(Work("not-a-folder")));
    TForm1& f = Start();
    EXPECT_EQ(platform_.messages, QStringList{"First timer huh?"});
    // Counts that can be plotted, so the only error is the store's.
    OpenViaDialog(WriteSpm("ha1234.spm", MakePca2(2560, [](int i) { return 1000u + i; })));
    EXPECT_EQ(platform_.errors, QStringList{"Failed to set data for 'InitialDir'"});
    EXPECT_EQ(f.Label1->text(), "ha1234.spm") << "the open goes on";
}

TEST_F(LastFolder, ValueOfAnotherTypeIsReportedAndStartGoesOn)
{
    QDir(tmp_.path()).mkpath("config/trevandel");
    WriteBytes(SettingsFile(), "[\\SoftWare\\Brolleck\\]\n\"InitialDir\"=dword:00000010\n");
    TForm1& f = Start();
    EXPECT_TRUE(platform_.messages.isEmpty());
    EXPECT_EQ(platform_.errors, QStringList{"Invalid data type for 'InitialDir'"});
    EXPECT_EQ(QDir::currentPath(), Work());
    EXPECT_EQ(f.Label1->text(), "-");
}

} // namespace
} // namespace trv::test
