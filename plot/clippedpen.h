// plot/clippedpen.h — polylines drawn clipped to a rectangle of pixels (plot layer,
// toolkit-free)
#pragma once

#include "plot/chartmapping.h"
#include "plot/drawingsurface.h"

#include <optional>
#include <utility>

namespace velmora {

// A fractional pixel position.
struct Point {
    double x;
    double y;
};

// Liang-Barsky: the part of the segment a-b inside the frame, if any.
std::optional<std::pair<Point, Point>> Clipped(Point a, Point b, const PixelFrame &frame);

// The pixel of a fractional position, halves to even, bounded far outside any image.
int PixelOf(double v);

// Draws polylines clipped to the frame, moving only where the drawn path breaks.
class ClippedPen {
public:
    ClippedPen(DrawingSurface &surface, const PixelFrame &frame)
        : m_surface(surface)
        , m_frame(frame)
    {
    }

    // Draws the part of a-b inside the frame; returns it.
    std::optional<std::pair<Point, Point>> segment(Point a, Point b);

    void breakPath() { m_placed = false; }

private:
    DrawingSurface &m_surface;
    PixelFrame m_frame;
    bool m_placed = false; // the pen stands at (m_x, m_y), where the path drawn last ended
    int m_x = 0;
    int m_y = 0;
};

} // namespace velmora
