#include "export/AsciiExport.h"
#include "platform/AppError.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <random>
#include <string>

namespace trv {
namespace {

struct FormatCase {
    double value;
    char separator;
    const char* expected;
};

TEST(FormatGeneral, FixedScientificAndRounding)
{
    const FormatCase cases[] = {
        {0.0005, '.', "0.0005"},
        {0.0001, '.', "0.0001"}, // lower edge of fixed notation
        {0.09135, '.', "0.09135"},
        {0.00005, '.', "5E-5"},
        {0.0000999999999999999999, '.', "0.0001"}, // judged after rounding to 15 digits
        {1e15, '.', "1E15"},
        {1.5e15, '.', "1.5E15"},
        {999999999999999.0, '.', "999999999999999"},
        {9999999999999999.0, '.', "1E16"}, // rounds up into the next decade
        {123456789012345678.0, '.', "1.23456789012346E17"},
        {100.0, '.', "100"},
        {1.0, '.', "1"},
        {-1.0, '.', "-1"},
        {-11.6928, '.', "-11.6928"},
        {-2.5e-7, '.', "-2.5E-7"},
        {-0.00005, '.', "-5E-5"},
        {1e-300, '.', "1E-300"},
        {1.7976931348623157e308, '.', "1.79769313486232E308"},
        {0.1 + 0.2, '.', "0.3"},
        {1.0 / 3.0, '.', "0.333333333333333"},
        {2.0 / 3.0, '.', "0.666666666666667"},
        {123456.789, '.', "123456.789"},
        {0.0, '.', "0"},
        {-0.0, '.', "0"},
        {34.98705, ',', "34,98705"},
        {-11.60145, ',', "-11,60145"},
        {2.5e-7, ',', "2,5E-7"},
        {1e-5, ',', "1E-5"},
        {std::numeric_limits<double>::quiet_NaN(), '.', "NAN"},
        {std::numeric_limits<double>::infinity(), '.', "INF"},
        {-std::numeric_limits<double>::infinity(), '.', "-INF"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FormatGeneral(c.value, c.separator), c.expected) << c.value;
    }
}

TEST(FormatGeneral, AgreesWithPrintfG15OnRandomValues)
{
    // printf's %.15g rounds to the same 15 digits; only the exponent spelling differs.
    std::mt19937_64 rng(42);
    std::uniform_real_distribution<double> mantissa(-10.0, 10.0);
    std::uniform_int_distribution<int> exponent(-30, 30);
    for (int n = 0; n < 20000; ++n) {
        const double v = mantissa(rng) * std::pow(10.0, exponent(rng));
        char buf[64];
        std::snprintf(buf, sizeof buf, "%.15G", v);
        std::string expected = buf;
        if (const auto e = expected.find('E'); e != std::string::npos) {
            std::string mant = expected.substr(0, e);
            if (mant.find('.') != std::string::npos) {
                while (mant.back() == '0')
                    mant.pop_back();
                if (mant.back() == '.') mant.pop_back();
            }
            const int ex = std::stoi(expected.substr(e + 1));
            expected = mant + "E" + std::to_string(ex);
        }
        // %G switches to scientific below 1e-4 and from 1e15, the same thresholds.
        ASSERT_EQ(FormatGeneral(v, '.'), expected) << v;
    }
}

TEST(DotStrToFloat, AcceptsDecimalTextsWithBlanks)
{
    const struct {
        const char* text;
        double expected;
    } cases[] = {
        {"128.00", 128.0},
        {"0.09135", 0.09135},
        {" .09135", 0.09135}, // what a calibration line with a space after '=' leaves behind
        {"  12.5  ", 12.5},
        {"-3", -3.0},
        {"+3", 3.0},
        {"5.", 5.0},
        {".5", 0.5},
        {"-.5", -0.5},
        {"1E3", 1000.0},
        {"1e-3", 0.001},
        {"2.5E+2", 250.0},
        {"0", 0.0},
        {"000012", 12.0},
        {"1e-400", 0.0}, // below the double range: zero rather than an error
        {"0.1234567890123", 0.1234567890123},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DotStrToFloat(c.text), c.expected) << '"' << c.text << '"';
    }
    EXPECT_TRUE(std::signbit(DotStrToFloat("-0")));
}

TEST(DotStrToFloat, RejectsEverythingElseWithTheTextAsGiven)
{
    const char* cases[] = {
        "",     " ",     "   ",    " . ",   ".",     "1,5",  "abc", "1.2.3", "1 2",
        "--1",  "+-1",   "1e",     "1e+",   "e5",    "1E5x", "inf", "nan",   "INF",
        "0x1A", "1e400", "-1e400", "1.5\t", "\t1.5", "12a",  "- 1", "1.e",   "1d5",
    };
    for (const char* text : cases) {
        try {
            DotStrToFloat(text);
            ADD_FAILURE() << "accepted \"" << text << '"';
        }
        catch (const AppError& e) {
            EXPECT_EQ(std::string(e.what()),
                      "'" + std::string(text) + "' is not a valid floating point value");
        }
    }
}

TEST(DotStrToFloat, ExactErrorText)
{
    try {
        DotStrToFloat("abc");
        FAIL() << "no error";
    }
    catch (const AppError& e) {
        EXPECT_STREQ(e.what(), "'abc' is not a valid floating point value");
    }
    try {
        DotStrToFloat(" 1,5 ");
        FAIL() << "no error";
    }
    catch (const AppError& e) {
        EXPECT_STREQ(e.what(), "' 1,5 ' is not a valid floating point value");
    }
}

TEST(NumberText, RoundTripOfValuesWithAtMost15Digits)
{
    std::mt19937_64 rng(2024);
    std::uniform_int_distribution<long long> digits(1, 999999999999999LL);
    std::uniform_int_distribution<int> exponent(-40, 40);
    std::uniform_int_distribution<int> sign(0, 1);
    for (int n = 0; n < 20000; ++n) {
        // Building the value from its decimal spelling keeps it at <= 15 significant digits.
        const std::string spelled = std::string(sign(rng) ? "-" : "") +
                                    std::to_string(digits(rng)) + "e" +
                                    std::to_string(exponent(rng));
        const double v = DotStrToFloat(spelled);
        const std::string text = FormatGeneral(v, '.');
        ASSERT_EQ(DotStrToFloat(text), v) << spelled << " -> " << text;
    }
}

} // namespace
} // namespace trv
