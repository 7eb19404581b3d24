// plot/chartmapping.cpp — chart values to pixels and back (plot layer, toolkit-free)
#include "plot/chartmapping.h"

#include "core/floatingpointerror.h"

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

long double rowPosition(int top, int bottom, double value, double min, double max)
{
    if (max == min)
        throw FloatingPointError(FloatingPointFault::DivideByZero);
    const long double span = static_cast<long double>(max) - min;
    return (static_cast<long double>(max) - value) * (bottom - top) / span + top;
}

long double columnPosition(int left, int right, double value, double min, double max)
{
    if (max == min)
        throw FloatingPointError(FloatingPointFault::DivideByZero);
    const long double span = static_cast<long double>(max) - min;
    return (static_cast<long double>(value) - min) * (right - left) / span + left;
}

} // namespace

PixelFrame FrameOf(int width, int height)
{
    return PixelFrame { 10, height - 10, 15, width - 15 };
}

PixelFrame FrameOf(int width, int height, double scale)
{
    if (scale == 1)
        return FrameOf(width, height);
    const int rows = static_cast<int>(std::nearbyint(10 * scale));
    const int columns = static_cast<int>(std::nearbyint(15 * scale));
    return PixelFrame { rows, height - rows, columns, width - columns };
}

ChartMapping MappingOf(const PixelFrame &frame, const ChartSettings &settings)
{
    return { frame, settings.gainMin, settings.gainMax, settings.phaseMin, settings.phaseMax };
}

int ChartMapping::row(double gain) const
{
    return ValueToRow(frame.top, frame.bottom, gain, gainMin, gainMax);
}

int ChartMapping::column(double phase) const
{
    return ValueToColumn(frame.left, frame.right, phase, phaseMin, phaseMax);
}

double ChartMapping::rowOf(double gain) const
{
    return static_cast<double>(rowPosition(frame.top, frame.bottom, gain, gainMin, gainMax));
}

double ChartMapping::columnOf(double phase) const
{
    return static_cast<double>(columnPosition(frame.left, frame.right, phase, phaseMin, phaseMax));
}

QuickPixels::QuickPixels(const ChartMapping &mapping)
    : m_rowScale((mapping.frame.bottom - mapping.frame.top) / (mapping.gainMax - mapping.gainMin))
    , m_columnScale(
          (mapping.frame.right - mapping.frame.left) / (mapping.phaseMax - mapping.phaseMin))
    , m_top(mapping.frame.top)
    , m_left(mapping.frame.left)
    , m_gainMax(mapping.gainMax)
    , m_phaseMin(mapping.phaseMin)
{
}

double ChartMapping::gainAt(double row) const
{
    const long double span = static_cast<long double>(gainMax) - gainMin;
    return static_cast<double>(gainMax - (row - frame.top) * span / (frame.bottom - frame.top));
}

double ChartMapping::phaseAt(double column) const
{
    const long double span = static_cast<long double>(phaseMax) - phaseMin;
    return static_cast<double>(
        phaseMin + (column - frame.left) * span / (frame.right - frame.left));
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
    return roundToPixel(rowPosition(top, bottom, value, min, max));
}

int ValueToColumn(int left, int right, double value, double min, double max)
{
    return roundToPixel(columnPosition(left, right, value, min, max));
}

} // namespace velmora
