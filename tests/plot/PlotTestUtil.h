#pragma once

#include "plot/PlotSurface.h"

#include <set>
#include <string>
#include <utility>
#include <vector>

namespace trv::test {

using Pixel = std::pair<int, int>; // x, y

inline std::set<Pixel> PixelsOf(const PlotSurface& surface, QRgb colour)
{
    std::set<Pixel> pixels;
    for (int y = 0; y < surface.Height(); ++y)
        for (int x = 0; x < surface.Width(); ++x)
            if (surface.Pixel(x, y) == colour) pixels.insert({x, y});
    return pixels;
}

// The surface as rows of letters: . R G Y W for black, red, green, yellow, white.
inline std::vector<std::string> Art(const PlotSurface& surface)
{
    const std::pair<QRgb, char> letters[] = {{kPlotBlack, '.'},
                                             {kPlotRed, 'R'},
                                             {kPlotGreen, 'G'},
                                             {kPlotYellow, 'Y'},
                                             {kPlotWhite, 'W'}};
    std::vector<std::string> rows(static_cast<std::size_t>(surface.Height()));
    for (int y = 0; y < surface.Height(); ++y)
        for (int x = 0; x < surface.Width(); ++x) {
            char letter = '?';
            for (const auto& [colour, c] : letters)
                if (surface.Pixel(x, y) == colour) letter = c;
            rows[static_cast<std::size_t>(y)] += letter;
        }
    return rows;
}

} // namespace trv::test
