#include "asciitable/AsciiExport.h"
#include "platform/AppError.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace trv {
namespace {

TEST(FormatGeneral, FixedScientificAndRounding)
{
    // clang-format off
    const struct {
        double value;
        char separator;
        const char* expected;
    } cases[] = {
        {0.0001, '.', "0.0001"}, // lower edge of fixed notation
        {0.00005, '.', "5E-5"},
        {0.0000999999999999999999, '.', "0.0001"}, // judged after rounding to 15 digits
        {999999999999999.0, '.', "999999999999999"}, {1e15, '.', "1E15"},
        {9999999999999999.0, '.', "1E16"}, // rounds up into the next decade
        {123456789012345678.0, '.', "1.23456789012346E17"}, {100.0, '.', "100"},
        {-11.6928, '.', "-11.6928"}, {-2.5e-7, '.', "-2.5E-7"}, {0.1 + 0.2, '.', "0.3"},
        {2.0 / 3.0, '.', "0.666666666666667"}, {-0.0, '.', "0"}, {-11.60145, ',', "-11,60145"},
        {2.5e-7, ',', "2,5E-7"}, {std::numeric_limits<double>::quiet_NaN(), '.', "NAN"},
        {-std::numeric_limits<double>::infinity(), '.', "-INF"},
    };
    // clang-format on
    for (const auto& c : cases)
        EXPECT_EQ(FormatGeneral(c.value, c.separator), c.expected) << c.value;
}

TEST(DotStrToFloat, AcceptsDecimalTextsWithBlanksAndRejectsTheRestWithTheText)
{
    // clang-format off
    const std::pair<const char*, double> good[] = {
        {"0.09135", 0.09135}, {" .09135", 0.09135}, {"  12.5  ", 12.5}, {"+3", 3.0}, {"5.", 5.0},
        {"-.5", -0.5}, {"2.5E+2", 250.0}, {"1e-3", 0.001},
        {"1e-400", 0.0}, // below the double range: zero rather than an error
    };
    // clang-format on
    for (const auto& [text, value] : good)
        EXPECT_EQ(DotStrToFloat(text), value) << '"' << text << '"';
    EXPECT_TRUE(std::signbit(DotStrToFloat("-0")));

    for (const char* text : {"", "   ", " . ", "1,5", "abc", "1.2.3", "1 2", "--1", "1e", "1e+",
                             "e5", "1E5x", "inf", "nan", "0x1A", "1e400", "1.5\t", "- 1", "1d5"}) {
        try {
            DotStrToFloat(text);
            ADD_FAILURE() << "accepted \"" << text << '"';
        }
        catch (const AppError& e) {
            // Control bytes (the tab) are shown escaped.
            EXPECT_EQ(e.what(),
                      "'" + EscapeControlBytes(text) + "' is not a valid floating point value");
        }
    }
}

} // namespace
} // namespace trv
