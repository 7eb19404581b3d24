// plot/axes.cpp — axes, graduations, ticks or grid and their labels (plot layer, toolkit-free)
#include "plot/axes.h"

#include "core/numbertext.h"
#include "plot/chartmapping.h"

#include <cmath>

namespace velmora {

namespace {

int halfOf(int pixels)
{
    return static_cast<int>(std::nearbyint(pixels / 2.0));
}

// A graduation within a hundredth of a step of zero is labelled "0".
std::string graduationLabel(double v, double step)
{
    return RealToText(std::fabs(v) < step / 100 ? 0.0 : v);
}

// Pen and font as both axis drawers start them.
void prepareAxis(DrawingSurface &surface, const AxisStyle &style)
{
    surface.setFontName(style.fontName);
    surface.setFontSize(style.fontSize);
    surface.setFontColor(style.axisColor);
    surface.setPenStyle(PenStyle::Solid);
}

void line(DrawingSurface &surface, int x0, int y0, int x1, int y1)
{
    surface.moveTo(x0, y0);
    surface.lineTo(x1, y1);
}

// The two ends of a tick or of a grid line.
struct Mark {
    int x0, y0, x1, y1;
};

// A tick (no grid) or a grid line across the frame for one graduation; leaves the pen solid in
// the axis colour.
void drawGraduationMark(DrawingSurface &surface, const AxisStyle &style, Mark tick, Mark grid)
{
    if (!style.grid) {
        surface.setPenColor(style.axisColor);
        line(surface, tick.x0, tick.y0, tick.x1, tick.y1);
    } else if (style.dottedGrid) {
        surface.setPenColor(Silver);
        surface.setPenStyle(PenStyle::Dotted);
        line(surface, grid.x0, grid.y0, grid.x1, grid.y1);
        surface.setPenStyle(PenStyle::Solid);
        surface.setPenColor(style.axisColor);
    } else {
        surface.setPenColor(Silver);
        surface.setPenStyle(PenStyle::Solid);
        line(surface, grid.x0, grid.y0, grid.x1, grid.y1);
    }
    surface.setPenStyle(PenStyle::Solid);
    surface.setPenColor(style.axisColor);
}

// Runs `each(v, labelled)` for v = first, first + direction * step, ... while `inRange(v)`,
// stopping also when the value no longer moves or after MaxGraduations graduations. Every other
// graduation is labelled, starting with the second.
template <typename InRange, typename Each>
void forEachGraduation(double first, double step, int direction, InRange inRange, Each each)
{
    bool labelled = false;
    double v = first;
    for (int count = 0; count < MaxGraduations && inRange(v); ++count) {
        each(v, labelled);
        const double next = direction > 0 ? v + step : v - step;
        if (next == v)
            break;
        v = next;
        labelled = !labelled;
    }
}

} // namespace

void DrawPhaseAxis(
    int row, DrawingSurface &surface, AxisStyle style, double step, double min, double max)
{
    const PixelFrame frame = FrameOf(surface.width(), surface.height());
    prepareAxis(surface, style);
    forEachGraduation(
        min, step, +1, [max](double v) { return v <= max; },
        [&](double v, bool labelled) {
            const int x = ValueToColumn(frame.left, frame.right, v, min, max);
            drawGraduationMark(surface, style, { x, row, x, row + style.tickLength },
                { x, frame.top, x, frame.bottom });
            if (labelled)
                surface.drawText(
                    x, row + halfOf(surface.textHeight("1")), graduationLabel(v, step));
        });
    surface.setPenStyle(PenStyle::Solid);
    surface.setPenColor(style.axisColor);
    line(surface, frame.left, row, frame.right, row);
}

void DrawGainAxis(
    int column, DrawingSurface &surface, AxisStyle style, double step, double min, double max)
{
    const PixelFrame frame = FrameOf(surface.width(), surface.height());
    prepareAxis(surface, style);
    forEachGraduation(
        max, step, -1, [min](double v) { return v >= min; },
        [&](double v, bool labelled) {
            const int y = ValueToRow(frame.top, frame.bottom, v, min, max);
            drawGraduationMark(surface, style, { column, y, column + style.tickLength, y },
                { frame.left, y, frame.right, y });
            if (labelled) {
                surface.drawText(column + halfOf(surface.textWidth("W")),
                    y - halfOf(surface.textHeight("1")), graduationLabel(v, step));
            }
        });
    line(surface, column, frame.top, column, frame.bottom);
}

void DrawAxes(DrawingSurface &surface, AxisStyle style, double phaseStep, double gainStep,
    double phaseMin, double phaseMax, double gainMin, double gainMax)
{
    const PixelFrame frame = FrameOf(surface.width(), surface.height());
    // Axes through the origin; otherwise along the bottom and left edges of the frame.
    const int axisColumn = style.axesAtOrigin
        ? ValueToColumn(frame.left, frame.right, 0, phaseMin, phaseMax)
        : frame.left;
    const int axisRow = style.axesAtOrigin
        ? ValueToRow(frame.top, frame.bottom, 0, gainMin, gainMax)
        : frame.bottom;
    DrawPhaseAxis(axisRow, surface, style, phaseStep, phaseMin, phaseMax);
    DrawGainAxis(axisColumn, surface, style, gainStep, gainMin, gainMax);
    surface.setPenStyle(PenStyle::Solid);
    surface.setPenColor(style.axisColor);
    line(surface, frame.left, axisRow, frame.right, axisRow);
}

} // namespace velmora
