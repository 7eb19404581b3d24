// core/stability.cpp — stability of the closed loop (core layer)
#include "core/stability.h"

#include "core/frequencyresponse.h"

#include <algorithm>
#include <cmath>

namespace velmora {

namespace {

// The angle of 1 + G as omega -> 0+, where the walk along the axis starts.
long double startAngleOf(int integrators, long double lowGain, long double anchor)
{
    if (integrators > 0)
        return anchor;
    if (integrators == 0)
        return 1 + lowGain < 0 ? 180 : 0;
    return 0;
}

} // namespace

ClosedLoopStability StabilityOfPoles(const std::vector<std::complex<double>> &poles)
{
    ClosedLoopStability s;
    for (const std::complex<double> &p : poles) {
        const double tolerance = AxisTolerance * std::max(1.0, std::abs(p));
        s.closedLoopRhpPoles += p.real() > tolerance ? 1 : 0;
    }
    s.stable = s.closedLoopRhpPoles == 0
        && std::all_of(poles.begin(), poles.end(), [](std::complex<double> p) {
               return p.real() < -AxisTolerance * std::max(1.0, std::abs(p));
           });
    return s;
}

int NyquistCount(const std::vector<ResponseSample> &samples, int integrators,
    const std::vector<AxisRoot> &axisRoots, int openLoopRhpPoles, long double startAngle)
{
    double upper = Wrap180(samples.front().point.onePlusArg - static_cast<double>(startAngle));
    for (std::size_t i = 1; i < samples.size(); ++i) {
        // 1 + G has the poles of G, not its zeros.
        int poles = 0;
        for (const AxisRoot &r : axisRoots)
            poles += r.omega > samples[i - 1].omega && r.omega < samples[i].omega && r.order < 0
                ? r.order
                : 0;
        upper += UnwrappedStep(
            samples[i - 1].point.onePlusArg, samples[i].point.onePlusArg, 180.0 * poles);
    }
    const double total = 2 * upper - 180.0 * std::max(integrators, 0);
    return openLoopRhpPoles - static_cast<int>(std::lround(total / 360));
}

ClosedLoopStability NyquistStability(
    const std::vector<ResponseSample> &samples, const std::optional<LoopStructure> &structure)
{
    ClosedLoopStability s;
    if (samples.empty())
        return s;
    if (structure) {
        const long double anchor
            = -90.0L * structure->integrators + (structure->lowGain < 0 ? -180 : 0);
        s.closedLoopRhpPoles = std::max(0,
            NyquistCount(samples, structure->integrators, structure->axisRoots,
                structure->openLoopRhpPoles,
                startAngleOf(structure->integrators, structure->lowGain, anchor)));
        const bool touches = std::any_of(samples.begin(), samples.end(),
            [](const ResponseSample &p) { return p.point.gainDb - p.point.closedDb < -240; });
        s.stable = s.closedLoopRhpPoles == 0 && !touches;
        return s;
    }
    const ResponseSample &first = samples.front();
    const int integrators = std::max(0, static_cast<int>(std::lround(-first.phase / 90)));
    s.closedLoopRhpPoles = std::max(0,
        NyquistCount(
            samples, integrators, {}, 0, integrators > 0 ? first.phase : first.point.onePlusArg));
    s.stable = s.closedLoopRhpPoles == 0;
    return s;
}

} // namespace velmora
