// plot/plotframe.h — the frame of a plot of curves: its axes, graduations at round values,
// grid, titles, and the mapping of values to pixels and back (plot layer, toolkit-free)
#pragma once

#include "plot/drawingsurface.h"

#include <string>
#include <vector>

namespace velmora {

// One axis: its extent, linear or logarithmic (decades), and its title.
struct PlotAxis {
    double min = 0;
    double max = 1;
    bool logarithmic = false; // min and max > 0
    std::string title;
};

// Graduations at round values: 1, 2 or 5 times a power of ten for a linear axis, at least
// `minimum` of them within the extent; the decades of a logarithmic one.
std::vector<double> RoundGraduations(const PlotAxis &axis, int minimum = 4);

// Extents widened to round values around the data (lo, hi), with a share of margin; a flat
// range is opened around its value.
PlotAxis RoundedAxis(double lo, double hi, bool logarithmic, std::string title);

// Where a plot is drawn on its surface, and its values to pixels (fractional) and back.
class PlotFrame {
public:
    // The frame inside the surface, leaving room for the title above and the graduation labels
    // and axis titles to the left and below.
    PlotFrame(DrawingSurface &surface, PlotAxis x, PlotAxis y, const std::string &title);

    double columnOf(double x) const;
    double rowOf(double y) const;
    double xAt(double column) const;
    double yAt(double row) const;
    bool contains(double column, double row) const;

    int left() const { return m_left; }
    int right() const { return m_right; }
    int top() const { return m_top; }
    int bottom() const { return m_bottom; }
    const PlotAxis &x() const { return m_x; }
    const PlotAxis &y() const { return m_y; }

    // White page, grid at the graduations in light grey, the frame, the labels and titles, in
    // black.
    void drawFrame(DrawingSurface &surface) const;

private:
    // The position along an axis, 0 at its minimum and 1 at its maximum.
    static double along(const PlotAxis &axis, double v, double logMin, double logSpan);

    PlotAxis m_x;
    PlotAxis m_y;
    double m_logXMin = 0; // log10 of the extents of a logarithmic axis, and their difference
    double m_logXSpan = 1;
    double m_logYMin = 0;
    double m_logYSpan = 1;
    std::string m_title;
    int m_left = 0;
    int m_right = 0;
    int m_top = 0;
    int m_bottom = 0;
};

// Draws the polyline through (x, y) values clipped to the frame, in the surface's current pen.
void DrawClippedCurve(DrawingSurface &surface, const PlotFrame &frame, const std::vector<double> &x,
    const std::vector<double> &y);

} // namespace velmora
