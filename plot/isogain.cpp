// plot/isogain.cpp — contours of constant closed-loop gain (plot layer, toolkit-free)
#include "plot/isogain.h"

#include "core/degrees.h"
#include "core/floatingpointerror.h"
#include "core/numbertext.h"
#include "plot/sweep.h"

#include <cmath>
#include <vector>

namespace velmora {

namespace {

struct IsogainPoint {
    double gain; // open-loop gain, dB
    double right; // right-branch phase, degrees, in [-180, 0]
    double left; // left-branch phase, degrees, in [-360, -180]
    int row; // pixel row of the gain
    int rightColumn; // pixel columns of the two phases
    int leftColumn;
};

// Pow10(dB / 20), or 0 when it overflows: the sample or the value is then skipped.
double linearGain(double dB)
{
    return FinitePow10(dB / 20).value_or(0.0);
}

// One sample of the gain sweep: its gain in dB, as a linear gain (0 when that overflows) and as
// a pixel row.
struct GainSample {
    double x;
    double g;
    int row;
};

// The gain sweep, the same for every contour, so computed once per pass.
std::vector<GainSample> gainSamples(double s, int capacity, const ChartMapping &map)
{
    std::vector<GainSample> samples;
    for (const double x : SweepPositions(map.gainMin, s, map.gainMax, capacity))
        samples.push_back({ x, linearGain(x), map.row(x) });
    return samples;
}

// The first run of samples whose cosine is a valid cosine, placed in pixels.
std::vector<IsogainPoint> contourPoints(
    double M, const std::vector<GainSample> &samples, const ChartMapping &map)
{
    std::vector<IsogainPoint> points;
    points.reserve(samples.size());
    for (const GainSample &sample : samples) {
        const double u = sample.g > 0 ? IsogainCosine(sample.g, M) : NAN;
        if (!(std::fabs(u) <= 1)) { // also for NaN
            if (!points.empty())
                break;
            continue;
        }
        const long double arc = std::atan2(
            std::sqrt(1 - static_cast<long double>(u) * u), static_cast<long double>(u));
        const double right = static_cast<double>(-arc * 180 / Pi);
        const double left = static_cast<double>((arc - 2 * Pi) * 180 / Pi);
        points.push_back(
            { sample.x, right, left, sample.row, map.column(right), map.column(left) });
    }
    return points;
}

} // namespace

double IsogainCosine(double g, double M)
{
    if (g == 0 || M == 0)
        throw FloatingPointError(FloatingPointFault::DivideByZero);
    const long double gl = g;
    const long double Ml = M;
    const long double numerator = gl * gl * Ml * Ml - gl * gl + Ml * Ml;
    return static_cast<double>(numerator * -0.5L / gl / Ml / Ml);
}

void DrawIsogainContours(DrawingSurface &surface, const PixelFrame &frame, double gainStep,
    const RenderProfile &profile, const ChartSettings &settings)
{
    const ChartMapping map = MappingOf(frame, settings);
    // Every contour samples the same gains: their linear values and rows are computed once.
    const std::vector<GainSample> samples = gainSamples(gainStep, profile.gainDivisions, map);
    const std::vector<double> &values = settings.isogainValues;
    for (const double v : values) {
        const double M = linearGain(v);
        const std::vector<IsogainPoint> points
            = M > 0 ? contourPoints(M, samples, map) : std::vector<IsogainPoint> {};
        surface.setPenColor(settings.isogainColor);
        surface.setFontColor(settings.isogainColor);
        if (points.empty())
            continue;
        const IsogainPoint &first = points.front();
        const IsogainPoint &last = points.back();

        surface.moveTo(first.rightColumn, first.row);
        for (const IsogainPoint &p : points)
            surface.lineTo(p.rightColumn, p.row);

        if (std::abs(last.leftColumn - last.rightColumn) < profile.closingGap) {
            surface.moveTo(last.leftColumn, last.row);
            surface.lineTo(last.rightColumn, last.row);
        }

        surface.moveTo(first.leftColumn, first.row);
        for (const IsogainPoint &p : points)
            surface.lineTo(p.leftColumn, p.row);

        surface.moveTo(first.rightColumn, first.row);
        surface.lineTo(first.leftColumn, first.row);

        const double labelGain = last.gain >= settings.gainMax ? settings.gainMax : last.gain;
        surface.drawText(map.column(last.right - 5), map.row(labelGain) + 2,
            RealToText(v) + profile.gainLabelSuffix);
    }
}

} // namespace velmora
