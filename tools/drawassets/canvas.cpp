#include "canvas.h"

#include <algorithm>
#include <stdexcept>

namespace drawassets {

Canvas::Canvas(int width, int height, int scale, QRgb background)
    : m_width(width), m_height(height), m_scale(scale)
{
    if (width <= 0 || height <= 0 || scale <= 0)
        throw std::invalid_argument("empty picture");
    const bool opaque = qAlpha(background) == 255;
    m_image = QImage(width * scale, height * scale,
                     opaque ? QImage::Format_RGB32 : QImage::Format_ARGB32);
    m_image.fill(background);
}

void Canvas::fill(int x, int y, int w, int h, QRgb c)
{
    const int left = std::max(x, 0);
    const int top = std::max(y, 0);
    const int right = std::min(x + w, m_width);
    const int bottom = std::min(y + h, m_height);
    for (int py = top * m_scale; py < bottom * m_scale; ++py) {
        auto* line = reinterpret_cast<QRgb*>(m_image.scanLine(py));
        std::fill(line + left * m_scale, line + std::max(left, right) * m_scale, c);
    }
}

QRgb Canvas::at(int x, int y) const
{
    return m_image.pixel(x * m_scale, y * m_scale);
}

void Canvas::shade(const std::function<bool(double, double)>& inside, QRgb c)
{
    for (int py = 0; py < m_image.height(); ++py) {
        auto* line = reinterpret_cast<QRgb*>(m_image.scanLine(py));
        for (int px = 0; px < m_image.width(); ++px) {
            if (inside((px + 0.5) / m_scale, (py + 0.5) / m_scale))
                line[px] = c;
        }
    }
}

} // namespace drawassets
