// plot/chartmapping.h — chart values to pixels and back (plot layer, toolkit-free)
#pragma once

#include "core/chartsettings.h"

#include <cmath>
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

// The plot frame of an image drawn at `scale` image pixels to a designed pixel: margins of
// 10 and 15 designed pixels, rounded to image pixels (halves to even). FrameOf(w, h, 1) is
// FrameOf(w, h).
PixelFrame FrameOf(int width, int height, double scale);

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

// The mapping in double arithmetic, fast, for values known within an error bound: the pixel a
// position surely rounds to, or nothing when a half-pixel boundary lies within the error (or the
// position is not finite, or near the saturation bound) and only the exact mapping can tell.
class QuickPixels {
public:
    explicit QuickPixels(const ChartMapping &mapping);

    // `error` in dB or degrees: how far the value may be from the one the exact mapping is given.
    std::optional<int> sureRow(double gain, double error) const
    {
        return sure((m_gainMax - gain) * m_rowScale + m_top, gain, m_gainMax, error, m_rowScale);
    }
    std::optional<int> sureColumn(double phase, double error) const
    {
        return sure(
            (phase - m_phaseMin) * m_columnScale + m_left, phase, m_phaseMin, error, m_columnScale);
    }

private:
    // Bound of the rounding error of the double-precision mapping: a few units in the last place
    // of the largest quantity it handles, far above the true error.
    static constexpr double Roundoff = 1e-12;

    // The pixel of `position`, computed from `value` and `origin` with `scale`, when the value is
    // within `error` of the exact one.
    static std::optional<int> sure(
        double position, double value, double origin, double error, double scale)
    {
        const double bound = error * std::fabs(scale)
            + Roundoff
                * (std::fabs(position) + (std::fabs(value) + std::fabs(origin)) * std::fabs(scale)
                    + 1);
        if (!(std::fabs(position) < CoordinateLimit - 1))
            return std::nullopt;
        int below = static_cast<int>(position); // toward zero
        if (position < below)
            --below;
        const double offset = position - below; // exact: the fraction of a double
        if (std::fabs(offset - 0.5) <= bound)
            return std::nullopt;
        return offset < 0.5 ? below : below + 1;
    }

    double m_rowScale; // pixels per dB, downwards
    double m_columnScale; // pixels per degree
    double m_top;
    double m_left;
    double m_gainMax;
    double m_phaseMin;
};

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
