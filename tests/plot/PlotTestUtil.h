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

inline char ColourLetter(QRgb colour)
{
    switch (colour) {
    case kPlotBlack:
        return '.';
    case kPlotRed:
        return 'R';
    case kPlotGreen:
        return 'G';
    case kPlotYellow:
        return 'Y';
    case kPlotWhite:
        return 'W';
    default:
        return '?';
    }
}

// The surface as rows of letters, one per pixel.
inline std::vector<std::string> Art(const PlotSurface& surface)
{
    std::vector<std::string> rows;
    for (int y = 0; y < surface.Height(); ++y) {
        std::string row;
        for (int x = 0; x < surface.Width(); ++x)
            row += ColourLetter(surface.Pixel(x, y));
        rows.push_back(row);
    }
    return rows;
}

inline int CountColour(const PlotSurface& surface, QRgb colour)
{
    return static_cast<int>(PixelsOf(surface, colour).size());
}

} // namespace trv::test
