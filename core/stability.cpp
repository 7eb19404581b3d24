// core/stability.cpp — stability of the closed loop (core layer)
#include "core/stability.h"

#include "core/frequencyresponse.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace velmora {

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

long long NyquistCount(const NyquistWalk &walk)
{
    bool above = walk.startsAbove;
    double from = walk.startAngle;
    double turn = 0;
    for (const double phase : walk.crossoverPhases) {
        // At |G| = 1, 1 + G = 2 cos(W / 2) exp(j W / 2), W the phase wrapped: below, the angle is
        // W / 2; above, the phase of G less W / 2, the angle of 1 + 1 / G.
        const double half = Wrap180(phase) / 2;
        turn += (above ? phase - half : half) - from;
        above = !above;
        from = above ? phase - half : half;
    }
    turn += walk.endAngle - from;
    const double total = 2 * turn - 180.0 * walk.integrators;
    // Turns beyond what a long long holds (phases of data far beyond any loop's) are held at a
    // bound, which the caller reports as a lower bound past the ints.
    double turns = total / 360;
    if (!(std::fabs(turns) <= 1e18))
        turns = std::isnan(turns) ? 0 : std::copysign(1e18, turns);
    return std::max(0LL, walk.openLoopRhpPoles - std::llround(turns));
}

const ResponseSample &SampleNear(const std::vector<ResponseSample> &samples, double omega,
    const std::vector<AxisRoot> &axisRoots)
{
    auto after = std::upper_bound(samples.begin(), samples.end(), omega,
        [](double w, const ResponseSample &s) { return w < s.omega; });
    if (after == samples.begin())
        return *after;
    const double below = (after - 1)->omega;
    const bool rootBetween = std::any_of(axisRoots.begin(), axisRoots.end(),
        [&](const AxisRoot &r) { return r.omega > below && r.omega <= omega; });
    return rootBetween && after != samples.end() ? *after : *(after - 1);
}

ClosedLoopStability NyquistStability(const std::vector<ResponseSample> &samples,
    const std::vector<double> &gainCrossovers, const ResponseModel &model, const LoopGain &gain,
    const std::optional<LoopStructure> &structure)
{
    ClosedLoopStability s;
    if (samples.empty())
        return s;
    const std::vector<AxisRoot> none;
    const std::vector<AxisRoot> &axis = structure ? structure->axisRoots : none;
    NyquistWalk walk;
    bool touches = false;
    for (const double omega : gainCrossovers) {
        const double phase
            = static_cast<double>(model.phase(omega, gain, SampleNear(samples, omega, axis)));
        walk.crossoverPhases.push_back(phase);
        touches = touches || std::fabs(Wrap180(phase)) > 180 - 1e-10;
    }
    const bool oddCrossovers = walk.crossoverPhases.size() % 2 == 1;
    const ResponseSample &first = samples.front();
    const ResponseSample &last = samples.back();
    if (structure) {
        // From omega -> 0+, where |G| tends to infinity with integrators, to 0 with
        // differentiators, to |K0| otherwise, to infinity, where it tends to 0 for a strictly
        // proper loop, to |highGain| for a proper one; the first and last samples decide where
        // the limit is 1.
        const LoopStructure &st = *structure;
        const long double k0 = std::fabs(st.lowGain);
        const long double high = std::fabs(st.highGain);
        walk.openLoopRhpPoles = st.openLoopRhpPoles;
        walk.integrators = std::max(st.integrators, 0);
        walk.startsAbove = st.integrators > 0
            || (st.integrators == 0 && (k0 == 1 ? first.point.gainDb > 0 : k0 > 1));
        bool endsAbove
            = st.excess < 0 || (st.excess == 0 && (high == 1 ? last.point.gainDb > 0 : high > 1));
        if (endsAbove != (walk.startsAbove != oddCrossovers)) {
            walk.startsAbove = first.point.gainDb > 0;
            endsAbove = walk.startsAbove != oddCrossovers;
        }
        walk.startAngle
            = walk.startsAbove ? -90.0 * st.integrators + (st.lowGain < 0 ? -180 : 0) : 0;
        if (endsAbove) {
            // The asymptote highGain / (j w)^excess, on the turn of the last sample.
            const double asymptote = (st.highGain < 0 ? 180 : 0) - 90.0 * st.excess;
            walk.endAngle = last.phase + Wrap180(asymptote - last.phase);
        }
        touches = touches || (st.integrators == 0 && st.lowGain == -1)
            || (st.excess == 0 && st.highGain == -1) || st.sharedAxisRoot;
        if (st.delay > 0 && st.excess == 0 && high >= 1) {
            // G(j w) keeps turning at |G| >= 1: the zeros of 1 + G go on without end.
            walk.endAngle
                = OnePlusAngle(last.point.gainDb, last.phase, walk.startsAbove != oddCrossovers);
            s.kind = CountKind::Infinite;
            s.closedLoopRhpPoles = static_cast<int>(
                std::clamp<long long>(NyquistCount(walk), 1, std::numeric_limits<int>::max()));
            return s;
        }
    } else {
        const int integrators = std::max(0, static_cast<int>(std::lround(-first.phase / 90)));
        walk.integrators = integrators;
        walk.startsAbove = first.point.gainDb > 0;
        walk.startAngle = integrators > 0 && walk.startsAbove
            ? first.phase
            : OnePlusAngle(first.point.gainDb, first.phase, walk.startsAbove);
        walk.endAngle = OnePlusAngle(last.point.gainDb, last.phase, last.point.gainDb > 0);
    }
    // Beyond the ints (a delay turning G billions of times above 0 dB), the largest is said to be
    // a lower bound.
    const long long count = NyquistCount(walk);
    s.closedLoopRhpPoles
        = static_cast<int>(std::min<long long>(count, std::numeric_limits<int>::max()));
    if (count > std::numeric_limits<int>::max())
        s.kind = CountKind::AtLeast;
    s.stable = s.closedLoopRhpPoles == 0 && !touches;
    s.onAxis = touches;
    return s;
}

double OnePlusAngle(double gainDb, double phaseDeg, bool above)
{
    constexpr double Degrees = 180 / std::numbers::pi;
    const double phi = phaseDeg / Degrees;
    if (above) { // the phase of G and the angle of 1 + 1 / G
        const double r = std::pow(10.0, -gainDb / 20);
        return phaseDeg + std::atan2(-r * std::sin(phi), 1 + r * std::cos(phi)) * Degrees;
    }
    const double r = std::pow(10.0, gainDb / 20);
    return std::atan2(r * std::sin(phi), 1 + r * std::cos(phi)) * Degrees;
}

} // namespace velmora
