// Time-of-day and date decoding of the stamps. The first byte picks a locale; the next 23
// bytes are a time field and a date field. Every locale is checked against the ranges and the
// calendar, a print-and-read-back round trip, and the display formats (the rest of the input is
// used as a format string). The grammar itself is pinned case by case in the stamp tests.
#include "FuzzCheck.h"
#include "FuzzLocales.h"

#include "spectrum/Stamp.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

bool ValidDate(int y, int m, int d)
{
    if (y < 1 || y > 9999 || m < 1 || m > 12 || d < 1) return false;
    const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    const int days[12] = {31, leap ? 29 : 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return d <= days[m - 1];
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1) return 0;
    const trv::LocaleFormats locale = FuzzLocale(data[0]);
    const std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
    const std::string_view time = rest.substr(0, 11);
    const std::string_view date = rest.size() > 11 ? rest.substr(11, 12) : std::string_view();
    const std::string_view format = rest.size() > 23 ? rest.substr(23, 64) : std::string_view();

    // The time field alone, blanks and all, as the parser meets any text: whatever it reads
    // lies in range.
    if (const auto direct = trv::ParseTimeOfDay(time, locale))
        FUZZ_CHECK(direct->hour < 24 && direct->minute < 60 && direct->second < 60 &&
                   direct->msec < 1000);

    const auto stamp = trv::DecodePca2Stamp(time, date, locale);
    std::string squeezed;
    for (char c : time)
        if (c != ' ') squeezed += c;
    const auto timeOnly = trv::ParseTimeOfDay(squeezed, locale);
    if (!stamp) {
        // Either the date or the time failed; a good date with a good time never fails.
        return 0;
    }
    FUZZ_CHECK(timeOnly.has_value());
    FUZZ_CHECK(stamp->hour == timeOnly->hour && stamp->minute == timeOnly->minute &&
               stamp->second == timeOnly->second && stamp->msec == timeOnly->msec);
    FUZZ_CHECK(ValidDate(stamp->year, stamp->month, stamp->day));
    FUZZ_CHECK(stamp->month == trv::MonthNumber(date.substr(0, 3)));
    FUZZ_CHECK(stamp->hour < 24 && stamp->minute < 60 && stamp->second < 60 && stamp->msec < 1000);

    // Printed in the locale's own notation, the time of day reads back the same.
    std::string printed = trv::FormatStampValue(*stamp, "HH:mm:ss", trv::LocaleFormats::Fixed());
    std::string ownNotation;
    for (char c : printed)
        ownNotation += c == ':' ? locale.timeSeparator : c;
    if (stamp->msec != 0) ownNotation += locale.decimalSeparator + std::to_string(stamp->msec);
    const auto back = trv::ParseTimeOfDay(ownNotation, locale);
    if (locale.timeSeparator != locale.decimalSeparator) {
        FUZZ_CHECK(back.has_value());
        FUZZ_CHECK(back->hour == stamp->hour && back->minute == stamp->minute &&
                   back->second == stamp->second && back->msec == stamp->msec);
    }

    trv::Stamp decoded;
    decoded.Decoded = true;
    decoded.Value = *stamp;
    trv::LocaleFormats shown = locale;
    shown.shortDateFormat = std::string(format);
    shown.longTimeFormat = std::string(format.substr(format.size() / 2));
    (void)trv::StampDisplayText(decoded, shown);
    const std::string iso = trv::FormatStampValue(*stamp, "yyyy-MM-dd", locale);
    FUZZ_CHECK(iso.size() == 10);
    return 0;
}
