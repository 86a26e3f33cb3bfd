#include "exp/ExpHeader.h"
#include "ui/IntEditField.h"
#include "ui/MaskEditField.h"

#include <QApplication>
#include <QClipboard>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace trv {
namespace {

std::string Shown(const MaskEditField& f)
{
    return f.text().toStdString();
}

TEST(MaskEditField, ShowsUnfilledPositionsAsUnderscoresButNotLiteralBlanks)
{
    MaskEditField serial(kSerialMask, "H       ");
    EXPECT_EQ(Shown(serial), "H_____  ");
    EXPECT_EQ(serial.Value(), "H       ");
    MaskEditField temperature(kTemperatureMask, "    K");
    EXPECT_EQ(Shown(temperature), "___ K");
    MaskEditField bField(kBFieldMask, " . T");
    EXPECT_EQ(Shown(bField), "_._T");
}

struct TypingCase {
    const char* mask;
    const char* initial;
    int cursor;
    const char* typed;
    const char* value;
};

void PrintTo(const TypingCase& c, std::ostream* os)
{
    *os << "'" << c.typed << "' into " << c.mask;
}

class MaskTyping : public ::testing::TestWithParam<TypingCase> {};

TEST_P(MaskTyping, AcceptsOnlyCharactersOfThePositionClass)
{
    const TypingCase& c = GetParam();
    MaskEditField field(c.mask, c.initial);
    field.setCursorPosition(c.cursor);
    QTest::keyClicks(&field, c.typed);
    EXPECT_EQ(field.Value(), c.value) << "typed '" << c.typed << "' into " << c.mask;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MaskTyping,
    ::testing::Values(
        // The literal "H" is skipped, then a letter and four digits.
        TypingCase{kSerialMask, "H       ", 0, "A1234", "HA1234  "},
        // A digit where a letter is required is refused; so is a letter where a digit is.
        TypingCase{kSerialMask, "H       ", 0, "1Bx9876", "HB9876  "},
        TypingCase{kBFieldMask, " . T", 0, "05", "0.5T"},
        // Typing a literal jumps over it.
        TypingCase{kZeroSpeedMask, "   .  ", 0, "12.5", "12 .5 "},
        TypingCase{kFolding512Mask, "512.0000", 0, "256", "256.0000"},
        // No room after the last position.
        TypingCase{kBFieldMask, "1.2T", 4, "7", "1.2T"},
        TypingCase{kCalibrationMask, "0.09135", 2, "12345", "0.12345"}));

TEST(MaskEditField, BackspaceAndDeleteEmptyPositionsAndKeepLiterals)
{
    MaskEditField field(kZeroSpeedMask, "128.00");
    field.setCursorPosition(4); // after the "."
    QTest::keyClick(&field, Qt::Key_Backspace);
    EXPECT_EQ(field.Value(), "12 .00") << "backspace steps over the literal";
    EXPECT_EQ(Shown(field), "12_.00");
    field.setCursorPosition(3); // before the "."
    QTest::keyClick(&field, Qt::Key_Delete);
    EXPECT_EQ(field.Value(), "12 . 0");
    field.selectAll();
    QTest::keyClick(&field, Qt::Key_Delete);
    EXPECT_EQ(field.Value(), "   .  ");
    EXPECT_TRUE(field.CanUndo());
    field.UndoLastChange();
    EXPECT_EQ(field.Value(), "12 . 0");
}

TEST(MaskEditField, AssignedTextsGoThroughTheFitRuleAndMaskChangesReflow)
{
    MaskEditField fold(kFolding512Mask, "512.0000");
    fold.SetMask(kFolding1024Mask);
    EXPECT_EQ(fold.Value(), "5120.000 ");
    EXPECT_EQ(Shown(fold), "5120.000_");
    fold.SetMask(kFolding512Mask);
    EXPECT_EQ(fold.Value(), "512.0000");

    fold.SetValue("1024.5");
    EXPECT_EQ(fold.Value(), "102.5   ");
    EXPECT_FALSE(fold.CanUndo()) << "an assignment is not an undoable edit";

    MaskEditField serial(kSerialMask, "H       ");
    serial.SetValue("TEST01");
    EXPECT_EQ(serial.Value(), "H       ");
}

TEST(MaskEditField, TextLongerThanItsMaskStaysWholeAndCanBeShortened)
{
    MaskEditField fold(kFolding1024Mask, "1024.0000");
    fold.SetMask(kFolding512Mask);
    EXPECT_EQ(fold.Value(), "102.40000");
    EXPECT_EQ(Shown(fold), "102.40000");
    fold.setCursorPosition(9);
    QTest::keyClick(&fold, Qt::Key_Backspace);
    EXPECT_EQ(fold.Value(), "102.4000");
}

TEST(MaskEditField, CopyCutPasteWorkOnTheValue)
{
    MaskEditField field(kZeroSpeedMask, "128.00");
    field.setSelection(0, 3);
    field.CutSelection();
    EXPECT_EQ(QApplication::clipboard()->text().toStdString(), "128");
    EXPECT_EQ(field.Value(), "   .00");
    field.setCursorPosition(0);
    QApplication::clipboard()->setText("9x7");
    field.PasteClipboard();
    EXPECT_EQ(field.Value(), "97 .00") << "characters of the wrong class are dropped";
}

TEST(MaskEditField, ReportsUserEditsOnly)
{
    MaskEditField field(kBFieldMask, " . T");
    QSignalSpy edited(&field, &MaskEditField::ValueEdited);
    field.SetValue("1.0 T");
    EXPECT_EQ(edited.count(), 0);
    field.setCursorPosition(0);
    QTest::keyClicks(&field, "2");
    EXPECT_EQ(edited.count(), 1);
    QTest::keyClicks(&field, "q");
    EXPECT_EQ(edited.count(), 1) << "a refused key changes nothing";
}

TEST(IntEditField, ArrowsStepWithinTheRangeAndTheTextStaysFree)
{
    IntEditField field("Edit8", "UpDown7", 0, 1000, 512);
    QLineEdit* edit = field.Edit();
    UpDown* arrows = field.Arrows();
    EXPECT_EQ(edit->objectName(), "Edit8");
    EXPECT_EQ(arrows->objectName(), "UpDown7");
    EXPECT_EQ(edit->text(), "512");

    arrows->Step(+1);
    EXPECT_EQ(edit->text(), "513");
    edit->setText("1024"); // out of range: kept as typed, arrows step from the last valid
    EXPECT_EQ(edit->text(), "1024");
    EXPECT_EQ(arrows->Position(), 513);
    edit->setText("1000");
    arrows->Step(+1);
    EXPECT_EQ(edit->text(), "1000") << "held at the top of the range";
    edit->setText("abc");
    arrows->Step(-1);
    EXPECT_EQ(edit->text(), "999");
    edit->setText("0");
    QTest::keyClick(edit, Qt::Key_Down);
    EXPECT_EQ(edit->text(), "0");
    QTest::keyClick(edit, Qt::Key_Up);
    EXPECT_EQ(edit->text(), "1");
}

TEST(IntEditField, SettingThePositionAnnouncesItFirstThenClamps)
{
    IntEditField field("Edit6", "UpDown5", 0, 1023, 512);
    std::vector<int> seen;
    QObject::connect(field.Arrows(), &UpDown::Changing,
                     [&] { seen.push_back(field.Arrows()->Position()); });
    field.Arrows()->SetPosition(2000);
    EXPECT_EQ(seen, std::vector<int>{512});
    EXPECT_EQ(field.Edit()->text(), "1023");
}

} // namespace
} // namespace trv
