#pragma once

#include "platform/LocaleFormats.h"

#include <array>
#include <cstdint>
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

// Parses a whole SPM file image. Never reads outside bytes. Throws AppError
// ("Not a valid SPM file: ...") when the count block does not lie inside the file.
SpmSpectrum ParseSpmImage(std::string_view bytes, std::string_view path,
                          const LocaleFormats& locale);

// "Jan" -> 1 ... "Dec" -> 12, exact and case-sensitive; anything else -> 0.
int MonthNumber(std::string_view text);

// Decoded: short date, blank, long time (blank and time left out at 00:00:00).
// Not decoded: the raw text up to its first zero byte.
std::string StampDisplayText(const Stamp& stamp, const LocaleFormats& locale);

// The six "SPM Info" captions after an open: name, "N bytes", "N channels", first stamp,
// second stamp, "Mode : PCA2  (Header: N)". PCA2 stamps show decoded only when both decoded.
std::array<std::string, 6> SpmInfoCaptions(const SpmInfo& info, const LocaleFormats& locale);

}  // namespace trv
