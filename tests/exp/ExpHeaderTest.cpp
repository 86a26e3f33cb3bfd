#include "exp/ExpHeader.h"
#include "exp/ExpFile.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

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
        expected.Serial.SetRawText(c.serial);
        expected.Description = c.description;
        expected.BField.SetRawText("0.0T");
        expected.Temperature.SetRawText("295 K");
        EXPECT_EQ(AllTexts(h), AllTexts(expected)) << c.name;
    }
}

// The field table is what the window and the converter read and assign through: each row
// reaches its own member (a text assigned through it changes that field and no other), masked
// rows go through the mask, and each option names one field.
TEST(ExpHeaderFields, EachRowReachesItsOwnField)
{
    const ExpHeader fresh;
    std::set<std::string_view> options;
    for (const ExpHeaderField& row : kExpHeaderFields) {
        SCOPED_TRACE(std::string(row.name));
        // A text that fills the whole mask: sevens and Q's in its digit and letter positions.
        std::string text = "1234567";
        if (row.IsMasked()) {
            text = (fresh.*row.masked).Mask().Text();
            for (char& c : text)
                c = c == '0' || c == '9' ? '7' : c == 'L' ? 'Q' : c;
        }
        ExpHeader h;
        row.Assign(h, text);
        for (const ExpHeaderField& other : kExpHeaderFields)
            EXPECT_EQ(other.Text(h) != other.Text(fresh), &other == &row) << other.name;
        EXPECT_NE(AllTexts(h), AllTexts(fresh)) << "the writer does not see the field";
        if (row.IsMasked()) {
            EXPECT_EQ(row.Text(h).size(), (fresh.*row.masked).Mask().Text().size());
        }
        if (!row.option.empty()) {
            EXPECT_TRUE(options.insert(row.option).second) << row.option;
        }
    }
    EXPECT_EQ(options.size(), kExpHeaderFields.size() - 1) << "all but Columns have an option";
}

} // namespace
} // namespace trv
