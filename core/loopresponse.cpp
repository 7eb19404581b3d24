// core/loopresponse.cpp — a loop's closed loop in time and frequency (core layer)
#include "core/loopresponse.h"

#include <cmath>
#include <complex>
#include <numbers>

namespace velmora {

ClosedLoopBode ClosedLoopBodeOf(const LoopAnalysis &analysis, int points)
{
    ClosedLoopBode bode;
    if (analysis.locus.size() < 2)
        return bode;
    const double low = analysis.locus.front().omega;
    const double high = analysis.locus.back().omega;
    const int n = std::max(points, 2);
    bode.omega.reserve(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        // The last frequency is the locus's own, exactly: no rounding takes it past the range.
        const double omega = i + 1 == n ? high : low * std::pow(high / low, double(i) / (n - 1));
        const std::optional<ResponsePoint> p = LocusPointAt(analysis, omega);
        if (!p)
            continue;
        const std::complex<double> g
            = std::polar(std::pow(10.0, p->gainDb / 20), p->phaseDeg * std::numbers::pi / 180);
        const double onePlus = std::abs(1.0 + g);
        bode.omega.push_back(omega);
        bode.closedDb.push_back(20 * std::log10(std::abs(g) / onePlus));
        bode.sensitivityDb.push_back(-20 * std::log10(onePlus));
    }
    return bode;
}

LoopResponse ClosedLoopResponseOf(const LoadedLoop &loop, const LoopAnalysis &analysis)
{
    LoopResponse response;
    response.bode = ClosedLoopBodeOf(analysis);
    if (loop.function && analysis.quantities.stable)
        response.step = ClosedLoopStep(*loop.function, analysis.gainDb);
    return response;
}

} // namespace velmora
