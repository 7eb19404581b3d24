// core/margins.cpp — gain and phase crossovers and margins (core layer)
#include "core/margins.h"

#include "core/frequencyresponse.h"
#include "core/polynomial.h"
#include "core/rootfinding.h"

#include <algorithm>
#include <cmath>
#include <limits>

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

// Whether a gain in dB is above 0 dB: a gain exactly at 0 dB counts as below.
bool above(long double db)
{
    return db > 0;
}

// The crossings of f around an estimate, within [low, high]: where f changes sign between the
// estimate's neighbours at a growing distance, up to 1% of it (two crossings when only the
// estimate itself has the other sign).
void crossingsAround(
    double estimate, double low, double high, FrequencyFunction f, std::vector<double> &crossings)
{
    const long double atEstimate = f(estimate);
    if (!std::isfinite(atEstimate))
        return;
    for (const double distance : { 1e-12, 1e-9, 1e-6, 1e-4, 1e-2 }) {
        const double a = std::max(low, estimate * (1 - distance));
        const double b = std::min(high, estimate * (1 + distance));
        const long double fa = f(a);
        const long double fb = f(b);
        if (!std::isfinite(fa) || !std::isfinite(fb))
            return;
        if (above(fa) != above(fb)) {
            crossings.push_back(RootBetween(a, b, f));
            return;
        }
        if (above(fa) != above(atEstimate)) {
            crossings.push_back(RootBetween(a, estimate, f));
            crossings.push_back(RootBetween(estimate, b, f));
            return;
        }
        if (a == low && b == high)
            return;
    }
}

void sortUnique(std::vector<double> &values)
{
    std::sort(values.begin(), values.end());
    values.erase(std::unique(values.begin(), values.end(),
                     [](double a, double b) {
                         return b - a <= 4 * std::numeric_limits<double>::epsilon() * b;
                     }),
        values.end());
}

} // namespace

std::vector<double> GainCrossoverEstimates(const ResponseModel &model, const LoopGain &gain)
{
    std::vector<double> omegas;
    if (const std::optional<CrossingPolynomials> p = model.crossingPolynomials(gain))
        for (const long double x : PositiveRootEstimates(p->gain)) {
            const long double omega = std::sqrt(x);
            if (omega >= std::numeric_limits<double>::min()
                && omega <= std::numeric_limits<double>::max())
                omegas.push_back(static_cast<double>(omega));
        }
    return omegas;
}

std::vector<double> GainCrossovers(const std::vector<ResponseSample> &samples,
    const ResponseModel &model, const LoopGain &gain, const std::vector<double> &estimates)
{
    const auto exact = [&](double w) { return model.gainDb(w, gain); };
    const auto quick = [&](double w) { return model.quickGainDb(w, gain); };
    std::vector<double> crossings;
    for (std::size_t i = 0; i < estimates.size(); ++i) {
        // Each estimate's search stays on its side of the midpoints with its neighbours.
        const double low = i == 0 ? 0 : std::sqrt(estimates[i - 1] * estimates[i]);
        const double high = i + 1 == estimates.size() ? std::numeric_limits<double>::max()
                                                      : std::sqrt(estimates[i] * estimates[i + 1]);
        crossingsAround(estimates[i], low, high, exact, crossings);
    }
    sortUnique(crossings);
    std::vector<double> unexplained;
    for (std::size_t i = 0; i + 1 < samples.size(); ++i) {
        const ResponseSample &a = samples[i];
        const ResponseSample &b = samples[i + 1];
        if (above(a.point.gainDb) == above(b.point.gainDb))
            continue;
        const auto found = std::lower_bound(crossings.begin(), crossings.end(), a.omega);
        if (found != crossings.end() && *found <= b.omega)
            continue;
        const long double fa = exact(a.omega);
        const long double fb = exact(b.omega);
        if (std::isfinite(fa) && std::isfinite(fb) && above(fa) != above(fb))
            unexplained.push_back(RefinedRoot(a.omega, b.omega, quick, exact));
    }
    crossings.insert(crossings.end(), unexplained.begin(), unexplained.end());
    sortUnique(crossings);
    return crossings;
}

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
