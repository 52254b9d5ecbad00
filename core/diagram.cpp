#include "diagram.h"

#include "global.h"

#include <cstdlib>

namespace kw {

namespace {

struct Range {
    int from;
    int to;
    int station;
};

constexpr Range MachineColumns[] = {{18, 41, 1},   {79, 100, 2},  {141, 160, 3},
                                    {329, 349, 4}, {393, 413, 5}, {449, 471, 6}};
constexpr Range ServerColumns[] = {{203, 238, 7}, {273, 307, 8}};

template <std::size_t N> int stationAt(const Range (&ranges)[N], int x)
{
    for (const Range& r : ranges)
        if (x >= r.from && x <= r.to)
            return r.station;
    return 0;
}

DiagramHit stationHit(int station)
{
    if (station == 0)
        return {};
    return {DiagramElement::Station, station};
}

} // namespace

DiagramHit HitTestDiagram(int x, int y)
{
    if (y >= 139 && y <= 152)
        return {DiagramElement::HubRow, 0};
    if (y >= 195 && y <= 220)
        return stationHit(stationAt(MachineColumns, x));
    if (y >= 11 && y <= 47)
        return stationHit(stationAt(ServerColumns, x));
    if (y >= 89 && y <= 106 && x >= 181 && x <= 317)
        return {DiagramElement::Switch, 0};
    return {};
}

std::vector<Pixel> LinePixels(int x1, int y1, int x2, int y2)
{
    // Bresenham, so that a coloured line lands exactly on the black line it covers. Like the
    // platform's line-to, the line stops short of its end point: a cable's end would
    // otherwise mark the centre of the LED square it runs into.
    std::vector<Pixel> pixels;
    const int dx = std::abs(x2 - x1);
    const int dy = -std::abs(y2 - y1);
    const int sx = x1 < x2 ? 1 : -1;
    const int sy = y1 < y2 ? 1 : -1;
    int err = dx + dy;
    int x = x1;
    int y = y1;
    while (x != x2 || y != y2) {
        pixels.push_back({x, y});
        const int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y += sy;
        }
    }
    return pixels;
}

std::vector<Pixel> CableLinePixels(int cable, CableLine line)
{
    if (cable < 1 || cable > CableCount)
        return {};
    const Cable& c = CableTable[cable];
    const int shift = line == CableLine::Second ? 7 : 0;
    return LinePixels(c.x1 + shift, c.y1, c.x2 + shift, c.y2);
}

} // namespace kw
