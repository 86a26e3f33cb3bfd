#include "ui/help/JpegDecoder.h"
#include "platform/AppError.h"
#include "ui/help/LaughPicture.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <jpeglib.h>

namespace trv {
namespace {

using Bytes = std::vector<unsigned char>;

Bytes EmbeddedPicture()
{
    return Bytes(kLaughJpeg, kLaughJpeg + kLaughJpegSize);
}

// Encodes a w x h picture whose left half is `left` and right half `right`.
Bytes EncodeTwoColours(int w, int h, QRgb left, QRgb right, bool progressive)
{
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr err{};
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    unsigned char* out = nullptr;
    unsigned long outSize = 0;
    jpeg_mem_dest(&cinfo, &out, &outSize);
    cinfo.image_width = static_cast<JDIMENSION>(w);
    cinfo.image_height = static_cast<JDIMENSION>(h);
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 95, TRUE);
    if (progressive) jpeg_simple_progression(&cinfo);
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<unsigned char> row(static_cast<std::size_t>(w) * 3);
    for (int x = 0; x < w; ++x) {
        const QRgb c = x < w / 2 ? left : right;
        row[3 * x] = static_cast<unsigned char>(qRed(c));
        row[3 * x + 1] = static_cast<unsigned char>(qGreen(c));
        row[3 * x + 2] = static_cast<unsigned char>(qBlue(c));
    }
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW p = row.data();
        jpeg_write_scanlines(&cinfo, &p, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    Bytes bytes(out, out + outSize);
    std::free(out);
    return bytes;
}

void ExpectNear(QRgb actual, QRgb expected, int tolerance, const std::string& where)
{
    EXPECT_NEAR(qRed(actual), qRed(expected), tolerance) << where;
    EXPECT_NEAR(qGreen(actual), qGreen(expected), tolerance) << where;
    EXPECT_NEAR(qBlue(actual), qBlue(expected), tolerance) << where;
}

TEST(DecodeJpeg, EmbeddedPictureIsA362SquareProgressiveColourPicture)
{
    bool progressive = false;
    const QImage image = DecodeJpeg(kLaughJpeg, kLaughJpegSize, &progressive);
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.width(), 362);
    EXPECT_EQ(image.height(), 362);
    EXPECT_TRUE(progressive);
    EXPECT_FALSE(image.isGrayscale());
}

TEST(DecodeJpeg, EmbeddedPictureShowsTheDrawingsColours)
{
    // Flat areas of tools/make-laugh-picture.py's drawing, away from edges.
    struct Case {
        int x, y;
        QRgb colour;
        const char* what;
    };
    const Case cases[] = {
        {20, 20, qRgb(150, 205, 240), "sky"},
        {190, 200, qRgb(150, 205, 240), "sky between the two"},
        {95, 240, qRgb(60, 110, 200), "Ulvo's shirt"},
        {266, 200, qRgb(230, 170, 40), "Brem's shirt"},
        {100, 345, qRgb(95, 175, 75), "grass"},
        {350, 12, qRgb(255, 220, 60), "sun"},
        {96, 290, qRgb(60, 60, 90), "Ulvo's trousers"},
    };
    const QImage image = DecodeJpeg(kLaughJpeg, kLaughJpegSize);
    for (const Case& c : cases)
        ExpectNear(image.pixel(c.x, c.y), c.colour, 6,
                   std::string(c.what) + " at " + std::to_string(c.x) + "," + std::to_string(c.y));
}

TEST(DecodeJpeg, EmbeddedBytesAreTheCommittedPicture)
{
    std::ifstream file(TRV_SOURCE_DIR "/src/ui/help/laugh.jpg", std::ios::binary);
    ASSERT_TRUE(file) << "laugh.jpg missing";
    const Bytes onDisk{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    EXPECT_EQ(EmbeddedPicture(), onDisk);
}

TEST(DecodeJpeg, BaselineAndProgressiveDecodeToTheSamePixels)
{
    // Odd sizes: RGB rows are padded in the image, so a stride slip would show.
    const QRgb red = qRgb(220, 30, 30);
    const QRgb blue = qRgb(30, 60, 220);
    for (const bool progressiveIn : {false, true}) {
        SCOPED_TRACE(progressiveIn ? "progressive" : "baseline");
        const Bytes bytes = EncodeTwoColours(37, 13, red, blue, progressiveIn);
        bool progressiveOut = !progressiveIn;
        const QImage image = DecodeJpeg(bytes.data(), bytes.size(), &progressiveOut);
        ASSERT_EQ(image.size(), QSize(37, 13));
        EXPECT_EQ(progressiveOut, progressiveIn);
        for (int y = 0; y < 13; ++y) {
            ExpectNear(image.pixel(2, y), red, 12, "left, row " + std::to_string(y));
            ExpectNear(image.pixel(34, y), blue, 12, "right, row " + std::to_string(y));
        }
    }
}

TEST(DecodeJpeg, DamagedDataThrowsInsteadOfEndingTheProgram)
{
    const Bytes good = EmbeddedPicture();
    Bytes badWidth = good;
    // Zero the width in the frame header (SOF2 marker FF C2).
    for (std::size_t i = 0; i + 8 < badWidth.size(); ++i) {
        if (badWidth[i] == 0xFF && badWidth[i + 1] == 0xC2) {
            badWidth[i + 7] = 0;
            badWidth[i + 8] = 0;
            break;
        }
    }
    const std::string text = "this is not a picture";
    struct Case {
        const char* what;
        Bytes bytes;
    };
    const Case cases[] = {
        {"empty", {}},
        {"text", Bytes(text.begin(), text.end())},
        {"only the start marker", Bytes(good.begin(), good.begin() + 2)},
        {"cut after the header", Bytes(good.begin(), good.begin() + 700)},
        {"cut in half", Bytes(good.begin(), good.begin() + good.size() / 2)},
        {"zero width", badWidth},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const unsigned char* data = c.bytes.empty() ? nullptr : c.bytes.data();
        EXPECT_THROW(DecodeJpeg(data, c.bytes.size()), AppError);
    }
    // The decoder is still usable afterwards.
    EXPECT_EQ(DecodeJpeg(good.data(), good.size()).width(), 362);
}

} // namespace
} // namespace trv
