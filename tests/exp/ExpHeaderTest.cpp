#include "exp/ExpHeader.h"
#include "exp/ExpFile.h"

#include <gtest/gtest.h>

namespace trv {
namespace {

TEST(ExpHeader, InitialTextsAtFullWidth)
{
    const ExpHeader h;
    EXPECT_EQ(h.Serial.Text(), "H       ");
    EXPECT_EQ(h.Description, "");
    EXPECT_EQ(h.BField.Text(), " . T");
    EXPECT_EQ(h.Temperature.Text(), "    K");
    EXPECT_EQ(h.FoldingChannel.Text(), "512.0000");
    EXPECT_EQ(h.FoldingChannel.Mask().Text(), "000.0000");
    EXPECT_EQ(h.ZeroSpeedChannel.Text(), "128.00");
    EXPECT_EQ(h.CalibrationConstant.Text(), "0.09135");
    EXPECT_EQ(h.Columns, "08");
}

TEST(SaveAsModeChange, SetsIntegersAndReflowsFoldingChannel)
{
    struct Step {
        int item;
        const char* channels;
        const char* ignoreRight;
        const char* foldingMask;
        const char* folding;
    };
    // From a fresh window: 1024, back to 512 (mean), the same item again, then 512 (add).
    const Step steps[] = {
        {0, "1024", "503", "0000.0000", "5120.000 "}, {2, "512", "245", "000.0000", "512.0000"},
        {2, "512", "245", "000.0000", "512.0000"},    {0, "1024", "503", "0000.0000", "5120.000 "},
        {1, "512", "245", "000.0000", "512.0000"},
    };
    ExpHeader h;
    for (const Step& s : steps) {
        h.IgnoreLeft = "17"; // whatever was typed is replaced
        ApplySaveAsModeChange(h, s.item);
        EXPECT_EQ(h.Channels, s.channels) << "item " << s.item;
        EXPECT_EQ(h.IgnoreLeft, "9");
        EXPECT_EQ(h.IgnoreRight, s.ignoreRight);
        EXPECT_EQ(h.FoldingChannel.Mask().Text(), s.foldingMask);
        EXPECT_EQ(h.FoldingChannel.Text(), s.folding);
    }
}

TEST(SaveAsModeChange, TypedFourDigitFoldingBecomesNineCharactersUnder512)
{
    ExpHeader h;
    ApplySaveAsModeChange(h, kSave1024);
    h.FoldingChannel.SetRawText("1024.0000");
    ApplySaveAsModeChange(h, kSave512Add);
    EXPECT_EQ(h.FoldingChannel.Text(), "102.40000");
    EXPECT_EQ(h.FoldingChannel.Text().size(), 9u);
    ApplySaveAsModeChange(h, kSave1024);
    EXPECT_EQ(h.FoldingChannel.Text(), "1024.0000");
}

TEST(SaveAsModeChange, LeavesOtherFieldsAlone)
{
    ExpHeader h;
    h.Description = "sample";
    h.CountsMillions = "7";
    h.Extra1.Assign("123.45");
    const ExpHeader before = h;
    ApplySaveAsModeChange(h, kSave1024);
    ApplySaveAsModeChange(h, kSave512Mean);
    EXPECT_EQ(FormatExpFile(h, {}, 0, 0), FormatExpFile(before, {}, 0, 0));
}

TEST(GuessExpData, FillsExpDataFromFirstSixCharacters)
{
    struct Case {
        const char* name;
        const char* serial;
        const char* description;
    };
    const Case cases[] = {
        {"ha1234.spm", "HA1234  ", "HA1234: "},
        {"ab.spm", "H       ", "AB.SPM: "}, // no leading "H": the fit rule leaves only it
        {"h1", "H1      ", "H1: "},
        {"hb12xy7.spm", "HB12XY  ", "HB12XY: "},
        {"-", "H       ", "-: "},
        {"", "H       ", ": "},
    };
    for (const Case& c : cases) {
        ExpHeader h;
        GuessExpData(h, c.name);
        EXPECT_EQ(h.Serial.Text(), c.serial) << c.name;
        EXPECT_EQ(h.Description, c.description) << c.name;
        EXPECT_EQ(h.BField.Text(), "0.0T");
        EXPECT_EQ(h.Temperature.Text(), "295 K");
    }
}

TEST(GuessExpData, ChangesNothingOutsideExpData)
{
    ExpHeader h;
    ApplySaveAsModeChange(h, kSave1024);
    h.Extra2.Assign("1.23456");
    ExpHeader expected = h;
    GuessExpData(h, "ha1234.spm");
    expected.Serial.Assign("HA1234");
    expected.Description = "HA1234: ";
    expected.BField.Assign("0.0 T");
    expected.Temperature.Assign("295 K");
    EXPECT_EQ(FormatExpFile(h, {}, 0, 0), FormatExpFile(expected, {}, 0, 0));
}

} // namespace
} // namespace trv
