#include "pictures.h"

#include "canvas.h"
#include "pixelfont.h"

#include <array>
#include <cmath>
#include <functional>

namespace drawassets {
namespace {

using namespace colour;

// ---- Shared pieces --------------------------------------------------------------------

// The body of the switch and of the hubs: black border 3 pixels along the top and 2 along
// the other sides, corners rounded off to the background.
void drawBody(Canvas& c, int x, int y, int w, int h, QRgb fill)
{
    for (int r = 0; r < h; ++r) {
        const int cut = (r == 0 || r == h - 1) ? 2 : (r == 1 || r == h - 2) ? 1 : 0;
        c.fill(x + cut, y + r, w - 2 * cut, 1, Black);
    }
    for (int r = 3; r <= h - 3; ++r) {
        const int cut = (r == 3 || r == h - 3) ? 1 : 0;
        c.fill(x + 2 + cut, y + r, w - 4 - 2 * cut, 1, fill);
    }
}

// 8 x 8 LED square: 2-pixel black frame around a 4 x 4 window of background colour.
void drawLedSquare(Canvas& c, int x, int y)
{
    c.fill(x, y, 8, 8, Black);
    c.fill(x + 2, y + 2, 4, 4, LightGrey);
}

// The switch as drawn in the diagram and in the switch dialog, at its top-left corner.
void drawSwitchBody(Canvas& c, int x, int y)
{
    drawBody(c, x, y, 140, 20, Orange);
    for (int dx : {12, 23, 44, 55, 78, 89, 110, 121})
        drawLedSquare(c, x + dx, y + 6);
}

// A raised grey box: black outline, white upper-left edge, grey lower-right edge.
void drawRaisedBox(Canvas& c, int x, int y, int w, int h)
{
    c.fill(x, y, w, h, Black);
    c.fill(x + 1, y + 1, w - 2, h - 2, Silver);
    c.fill(x + 1, y + 1, w - 2, 1, White);
    c.fill(x + 1, y + 1, 1, h - 2, White);
    c.fill(x + 2, y + h - 2, w - 3, 1, Grey);
    c.fill(x + w - 2, y + 2, 1, h - 3, Grey);
}

// A screen sunk into its bezel: grey upper-left rim, then the glass.
void drawScreen(Canvas& c, int x, int y, int w, int h, QRgb glass)
{
    c.fill(x, y, w, 1, Grey);
    c.fill(x, y, 1, h, Grey);
    c.fill(x + 1, y + 1, w - 1, h - 1, glass);
}

// The 32 x 32 desktop computer: monitor with a blue screen on the system unit, keyboard in
// front. The monitor's top edge is the icon's top row, where the diagram's cables arrive.
void drawDesktop(Canvas& c, int x, int y)
{
    drawRaisedBox(c, x + 5, y, 22, 17);
    drawScreen(c, x + 8, y + 3, 16, 11, ScreenBlue);
    c.fill(x + 13, y + 17, 6, 2, Black);
    c.fill(x + 14, y + 17, 4, 2, Grey);
    drawRaisedBox(c, x + 2, y + 19, 28, 6);
    c.fill(x + 18, y + 21, 9, 1, Black);
    c.fill(x + 5, y + 22, 2, 1, LampGreen);
    // Keyboard, slightly wider at the front.
    c.fill(x + 3, y + 26, 26, 1, Black);
    c.fill(x + 2, y + 27, 28, 2, Black);
    c.fill(x + 1, y + 29, 30, 1, Black);
    c.fill(x + 3, y + 27, 26, 1, Silver);
    c.fill(x + 2, y + 28, 28, 1, Silver);
    for (int k = 4; k <= 27; k += 2)
        c.pixel(x + k, y + 27, Grey);
    for (int k = 3; k <= 28; k += 2)
        c.pixel(x + k, y + 28, Grey);
}

// The 41 x 40 server: tower on the left with two dark slots, small monitor with a green
// screen on the right, keyboard at the lower right. Tower and keyboard reach the bottom
// rows, where the diagram's cables arrive; the top rows leave room for the letter.
void drawServerIcon(Canvas& c, int x, int y)
{
    drawRaisedBox(c, x + 2, y + 2, 16, 37);
    for (int slotY : {7, 12}) {
        c.fill(x + 5, y + slotY, 10, 2, DarkGrey);
        c.fill(x + 5, y + slotY + 2, 10, 1, White);
    }
    for (int ventY = 19; ventY <= 27; ventY += 2)
        c.fill(x + 6, y + ventY, 8, 1, Grey);
    c.fill(x + 12, y + 32, 3, 2, LampGreen);

    drawRaisedBox(c, x + 21, y + 14, 18, 17);
    drawScreen(c, x + 24, y + 17, 12, 11, ScreenGreen);
    c.fill(x + 27, y + 31, 6, 1, Black);
    c.fill(x + 28, y + 31, 4, 1, Grey);
    c.fill(x + 25, y + 32, 10, 1, Black);

    c.fill(x + 21, y + 34, 18, 1, Black);
    c.fill(x + 20, y + 35, 20, 5, Black);
    c.fill(x + 21, y + 35, 18, 4, Silver);
    for (int k = 22; k <= 36; k += 2) {
        c.pixel(x + k, y + 35, Grey);
        c.pixel(x + k + 1, y + 37, Grey);
    }
}

// Left edge of LED k's 12 x 12 window in the LED pictures (y 24..35): the odd LED of port
// p at 95(p-1) + 42, the even one 33 pixels further right.
int ledLeft(int k)
{
    const int j = k / 2;
    return k % 2 == 1 ? 95 * j + 42 : 95 * j - 20;
}

// The 415 x 60 LED picture: body inside a 6-pixel black frame with cut corners, eight LED
// windows in black sockets, a legend over each.
QImage drawLedPicture(int scale, QRgb body, const char* oddLabel, const char* evenLabel)
{
    Canvas c(415, 60, scale, LightGrey);
    for (int r = 0; r < 60; ++r) {
        const int cut = (r < 3 || r >= 57) ? 6 : (r < 6 || r >= 54) ? 3 : 0;
        c.fill(cut, r, 415 - 2 * cut, 1, Black);
    }
    c.fill(6, 6, 403, 48, body);
    for (int k = 1; k <= 8; ++k) {
        const int left = ledLeft(k);
        c.fill(left - 6, 18, 24, 24, Black);
        c.fill(left, 24, 12, 12, LightGrey);
        drawText(c, left, 8, k % 2 == 1 ? oddLabel : evenLabel, Black);
    }
    return c.image();
}

// ---- Smooth shapes ----------------------------------------------------------------------

double distanceToSegment(double px, double py, double ax, double ay, double bx, double by)
{
    const double dx = bx - ax;
    const double dy = by - ay;
    double t = ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy);
    t = t < 0 ? 0 : (t > 1 ? 1 : t);
    return std::hypot(px - (ax + t * dx), py - (ay + t * dy));
}

// The tick's stroke, in the 18 x 18 cell.
bool insideTick(double x, double y)
{
    // Both strokes at 45 degrees through pixel corners: 4-pixel rows, clean steps at 1x.
    return distanceToSegment(x, y, 3.0, 9.0, 7.0, 13.0) <= 1.1 ||
           distanceToSegment(x, y, 7.0, 13.0, 15.0, 5.0) <= 1.1;
}

// The program picture in its own 74 x 62 coordinates: an ellipse crossed by two arrows,
// the second the first turned half a turn about the centre.
bool insideEllipse(double u, double v)
{
    const double a = (u - 37.0) / 26.0;
    const double b = (v - 31.0) / 15.0;
    return a * a + b * b <= 1.0;
}

bool insideLeftArrow(double u, double v)
{
    const bool shaftIn = u >= 0.0 && u <= 34.0 && v >= 25.0 && v <= 29.0;
    const bool shaftUp = u >= 30.0 && u <= 34.0 && v >= 10.0 && v <= 29.0;
    const bool head = v >= 1.0 && v <= 11.0 && std::abs(u - 32.0) <= (v - 1.0) * 0.8;
    return shaftIn || shaftUp || head;
}

bool insideArrows(double u, double v)
{
    return insideLeftArrow(u, v) || insideLeftArrow(74.0 - u, 62.0 - v);
}

// Paints the program picture's scene with its 74 x 62 box mapped to (x0, y0) at `zoom`.
void paintScene(Canvas& c, double x0, double y0, double zoom)
{
    const auto to = [=](const std::function<bool(double, double)>& in) {
        return [=](double x, double y) { return in((x - x0) / zoom, (y - y0) / zoom); };
    };
    c.shade(to(insideEllipse), PinkRed);
    c.shade(to(insideArrows), ArrowBlue);
}

} // namespace

QImage drawDiagram(int scale)
{
    Canvas c(485, 234, scale, LightGrey);

    drawServerIcon(c, 200, 9);
    drawText(c, 228, 12, "A", Black);
    drawServerIcon(c, 269, 9);
    drawText(c, 297, 12, "B", Black);

    struct Label {
        const char* text;
        int left, right, top;
        QRgb colour;
    };
    // Each text's ink box, checked against the face's widths when drawn.
    static const std::array<Label, 23> labels{{
        {"RX", 198, 210, 50, Blue},
        {"TX", 224, 235, 50, Blue},
        {"RX", 255, 267, 50, Blue},
        {"TX", 286, 297, 50, Blue},
        {"Commutateur Ethernet", 75, 179, 75, Orange},
        {"TX", 167, 178, 108, Blue},
        {"RX", 201, 213, 109, Blue},
        {"TX", 285, 296, 109, Blue},
        {"RX", 318, 330, 109, Blue},
        {"Hub 1", 98, 125, 124, Black},
        {"Hub 2", 376, 406, 126, Black},
        {"TX", 11, 22, 184, Blue},
        {"RX", 42, 54, 185, Blue},
        {"TX", 70, 81, 185, Blue},
        {"RX", 98, 110, 184, Blue},
        {"TX", 127, 138, 185, Blue},
        {"RX", 156, 168, 184, Blue},
        {"TX", 315, 326, 185, Blue},
        {"RX", 352, 364, 185, Blue},
        {"TX", 381, 392, 184, Blue},
        {"RX", 409, 421, 184, Blue},
        {"TX", 438, 449, 185, Blue},
        {"RX", 465, 477, 184, Blue},
    }};
    for (const Label& l : labels)
        drawTextSpanning(c, l.left, l.right, l.top, l.text, l.colour);

    drawSwitchBody(c, 180, 88);

    drawBody(c, 39, 136, 140, 20, Grey);
    for (int x : {51, 62, 83, 94, 117, 128, 149, 160})
        drawLedSquare(c, x, 142);
    drawBody(c, 316, 136, 141, 20, Grey);
    for (int x : {328, 339, 361, 372, 393, 404, 427, 438})
        drawLedSquare(c, x, 142);

    static const std::array<int, 6> machineX{13, 75, 133, 323, 385, 443};
    static const std::array<int, 6> digitX{5, 68, 123, 310, 378, 436};
    for (int m = 0; m < 6; ++m) {
        drawDesktop(c, machineX[m], 193);
        const char digit[2] = {static_cast<char>('1' + m), '\0'};
        drawText(c, digitX[m], 214, digit, Black, Face::Tall);
    }
    return c.image();
}

QImage drawHubLeds(int scale)
{
    return drawLedPicture(scale, Grey, "RX", "TX");
}

QImage drawSwitchLeds(int scale)
{
    return drawLedPicture(scale, Orange, "TX", "RX");
}

QImage drawSwitchSmall(int scale)
{
    // The diagram's switch with one column of background on its left.
    Canvas c(141, 20, scale, LightGrey);
    drawSwitchBody(c, 1, 0);
    return c.image();
}

QImage drawStation(int scale)
{
    Canvas c(34, 33, scale, LightGrey);
    drawDesktop(c, 1, 1);
    return c.image();
}

QImage drawServer(int scale)
{
    Canvas c(41, 40, scale, LightGrey);
    drawServerIcon(c, 0, 0);
    return c.image();
}

QImage drawTick(int scale, bool enabled)
{
    Canvas c(18, 18, scale, Transparent);
    if (enabled) {
        c.shade(insideTick, TickGreen);
    } else {
        // Embossed like a disabled control: a white copy one pixel down-right under grey.
        c.shade([](double x, double y) { return insideTick(x - 1.0, y - 1.0); }, White);
        c.shade(insideTick, Grey);
    }
    return c.image();
}

QImage drawProgram(int scale)
{
    Canvas c(74, 62, scale, White);
    paintScene(c, 0.0, 0.0, 1.0);
    return c.image();
}

QImage drawAppIcon(int scale)
{
    // The program picture on a white rounded tile with a grey edge; transparent outside.
    Canvas c(64, 64, scale, Transparent);
    const auto roundedSquare = [](double inset) {
        return [inset](double x, double y) {
            const double lo = 1.0 + inset;
            const double hi = 63.0 - inset;
            const double radius = 9.0 - inset;
            if (x < lo || x > hi || y < lo || y > hi)
                return false;
            const double cx = x < lo + radius ? lo + radius : (x > hi - radius ? hi - radius : x);
            const double cy = y < lo + radius ? lo + radius : (y > hi - radius ? hi - radius : y);
            return std::hypot(x - cx, y - cy) <= radius;
        };
    };
    c.shade(roundedSquare(0.0), Grey);
    c.shade(roundedSquare(1.0), White);
    const double zoom = 56.0 / 74.0;
    paintScene(c, 4.0, 32.0 - 31.0 * zoom, zoom);
    return c.image();
}

std::vector<Asset> drawAllAssets()
{
    struct Entry {
        const char* name;
        std::function<QImage(int)> draw;
    };
    const std::array<Entry, 10> entries{{
        {"diagram", drawDiagram},
        {"hub_leds", drawHubLeds},
        {"switch_leds", drawSwitchLeds},
        {"switch_small", drawSwitchSmall},
        {"station", drawStation},
        {"server", drawServer},
        {"tick", [](int s) { return drawTick(s, true); }},
        {"tick_disabled", [](int s) { return drawTick(s, false); }},
        {"program", drawProgram},
        {"kw_switch", drawAppIcon},
    }};
    std::vector<Asset> assets;
    for (const Entry& e : entries) {
        const QString name = QString::fromLatin1(e.name);
        assets.push_back({name + QStringLiteral(".png"), e.draw(1)});
        assets.push_back({name + QStringLiteral("@2x.png"), e.draw(2)});
    }
    return assets;
}

} // namespace drawassets
