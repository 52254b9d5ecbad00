#include "diagram.h"

#include "global.h"

#include <cstdlib>

namespace kw {

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
