#include "exp/ExpHeader.h"
#include "exp/ExpFile.h"

#include <gtest/gtest.h>

namespace trv {
namespace {

// All sixteen texts, compared in one go.
std::string AllTexts(const ExpHeader& h)
{
    return FormatExpFile(h, {}, 0, 0);
}

TEST(SaveAsModeChange, SetsIntegersAndReflowsFoldingChannel)
{
    const struct {
        int item;
        const char *channels, *ignoreRight, *foldingMask, *folding;
    } steps[] = {
        // From a fresh window: 1024, back to 512 (mean), the same item again, 1024, 512 (add).
        {0, "1024", "503", "0000.0000", "5120.000 "}, {2, "512", "245", "000.0000", "512.0000"},
        {2, "512", "245", "000.0000", "512.0000"},    {0, "1024", "503", "0000.0000", "5120.000 "},
        {1, "512", "245", "000.0000", "512.0000"},
    };
    ExpHeader h;
    h.Description = "sample";
    h.Extra1.Assign("123.45");
    for (const auto& s : steps) {
        h.IgnoreLeft = "17"; // whatever was typed is replaced
        ApplySaveAsModeChange(h, s.item);
        EXPECT_EQ(h.Channels, s.channels) << "item " << s.item;
        EXPECT_EQ(h.IgnoreLeft, "9");
        EXPECT_EQ(h.IgnoreRight, s.ignoreRight);
        EXPECT_EQ(h.FoldingChannel.Mask().Text(), s.foldingMask);
        EXPECT_EQ(h.FoldingChannel.Text(), s.folding);
    }
    ExpHeader other; // the other fields are left alone
    other.Description = "sample";
    other.Extra1.Assign("123.45");
    ApplySaveAsModeChange(other, kSave512Add);
    EXPECT_EQ(AllTexts(h), AllTexts(other));
}

TEST(GuessExpData, FillsExpDataFromTheFirstSixCharactersAndNothingElse)
{
    // clang-format off
    const struct {
        const char *name, *serial, *description;
    } cases[] = {
        {"ha1234.spm", "HA1234  ", "HA1234: "},
        {"ab.spm", "H       ", "AB.SPM: "}, // no leading "H": the fit rule leaves only it
        {"hb12xy7.spm", "HB12XY  ", "HB12XY: "}, {"", "H       ", ": "},
    };
    // clang-format on
    for (const auto& c : cases) {
        ExpHeader h;
        ApplySaveAsModeChange(h, kSave1024);
        h.Extra2.Assign("1.23456");
        ExpHeader expected = h;
        GuessExpData(h, c.name);
        EXPECT_EQ(h.Serial.Text(), c.serial) << c.name;
        EXPECT_EQ(h.Description, c.description) << c.name;
        EXPECT_EQ(h.BField.Text(), "0.0T");
        EXPECT_EQ(h.Temperature.Text(), "295 K");
        expected.Serial = h.Serial;
        expected.Description = h.Description;
        expected.BField = h.BField;
        expected.Temperature = h.Temperature;
        EXPECT_EQ(AllTexts(h), AllTexts(expected));
    }
}

} // namespace
} // namespace trv
