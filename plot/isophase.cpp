// plot/isophase.cpp — contours of constant closed-loop phase (plot layer, toolkit-free)
#include "plot/isophase.h"

#include "core/degrees.h"
#include "core/numbertext.h"
#include "plot/sweep.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

namespace velmora {

namespace {

struct IsophasePoint {
    double phase; // open-loop phase, degrees
    int column; // pixel column of the phase
    int row; // pixel row of the open-loop gain
};

// One sample of a phase sweep, in degrees, with its sine and cosine.
struct PhaseSample {
    double phi;
    long double sine;
    long double cosine;
    int column; // pixel column of phi
    // What SweepEndsAfter(phi, s, limit) compares, worked out once for every limit: whether the
    // next position does not move, and the next position plus a step, unrounded.
    bool stalls;
    long double reach;

    bool sweepEndsAfter(double limit) const { return stalls || reach >= limit; }
};

// A half sweep: it starts at the same place for every value, so its samples are computed once
// per pass.
std::vector<PhaseSample> phaseSamples(
    double start, double limit, double s, int capacity, const ChartMapping &map)
{
    std::vector<PhaseSample> samples;
    for (const double phi : SweepPositions(start, s, limit, capacity)) {
        const SinCos angle = SinCosDegrees(phi);
        const double next = phi + s;
        samples.push_back({ phi, angle.sine, angle.cosine, map.column(phi), next == phi,
            static_cast<long double>(next) + s });
    }
    return samples;
}

// The pixel row of an open-loop gain G (linear, positive): taken from the double-precision
// logarithm where its error bound proves the row, from the extended-precision one otherwise.
int gainRow(double G, const ChartMapping &map, const QuickPixels &pixels)
{
    const double quick = 20 * std::log10(G);
    // log10 is within an ulp or two; the exact gain is 20 log10 G rounded to double.
    const double error = 1e-14 * (std::fabs(quick) + 1);
    if (const std::optional<int> row = pixels.sureRow(quick, error))
        return *row;
    return map.row(static_cast<double>(20 * std::log10(static_cast<long double>(G))));
}

// The samples of a sweep that ends before `end` (at most the samples' own limit) whose open-loop
// gain G = sin(phi) / t - cos(phi) is above `floor`, placed in pixels.
std::vector<IsophasePoint> sweep(const std::vector<PhaseSample> &samples, double t, double floor,
    double end, const ChartMapping &map, const QuickPixels &pixels)
{
    std::vector<IsophasePoint> points;
    points.reserve(samples.size());
    const long double inverse = 1 / static_cast<long double>(t);
    for (const PhaseSample &sample : samples) {
        const double G = static_cast<double>(sample.sine * inverse - sample.cosine);
        if (G > floor && std::isfinite(G))
            points.push_back({ sample.phi, sample.column, gainRow(G, map, pixels) });
        if (sample.sweepEndsAfter(end))
            break;
    }
    return points;
}

} // namespace

void DrawIsophaseContours(DrawingSurface &surface, const PixelFrame &frame, double phaseStep,
    const RenderProfile &profile, const ChartSettings &settings, bool part)
{
    const ChartMapping map = MappingOf(frame, settings);
    const QuickPixels pixels(map);
    // Gains at or below the bottom of the chart are dropped; if that bottom overflows, all are.
    const double floor = FinitePow10(settings.gainMin / 20).value_or(INFINITY);

    surface.setPenColor(settings.isophaseColor);
    surface.setFontColor(settings.isophaseColor);
    const int capacity = profile.phaseDivisions;
    const bool anyLeft = !part || settings.phaseMin < -180;
    const double rightStart = part ? std::max(-180.0, settings.phaseMin - phaseStep) : -180;
    const std::vector<PhaseSample> leftSamples = anyLeft
        ? phaseSamples(settings.phaseMin, -180, phaseStep, capacity, map)
        : std::vector<PhaseSample> {};
    const std::vector<PhaseSample> rightSamples
        = phaseSamples(rightStart, 0, phaseStep, capacity, map);
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
            const std::vector<IsophasePoint> points
                = sweep(leftSamples, t, floor, -180, map, pixels);
            if (points.empty())
                continue;
            const IsophasePoint &first = points.front();
            const int startRow = v >= settings.phaseMin ? map.row(settings.gainMin) : first.row;
            surface.moveTo(first.column, startRow);
            for (const IsophasePoint &p : points)
                surface.lineTo(p.column, p.row);
            surface.drawText(map.column(first.phase - 5), first.row, label);
        } else {
            // The sweep ends before the value itself, and before 0 degrees at the latest.
            const double end = v < 0 ? v : 0;
            const std::vector<IsophasePoint> points
                = sweep(rightSamples, t, floor, end, map, pixels);
            if (points.empty())
                continue;
            const IsophasePoint &first = points.front();
            const IsophasePoint &last = points.back();
            surface.moveTo(first.column, first.row);
            for (std::size_t j = 1; j < points.size(); ++j)
                surface.lineTo(points[j].column, points[j].row);
            surface.lineTo(last.column, map.row(settings.gainMin));
            surface.drawText(map.column(last.phase - 5), last.row, label);
        }
    }
}

} // namespace velmora
