#pragma once

#include "platform/LocaleFormats.h"
#include "spectrum/Stamp.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace trv {

enum class SpmMode : int { PCA2 = 2, PCA3 = 3 };

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
    std::vector<uint32_t> counts; // exactly info.ChannelCount values
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

// The six "SPM Info" captions after an open: name, "N bytes", "N channels", first stamp,
// second stamp, "Mode : PCA2  (Header: N)". PCA2 stamps show decoded only when both decoded.
std::array<std::string, 6> SpmInfoCaptions(const SpmInfo& info, const LocaleFormats& locale);

} // namespace trv
