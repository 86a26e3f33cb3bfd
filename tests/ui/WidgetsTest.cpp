#include "exp/ExpHeader.h"
#include "ui/widgets/MaskEditField.h"

#include <QTest>

#include <gtest/gtest.h>

namespace trv {
namespace {

TEST(MaskEditField, TypingAcceptsOnlyCharactersOfThePositionClassAndKeepsLiterals)
{
    const struct {
        const char* mask;
        const char* initial;
        int cursor;
        const char* typed;
        const char* value;
    } cases[] = {
        // The literal "H" is skipped, then a letter and four digits; a digit where a letter
        // is required is refused, so is a letter where a digit is.
        {kSerialMask, "H       ", 0, "1Bx9876", "HB9876  "},
        // Typing a literal jumps over it.
        {kZeroSpeedMask, "   .  ", 0, "12.5", "12 .5 "},
        // No room after the last position.
        {kBFieldMask, "1.2T", 4, "7", "1.2T"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        MaskEditField field(c.mask, c.initial);
        field.setCursorPosition(c.cursor);
        QTest::keyClicks(&field, c.typed);
        EXPECT_EQ(field.Value(), c.value);
    }
    // Backspace and Delete empty one position each and keep the literals.
    MaskEditField field(kZeroSpeedMask, "128.00");
    field.setCursorPosition(4); // after the "."
    QTest::keyClick(&field, Qt::Key_Backspace);
    EXPECT_EQ(field.Value(), "12 .00") << "backspace steps over the literal";
    field.setCursorPosition(3); // before the "."
    QTest::keyClick(&field, Qt::Key_Delete);
    EXPECT_EQ(field.Value(), "12 . 0");
}

} // namespace
} // namespace trv
