// ParseSpmImage on any bytes of any length. The first bytes steer the input: where the
// variant marker is planted, whether the image is stretched to a size where the rules change,
// and which locale decodes the stamps. Then every rule the parser promises is checked.
#include "FuzzCheck.h"
#include "FuzzLocales.h"

#include "platform/AppError.h"
#include "spectrum/Spm.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

namespace {

constexpr std::string_view kMarker = "pca3.exe";

// Sizes next to which the channel count, the variant's header or a stamp field changes.
constexpr std::size_t kSizes[] = {0,    8,    362,  413,  449,  450,  2047, 2048, 2049, 2497,
                                  2498, 2999, 3000, 3001, 4095, 4096, 4097, 4545, 4546, 4600};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 4) return 0;
    const std::uint8_t control = data[0];
    const std::size_t plantAt = data[1] | (static_cast<std::size_t>(data[2]) << 8);
    const std::uint8_t localePick = data[3];
    std::string image(reinterpret_cast<const char*>(data + 4), size - 4);

    if (control & 0x04) {
        // Stretch or cut to a boundary size; the input repeats so the counts are not all zero.
        const std::size_t target = kSizes[(control >> 3) % std::size(kSizes)];
        const std::string seed = image.empty() ? std::string(1, '\0') : image;
        image.clear();
        while (image.size() < target)
            image += seed;
        image.resize(target);
    }
    if ((control & 0x01) && image.size() >= kMarker.size())
        image.replace(plantAt % (image.size() - kMarker.size() + 1), kMarker.size(), kMarker);
    if ((control & 0x02) && !image.empty()) {
        // Only the front part of the marker, at the very end of the file.
        const std::size_t part = std::min<std::size_t>(image.size(), 1 + plantAt % 7);
        image.replace(image.size() - part, part, kMarker.substr(0, part));
    }

    // An exact heap block: a read one byte past the image is an ASan report.
    const std::size_t length = image.size();
    std::unique_ptr<char[]> exact(new char[length + (length == 0)]);
    std::memcpy(exact.get(), image.data(), length);
    const std::string_view bytes(exact.get(), length);
    const trv::LocaleFormats locale = FuzzLocale(localePick);

    const std::int64_t channels = length <= 3000 ? 512 : 1024;
    const bool pca3 = image.find(kMarker) != std::string::npos;
    const std::int64_t header = pca3 ? 450 : static_cast<std::int64_t>(length) - 4 * channels;
    const bool fits = header >= 0 && header + 4 * channels <= static_cast<std::int64_t>(length);

    trv::SpmSpectrum s;
    try {
        s = trv::ParseSpmImage(bytes, "C:\\spectra/run 7.spm", locale);
    }
    catch (const trv::AppError& e) {
        const std::string_view text = e.what();
        FUZZ_CHECK(!fits);
        FUZZ_CHECK(text == trv::kSpmTooShortText || text == trv::kSpmCountsPastEndText);
        return 0;
    }
    FUZZ_CHECK(fits);
    const trv::SpmInfo& info = s.info;
    FUZZ_CHECK(info.FileName == "run 7.spm");
    FUZZ_CHECK(info.FileSize == static_cast<std::int32_t>(length));
    FUZZ_CHECK(info.ChannelCount == channels);
    FUZZ_CHECK(info.Mode == (pca3 ? trv::SpmMode::PCA3 : trv::SpmMode::PCA2));
    FUZZ_CHECK(info.HeaderLength == header);
    FUZZ_CHECK(s.counts.size() == static_cast<std::size_t>(channels));
    for (std::size_t i = 0; i < s.counts.size(); ++i) {
        const auto* p = reinterpret_cast<const unsigned char*>(bytes.data() + header + 4 * i);
        const std::uint32_t expected =
            p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
        FUZZ_CHECK(s.counts[i] == expected);
    }

    auto field = [&](std::size_t at, std::size_t width) {
        return at >= length ? std::string() : image.substr(at, width);
    };
    if (pca3) {
        FUZZ_CHECK(!info.FirstStamp.Decoded && !info.SecondStamp.Decoded);
        FUZZ_CHECK(info.FirstStamp.RawText == field(386, 11));
        FUZZ_CHECK(info.SecondStamp.RawText == field(399, 11));
    }
    else {
        FUZZ_CHECK(info.FirstStamp.RawText == field(362, 11) + " " + field(375, 12));
        FUZZ_CHECK(info.SecondStamp.RawText == field(388, 11) + " " + field(401, 12));
        // Each stamp is decoded from its own fields alone.
        FUZZ_CHECK(info.FirstStamp.Decoded ==
                   trv::DecodePca2Stamp(field(362, 11), field(375, 12), locale).has_value());
        FUZZ_CHECK(info.SecondStamp.Decoded ==
                   trv::DecodePca2Stamp(field(388, 11), field(401, 12), locale).has_value());
    }
    for (const trv::Stamp* stamp : {&info.FirstStamp, &info.SecondStamp}) {
        const std::string shown = trv::StampDisplayText(*stamp, locale);
        if (!stamp->Decoded) {
            FUZZ_CHECK(shown == stamp->RawText.substr(0, stamp->RawText.find('\0')));
        }
    }
    const auto captions = trv::SpmInfoCaptions(info, locale);
    FUZZ_CHECK(captions[1] == std::to_string(length) + " bytes");
    return 0;
}
