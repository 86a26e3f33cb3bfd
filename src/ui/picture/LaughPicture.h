#pragma once

#include <cstddef>

namespace trv {

// The Laugh window's picture, a 362 x 362 progressive colour JPEG made by
// tools/make-laugh-picture.py and compiled into the program.
extern const unsigned char kLaughJpeg[];
extern const std::size_t kLaughJpegSize;

} // namespace trv
