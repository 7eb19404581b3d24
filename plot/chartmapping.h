// plot/chartmapping.h — chart values to pixels and back (plot layer, toolkit-free)
#pragma once

#include "core/chartsettings.h"

#include <optional>

namespace velmora {

// The plot frame of a W x H image: rows 10 to H - 10, columns 15 to W - 15.
struct PixelFrame {
    int top = 10;
    int bottom = 0;
    int left = 15;
    int right = 0;

    bool contains(double column, double row) const
    {
        return column >= left && column <= right && row >= top && row <= bottom;
    }
};

PixelFrame FrameOf(int width, int height);

// Gains and phases of the chart's extents to the pixels of a frame, as the contours place them,
// and back.
struct ChartMapping {
    PixelFrame frame;
    double gainMin, gainMax; // dB
    double phaseMin, phaseMax; // degrees

    int row(double gain) const;
    int column(double phase) const;
    // The fractional pixel position, unrounded and unbounded.
    double rowOf(double gain) const;
    double columnOf(double phase) const;
    // The gain (dB) and phase (degrees) at a fractional pixel position: the inverse of
    // rowOf and columnOf, so within half a pixel of what row() and column() round.
    double gainAt(double row) const;
    double phaseAt(double column) const;
};

ChartMapping MappingOf(const PixelFrame &frame, const ChartSettings &settings);

// Farthest that a mapped coordinate goes from the image, in pixels: a value far outside the
// extents maps to this bound instead of overflowing an int.
constexpr int CoordinateLimit = 1'000'000;

// 10 to the power x, in extended precision. Overflow throws FloatingPointError; underflow
// quietly gives 0 or a denormal.
double Pow10(double x);

// The same power, or nothing where Pow10 would throw (overflow, NaN argument).
std::optional<double> FinitePow10(double x);

// Gain (dB) to pixel row: max at `top`, min at `bottom`, linear, halves to the even pixel. Values
// outside min..max map outside the frame, saturated at +/- CoordinateLimit.
int ValueToRow(int top, int bottom, double value, double min, double max);

// Phase (degrees) to pixel column: min at `left`, max at `right`; same rounding and bounds.
int ValueToColumn(int left, int right, double value, double min, double max);

} // namespace velmora
