#include "exp/MaskedField.h"
#include "exp/ExpHeader.h"

#include <gtest/gtest.h>

#include <string>

namespace trv {
namespace {

TEST(EditMask, TailIsDroppedAndTypingAcceptsOnlyThePositionsClass)
{
    EXPECT_EQ(EditMask(kSerialMask).Text(), "HL0000  ");
    EXPECT_EQ(EditMask(kTemperatureMask).Text(), "000 K");
    // clang-format off
    const struct {
        const char* mask;
        int pos;
        char c;
        bool accepted;
    } cases[] = {
        {kSerialMask, 0, 'H', false}, // literal
        {kSerialMask, 1, 'a', true}, {kSerialMask, 1, '1', false}, // letter
        {kTemperatureMask, 0, '2', true}, // required digit, at the first position
        {kSerialMask, 2, ' ', false}, {kSerialMask, 6, ' ', false}, // literal space
        {kSerialMask, 8, '1', false}, {kSerialMask, -1, '1', false},
        {kCalibrationMask, 1, '.', false}, {kCalibrationMask, 6, ' ', true}, // optional digit
        {kCalibrationMask, 6, 'x', false},
    };
    // clang-format on
    for (const auto& c : cases)
        EXPECT_EQ(EditMask(c.mask).Accepts(c.pos, c.c), c.accepted)
            << c.mask << " pos " << c.pos << " char '" << c.c << "'";
}

TEST(FitToMask, FitRuleExamples)
{
    // clang-format off
    const struct {
        const char* mask;
        std::string text, expected;
    } cases[] = {
        {kBFieldMask, "0.0 T", "0.0T"}, {kSerialMask, "HA1234", "HA1234  "},
        {kSerialMask, "TEST01", "H       "}, // no "H": everything before the appended one goes
        {kCalibrationMask, "0.0913", "0.0913 "}, {kCalibrationMask, "0.091357", "0.09135"},
        {kCalibrationMask, " 0.09135", " .09135"}, {kCalibrationMask, "", " .     "},
        {kFolding512Mask, "1024.0000", "102.0000"}, {kFolding1024Mask, "1024.0000", "1024.0000"},
        {kZeroSpeedMask, "1.5", "1  .5 "},
        {kZeroSpeedMask, "12345", "123.  "},
        // Characters are not checked against their classes; missing literals are appended.
        {kTemperatureMask, "295K", "295 K"}, {kBFieldMask, "ab.cd", "a.cT"}, {"000", "12", "12 "},
    };
    // clang-format on
    for (const auto& c : cases)
        EXPECT_EQ(FitToMask(EditMask(c.mask), c.text), c.expected)
            << "mask " << c.mask << " text '" << c.text << "'";
}

TEST(ReflowToMask, ExamplesBothWays)
{
    // clang-format off
    const struct {
        const char* from;
        std::string text;
        const char* to;
        std::string expected;
    } cases[] = {
        // The usual texts both ways are in the save-mode tests. Longer than the new mask:
        // nothing is dropped, and it flows back whole.
        {kFolding1024Mask, "1024.0000", kFolding512Mask, "102.40000"},
        {kFolding512Mask, "102.400005", kFolding1024Mask, "1024.00005"},
        // Unfilled positions inside count as spaces, at the end they are dropped.
        {kFolding512Mask, "12 .5   ", kFolding1024Mask, "12 5.    "},
        {kFolding1024Mask, "    .    ", kFolding512Mask, "   .    "},
    };
    // clang-format on
    for (const auto& c : cases)
        EXPECT_EQ(ReflowToMask(EditMask(c.from), c.text, EditMask(c.to)), c.expected)
            << c.from << " '" << c.text << "' -> " << c.to;
}

} // namespace
} // namespace trv
