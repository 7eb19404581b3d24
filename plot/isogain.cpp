// plot/isogain.cpp — contours of constant closed-loop gain (plot layer, toolkit-free)
#include "plot/isogain.h"

#include "core/foncbase.h"
#include "core/fperror.h"

#include <cmath>
#include <numbers>
#include <vector>

namespace velmora {

namespace {

constexpr long double pi = std::numbers::pi_v<long double>;

struct IsogainPoint {
    double gain; // open-loop gain, dB
    double right; // right-branch phase, degrees, in [-180, 0]
    double left; // left-branch phase, degrees, in [-360, -180]
};

// Pow10(dB / 20), or 0 when it overflows: the sample or the value is then skipped.
double linearGain(double dB)
{
    return FinitePow10(dB / 20).value_or(0.0);
}

// The first run of samples whose cosine is a valid cosine, sampling x = gainMin, gainMin + s, ...
// while x + s stays below gainMax, at most `capacity` samples.
std::vector<IsogainPoint> sampleContour(
    double M, double gainMin, double gainMax, double s, int capacity)
{
    std::vector<IsogainPoint> points;
    points.reserve(static_cast<std::size_t>(capacity));
    bool started = false;
    double x = gainMin;
    for (int evaluated = 0; evaluated < capacity; ++evaluated) {
        const double g = linearGain(x);
        const double u = g > 0 ? IsogainCosine(g, M) : NAN;
        const bool valid = std::fabs(u) <= 1; // false for NaN
        if (valid) {
            const long double arc = std::atan2(
                std::sqrt(1 - static_cast<long double>(u) * u), static_cast<long double>(u));
            points.push_back({ x, static_cast<double>(-arc * 180 / pi),
                static_cast<double>((arc - 2 * pi) * 180 / pi) });
            started = true;
        } else if (started) {
            break;
        }
        const double next = x + s;
        if (next == x || static_cast<long double>(next) + s >= gainMax)
            break;
        x = next;
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
    const auto row = [&](double gain) {
        return ValueToRow(frame.top, frame.bottom, gain, settings.GainMin, settings.GainMax);
    };
    const auto column = [&](double phase) {
        return ValueToColumn(frame.left, frame.right, phase, settings.PhaseMin, settings.PhaseMax);
    };
    const std::vector<double> &values = settings.IsogainValues;
    for (std::size_t i = 1; i < values.size(); ++i) {
        const double v = values[i];
        const double M = linearGain(v);
        const std::vector<IsogainPoint> points = M > 0
            ? sampleContour(M, settings.GainMin, settings.GainMax, gainStep, profile.GainDivisions)
            : std::vector<IsogainPoint> {};
        surface.setPenColor(settings.IsogainColor);
        surface.setFontColor(settings.IsogainColor);
        if (points.empty())
            continue;
        const IsogainPoint &first = points.front();
        const IsogainPoint &last = points.back();

        surface.moveTo(column(first.right), row(first.gain));
        for (const IsogainPoint &p : points)
            surface.lineTo(column(p.right), row(p.gain));

        const int lastLeft = column(last.left);
        const int lastRight = column(last.right);
        if (std::abs(lastLeft - lastRight) < profile.ClosingGap) {
            surface.moveTo(lastLeft, row(last.gain));
            surface.lineTo(lastRight, row(last.gain));
        }

        surface.moveTo(column(first.left), row(first.gain));
        for (const IsogainPoint &p : points)
            surface.lineTo(column(p.left), row(p.gain));

        surface.moveTo(column(first.right), row(first.gain));
        surface.lineTo(column(first.left), row(first.gain));

        const double labelGain = last.gain >= settings.GainMax ? settings.GainMax : last.gain;
        surface.drawText(
            column(last.right - 5), row(labelGain) + 2, RealToText(v) + profile.GainLabelSuffix);
    }
}

} // namespace velmora
