#pragma once

#include <QImage>

#include <string>

namespace trv {

// The bytes of a Windows bitmap file of the image: BITMAPFILEHEADER, BITMAPINFOHEADER,
// 24 bits per pixel uncompressed, rows bottom-up and padded to a multiple of four bytes, the
// image's resolution in pixels per metre. A null image gives no bytes.
std::string EncodeBmp(const QImage& image);

} // namespace trv
