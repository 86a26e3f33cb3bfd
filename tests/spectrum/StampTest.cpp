// The header's time stamps: the PCA2 fields' decoding and the display in the user's notation.
#include "spectrum/Stamp.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace trv {
namespace {

using namespace std::string_literals;

const LocaleFormats kFixed = LocaleFormats::Fixed();

TEST(SpmDate, MonthNumberIsExactAndCaseSensitive)
{
    const char* months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                            "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    for (int i = 0; i < 12; ++i)
        EXPECT_EQ(MonthNumber(months[i]), i + 1) << months[i];
    for (const char* text : {"jan", "JAN", "Ja", "Janu", "", " Jan", "Sept", "January", "Mon"})
        EXPECT_EQ(MonthNumber(text), 0) << '"' << text << '"';
}

TEST(SpmDate, Pca2StampFieldsDecodeIntoDateAndTime)
{
    const std::string t = "12:34:56   ";
    const StampValue no{-1};
    // clang-format off
    const struct {
        std::string time, date;
        StampValue value; // `no`: not decoded
    } cases[] = {
        {t, "Jan  5  2001", {2001, 1, 5, 12, 34, 56, 0}},
        {"12:34:56\0\0\0"s, "Jan  5  2001", no}, // zero-byte padding
        {t, "Feb 29  2001", no}, {t, "Feb 29  1900", no},
        {t, "Feb 29  2000", {2000, 2, 29, 12, 34, 56, 0}}, {t, "Apr 31  2001", no},
        {t, "Dec 31  0000", no}, {t, "Jan  1  0001", {1, 1, 1, 12, 34, 56, 0}},
        {t, "Dec 31    99", {99, 12, 31, 12, 34, 56, 0}},
        {t, "Dec 31  199 ", no}, {t, "Dec     1999", no},
        {t, "Dec\x01\x00\x35xx1999"s, {1999, 12, 5, 12, 34, 56, 0}}, // control byte dropped
        {t, "Dec-07-+199", {199, 12, 7, 12, 34, 56, 0}}, {t, "Dec-07  -199", no},
        {" 1 : 2 : 3 ", "Mar 09 .1999", {1999, 3, 9, 1, 2, 3, 0}},
        {"11:05:00 PM", "Oct 12  1998", {1998, 10, 12, 23, 5, 0, 0}},
        {"1", "Jan  5  20", {20, 1, 5, 1, 0, 0, 0}}, // short fields: nothing read beyond them
        {"12:34:56", "Jan  5  ", no},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE("time \"" + c.time + "\" date \"" + c.date + "\"");
        const auto value = DecodePca2Stamp(c.time, c.date, kFixed);
        EXPECT_EQ(value.value_or(no), c.value);
    }
}

// Each text with the time it reads as, "h:m:s.ms", or "-" when refused.
using Times = std::vector<std::pair<const char*, const char*>>;

void CheckTimes(const Times& cases, const LocaleFormats& locale)
{
    for (const auto& [text, expected] : cases) {
        const auto v = ParseTimeOfDay(text, locale);
        EXPECT_EQ(v ? std::to_string(v->hour) + ":" + std::to_string(v->minute) + ":" +
                          std::to_string(v->second) + "." + std::to_string(v->msec)
                    : "-",
                  expected)
            << '"' << text << '"';
    }
}

TEST(SpmTime, GrammarWithFixedLocale)
{
    // clang-format off
    const Times cases = {
        {"12:34:56", "12:34:56.0"}, {"23", "23:0:0.0"}, {"24", "-"}, {"1:2:3.4", "1:2:3.4"},
        {"23:59:59.999", "23:59:59.999"}, {"1:2:3.1000", "-"}, {"1:60", "-"}, {"1:2.5", "-"},
        {"0001:0002:0003.0004", "1:2:3.4"}, {"00001", "-"}, {"12AM", "0:0:0.0"}, {"12PM", "12:0:0.0"},
        {"11:59:59.5pM", "23:59:59.5"}, {"AM12:30", "0:30:0.0"}, {"pm1", "13:0:0.0"}, {"0AM", "-"},
        {"13PM", "-"}, {"PM1PM", "-"}, {"AM", "-"}, {"", "-"},
        {"12::34", "-"}, {"12:34:56.", "-"}, {"1 2", "-"}, {"+1", "-"},
    };
    // clang-format on
    CheckTimes(cases, kFixed);
    EXPECT_FALSE(ParseTimeOfDay("12:34:56\0"s, kFixed)) << "a trailing zero byte is not blank";
}

TEST(SpmTime, SeparatorsAndDayHalfWordsComeFromTheLocale)
{
    LocaleFormats locale = kFixed;
    locale.timeSeparator = '.';
    locale.decimalSeparator = ',';
    locale.amWord = "vorm.";
    locale.pmWord = "nachm.";
    // clang-format off
    const Times cases = {
        {"12.34.56,789", "12:34:56.789"}, {"12:34:56", "-"}, {"12.34.56.789", "-"}, {"1nachm", "-"},
        {"1.05NACHM.", "13:5:0.0"}, {"vorm.12.01", "0:1:0.0"},
        {"1PM", "13:0:0.0"}, // the English words always work
    };
    // clang-format on
    CheckTimes(cases, locale);
    // A user's word that is a prefix of an English one does not hide it.
    locale = kFixed;
    locale.amWord = "A";
    locale.pmWord = "";
    const Times prefix = {{"1AM", "1:0:0.0"}, {"1A", "1:0:0.0"}, {"1", "1:0:0.0"}};
    CheckTimes(prefix, locale);
}

TEST(SpmDisplay, DecodedStampsShowDateAndTimeUndecodedTheRawTextToTheFirstZero)
{
    // Midnight drops the time, unless a millisecond is set.
    const std::pair<StampValue, const char*> decoded[] = {
        {{2001, 1, 5, 0, 0, 0, 0}, "05/01/2001"},
        {{2001, 1, 5, 0, 0, 0, 1}, "05/01/2001 00:00:00"}};
    for (const auto& [value, text] : decoded)
        EXPECT_EQ(StampDisplayText(Stamp{"raw", true, value}, kFixed), text);
    EXPECT_EQ(StampDisplayText(Stamp{"12:3\0:56   Jan"s, false, {}}, kFixed), "12:3");
}

TEST(SpmDisplay, FormatLettersFollowTheLocale)
{
    LocaleFormats locale = kFixed;
    locale.amWord = "vorm.";
    locale.pmWord = "nachm.";
    const StampValue pm{1998, 10, 4, 15, 7, 9, 42};
    const StampValue midnight{2024, 2, 29, 0, 5, 0, 0};
    // clang-format off
    const std::tuple<StampValue, const char*, const char*> cases[] = {
        {pm, "d.M.yy", "4.10.98"}, {pm, "ddd d MMM yyyy", "Sun 4 Oct 1998"},
        {pm, "dddd, MMMM d", "Sunday, October 4"}, {pm, "h:mm:ss AP", "3:07:09 NACHM."},
        {pm, "hh:mm ap", "03:07 nachm."}, {pm, "H:m:s.zzz", "15:7:9.042"},
        {pm, "h 'o''clock'", "15 o'clock"}, {midnight, "h:mm AP", "12:05 VORM."},
        {midnight, "HH:mm:ss t", "00:05:00 "}, {midnight, "h A", "12 VORM."},
        {pm, "s.zzzz|z", "9.042042|042"}, {{5, 1, 1, 0, 0, 0, 0}, "yyyy/yy", "0005/05"},
    };
    // clang-format on
    for (const auto& [value, format, text] : cases)
        EXPECT_EQ(FormatStampValue(value, format, locale), text) << format;
    // Impossible dates must not read outside the name tables: no month name at all.
    for (int month : {0, 13, -1})
        EXPECT_TRUE(
            FormatStampValue({2001, month, 5, 1, 2, 3, 0}, "dddd MMMM MMM", locale).ends_with("  "))
            << month;
}

} // namespace
} // namespace trv
