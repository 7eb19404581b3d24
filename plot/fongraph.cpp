// plot/fongraph.cpp — values to pixels, axes, graduations and grid (plot layer, toolkit-free)
#include "plot/fongraph.h"

#include "core/foncbase.h"
#include "core/fperror.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace velmora {

namespace {

// Halves to the even pixel, saturated at +/- CoordinateLimit. std::rint rounds as nearbyint does
// in the default rounding mode, without saving and restoring the floating-point environment.
int roundToPixel(long double position)
{
    if (std::isnan(position))
        throw FloatingPointError(FloatingPointFault::InvalidOperation);
    const long double rounded = std::rint(position);
    if (rounded > CoordinateLimit)
        return CoordinateLimit;
    if (rounded < -CoordinateLimit)
        return -CoordinateLimit;
    return static_cast<int>(rounded);
}

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
void prepareAxis(DrawingSurface &surface, const param &style)
{
    surface.setFontName(style.FontName);
    surface.setFontSize(style.FontSize);
    surface.setFontColor(style.AxisColor);
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
// AxisColor.
void drawGraduationMark(DrawingSurface &surface, const param &style, Mark tick, Mark grid)
{
    if (!style.Grid) {
        surface.setPenColor(style.AxisColor);
        line(surface, tick.x0, tick.y0, tick.x1, tick.y1);
    } else if (style.DottedGrid) {
        surface.setPenColor(Silver);
        surface.setPenStyle(PenStyle::Dotted);
        line(surface, grid.x0, grid.y0, grid.x1, grid.y1);
        surface.setPenStyle(PenStyle::Solid);
        surface.setPenColor(style.AxisColor);
    } else {
        surface.setPenColor(Silver);
        surface.setPenStyle(PenStyle::Solid);
        line(surface, grid.x0, grid.y0, grid.x1, grid.y1);
    }
    surface.setPenStyle(PenStyle::Solid);
    surface.setPenColor(style.AxisColor);
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

PixelFrame FrameOf(const DrawingSurface &surface)
{
    return PixelFrame { 10, surface.height() - 10, 15, surface.width() - 15 };
}

ChartMapping MappingOf(const PixelFrame &frame, const ChartSettings &settings)
{
    return { frame, settings.GainMin, settings.GainMax, settings.PhaseMin, settings.PhaseMax };
}

int ChartMapping::row(double gain) const
{
    return ValueToRow(frame.top, frame.bottom, gain, gainMin, gainMax);
}

int ChartMapping::column(double phase) const
{
    return ValueToColumn(frame.left, frame.right, phase, phaseMin, phaseMax);
}

bool SweepEndsAfter(double x, double step, double limit)
{
    const double next = x + step;
    return next == x || static_cast<long double>(next) + step >= limit;
}

std::vector<double> SweepPositions(double start, double step, double limit, int capacity)
{
    std::vector<double> positions;
    positions.reserve(static_cast<std::size_t>(std::max(capacity, 0)));
    double x = start;
    for (int evaluated = 0; evaluated < capacity; ++evaluated) {
        positions.push_back(x);
        if (SweepEndsAfter(x, step, limit))
            break;
        x += step;
    }
    return positions;
}

std::optional<double> FinitePow10(double x)
{
    const long double power
        = std::exp(static_cast<long double>(x) * std::numbers::ln10_v<long double>);
    const double result = static_cast<double>(power);
    if (!std::isfinite(result))
        return std::nullopt;
    return result;
}

double Pow10(double x)
{
    if (std::isnan(x))
        throw FloatingPointError(FloatingPointFault::InvalidOperation);
    const std::optional<double> result = FinitePow10(x);
    if (!result)
        throw FloatingPointError(FloatingPointFault::Overflow);
    return *result;
}

int ValueToRow(int top, int bottom, double value, double min, double max)
{
    if (max == min)
        throw FloatingPointError(FloatingPointFault::DivideByZero);
    const long double span = static_cast<long double>(max) - min;
    return roundToPixel((static_cast<long double>(max) - value) * (bottom - top) / span + top);
}

int ValueToColumn(int left, int right, double value, double min, double max)
{
    if (max == min)
        throw FloatingPointError(FloatingPointFault::DivideByZero);
    const long double span = static_cast<long double>(max) - min;
    return roundToPixel((static_cast<long double>(value) - min) * (right - left) / span + left);
}

void DrawPhaseAxis(
    int row, DrawingSurface &surface, param style, double step, double min, double max)
{
    const PixelFrame frame = FrameOf(surface);
    prepareAxis(surface, style);
    forEachGraduation(
        min, step, +1, [max](double v) { return v <= max; },
        [&](double v, bool labelled) {
            const int x = ValueToColumn(frame.left, frame.right, v, min, max);
            drawGraduationMark(surface, style, { x, row, x, row + style.TickLength },
                { x, frame.top, x, frame.bottom });
            if (labelled)
                surface.drawText(
                    x, row + halfOf(surface.textHeight("1")), graduationLabel(v, step));
        });
    surface.setPenStyle(PenStyle::Solid);
    surface.setPenColor(style.AxisColor);
    line(surface, frame.left, row, frame.right, row);
}

void DrawGainAxis(
    int column, DrawingSurface &surface, param style, double step, double min, double max)
{
    const PixelFrame frame = FrameOf(surface);
    prepareAxis(surface, style);
    forEachGraduation(
        max, step, -1, [min](double v) { return v >= min; },
        [&](double v, bool labelled) {
            const int y = ValueToRow(frame.top, frame.bottom, v, min, max);
            drawGraduationMark(surface, style, { column, y, column + style.TickLength, y },
                { frame.left, y, frame.right, y });
            if (labelled) {
                surface.drawText(column + halfOf(surface.textWidth("W")),
                    y - halfOf(surface.textHeight("1")), graduationLabel(v, step));
            }
        });
    line(surface, column, frame.top, column, frame.bottom);
}

void DrawAxes(DrawingSurface &surface, param style, double phaseStep, double gainStep,
    double phaseMin, double phaseMax, double gainMin, double gainMax)
{
    const PixelFrame frame = FrameOf(surface);
    // Axes through the origin; otherwise along the bottom and left edges of the frame.
    const int axisColumn = style.AxesAtOrigin
        ? ValueToColumn(frame.left, frame.right, 0, phaseMin, phaseMax)
        : frame.left;
    const int axisRow = style.AxesAtOrigin
        ? ValueToRow(frame.top, frame.bottom, 0, gainMin, gainMax)
        : frame.bottom;
    DrawPhaseAxis(axisRow, surface, style, phaseStep, phaseMin, phaseMax);
    DrawGainAxis(axisColumn, surface, style, gainStep, gainMin, gainMax);
    surface.setPenStyle(PenStyle::Solid);
    surface.setPenColor(style.AxisColor);
    line(surface, frame.left, axisRow, frame.right, axisRow);
}

} // namespace velmora
