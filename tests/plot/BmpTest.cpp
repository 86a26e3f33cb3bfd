#include "plot/Bmp.h"

#include <gtest/gtest.h>

namespace trv {
namespace {

TEST(EncodeBmp, TinyImageGoldenBytes)
{
    QImage image(3, 2, QImage::Format_RGB32);
    const QRgb pixels[] = {qRgb(255, 0, 0),     qRgb(0, 255, 0), qRgb(0, 0, 255),
                           qRgb(255, 255, 255), qRgb(0, 0, 0),   qRgb(10, 20, 30)};
    for (int i = 0; i < 6; ++i)
        image.setPixel(i % 3, i / 3, pixels[i]);
    image.setDotsPerMeterX(3780);
    image.setDotsPerMeterY(3780);
    // clang-format off
    const unsigned char golden[] = {
        'B', 'M', 78, 0, 0, 0,  // file size 14 + 40 + 2 rows of 12 bytes
        0, 0, 0, 0,             // reserved
        54, 0, 0, 0,            // pixels start after both headers
        40, 0, 0, 0,            // info header size
        3, 0, 0, 0,             // width
        2, 0, 0, 0,             // height, positive: bottom row first
        1, 0, 24, 0,            // planes, bits per pixel
        0, 0, 0, 0,             // uncompressed
        24, 0, 0, 0,            // pixel bytes
        0xC4, 0x0E, 0, 0,       // 3780 pixels per metre
        0xC4, 0x0E, 0, 0,
        0, 0, 0, 0,             // colours used
        0, 0, 0, 0,             // important colours
        // bottom row: white, black, (10, 20, 30) as blue-green-red, 3 bytes of padding
        255, 255, 255, 0, 0, 0, 30, 20, 10, 0, 0, 0,
        // top row: red, green, blue
        0, 0, 255, 0, 255, 0, 255, 0, 0, 0, 0, 0,
    };
    // clang-format on
    EXPECT_EQ(EncodeBmp(image), std::string(reinterpret_cast<const char*>(golden), sizeof golden));
    EXPECT_TRUE(EncodeBmp(QImage()).empty());
}

} // namespace
} // namespace trv
