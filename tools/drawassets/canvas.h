#pragma once

// A picture drawn in logical pixels at an integer scale: every logical pixel becomes a
// scale x scale block, so features land exactly on multiplied coordinates.

#include <QImage>
#include <QRgb>

#include <functional>

namespace drawassets {

namespace colour {
inline constexpr QRgb Transparent = 0x00000000;
inline constexpr QRgb Black = 0xff000000;
inline constexpr QRgb White = 0xffffffff;
inline constexpr QRgb LightGrey = 0xffcccccc; // (204,204,204): backgrounds, LED windows
inline constexpr QRgb Silver = 0xffc0c0c0;    // (192,192,192): raised parts of the icons
inline constexpr QRgb Grey = 0xff808080;      // (128,128,128): hub bodies, shadows
inline constexpr QRgb DarkGrey = 0xff404040;  // slots
inline constexpr QRgb Orange = 0xffcc6600;    // (204,102,0): the switch
inline constexpr QRgb Blue = 0xff0000ff;      // (0,0,255): RX/TX labels of the diagram
inline constexpr QRgb ScreenBlue = 0xff0000c0;
inline constexpr QRgb ScreenGreen = 0xff00c000;
inline constexpr QRgb LampGreen = 0xff00ff00;
inline constexpr QRgb TickGreen = 0xff008000;
inline constexpr QRgb PinkRed = 0xffff3366;   // (255,51,102): the program picture's ellipse
inline constexpr QRgb ArrowBlue = 0xff3333ff; // (51,51,255): its arrows
} // namespace colour

class Canvas {
public:
    // A width x height logical picture filled with `background`; alpha is kept when the
    // background is not opaque.
    Canvas(int width, int height, int scale, QRgb background);

    int width() const { return m_width; }
    int height() const { return m_height; }
    int scale() const { return m_scale; }

    // Logical rectangle, clipped to the picture.
    void fill(int x, int y, int w, int h, QRgb c);
    void pixel(int x, int y, QRgb c) { fill(x, y, 1, 1, c); }
    QRgb at(int x, int y) const; // colour of logical pixel (its top-left device pixel)

    // Paints every device pixel whose centre, in logical coordinates, satisfies `inside`.
    // Used for smooth shapes that are drawn anew at each scale rather than enlarged.
    void shade(const std::function<bool(double, double)>& inside, QRgb c);

    const QImage& image() const { return m_image; }

private:
    int m_width;
    int m_height;
    int m_scale;
    QImage m_image;
};

} // namespace drawassets
