#include "ui/picture/JpegDecoder.h"
#include "platform/AppError.h"
#include "ui/picture/LaughPicture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace trv {
namespace {

using Bytes = std::vector<unsigned char>;

const Bytes kEmbedded(kLaughJpeg, kLaughJpeg + kLaughJpegSize);

TEST(DecodeJpeg, EmbeddedPictureIsA362SquareProgressiveDrawing)
{
    bool progressive = false;
    const QImage image = DecodeJpeg(kLaughJpeg, kLaughJpegSize, &progressive);
    ASSERT_EQ(image.size(), QSize(362, 362));
    EXPECT_TRUE(progressive);
    // Flat areas of the drawing, away from edges; the odd row length (3 * 362 bytes) makes a
    // stride slip show.
    const std::tuple<int, int, QRgb> areas[] = {{20, 20, qRgb(150, 205, 240)},  // sky
                                                {266, 200, qRgb(230, 170, 40)}, // Brem's shirt
                                                {100, 345, qRgb(95, 175, 75)}}; // grass
    for (const auto& [x, y, colour] : areas) {
        const QRgb got = image.pixel(x, y);
        EXPECT_NEAR(qRed(got), qRed(colour), 6) << x << "," << y;
        EXPECT_NEAR(qGreen(got), qGreen(colour), 6) << x << "," << y;
        EXPECT_NEAR(qBlue(got), qBlue(colour), 6) << x << "," << y;
    }
}

TEST(DecodeJpeg, DamagedDataThrowsInsteadOfEndingTheProgram)
{
    Bytes zeroWidth = kEmbedded; // the width in the frame header (SOF2, FF C2) set to 0
    for (std::size_t i = 0; i + 8 < zeroWidth.size(); ++i)
        if (zeroWidth[i] == 0xFF && zeroWidth[i + 1] == 0xC2) {
            zeroWidth[i + 7] = zeroWidth[i + 8] = 0;
            break;
        }
    const auto start = kEmbedded.begin();
    const Bytes cases[] = {{},
                           Bytes{'t', 'e', 'x', 't'},
                           Bytes(start, start + 700),
                           Bytes(start, start + kEmbedded.size() / 2),
                           zeroWidth};
    for (const Bytes& bytes : cases)
        EXPECT_THROW(DecodeJpeg(bytes.empty() ? nullptr : bytes.data(), bytes.size()), AppError)
            << bytes.size() << " bytes";
}

} // namespace
} // namespace trv
