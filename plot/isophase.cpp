// plot/isophase.cpp — contours of constant closed-loop phase (plot layer, toolkit-free)
#include "plot/isophase.h"

#include "core/foncbase.h"

#include <cmath>
#include <numbers>
#include <vector>

namespace velmora {

namespace {

constexpr long double pi = std::numbers::pi_v<long double>;

struct IsophasePoint {
    double gain; // open-loop gain, dB
    double phase; // open-loop phase, degrees
};

long double radians(long double degrees)
{
    return degrees / 180 * pi;
}

// Samples phi = start, start + s, ... while phi + s stays below `end`, at most `capacity`
// samples, keeping each point whose open-loop gain G = sin(phi) / t - cos(phi) is above `floor`.
std::vector<IsophasePoint> sweep(
    double t, double floor, double start, double end, double s, int capacity)
{
    std::vector<IsophasePoint> points;
    points.reserve(static_cast<std::size_t>(capacity));
    const long double inverse = 1 / static_cast<long double>(t);
    double phi = start;
    for (int evaluated = 0; evaluated < capacity; ++evaluated) {
        const double G
            = static_cast<double>(std::sin(radians(phi)) * inverse - std::cos(radians(phi)));
        if (G > floor && std::isfinite(G)) {
            const double gain = static_cast<double>(20 * std::log10(static_cast<long double>(G)));
            points.push_back({ gain, phi });
        }
        const double next = phi + s;
        if (next == phi || static_cast<long double>(next) + s >= end)
            break;
        phi = next;
    }
    return points;
}

} // namespace

void DrawIsophaseContours(DrawingSurface &surface, const PixelFrame &frame, double phaseStep,
    const RenderProfile &profile, const ChartSettings &settings)
{
    const auto row = [&](double gain) {
        return ValueToRow(frame.top, frame.bottom, gain, settings.GainMin, settings.GainMax);
    };
    const auto column = [&](double phase) {
        return ValueToColumn(frame.left, frame.right, phase, settings.PhaseMin, settings.PhaseMax);
    };
    // Gains at or below the bottom of the chart are dropped; if that bottom overflows, all are.
    const double floor = FinitePow10(settings.GainMin / 20).value_or(INFINITY);

    surface.setPenColor(settings.IsophaseColor);
    surface.setFontColor(settings.IsophaseColor);
    const std::vector<double> &values = settings.IsophaseValues;
    for (std::size_t i = 1; i < values.size(); ++i) {
        const double v = values[i];
        if (v == -180) {
            surface.moveTo(column(-180), row(settings.GainMin));
            surface.lineTo(column(-180), row(0));
            continue;
        }
        const double t = static_cast<double>(std::tan(radians(v)));
        if (t == 0 || !std::isfinite(t))
            continue;
        const std::string label = RealToText(v) + profile.PhaseLabelSuffix;
        if (v < -180) {
            const std::vector<IsophasePoint> points
                = sweep(t, floor, settings.PhaseMin, -180, phaseStep, profile.PhaseDivisions);
            if (points.empty())
                continue;
            const IsophasePoint &first = points.front();
            const double startGain = v >= settings.PhaseMin ? settings.GainMin : first.gain;
            surface.moveTo(column(first.phase), row(startGain));
            for (const IsophasePoint &p : points)
                surface.lineTo(column(p.phase), row(p.gain));
            surface.drawText(column(first.phase - 5), row(first.gain), label);
        } else {
            // The sweep ends before the value itself, and before 0 degrees at the latest.
            const double end = v < 0 ? v : 0;
            const std::vector<IsophasePoint> points
                = sweep(t, floor, -180, end, phaseStep, profile.PhaseDivisions);
            if (points.empty())
                continue;
            const IsophasePoint &first = points.front();
            const IsophasePoint &last = points.back();
            surface.moveTo(column(first.phase), row(first.gain));
            for (std::size_t j = 1; j < points.size(); ++j)
                surface.lineTo(column(points[j].phase), row(points[j].gain));
            surface.lineTo(column(last.phase), row(settings.GainMin));
            surface.drawText(column(last.phase - 5), row(last.gain), label);
        }
    }
}

} // namespace velmora
