#include "exp/MaskedField.h"
#include "exp/ExpHeader.h"

#include <gtest/gtest.h>

#include <string>

namespace trv {
namespace {

TEST(EditMask, TailIsDroppedAndLiteralSpacesKept)
{
    EXPECT_EQ(EditMask(kSerialMask).Text(), "HL0000  ");
    EXPECT_EQ(EditMask(kSerialMask).Width(), 8);
    EXPECT_EQ(EditMask(kFolding512Mask).Text(), "000.0000");
    EXPECT_EQ(EditMask(kFolding1024Mask).Width(), 9);
    EXPECT_EQ(EditMask(kZeroSpeedMask).Text(), "000.00");
    EXPECT_EQ(EditMask(kTemperatureMask).Text(), "000 K");
    EXPECT_EQ(EditMask(kCalibrationMask).Width(), 7);
}

TEST(EditMask, LiteralsAreEverythingButPositions)
{
    const EditMask serial(kSerialMask);
    const bool expected[] = {true, false, false, false, false, false, true, true};
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(serial.IsLiteral(i), expected[i]) << i;
    const EditMask temp(kTemperatureMask);
    EXPECT_FALSE(temp.IsLiteral(2));
    EXPECT_TRUE(temp.IsLiteral(3));
    EXPECT_TRUE(temp.IsLiteral(4));
}

TEST(EditMask, TypingAcceptsOnlyThePositionsClass)
{
    struct Case {
        const char* mask;
        int pos;
        char c;
        bool accepted;
    };
    const Case cases[] = {
        {kSerialMask, 0, 'H', false}, // literal
        {kSerialMask, 1, 'a', true},  // letter
        {kSerialMask, 1, 'Z', true},      {kSerialMask, 1, '1', false},
        {kSerialMask, 1, ' ', false},     {kSerialMask, 2, '5', true}, // required digit
        {kSerialMask, 2, 'a', false},     {kSerialMask, 2, ' ', false},
        {kSerialMask, 6, ' ', false},                                        // literal space
        {kSerialMask, 8, '1', false},                                        // past the mask
        {kSerialMask, -1, '1', false},    {kCalibrationMask, 1, '.', false}, // literal point
        {kCalibrationMask, 6, '3', true},                                    // optional digit
        {kCalibrationMask, 6, ' ', true}, {kCalibrationMask, 6, 'x', false},
        {kBFieldMask, 3, 'T', false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(EditMask(c.mask).Accepts(c.pos, c.c), c.accepted)
            << c.mask << " pos " << c.pos << " char '" << c.c << "'";
    }
}

TEST(FitToMask, FitRuleExamples)
{
    struct Case {
        const char* mask;
        std::string text;
        std::string expected;
    };
    const Case cases[] = {
        {kBFieldMask, "0.0 T", "0.0T"},
        {kTemperatureMask, "295 K", "295 K"},
        {kSerialMask, "HA1234", "HA1234  "},
        {kSerialMask, "TEST01", "H       "}, // no "H": everything before the appended one goes
        {kSerialMask, "AB.SPM", "H       "},
        {kSerialMask, "H12", "H12     "},
        {kCalibrationMask, "0.0913", "0.0913 "},
        {kFolding512Mask, "1024.5", "102.5   "},
        // Calibration values as they come from a file.
        {kCalibrationMask, "0.09135", "0.09135"},
        {kCalibrationMask, "0.091357", "0.09135"},
        {kCalibrationMask, " 0.09135", " .09135"},
        {kCalibrationMask, "", " .     "},
        {kFolding512Mask, "1024.0000", "102.0000"},
        {kFolding1024Mask, "1024.0000", "1024.0000"},
        {kFolding512Mask, "", "   .    "},
        {kZeroSpeedMask, "128.00", "128.00"},
        {kZeroSpeedMask, "1.5", "1  .5 "},
        {kZeroSpeedMask, "12345", "123.  "},
        // Characters are not checked against their classes; missing literals are appended.
        {kTemperatureMask, "295K", "295 K"},
        {kBFieldMask, "T", "T. T"},
        {kBFieldMask, "ab.cd", "a.cT"},
        {"000", "12", "12 "},
        {"000", "12345", "123"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FitToMask(EditMask(c.mask), c.text), c.expected)
            << "mask " << c.mask << " text '" << c.text << "'";
    }
}

TEST(ReflowToMask, ExamplesBothWays)
{
    struct Case {
        const char* from;
        std::string text;
        const char* to;
        std::string expected;
    };
    const Case cases[] = {
        {kFolding512Mask, "512.0000", kFolding1024Mask, "5120.000 "},
        {kFolding1024Mask, "5120.000 ", kFolding512Mask, "512.0000"},
        // Longer than the new mask: nothing is dropped.
        {kFolding1024Mask, "1024.0000", kFolding512Mask, "102.40000"},
        // ...and a text already longer than its mask flows back whole.
        {kFolding512Mask, "102.40000", kFolding1024Mask, "1024.0000"},
        {kFolding512Mask, "102.400005", kFolding1024Mask, "1024.00005"},
        // Unfilled positions inside count as spaces, at the end they are dropped.
        {kFolding512Mask, "12 .5   ", kFolding1024Mask, "12 5.    "},
        {kFolding512Mask, "   .    ", kFolding1024Mask, "    .    "},
        {kFolding1024Mask, "    .    ", kFolding512Mask, "   .    "},
        {kFolding512Mask, "512.0000", kFolding512Mask, "512.0000"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ReflowToMask(EditMask(c.from), c.text, EditMask(c.to)), c.expected)
            << c.from << " '" << c.text << "' -> " << c.to;
    }
}

TEST(MaskedField, AssignFitsAndSetMaskReflows)
{
    MaskedField field(kFolding512Mask, "512.0000");
    field.SetMask(EditMask(kFolding1024Mask));
    EXPECT_EQ(field.Text(), "5120.000 ");
    EXPECT_EQ(field.Mask().Text(), "0000.0000");
    field.Assign("1024.0000");
    EXPECT_EQ(field.Text(), "1024.0000");
    field.SetMask(EditMask(kFolding512Mask));
    EXPECT_EQ(field.Text(), "102.40000");
    // Assigning fits to the mask again, so the extra character goes.
    field.Assign(field.Text());
    EXPECT_EQ(field.Text(), "102.4000");
}

} // namespace
} // namespace trv
