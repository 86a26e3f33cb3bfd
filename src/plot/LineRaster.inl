// Line rasteriser used by PlotSurface; included from PlotSurface.h.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace trv {
namespace raster_detail {

// Products of two coordinate differences need more than 64 bits.
__extension__ typedef __int128 Wide;

// End points beyond this are clamped: far outside any surface, and small enough that
// differences and products cannot overflow.
inline constexpr std::int64_t kCoordLimit = std::int64_t{1} << 60;

inline std::int64_t ClampCoord(std::int64_t v)
{
    return std::clamp(v, -kCoordLimit, kCoordLimit);
}

inline Wide FloorDiv(Wide a, Wide b) // b > 0
{
    Wide q = a / b;
    if (a % b != 0 && a < 0) --q;
    return q;
}

} // namespace raster_detail

template <typename Plot>
void RasteriseLine(std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1,
                   std::int64_t width, std::int64_t height, Plot&& plot)
{
    using raster_detail::Wide;
    x0 = raster_detail::ClampCoord(x0);
    y0 = raster_detail::ClampCoord(y0);
    x1 = raster_detail::ClampCoord(x1);
    y1 = raster_detail::ClampCoord(y1);
    const std::int64_t dx = x1 - x0;
    const std::int64_t dy = y1 - y0;
    const bool xMajor = std::llabs(dx) >= std::llabs(dy);
    // Work in (major, minor) coordinates; the major axis advances one pixel per step.
    const std::int64_t a0 = xMajor ? x0 : y0;
    const std::int64_t b0 = xMajor ? y0 : x0;
    const std::int64_t da = xMajor ? dx : dy;
    const std::int64_t db = xMajor ? dy : dx;
    const std::int64_t aSize = xMajor ? width : height;
    const std::int64_t bSize = xMajor ? height : width;
    const std::int64_t n = std::llabs(da);
    if (n == 0 || aSize <= 0 || bSize <= 0) return;

    // Steps k = 0 .. n-1 (the end point is not drawn); keep only those inside the major range.
    std::int64_t kLo = 0;
    std::int64_t kHi = n;
    if (da > 0) {
        kLo = std::max(kLo, -a0);
        kHi = std::min(kHi, aSize - a0);
    }
    else {
        kLo = std::max(kLo, a0 - aSize + 1);
        kHi = std::min(kHi, a0 + 1);
    }
    const std::int64_t step = da > 0 ? 1 : -1;
    for (std::int64_t k = kLo; k < kHi; ++k) {
        const std::int64_t a = a0 + step * k;
        const std::int64_t b = b0 + static_cast<std::int64_t>(raster_detail::FloorDiv(
                                        Wide{2} * Wide{k} * Wide{db} + Wide{n}, Wide{2} * Wide{n}));
        if (b < 0 || b >= bSize) continue;
        if (xMajor)
            plot(a, b);
        else
            plot(b, a);
    }
}

} // namespace trv
