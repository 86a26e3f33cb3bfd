#pragma once

#include "platform/LocaleFormats.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace trv {

enum class SpmMode : int { PCA2 = 2, PCA3 = 3 };

struct StampValue {
    int year = 0, month = 0, day = 0;
    int hour = 0, minute = 0, second = 0, msec = 0;
    bool operator==(const StampValue&) const = default;
};

struct Stamp {
    std::string RawText;  // the stamp's header bytes, cut at the first zero byte when shown
    bool Decoded = false;
    StampValue Value;     // meaningful only when Decoded
};

struct SpmInfo {
    std::string FileName;
    int32_t FileSize = 0;
    int32_t ChannelCount = 0;
    SpmMode Mode = SpmMode::PCA2;
    int32_t HeaderLength = 0;
    Stamp FirstStamp;
    Stamp SecondStamp;
};

struct SpmSpectrum {
    SpmInfo info;
    std::vector<uint32_t> counts;  // exactly info.ChannelCount values
};

// Texts of the refusals of a file whose count block does not lie inside it.
inline constexpr const char* kSpmTooShortText =
    "Not a valid SPM file: the file is too short for its header";
inline constexpr const char* kSpmCountsPastEndText =
    "Not a valid SPM file: the count block runs past the end of the file";
inline constexpr const char* kSpmTooLargeText = "Not a valid SPM file: the file is too large";

// Parses a whole SPM file image. Never reads outside bytes. Throws AppError
// ("Not a valid SPM file: ...") when the count block does not lie inside the file.
SpmSpectrum ParseSpmImage(std::string_view bytes, std::string_view path,
                          const LocaleFormats& locale);

// "Jan" -> 1 ... "Dec" -> 12, exact and case-sensitive; anything else -> 0.
int MonthNumber(std::string_view text);

// The text after the last folder separator ('/' or '\') or a drive colon.
std::string LastPathComponent(std::string_view path);

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

// Decoded: short date, blank, long time (blank and time left out at 00:00:00).
// Not decoded: the raw text up to its first zero byte.
std::string StampDisplayText(const Stamp& stamp, const LocaleFormats& locale);

// The six "SPM Info" captions after an open: name, "N bytes", "N channels", first stamp,
// second stamp, "Mode : PCA2  (Header: N)". PCA2 stamps show decoded only when both decoded.
std::array<std::string, 6> SpmInfoCaptions(const SpmInfo& info, const LocaleFormats& locale);

}  // namespace trv
