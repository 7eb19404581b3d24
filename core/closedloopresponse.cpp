// core/closedloopresponse.cpp — resonance peak and bandwidth of the closed loop (core layer)
#include "core/closedloopresponse.h"

#include "core/rootfinding.h"

#include <cmath>

namespace velmora {

std::optional<double> LowFrequencyClosedLoopDb(const LoopStructure &structure)
{
    if (structure.integrators > 0)
        return 0.0;
    if (structure.integrators < 0 || structure.lowGain == 0)
        return std::nullopt;
    const long double k = structure.lowGain;
    return static_cast<double>(20 * std::log10(std::fabs(k / (1 + k))));
}

ClosedLoopResponse ReadClosedLoopResponse(const std::vector<ResponseSample> &samples,
    const ResponseModel &model, const LoopGain &gain, double lowDb)
{
    ClosedLoopResponse r;
    std::size_t top = 0;
    for (std::size_t i = 1; i < samples.size(); ++i)
        top = samples[i].point.closedDb > samples[top].point.closedDb ? i : top;
    if (samples[top].point.closedDb <= lowDb + 1e-9) {
        r.peakDb = lowDb;
        r.peakOmega = 0;
    } else {
        double omega = samples[top].omega;
        if (top > 0 && top + 1 < samples.size()) {
            const double a = samples[top - 1].omega;
            const double b = samples[top + 1].omega;
            const std::optional<long double> atA = model.closedSlope(a, gain);
            if (atA && *atA > 0 && *model.closedSlope(b, gain) < 0)
                omega = RootBetween(a, b, [&](double w) { return *model.closedSlope(w, gain); });
        }
        r.peakOmega = omega;
        r.peakDb = static_cast<double>(model.closedDb(omega, gain));
    }
    const double target = lowDb - 3;
    for (std::size_t i = 0; i < samples.size(); ++i) {
        if (samples[i].point.closedDb < target) {
            if (i > 0)
                r.bandwidth = RefinedRoot(
                    samples[i - 1].omega, samples[i].omega,
                    [&](double w) { return model.quickClosedDb(w, gain) - target; },
                    [&](double w) { return model.closedDb(w, gain) - target; });
            break;
        }
    }
    return r;
}

} // namespace velmora
