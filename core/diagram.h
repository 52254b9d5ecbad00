#pragma once

// The network diagram's click regions and cable lines, in picture pixels.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kw {

inline constexpr int DiagramWidth = 485;
inline constexpr int DiagramHeight = 234;

enum class DiagramElement { Nothing, HubRow, Station, Switch };

struct DiagramHit {
    DiagramElement element = DiagramElement::Nothing;
    int station = 0; // 1..8 when element is Station
};

namespace detail {

struct Range {
    int from;
    int to;
    int station;
};

inline constexpr Range MachineColumns[] = {{18, 41, 1},   {79, 100, 2},  {141, 160, 3},
                                           {329, 349, 4}, {393, 413, 5}, {449, 471, 6}};
inline constexpr Range ServerColumns[] = {{203, 238, 7}, {273, 307, 8}};

template <std::size_t N> constexpr int stationAt(const Range (&ranges)[N], int x)
{
    for (const Range& r : ranges)
        if (x >= r.from && x <= r.to)
            return r.station;
    return 0;
}

constexpr DiagramHit stationHit(int station)
{
    if (station == 0)
        return {};
    return {DiagramElement::Station, station};
}

} // namespace detail

// First matching region wins: hub row, machine row, server row, switch. A constant
// expression, so that what depends on the regions alone can be worked out while compiling.
constexpr DiagramHit HitTestDiagram(int x, int y)
{
    if (y >= 139 && y <= 152)
        return {DiagramElement::HubRow, 0};
    if (y >= 195 && y <= 220)
        return detail::stationHit(detail::stationAt(detail::MachineColumns, x));
    if (y >= 11 && y <= 47)
        return detail::stationHit(detail::stationAt(detail::ServerColumns, x));
    if (y >= 89 && y <= 106 && x >= 181 && x <= 317)
        return {DiagramElement::Switch, 0};
    return {};
}

struct Pixel {
    int x;
    int y;
    bool operator==(const Pixel&) const = default;
};

enum class CableLine { First, Second };

// The pixels of a 1-pixel straight line drawn by a move-to (x1, y1) and a line-to (x2, y2):
// the start point included, the end point left out.
std::vector<Pixel> LinePixels(int x1, int y1, int x2, int y2);

// The pixels of one line of cable 1..10 (the second line lies 7 pixels to the right).
std::vector<Pixel> CableLinePixels(int cable, CableLine line);

} // namespace kw
