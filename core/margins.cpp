// core/margins.cpp — gain and phase crossovers and margins (core layer)
#include "core/margins.h"

#include "core/frequencyresponse.h"
#include "core/polynomial.h"
#include "core/rootfinding.h"
#include "core/stability.h"

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

// Crossings found twice, from an estimate and between samples, differ by what the function's
// flatness there allows: those within 1e-11 of each other are one.
constexpr double SameCrossing = 1e-11;

void sortUnique(std::vector<double> &values)
{
    std::sort(values.begin(), values.end());
    values.erase(std::unique(values.begin(), values.end(),
                     [](double a, double b) { return b - a <= SameCrossing * b; }),
        values.end());
}

// How many crossings lie between two samples, give or take what makes two crossings one.
std::ptrdiff_t crossingsBetween(const std::vector<double> &crossings, double a, double b)
{
    const auto first = std::lower_bound(crossings.begin(), crossings.end(), a * (1 - SameCrossing));
    return std::upper_bound(first, crossings.end(), b * (1 + SameCrossing)) - first;
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
        if (crossingsBetween(crossings, a.omega, b.omega) > 0)
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

std::vector<double> PhaseCrossoverEstimates(const ResponseModel &model, const LoopGain &gain)
{
    std::vector<double> omegas;
    const std::optional<LoopStructure> structure = model.structure(gain);
    if (!structure || structure->delay != 0)
        return omegas;
    if (const std::optional<CrossingPolynomials> p = model.crossingPolynomials(gain))
        for (const long double x : PositiveRootEstimates(p->phase)) {
            const long double omega = std::sqrt(x);
            if (omega >= std::numeric_limits<double>::min()
                && omega <= std::numeric_limits<double>::max())
                omegas.push_back(static_cast<double>(omega));
        }
    return omegas;
}

std::vector<double> PhaseCrossovers(const std::vector<ResponseSample> &samples,
    const ResponseModel &model, const LoopGain &gain, const std::vector<double> &estimates)
{
    std::vector<double> crossings;
    if (samples.empty())
        return crossings;
    const std::optional<LoopStructure> structure = model.structure(gain);
    const std::vector<AxisRoot> axis = structure ? structure->axisRoots : std::vector<AxisRoot> {};
    for (std::size_t i = 0; i < estimates.size(); ++i) {
        // The level nearest the phase there; a crossing of the positive real axis is none.
        const ResponseSample &near = SampleNear(samples, estimates[i], axis);
        const long double phase = model.phase(estimates[i], gain, near);
        const long double level = -180 + 360 * std::round((phase + 180) / 360);
        if (!(std::fabs(phase - level) <= 90))
            continue;
        const double low = i == 0 ? 0 : std::sqrt(estimates[i - 1] * estimates[i]);
        const double high = i + 1 == estimates.size() ? std::numeric_limits<double>::max()
                                                      : std::sqrt(estimates[i] * estimates[i + 1]);
        crossingsAround(
            estimates[i], low, high, [&](double w) { return model.phase(w, gain, near) - level; },
            crossings);
    }
    sortUnique(crossings);
    // Levels the samples reach between them and no crossing found there explains.
    std::vector<double> unexplained;
    for (std::size_t i = 0; i + 1 < samples.size(); ++i) {
        const ResponseSample &a = samples[i];
        const ResponseSample &b = samples[i + 1];
        // Most intervals reach no level -180 + k 360: a quick look before listing them.
        if (std::floor((a.phase + 180) / 360) == std::floor((b.phase + 180) / 360)
            && std::fmod(a.phase + 180, 360.0) != 0 && std::fmod(b.phase + 180, 360.0) != 0)
            continue;
        const std::vector<double> levels = criticalLevelsBetween(a.phase, b.phase);
        if (crossingsBetween(crossings, a.omega, b.omega)
            >= static_cast<std::ptrdiff_t>(levels.size()))
            continue;
        for (const double level : levels)
            unexplained.push_back(RefinedRoot(
                a.omega, b.omega, [&](double w) { return model.quickPhase(w, gain, a) - level; },
                [&](double w) { return model.phase(w, gain, a) - level; }));
    }
    crossings.insert(crossings.end(), unexplained.begin(), unexplained.end());
    sortUnique(crossings);
    return crossings;
}

Margins ReadMargins(const std::vector<ResponseSample> &samples, const ResponseModel &model,
    const LoopGain &gain, const std::vector<double> &gainCrossovers,
    const std::vector<double> &phaseEstimates)
{
    Margins m;
    if (samples.empty())
        return m;
    const std::optional<LoopStructure> structure = model.structure(gain);
    const std::vector<AxisRoot> axis = structure ? structure->axisRoots : std::vector<AxisRoot> {};
    for (const double omega : gainCrossovers) {
        m.gainCrossovers.push_back(omega);
        m.phaseMargins.push_back(Wrap180(
            static_cast<double>(180 + model.phase(omega, gain, SampleNear(samples, omega, axis)))));
    }
    for (const double omega : PhaseCrossovers(samples, model, gain, phaseEstimates)) {
        m.phaseCrossovers.push_back(omega);
        m.gainMargins.push_back(static_cast<double>(-model.gainDb(omega, gain)));
    }
    reportSmallest(m.phaseCrossovers, m.gainMargins, m.phaseCrossover, m.gainMarginDb);
    reportSmallest(m.gainCrossovers, m.phaseMargins, m.gainCrossover, m.phaseMarginDeg);
    return m;
}

} // namespace velmora
