#include "pixelfont.h"

#include <array>
#include <stdexcept>
#include <string>
#include <vector>

namespace drawassets {
namespace {

struct Glyph {
    char ch;
    Face face;
    std::vector<std::string_view> rows; // '#' ink, '.' none; all rows equally long
};

// clang-format off
const std::array<Glyph, 26> Glyphs{{
    {'A', Face::Small, {"...#...", "..#.#..", "..#.#..", ".#...#.", ".#...#.", ".#####.", "#.....#", "#.....#"}},
    {'B', Face::Small, {"#####.", "#....#", "#....#", "#####.", "#....#", "#....#", "#....#", "#####."}},
    {'C', Face::Small, {".####.", "#....#", "#.....", "#.....", "#.....", "#.....", "#....#", ".####."}},
    {'E', Face::Small, {"#####", "#....", "#....", "####.", "#....", "#....", "#....", "#####"}},
    {'H', Face::Small, {"#....#", "#....#", "#....#", "######", "#....#", "#....#", "#....#", "#....#"}},
    {'R', Face::Small, {"#####.", "#....#", "#....#", "#....#", "#####.", "#..#..", "#...#.", "#....#"}},
    {'T', Face::Small, {"#####", "..#..", "..#..", "..#..", "..#..", "..#..", "..#..", "..#.."}},
    {'X', Face::Small, {"#....#", "#....#", ".#..#.", "..##..", "..##..", ".#..#.", "#....#", "#....#"}},
    {'a', Face::Small, {".....", ".....", ".###.", "....#", ".####", "#...#", "#...#", ".####"}},
    {'b', Face::Small, {"#....", "#....", "####.", "#...#", "#...#", "#...#", "#...#", "####."}},
    {'e', Face::Small, {".....", ".....", ".###.", "#...#", "#####", "#....", "#...#", ".###."}},
    {'h', Face::Small, {"#...", "#...", "#.#.", "##.#", "#..#", "#..#", "#..#", "#..#"}},
    {'m', Face::Small, {".......", ".......", "###.##.", "#..#..#", "#..#..#", "#..#..#", "#..#..#", "#..#..#"}},
    {'n', Face::Small, {"....", "....", "#.#.", "##.#", "#..#", "#..#", "#..#", "#..#"}},
    {'o', Face::Small, {".....", ".....", ".###.", "#...#", "#...#", "#...#", "#...#", ".###."}},
    {'r', Face::Small, {"...", "...", "#.#", "##.", "#..", "#..", "#..", "#.."}},
    {'t', Face::Small, {"...", ".#.", "###", ".#.", ".#.", ".#.", ".#.", "..#"}},
    {'u', Face::Small, {"....", "....", "#..#", "#..#", "#..#", "#..#", "#..#", ".###"}},
    {'1', Face::Small, {"..#..", ".##..", "#.#..", "..#..", "..#..", "..#..", "..#..", "#####"}},
    {'2', Face::Small, {".###.", "#...#", "....#", "...#.", "..#..", ".#...", "#....", "#####"}},
    {'1', Face::Tall, {"..#..", ".##..", "#.#..", "..#..", "..#..", "..#..", "..#..", "..#..", "#####"}},
    {'2', Face::Tall, {".###.", "#...#", "....#", "....#", "...#.", "..#..", ".#...", "#....", "#####"}},
    {'3', Face::Tall, {".###.", "#...#", "....#", "....#", "..##.", "....#", "....#", "#...#", ".###."}},
    {'4', Face::Tall, {"...#.", "..##.", ".#.#.", "#..#.", "#..#.", "#####", "...#.", "...#.", "...#."}},
    {'5', Face::Tall, {"#####", "#....", "#....", "####.", "....#", "....#", "....#", "#...#", ".###."}},
    {'6', Face::Tall, {".###.", "#...#", "#....", "#....", "####.", "#...#", "#...#", "#...#", ".###."}},
}};
// clang-format on

const Glyph& glyphFor(char ch, Face face)
{
    for (const Glyph& g : Glyphs) {
        if (g.ch == ch && g.face == face)
            return g;
    }
    throw std::invalid_argument(std::string("no glyph for '") + ch + "'");
}

int advance(char ch, Face face, int space)
{
    return ch == ' ' ? space : static_cast<int>(glyphFor(ch, face).rows.front().size());
}

} // namespace

int textWidth(std::string_view text, Face face, int space)
{
    int width = 0;
    for (std::size_t i = 0; i < text.size(); ++i)
        width += advance(text[i], face, space) + (i == 0 ? 0 : 1);
    return width;
}

void drawText(Canvas& canvas, int x, int y, std::string_view text, QRgb c, Face face, int space)
{
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (i > 0)
            ++x;
        if (text[i] != ' ') {
            const Glyph& g = glyphFor(text[i], face);
            for (std::size_t row = 0; row < g.rows.size(); ++row) {
                for (std::size_t col = 0; col < g.rows[row].size(); ++col) {
                    if (g.rows[row][col] == '#')
                        canvas.pixel(x + static_cast<int>(col), y + static_cast<int>(row), c);
                }
            }
        }
        x += advance(text[i], face, space);
    }
}

void drawTextSpanning(Canvas& canvas, int left, int right, int y, std::string_view text, QRgb c)
{
    const int wanted = right - left + 1;
    int spaces = 0;
    for (char ch : text)
        spaces += ch == ' ' ? 1 : 0;
    const int bare = textWidth(text, Face::Small, 0);
    if (spaces == 0 ? bare != wanted : (wanted - bare) % spaces != 0 || wanted - bare < spaces)
        throw std::logic_error("text \"" + std::string(text) + "\" cannot span " +
                               std::to_string(wanted) + " pixels");
    drawText(canvas, left, y, text, c, Face::Small, spaces == 0 ? 0 : (wanted - bare) / spaces);
}

} // namespace drawassets
