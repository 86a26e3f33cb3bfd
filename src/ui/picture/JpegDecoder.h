#pragma once

#include <QImage>

#include <cstddef>

namespace trv {

// Decodes a JPEG (baseline or progressive) with libjpeg into an RGB32 image.
// *progressive, when given, tells whether the file has multiple scans.
// Damaged data, even where libjpeg would only warn, throws AppError instead of ending the
// program or returning a half-grey picture.
QImage DecodeJpeg(const unsigned char* data, std::size_t size, bool* progressive = nullptr);

} // namespace trv
