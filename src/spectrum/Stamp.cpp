#include "spectrum/Stamp.h"

#include <algorithm>
#include <cstddef>
#include <limits>
#include <utility>

namespace trv {

namespace {

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

char AsciiUpper(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}
char AsciiLower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Optional sign, then one or more decimal digits, nothing else. Digits beyond what an int
// holds make it fail rather than wrap.
std::optional<int> WholeNumber(std::string_view text)
{
    size_t pos = 0;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }
    if (pos == text.size()) return std::nullopt;
    long long value = 0;
    for (; pos < text.size(); ++pos) {
        if (!IsDigit(text[pos])) return std::nullopt;
        value = value * 10 + (text[pos] - '0');
        if (value > std::numeric_limits<int>::max()) return std::nullopt;
    }
    return static_cast<int>(negative ? -value : value);
}

bool IsLeapYear(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month)
{
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

bool IsValidDate(int year, int month, int day)
{
    return year >= 1 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 &&
           day <= DaysInMonth(year, month);
}

// 0 = Monday ... 6 = Sunday, proleptic Gregorian.
int DayOfWeek(int year, int month, int day)
{
    // A value that is not a calendar date has no weekday; never index past the month table.
    if (!IsValidDate(year, month, day)) return 0;
    // Days since 0001-01-01 (a Monday).
    const int y = year - 1;
    long days = 365L * y + y / 4 - y / 100 + y / 400;
    for (int m = 1; m < month; ++m)
        days += DaysInMonth(year, m);
    days += day - 1;
    return static_cast<int>(days % 7);
}

// Scans a day-half word at pos, case ignored; empty words never match.
bool ScanWord(std::string_view text, size_t& pos, std::string_view word)
{
    if (word.empty() || text.size() - pos < word.size()) return false;
    for (size_t i = 0; i < word.size(); ++i)
        if (AsciiUpper(text[pos + i]) != AsciiUpper(word[i])) return false;
    pos += word.size();
    return true;
}

// Returns 0 for the morning, 12 for the afternoon, -1 when no designator is at pos.
// The longest matching word wins, so a user's word that is a prefix of "AM" or "PM" does
// not hide them.
int ScanDayHalf(std::string_view text, size_t& pos, const LocaleFormats& locale)
{
    const std::pair<std::string_view, int> candidates[] = {
        {locale.amWord, 0}, {"AM", 0}, {locale.pmWord, 12}, {"PM", 12}};
    size_t bestEnd = pos;
    int base = -1;
    for (const auto& [word, half] : candidates) {
        size_t end = pos;
        if (ScanWord(text, end, word) && end > bestEnd) {
            bestEnd = end;
            base = half;
        }
    }
    pos = bestEnd;
    return base;
}

// One to four decimal digits.
bool ScanNumber(std::string_view text, size_t& pos, int& value)
{
    size_t end = pos;
    while (end < text.size() && IsDigit(text[end]))
        ++end;
    if (end == pos || end - pos > 4) return false;
    value = 0;
    for (; pos < end; ++pos)
        value = value * 10 + (text[pos] - '0');
    return true;
}

bool ScanChar(std::string_view text, size_t& pos, char c)
{
    if (pos < text.size() && text[pos] == c) {
        ++pos;
        return true;
    }
    return false;
}

std::string Padded(int value, int width)
{
    std::string digits = std::to_string(value);
    if (static_cast<int>(digits.size()) < width)
        digits.insert(0, static_cast<size_t>(width) - digits.size(), '0');
    return digits;
}

constexpr const char* kShortDayNames[7] = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
constexpr const char* kLongDayNames[7] = {"Monday", "Tuesday",  "Wednesday", "Thursday",
                                          "Friday", "Saturday", "Sunday"};
constexpr const char* kShortMonthNames[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                              "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
constexpr const char* kLongMonthNames[12] = {"January",   "February", "March",    "April",
                                             "May",       "June",     "July",     "August",
                                             "September", "October",  "November", "December"};

// Whether an unquoted day-half letter occurs, which switches h/hh to the 12-hour clock.
bool HasDayHalf(std::string_view format)
{
    bool quoted = false;
    for (char c : format) {
        if (c == '\'')
            quoted = !quoted;
        else if (!quoted && (c == 'a' || c == 'A'))
            return true;
    }
    return false;
}

} // namespace

int MonthNumber(std::string_view text)
{
    for (int i = 0; i < 12; ++i)
        if (text == kShortMonthNames[i]) return i + 1;
    return 0;
}

std::string StampRawText(const Stamp& stamp)
{
    const size_t zero = stamp.RawText.find('\0');
    return stamp.RawText.substr(0, zero);
}

std::optional<StampValue> ParseTimeOfDay(std::string_view text, const LocaleFormats& locale)
{
    size_t pos = 0;
    int baseHour = ScanDayHalf(text, pos, locale);
    StampValue v;
    if (!ScanNumber(text, pos, v.hour)) return std::nullopt;
    if (ScanChar(text, pos, locale.timeSeparator)) {
        if (!ScanNumber(text, pos, v.minute)) return std::nullopt;
        if (ScanChar(text, pos, locale.timeSeparator)) {
            if (!ScanNumber(text, pos, v.second)) return std::nullopt;
            if (ScanChar(text, pos, locale.decimalSeparator) && !ScanNumber(text, pos, v.msec))
                return std::nullopt;
        }
    }
    if (baseHour < 0) baseHour = ScanDayHalf(text, pos, locale);
    if (pos != text.size()) return std::nullopt;
    if (baseHour >= 0) {
        if (v.hour < 1 || v.hour > 12) return std::nullopt;
        v.hour = v.hour % 12 + baseHour;
    }
    if (v.hour >= 24 || v.minute >= 60 || v.second >= 60 || v.msec >= 1000) return std::nullopt;
    return v;
}

std::optional<StampValue> DecodePca2Stamp(std::string_view timeField, std::string_view dateField,
                                          const LocaleFormats& locale)
{
    std::string time;
    for (char c : timeField)
        if (c != ' ') time += c;

    // A part of the date field; a part the file's end cut off is empty.
    auto part = [dateField](size_t offset, size_t width) {
        return dateField.substr(std::min(offset, dateField.size()), width);
    };
    std::string_view dayText = part(4, 2);
    auto isTrimmed = [](char c) { return static_cast<unsigned char>(c) <= 32; };
    while (!dayText.empty() && isTrimmed(dayText.front()))
        dayText.remove_prefix(1);
    while (!dayText.empty() && isTrimmed(dayText.back()))
        dayText.remove_suffix(1);
    const std::optional<int> day = WholeNumber(dayText);
    if (!day) return std::nullopt;

    const int month = MonthNumber(part(0, 3));

    std::string_view yearText = part(8, 4);
    while (!yearText.empty() && yearText.front() == ' ')
        yearText.remove_prefix(1);
    const std::optional<int> year = WholeNumber(yearText);
    if (!year) return std::nullopt;

    if (!IsValidDate(*year, month, *day)) return std::nullopt;

    std::optional<StampValue> value = ParseTimeOfDay(time, locale);
    if (!value) return std::nullopt;
    value->year = *year;
    value->month = month;
    value->day = *day;
    return value;
}

std::string FormatStampValue(const StampValue& value, std::string_view format,
                             const LocaleFormats& locale)
{
    const bool twelveHour = HasDayHalf(format);
    std::string out;
    size_t i = 0;
    while (i < format.size()) {
        const char c = format[i];
        if (c == '\'') {
            // Quoted text; two quotes in a row stand for one quote.
            if (i + 1 < format.size() && format[i + 1] == '\'') {
                out += '\'';
                i += 2;
                continue;
            }
            ++i;
            while (i < format.size()) {
                if (format[i] == '\'') {
                    if (i + 1 < format.size() && format[i + 1] == '\'') {
                        out += '\'';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                out += format[i++];
            }
            continue;
        }
        size_t run = 1;
        while (i + run < format.size() && format[i + run] == c)
            ++run;
        switch (c) {
        case 'd': {
            run = std::min<size_t>(run, 4);
            if (run == 1)
                out += std::to_string(value.day);
            else if (run == 2)
                out += Padded(value.day, 2);
            else {
                const int dow = DayOfWeek(value.year, value.month, value.day);
                out += run == 3 ? kShortDayNames[dow] : kLongDayNames[dow];
            }
            break;
        }
        case 'M':
            run = std::min<size_t>(run, 4);
            if (run == 1)
                out += std::to_string(value.month);
            else if (run == 2)
                out += Padded(value.month, 2);
            else if (value.month >= 1 && value.month <= 12)
                out +=
                    run == 3 ? kShortMonthNames[value.month - 1] : kLongMonthNames[value.month - 1];
            break;
        case 'y':
            if (run >= 4) {
                run = 4;
                out += Padded(value.year, 4);
            }
            else if (run >= 2) {
                run = 2;
                out += Padded(value.year % 100, 2);
            }
            else
                out += c;
            break;
        case 'h':
        case 'H': {
            run = std::min<size_t>(run, 2);
            int hour = value.hour;
            if (c == 'h' && twelveHour) hour = hour % 12 == 0 ? 12 : hour % 12;
            out += run == 2 ? Padded(hour, 2) : std::to_string(hour);
            break;
        }
        case 'm':
            run = std::min<size_t>(run, 2);
            out += run == 2 ? Padded(value.minute, 2) : std::to_string(value.minute);
            break;
        case 's':
            run = std::min<size_t>(run, 2);
            out += run == 2 ? Padded(value.second, 2) : std::to_string(value.second);
            break;
        case 'z':
            if (run >= 3) {
                run = 3;
                out += Padded(value.msec, 3);
            }
            else {
                // The fraction of the second without trailing zeros, at least one digit.
                run = 1;
                std::string digits = Padded(value.msec, 3);
                while (digits.size() > 1 && digits.back() == '0')
                    digits.pop_back();
                out += digits;
            }
            break;
        case 'A':
        case 'a': {
            const bool pair =
                i + 1 < format.size() && (format[i + 1] == 'P' || format[i + 1] == 'p');
            run = pair ? 2 : 1;
            std::string word = value.hour < 12 ? locale.amWord : locale.pmWord;
            const bool upper = c == 'A' && (!pair || format[i + 1] == 'P');
            const bool lower = c == 'a' && (!pair || format[i + 1] == 'p');
            if (upper) std::transform(word.begin(), word.end(), word.begin(), AsciiUpper);
            if (lower) std::transform(word.begin(), word.end(), word.begin(), AsciiLower);
            out += word;
            break;
        }
        case 't':
            // Stamps carry no time zone.
            run = std::min<size_t>(run, 4);
            break;
        default:
            run = 1;
            out += c;
            break;
        }
        i += run;
    }
    return out;
}

std::string StampDisplayText(const Stamp& stamp, const LocaleFormats& locale)
{
    if (!stamp.Decoded) return StampRawText(stamp);
    std::string text = FormatStampValue(stamp.Value, locale.shortDateFormat, locale);
    const StampValue& v = stamp.Value;
    // Midnight shows the date alone, as a date-only value would.
    if (v.hour != 0 || v.minute != 0 || v.second != 0 || v.msec != 0)
        text += ' ' + FormatStampValue(stamp.Value, locale.longTimeFormat, locale);
    return text;
}

} // namespace trv
