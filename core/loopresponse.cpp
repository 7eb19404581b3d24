// core/loopresponse.cpp — a loop's closed loop in time and frequency (core layer)
#include "core/loopresponse.h"

#include <cmath>

namespace velmora {

ClosedLoopBode ClosedLoopBodeOf(const LoopAnalysis &analysis, int points)
{
    ClosedLoopBode bode;
    if (analysis.locus.size() < 2 || !analysis.model)
        return bode;
    const double low = analysis.locus.front().omega;
    const double high = analysis.locus.back().omega;
    const int n = std::max(points, 2);
    const LoopGain gain = LoopGain::fromDb(analysis.gainDb);
    const double ratio = std::pow(high / low, 1.0 / (n - 1));
    bode.omega.reserve(static_cast<std::size_t>(n));
    bode.closedDb.reserve(static_cast<std::size_t>(n));
    bode.sensitivityDb.reserve(static_cast<std::size_t>(n));
    double omega = low;
    for (int i = 0; i < n; ++i, omega *= ratio) {
        // The last frequency is the locus's own, exactly: no rounding takes it past the range.
        const double w = i + 1 == n ? high : omega;
        const QuickPoint p = analysis.model->quickPoint(w, gain, true);
        bode.omega.push_back(w);
        bode.closedDb.push_back(p.closedDb);
        bode.sensitivityDb.push_back(p.closedDb - p.gainDb); // |S| = |T| / |G|
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
