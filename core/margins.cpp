// core/margins.cpp — gain and phase crossovers and margins (core layer)
#include "core/margins.h"

#include "core/frequencyresponse.h"
#include "core/rootfinding.h"

#include <algorithm>
#include <cmath>

namespace velmora {

namespace {

// Picks the margin of smallest magnitude (the first of equals) into the reported pair.
void reportSmallest(const std::vector<double> &frequencies, const std::vector<double> &margins,
    std::optional<double> &frequency, std::optional<double> &margin)
{
    for (std::size_t i = 0; i < margins.size(); ++i) {
        if (!margin || std::fabs(margins[i]) < std::fabs(*margin)) {
            margin = margins[i];
            frequency = frequencies[i];
        }
    }
}

// The levels -180 + k 360 that the phase reaches going from `from` to `to`: those strictly past
// `from` and up to `to` included.
std::vector<double> criticalLevelsBetween(long double from, long double to)
{
    std::vector<double> levels;
    const long double low = std::min(from, to);
    const long double high = std::max(from, to);
    for (long double k = std::ceil((low + 180) / 360); - 180 + 360 * k <= high; ++k) {
        const long double level = -180 + 360 * k;
        if (level != from)
            levels.push_back(static_cast<double>(level));
    }
    return levels;
}

} // namespace

Margins ReadMargins(
    const std::vector<ResponseSample> &samples, const ResponseModel &model, const LoopGain &gain)
{
    Margins m;
    for (std::size_t i = 0; i + 1 < samples.size(); ++i) {
        const ResponseSample &a = samples[i];
        const ResponseSample &b = samples[i + 1];
        if ((a.point.gainDb > 0) != (b.point.gainDb > 0)) {
            const double omega = RefinedRoot(
                a.omega, b.omega, [&](double w) { return model.quickGainDb(w, gain); },
                [&](double w) { return model.gainDb(w, gain); });
            m.gainCrossovers.push_back(omega);
            m.phaseMargins.push_back(
                Wrap180(static_cast<double>(180 + model.phase(omega, gain, a))));
        }
        // Most intervals reach no level -180 + k 360: a quick look before listing them.
        if (std::floor((a.phase + 180) / 360) == std::floor((b.phase + 180) / 360)
            && std::fmod(a.phase + 180, 360.0) != 0 && std::fmod(b.phase + 180, 360.0) != 0)
            continue;
        for (const double level : criticalLevelsBetween(a.phase, b.phase)) {
            const double omega = RefinedRoot(
                a.omega, b.omega, [&](double w) { return model.quickPhase(w, gain, a) - level; },
                [&](double w) { return model.phase(w, gain, a) - level; });
            m.phaseCrossovers.push_back(omega);
            m.gainMargins.push_back(static_cast<double>(-model.gainDb(omega, gain)));
        }
    }
    reportSmallest(m.phaseCrossovers, m.gainMargins, m.phaseCrossover, m.gainMarginDb);
    reportSmallest(m.gainCrossovers, m.phaseMargins, m.gainCrossover, m.phaseMarginDeg);
    return m;
}

} // namespace velmora
