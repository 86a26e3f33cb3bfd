#include "ui/help/JpegDecoder.h"
#include "platform/AppError.h"
#include "ui/help/LaughPicture.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace trv {
namespace {

using Bytes = std::vector<unsigned char>;

const Bytes kEmbedded(kLaughJpeg, kLaughJpeg + kLaughJpegSize);

void ExpectNear(QRgb actual, QRgb expected, int tolerance, const std::string& where)
{
    EXPECT_NEAR(qRed(actual), qRed(expected), tolerance) << where;
    EXPECT_NEAR(qGreen(actual), qGreen(expected), tolerance) << where;
    EXPECT_NEAR(qBlue(actual), qBlue(expected), tolerance) << where;
}

TEST(DecodeJpeg, EmbeddedPictureIsTheCommitted362SquareProgressiveDrawing)
{
    std::ifstream file(TRV_SOURCE_DIR "/src/ui/help/laugh.jpg", std::ios::binary);
    EXPECT_EQ(kEmbedded, Bytes(std::istreambuf_iterator<char>(file), {}));
    bool progressive = false;
    const QImage image = DecodeJpeg(kLaughJpeg, kLaughJpegSize, &progressive);
    ASSERT_EQ(image.size(), QSize(362, 362));
    EXPECT_TRUE(progressive);
    // Flat areas of tools/make-laugh-picture.py's drawing, away from edges; the odd row length
    // (3 * 362 bytes) makes a stride slip show.
    const std::tuple<int, int, QRgb> areas[] = {{20, 20, qRgb(150, 205, 240)},  // sky
                                                {95, 240, qRgb(60, 110, 200)},  // Ulvo's shirt
                                                {266, 200, qRgb(230, 170, 40)}, // Brem's shirt
                                                {100, 345, qRgb(95, 175, 75)},  // grass
                                                {350, 12, qRgb(255, 220, 60)}}; // sun
    for (const auto& [x, y, colour] : areas)
        ExpectNear(image.pixel(x, y), colour, 6, std::to_string(x) + "," + std::to_string(y));
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
                           Bytes(start, start + 2),
                           Bytes(start, start + 700),
                           Bytes(start, start + kEmbedded.size() / 2),
                           zeroWidth};
    for (const Bytes& bytes : cases)
        EXPECT_THROW(DecodeJpeg(bytes.empty() ? nullptr : bytes.data(), bytes.size()), AppError)
            << bytes.size() << " bytes";
    EXPECT_EQ(DecodeJpeg(kEmbedded.data(), kEmbedded.size()).width(), 362) << "still usable";
}

} // namespace
} // namespace trv
