#include "exp/ExpHeader.h"
#include "ui/widgets/IntEditField.h"
#include "ui/widgets/MaskEditField.h"

#include <QApplication>
#include <QTest>

#include <gtest/gtest.h>

namespace trv {
namespace {

struct TypingCase {
    const char* mask;
    const char* initial;
    int cursor;
    const char* typed;
    const char* value;
};

// Names the case in the test list and failure messages instead of dumping its bytes.
void PrintTo(const TypingCase& c, std::ostream* os)
{
    *os << "typing " << c.typed << " at " << c.cursor;
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
        // Typing a literal jumps over it.
        TypingCase{kZeroSpeedMask, "   .  ", 0, "12.5", "12 .5 "},
        // No room after the last position.
        TypingCase{kBFieldMask, "1.2T", 4, "7", "1.2T"},
        TypingCase{kCalibrationMask, "0.09135", 2, "12345", "0.12345"}));

TEST(MaskEditField, BackspaceAndDeleteEmptyPositionsAndKeepLiterals)
{
    MaskEditField field(kZeroSpeedMask, "128.00");
    field.setCursorPosition(4); // after the "."
    QTest::keyClick(&field, Qt::Key_Backspace);
    EXPECT_EQ(field.Value(), "12 .00") << "backspace steps over the literal";
    EXPECT_EQ(field.text(), "12_.00");
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

} // namespace
} // namespace trv
