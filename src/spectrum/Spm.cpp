#include "spectrum/Spm.h"

#include "platform/AppError.h"
#include "platform/FileIo.h"

#include <cstddef>
#include <limits>

namespace trv {

namespace {

constexpr std::string_view kPca3Marker = "pca3.exe";
constexpr int32_t kPca3HeaderLength = 450;

// Header field access: a field that runs past the end is cut there, one that starts
// beyond the end is empty. Nothing here can read outside the image.
std::string_view Field(std::string_view bytes, size_t offset, size_t width)
{
    if (offset >= bytes.size()) return {};
    return bytes.substr(offset, width);
}

uint32_t ReadU32Le(std::string_view bytes, size_t offset)
{
    if (offset > bytes.size() || bytes.size() - offset < 4) throw AppError(kSpmCountsPastEndText);
    auto byte = [&](size_t i) {
        return static_cast<uint32_t>(static_cast<unsigned char>(bytes[offset + i]));
    };
    return byte(0) | (byte(1) << 8) | (byte(2) << 16) | (byte(3) << 24);
}

} // namespace

SpmSpectrum ParseSpmImage(std::string_view bytes, std::string_view path,
                          const LocaleFormats& locale)
{
    // Sizes are 32-bit in the model; a larger image cannot be described, so refuse it.
    if (bytes.size() > static_cast<size_t>(std::numeric_limits<int32_t>::max()))
        throw AppError(kSpmTooLargeText);
    const int64_t length = static_cast<int64_t>(bytes.size());

    SpmSpectrum result;
    SpmInfo& info = result.info;
    info.FileSize = static_cast<int32_t>(length);
    info.FileName = LastPathComponent(path);
    info.ChannelCount = length <= 3000 ? 512 : 1024;
    info.Mode = bytes.find(kPca3Marker) != std::string_view::npos ? SpmMode::PCA3 : SpmMode::PCA2;

    const int64_t countBytes = 4 * static_cast<int64_t>(info.ChannelCount);
    const int64_t header = info.Mode == SpmMode::PCA3 ? kPca3HeaderLength : length - countBytes;
    if (header < 0) throw AppError(kSpmTooShortText);
    if (header + countBytes > length) throw AppError(kSpmCountsPastEndText);
    info.HeaderLength = static_cast<int32_t>(header);

    if (info.Mode == SpmMode::PCA3) {
        info.FirstStamp.RawText = std::string(Field(bytes, 386, 11));
        info.SecondStamp.RawText = std::string(Field(bytes, 399, 11));
    }
    else {
        auto fill = [&](Stamp& stamp, size_t timeAt, size_t dateAt) {
            const std::string_view time = Field(bytes, timeAt, 11);
            const std::string_view date = Field(bytes, dateAt, 12);
            stamp.RawText = std::string(time) + ' ' + std::string(date);
            if (auto value = DecodePca2Stamp(time, date, locale)) {
                stamp.Decoded = true;
                stamp.Value = *value;
            }
        };
        fill(info.FirstStamp, 362, 375);
        fill(info.SecondStamp, 388, 401);
    }

    result.counts.resize(static_cast<size_t>(info.ChannelCount));
    for (size_t i = 0; i < result.counts.size(); ++i)
        result.counts[i] = ReadU32Le(bytes, static_cast<size_t>(header) + 4 * i);
    return result;
}

std::array<std::string, 6> SpmInfoCaptions(const SpmInfo& info, const LocaleFormats& locale)
{
    std::array<std::string, 6> captions;
    captions[0] = info.FileName;
    captions[1] = std::to_string(info.FileSize) + " bytes";
    captions[2] = std::to_string(info.ChannelCount) + " channels";
    // A decoded PCA2 stamp shows as a date only when its partner decoded as well, so the two
    // lines never mix notations.
    const bool decoded =
        info.Mode == SpmMode::PCA2 && info.FirstStamp.Decoded && info.SecondStamp.Decoded;
    auto show = [&](const Stamp& stamp) {
        if (decoded) return StampDisplayText(stamp, locale);
        return StampRawText(stamp);
    };
    captions[3] = show(info.FirstStamp);
    captions[4] = show(info.SecondStamp);
    captions[5] = std::string(info.Mode == SpmMode::PCA3 ? "Mode : PCA3" : "Mode : PCA2") +
                  "  (Header: " + std::to_string(info.HeaderLength) + ")";
    return captions;
}

} // namespace trv
