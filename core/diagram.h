#pragma once

// The network diagram's click regions and cable lines, in picture pixels.

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

// First matching region wins: hub row, machine row, server row, switch.
DiagramHit HitTestDiagram(int x, int y);

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
