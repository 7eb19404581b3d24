// plot/isophase.cpp — contours of constant closed-loop phase (plot layer, toolkit-free)
#include "plot/isophase.h"

#include "core/degrees.h"
#include "core/numbertext.h"
#include "plot/sweep.h"

#include <cmath>
#include <vector>

namespace velmora {

namespace {

struct IsophasePoint {
    double gain; // open-loop gain, dB
    double phase; // open-loop phase, degrees
    int column; // pixel column of the phase
};

// One sample of a phase sweep, in degrees, with its sine and cosine.
struct PhaseSample {
    double phi;
    long double sine;
    long double cosine;
    int column; // pixel column of phi
};

// A half sweep: it starts at the same place for every value, so its samples are computed once
// per pass.
std::vector<PhaseSample> phaseSamples(
    double start, double limit, double s, int capacity, const ChartMapping &map)
{
    std::vector<PhaseSample> samples;
    for (const double phi : SweepPositions(start, s, limit, capacity)) {
        const SinCos angle = SinCosDegrees(phi);
        samples.push_back({ phi, angle.sine, angle.cosine, map.column(phi) });
    }
    return samples;
}

// The samples of a sweep that ends before `end` (at most the samples' own limit) whose open-loop
// gain G = sin(phi) / t - cos(phi) is above `floor`, as points in dB.
std::vector<IsophasePoint> sweep(
    const std::vector<PhaseSample> &samples, double t, double floor, double end, double s)
{
    std::vector<IsophasePoint> points;
    points.reserve(samples.size());
    const long double inverse = 1 / static_cast<long double>(t);
    for (const PhaseSample &sample : samples) {
        const double G = static_cast<double>(sample.sine * inverse - sample.cosine);
        if (G > floor && std::isfinite(G)) {
            const double gain = static_cast<double>(20 * std::log10(static_cast<long double>(G)));
            points.push_back({ gain, sample.phi, sample.column });
        }
        if (SweepEndsAfter(sample.phi, s, end))
            break;
    }
    return points;
}

} // namespace

void DrawIsophaseContours(DrawingSurface &surface, const PixelFrame &frame, double phaseStep,
    const RenderProfile &profile, const ChartSettings &settings)
{
    const ChartMapping map = MappingOf(frame, settings);
    // Gains at or below the bottom of the chart are dropped; if that bottom overflows, all are.
    const double floor = FinitePow10(settings.gainMin / 20).value_or(INFINITY);

    surface.setPenColor(settings.isophaseColor);
    surface.setFontColor(settings.isophaseColor);
    const int capacity = profile.phaseDivisions;
    const std::vector<PhaseSample> leftSamples
        = phaseSamples(settings.phaseMin, -180, phaseStep, capacity, map);
    const std::vector<PhaseSample> rightSamples = phaseSamples(-180, 0, phaseStep, capacity, map);
    const std::vector<double> &values = settings.isophaseValues;
    for (const double v : values) {
        if (v == -180) {
            surface.moveTo(map.column(-180), map.row(settings.gainMin));
            surface.lineTo(map.column(-180), map.row(0));
            continue;
        }
        const double t = static_cast<double>(std::tan(Radians(v)));
        if (t == 0 || !std::isfinite(t))
            continue;
        const std::string label = RealToText(v) + profile.phaseLabelSuffix;
        if (v < -180) {
            const std::vector<IsophasePoint> points = sweep(leftSamples, t, floor, -180, phaseStep);
            if (points.empty())
                continue;
            const IsophasePoint &first = points.front();
            const double startGain = v >= settings.phaseMin ? settings.gainMin : first.gain;
            surface.moveTo(first.column, map.row(startGain));
            for (const IsophasePoint &p : points)
                surface.lineTo(p.column, map.row(p.gain));
            surface.drawText(map.column(first.phase - 5), map.row(first.gain), label);
        } else {
            // The sweep ends before the value itself, and before 0 degrees at the latest.
            const double end = v < 0 ? v : 0;
            const std::vector<IsophasePoint> points = sweep(rightSamples, t, floor, end, phaseStep);
            if (points.empty())
                continue;
            const IsophasePoint &first = points.front();
            const IsophasePoint &last = points.back();
            surface.moveTo(first.column, map.row(first.gain));
            for (std::size_t j = 1; j < points.size(); ++j)
                surface.lineTo(points[j].column, map.row(points[j].gain));
            surface.lineTo(last.column, map.row(settings.gainMin));
            surface.drawText(map.column(last.phase - 5), map.row(last.gain), label);
        }
    }
}

} // namespace velmora
