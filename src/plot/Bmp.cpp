#include "plot/Bmp.h"

#include <algorithm>
#include <cstdint>

namespace trv {
namespace {

void PutU16(std::string& out, std::uint32_t v)
{
    out.push_back(static_cast<char>(v & 0xFF));
    out.push_back(static_cast<char>((v >> 8) & 0xFF));
}

void PutU32(std::string& out, std::uint32_t v)
{
    PutU16(out, v & 0xFFFF);
    PutU16(out, v >> 16);
}

} // namespace

std::string EncodeBmp(const QImage& image)
{
    if (image.isNull()) return {};
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    const std::uint32_t width = static_cast<std::uint32_t>(rgb.width());
    const std::uint32_t height = static_cast<std::uint32_t>(rgb.height());
    const std::uint32_t stride = (width * 3 + 3) / 4 * 4;
    const std::uint32_t pixelBytes = stride * height;
    constexpr std::uint32_t kHeaderBytes = 14 + 40;

    std::string out;
    out.reserve(kHeaderBytes + pixelBytes);
    out += "BM";
    PutU32(out, kHeaderBytes + pixelBytes);
    PutU32(out, 0); // two reserved words
    PutU32(out, kHeaderBytes);

    PutU32(out, 40);
    PutU32(out, width);
    PutU32(out, height); // positive: rows stored bottom-up
    PutU16(out, 1);      // planes
    PutU16(out, 24);     // bits per pixel
    PutU32(out, 0);      // uncompressed
    PutU32(out, pixelBytes);
    PutU32(out, static_cast<std::uint32_t>(std::max(rgb.dotsPerMeterX(), 0)));
    PutU32(out, static_cast<std::uint32_t>(std::max(rgb.dotsPerMeterY(), 0)));
    PutU32(out, 0); // colours used
    PutU32(out, 0); // important colours

    for (int y = rgb.height() - 1; y >= 0; --y) {
        const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        for (std::uint32_t x = 0; x < width; ++x) {
            out.push_back(static_cast<char>(qBlue(line[x])));
            out.push_back(static_cast<char>(qGreen(line[x])));
            out.push_back(static_cast<char>(qRed(line[x])));
        }
        out.append(stride - width * 3, '\0');
    }
    return out;
}

} // namespace trv
