#pragma once

// A tiny bitmap face for the pictures' lettering: capitals 8 pixels high, lower case with
// 6-pixel x-height, 1-pixel gaps between letters. Every glyph's ink touches its left and
// right columns, so a text's ink box is known exactly before it is drawn.

#include "canvas.h"

#include <string_view>

namespace drawassets {

enum class Face {
    Small, // capitals, lower case and the digits 1, 2: 8 rows
    Tall,  // the digits 1..6 beside the machines: 9 rows
};

// Ink width of `text` with spaces `space` pixels wide (plus the two letter gaps around them).
int textWidth(std::string_view text, Face face, int space = 2);

// Draws `text` with its ink box's top-left corner at (x, y).
void drawText(Canvas& canvas, int x, int y, std::string_view text, QRgb c, Face face = Face::Small,
              int space = 2);

// Draws `text` so that its ink spans exactly x `left`..`right`, widening the spaces as needed.
// Throws when the text cannot fill that width.
void drawTextSpanning(Canvas& canvas, int left, int right, int y, std::string_view text, QRgb c);

} // namespace drawassets
