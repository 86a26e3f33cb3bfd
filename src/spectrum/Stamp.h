#pragma once

// The two time stamps in an SPM header: their decoding from the file's text and their display
// in the user's notation.

#include "platform/LocaleFormats.h"

#include <optional>
#include <string>
#include <string_view>

namespace trv {

struct StampValue {
    int year = 0, month = 0, day = 0;
    int hour = 0, minute = 0, second = 0, msec = 0;
    bool operator==(const StampValue&) const = default;
};

struct Stamp {
    std::string RawText; // the stamp's header bytes, cut at the first zero byte when shown
    bool Decoded = false;
    StampValue Value; // meaningful only when Decoded
};

// "Jan" -> 1 ... "Dec" -> 12, exact and case-sensitive; anything else -> 0.
int MonthNumber(std::string_view text);

// A time of day in the user's notation ("12:34:56", "1:05 PM" without blanks, "PM1", ...).
// Fills hour, minute, second and msec of the result; the date fields stay 0.
std::optional<StampValue> ParseTimeOfDay(std::string_view text, const LocaleFormats& locale);

// Decodes a PCA2 stamp from its 11-byte time field and 12-byte date field (either may be
// shorter when the file ends inside it).
std::optional<StampValue> DecodePca2Stamp(std::string_view timeField, std::string_view dateField,
                                          const LocaleFormats& locale);

// Formats a date and time with Qt-style format letters (d dd ddd dddd M MM MMM MMMM yy yyyy,
// h hh H HH m mm s ss z zzz AP ap A a, 'quoted text'; t is dropped). Day-half words come from
// the locale.
std::string FormatStampValue(const StampValue& value, std::string_view format,
                             const LocaleFormats& locale);

// The raw text up to its first zero byte.
std::string StampRawText(const Stamp& stamp);

// Decoded: short date, blank, long time (blank and time left out at 00:00:00).
// Not decoded: StampRawText.
std::string StampDisplayText(const Stamp& stamp, const LocaleFormats& locale);

} // namespace trv
