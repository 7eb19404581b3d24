// plot/clippedpen.cpp — polylines drawn clipped to a rectangle of pixels (plot layer)
#include "plot/clippedpen.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace velmora {

std::optional<std::pair<Point, Point>> Clipped(Point a, Point b, const PixelFrame &frame)
{
    if (frame.contains(a.x, a.y) && frame.contains(b.x, b.y))
        return std::pair { a, b };
    double t0 = 0;
    double t1 = 1;
    const double dx = b.x - a.x;
    const double dy = b.y - a.y;
    const std::array<std::pair<double, double>, 4> edges { {
        { -dx, a.x - frame.left },
        { dx, frame.right - a.x },
        { -dy, a.y - frame.top },
        { dy, frame.bottom - a.y },
    } };
    for (const auto &[p, q] : edges) {
        if (p == 0) {
            if (q < 0)
                return std::nullopt;
            continue;
        }
        const double t = q / p;
        if (p < 0)
            t0 = std::max(t0, t);
        else
            t1 = std::min(t1, t);
        if (t0 > t1)
            return std::nullopt;
    }
    if (!std::isfinite(t0) || !std::isfinite(t1))
        return std::nullopt;
    return std::pair { Point { a.x + t0 * dx, a.y + t0 * dy },
        Point { a.x + t1 * dx, a.y + t1 * dy } };
}

int PixelOf(double v)
{
    return static_cast<int>(std::nearbyint(std::clamp(v, -1e6, 1e6)));
}

std::optional<std::pair<Point, Point>> ClippedPen::segment(Point a, Point b)
{
    if (!std::isfinite(a.x) || !std::isfinite(a.y) || !std::isfinite(b.x) || !std::isfinite(b.y)) {
        m_placed = false;
        return std::nullopt;
    }
    const auto part = Clipped(a, b, m_frame);
    if (!part) {
        m_placed = false;
        return std::nullopt;
    }
    const int x0 = PixelOf(part->first.x);
    const int y0 = PixelOf(part->first.y);
    const int x1 = PixelOf(part->second.x);
    const int y1 = PixelOf(part->second.y);
    // A step within the pixel the pen stands on draws nothing: it is not drawn.
    if (m_placed && m_x == x0 && m_y == y0 && x1 == x0 && y1 == y0)
        return part;
    if (!m_placed || m_x != x0 || m_y != y0)
        m_surface.moveTo(x0, y0);
    m_surface.lineTo(x1, y1);
    m_placed = true;
    m_x = x1;
    m_y = y1;
    return part;
}

} // namespace velmora
