// plot/fongraph.h — values to pixels, axes, graduations and grid (plot layer, toolkit-free)
#pragma once

#include "core/chartsettings.h"
#include "plot/surface.h"

#include <optional>
#include <vector>

namespace velmora {

// The plot frame of a W x H image: rows 10 to H - 10, columns 15 to W - 15.
struct PixelFrame {
    int top = 10;
    int bottom = 0;
    int left = 15;
    int right = 0;
};

PixelFrame FrameOf(const DrawingSurface &surface);

// Gains and phases of the chart's extents to the pixels of a frame, as the contours place them.
struct ChartMapping {
    PixelFrame frame;
    double gainMin, gainMax; // dB
    double phaseMin, phaseMax; // degrees

    int row(double gain) const;
    int column(double phase) const;
};

ChartMapping MappingOf(const PixelFrame &frame, const ChartSettings &settings);

// Farthest that a mapped coordinate goes from the image, in pixels: a value far outside the
// extents maps to this bound instead of overflowing an int.
constexpr int CoordinateLimit = 1'000'000;

// Graduations drawn per axis at the most, whatever the step.
constexpr int MaxGraduations = 10'000;

// Whether a sweep that has just evaluated `x` ends there: the next position x + step (rounded
// to double) would not move, or lies within one step of `limit`, the sum compared unrounded.
bool SweepEndsAfter(double x, double step, double limit);

// The positions start, start + step, ... (each sum rounded to double) of a contour sweep up to
// where SweepEndsAfter stops it, at most `capacity` of them: the first is always `start`.
std::vector<double> SweepPositions(double start, double step, double limit, int capacity);

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

// Phase axis along `row`, graduations from `min` rightwards every `step` degrees.
void DrawPhaseAxis(
    int row, DrawingSurface &surface, param style, double step, double min, double max);

// Gain axis along `column`, graduations from `max` downwards every `step` dB.
void DrawGainAxis(
    int column, DrawingSurface &surface, param style, double step, double min, double max);

// Both axes with their graduations, ticks or grid and labels, then the phase axis line again.
// Leaves font face, size and colour from `style` and a solid pen in AxisColor.
void DrawAxes(DrawingSurface &surface, param style, double phaseStep, double gainStep,
    double phaseMin, double phaseMax, double gainMin, double gainMax);

} // namespace velmora
