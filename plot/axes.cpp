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

// Pen and font as both axis drawers start them; the tick length in the image's pixels.
void prepareAxis(DrawingSurface &surface, AxisStyle &style)
{
    if (surface.scale() != 1)
        style.tickLength = static_cast<int>(std::nearbyint(style.tickLength * surface.scale()));
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
    const PixelFrame frame = FrameOf(surface.width(), surface.height(), surface.scale());
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
    const PixelFrame frame = FrameOf(surface.width(), surface.height(), surface.scale());
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
    const PixelFrame frame = FrameOf(surface.width(), surface.height(), surface.scale());
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

double ViewGraduationStep(double step, double origin, double low, double high)
{
    // Whether the graduations every `finer` put 4 labelled ones (odd j) within [low, high].
    const auto enough = [&](double finer) {
        const double first = std::ceil((low - origin) / finer);
        const double last = std::floor((high - origin) / finer);
        const double firstOdd = std::fmod(std::fabs(first), 2) == 1 ? first : first + 1;
        return last >= firstOdd && std::floor((last - firstOdd) / 2) + 1 >= 4;
    };
    if (!(step > 0) || !std::isfinite(step) || enough(step))
        return step;
    // Round steps below it that divide it (5, 2.5, 2 and 1 times a power of ten), then its
    // fractions 1 / 2, 1 / 5, 1 / 10, ...
    const double top = std::floor(std::log10(step));
    for (double power = top; power > top - 7; --power) {
        for (const double mantissa : { 5.0, 2.5, 2.0, 1.0 }) {
            const double finer = mantissa * std::pow(10.0, power);
            const double parts = step / finer;
            if (finer < step && std::fabs(parts - std::round(parts)) <= 1e-9 * parts
                && enough(finer))
                return finer;
        }
    }
    double finer = step;
    for (double divisor = 1; divisor <= 1e6; divisor *= 10) {
        for (const double m : { 2.0, 5.0, 10.0 }) {
            const double next = step / (divisor * m);
            if (!(next > 0))
                return finer;
            finer = next;
            if (enough(finer))
                return finer;
        }
    }
    return finer;
}

namespace {

// The whole j of the graduations origin + direction j step within [low, high], in increasing j,
// at most MaxGraduations of them.
template <typename Each>
void forEachViewGraduation(
    double origin, double step, int direction, double low, double high, Each each)
{
    const double a = (low - origin) / step * direction;
    const double b = (high - origin) / step * direction;
    if (!(step > 0) || !std::isfinite(a) || !std::isfinite(b))
        return; // a step too fine to number the graduations
    const double last = std::floor(std::max(a, b));
    double j = std::ceil(std::min(a, b));
    for (int count = 0; count < MaxGraduations && j <= last; ++count) {
        each(origin + direction * j * step, std::fmod(std::fabs(j), 2) == 1);
        if (j + 1 == j)
            break; // j no longer moves
        ++j;
    }
}

bool inFrame(const PixelFrame &frame, int x, int y, int w, int h)
{
    return x >= frame.left && y >= frame.top && x + w <= frame.right + 1
        && y + h <= frame.bottom + 1;
}

} // namespace

void DrawViewAxes(
    DrawingSurface &surface, const ChartMapping &mapping, const ChartSettings &settings)
{
    AxisStyle style = settings.axisStyle;
    prepareAxis(surface, style);
    surface.setPenColor(style.axisColor);
    const PixelFrame &frame = mapping.frame;
    const int tick = style.tickLength;
    const bool showsZeroDb = mapping.gainMin <= 0 && mapping.gainMax >= 0;
    const bool showsZeroDegrees = mapping.phaseMin <= 0 && mapping.phaseMax >= 0;
    const int axisRow = style.axesAtOrigin && showsZeroDb ? mapping.row(0) : frame.bottom;
    const int axisColumn = !style.axesAtOrigin ? frame.left
        : showsZeroDegrees                     ? mapping.column(0)
                                               : frame.right;
    const int h = surface.textHeight("1");
    // Ticks go down and right from their axis, up or left where that would leave the frame.
    const bool ticksDown = axisRow + tick <= frame.bottom;
    const bool ticksRight = axisColumn + tick <= frame.right;

    const double phaseStep = ViewGraduationStep(
        settings.phaseStep, settings.phaseMin, mapping.phaseMin, mapping.phaseMax);
    forEachViewGraduation(settings.phaseMin, phaseStep, +1, mapping.phaseMin, mapping.phaseMax,
        [&](double v, bool labelled) {
            const int x = mapping.column(v);
            const int end = ticksDown ? axisRow + tick : axisRow - tick;
            drawGraduationMark(
                surface, style, { x, axisRow, x, end }, { x, frame.top, x, frame.bottom });
            if (!labelled)
                return;
            const std::string text = graduationLabel(v, phaseStep);
            const int y = ticksDown ? axisRow + halfOf(h) : axisRow - tick - h;
            if (inFrame(frame, x, y, surface.textWidth(text), h))
                surface.drawText(x, y, text);
        });
    line(surface, frame.left, axisRow, frame.right, axisRow);

    const double gainStep = ViewGraduationStep(
        settings.gainStep, -settings.gainMax, -mapping.gainMax, -mapping.gainMin);
    forEachViewGraduation(settings.gainMax, gainStep, -1, mapping.gainMin, mapping.gainMax,
        [&](double v, bool labelled) {
            const int y = mapping.row(v);
            const int end = ticksRight ? axisColumn + tick : axisColumn - tick;
            drawGraduationMark(
                surface, style, { axisColumn, y, end, y }, { frame.left, y, frame.right, y });
            if (!labelled)
                return;
            const std::string text = graduationLabel(v, gainStep);
            const int w = surface.textWidth(text);
            int x = axisColumn + halfOf(surface.textWidth("W"));
            if (!ticksRight || x + w > frame.right + 1)
                x = axisColumn - halfOf(surface.textWidth("W")) - w;
            if (inFrame(frame, x, y - halfOf(h), w, h))
                surface.drawText(x, y - halfOf(h), text);
        });
    line(surface, axisColumn, frame.top, axisColumn, frame.bottom);
    surface.setPenStyle(PenStyle::Solid);
    surface.setPenColor(style.axisColor);
    line(surface, frame.left, axisRow, frame.right, axisRow);
}

} // namespace velmora
