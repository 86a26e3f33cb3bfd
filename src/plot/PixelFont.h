#pragma once

#include <array>
#include <cstdint>

namespace trv {

// A small fixed-pitch bitmap font for the plot's labels. Built in, so that text looks the same
// on every machine (also without any font installed) and needs no running GUI application.
inline constexpr int kFontCellWidth = 6;
inline constexpr int kFontCellHeight = 12;
inline constexpr int kGlyphWidth = 5;
inline constexpr int kGlyphRows = 9; // 7 above the base line, 2 for descenders
inline constexpr int kGlyphTop = 2;  // first glyph row within the cell

// One glyph: a row per byte, the leftmost of the five columns in bit 4.
using GlyphBits = std::array<std::uint8_t, kGlyphRows>;

// The glyph of an 8-bit character: printable ASCII has its own; any other byte shows a box.
const GlyphBits& GlyphFor(unsigned char c);

} // namespace trv
