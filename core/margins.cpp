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
// `from` and up to `to` included, the first MaxListedCrossovers of them from the lowest. Between
// two points of data a huge number of turns apart, no more can be told apart (nor, far out, can
// consecutive levels in a long double).
std::vector<double> criticalLevelsBetween(long double from, long double to)
{
    std::vector<double> levels;
    const long double low = std::min(from, to);
    const long double high = std::max(from, to);
    const long double first = std::ceil((low + 180) / 360);
    long double previous = -std::numeric_limits<long double>::infinity();
    for (std::size_t i = 0; i < MaxListedCrossovers; ++i) {
        const long double level = -180 + 360 * (first + static_cast<long double>(i));
        if (!(level <= high) || !(level > previous))
            break;
        previous = level;
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

// The frequencies of roots in x = w^2, those within the doubles.
std::vector<double> omegasOf(const std::vector<long double> &xs)
{
    std::vector<double> omegas;
    for (const long double x : xs) {
        const long double omega = std::sqrt(x);
        if (omega >= std::numeric_limits<double>::min()
            && omega <= std::numeric_limits<double>::max())
            omegas.push_back(static_cast<double>(omega));
    }
    return omegas;
}

// The crossings of the levels -180 + k 360 between consecutive samples (at most 90 degrees
// apart), each refined between its two samples, appended while fewer than `limit`.
void levelCrossings(const std::vector<ResponseSample> &samples, const ResponseModel &model,
    const LoopGain &gain, std::vector<double> &out, std::size_t limit)
{
    for (std::size_t i = 0; i + 1 < samples.size(); ++i) {
        const ResponseSample &a = samples[i];
        const ResponseSample &b = samples[i + 1];
        // Two points more than a turn apart were not filled: nothing is read between them.
        if ((std::floor((a.phase + 180) / 360) == std::floor((b.phase + 180) / 360)
                && std::fmod(a.phase + 180, 360.0) != 0 && std::fmod(b.phase + 180, 360.0) != 0)
            || !(std::fabs(b.phase - a.phase) <= 360))
            continue;
        for (const double level : criticalLevelsBetween(a.phase, b.phase)) {
            if (out.size() >= limit)
                return;
            out.push_back(RefinedRoot(
                a.omega, b.omega, [&](double w) { return model.quickPhase(w, gain, a) - level; },
                [&](double w) { return model.phase(w, gain, a) - level; }));
        }
    }
}

// The phase crossovers of a loop with a delay: every one in the runs, the first ones listed.
struct DelayCrossings {
    std::vector<double> listed;
    std::vector<double> others;
};

DelayCrossings delayPhaseCrossings(
    const SampleRuns &runs, const ResponseModel &model, const LoopGain &gain)
{
    std::vector<double> all;
    for (const std::vector<ResponseSample> &run : runs)
        levelCrossings(run, model, gain, all, std::numeric_limits<std::size_t>::max());
    sortUnique(all);
    // The first run starts at the lowest frequency: every crossover below its end is in it.
    const double complete = runs.front().back().omega;
    std::size_t listed = 0;
    while (listed < all.size() && listed < MaxListedCrossovers && all[listed] <= complete)
        ++listed;
    return { std::vector<double>(all.begin(), all.begin() + static_cast<std::ptrdiff_t>(listed)),
        std::vector<double>(all.begin() + static_cast<std::ptrdiff_t>(listed), all.end()) };
}

} // namespace

std::vector<double> GainCrossoverEstimates(const ResponseModel &model, const LoopGain &gain)
{
    const std::optional<CrossingPolynomials> p = model.crossingPolynomials(gain);
    return p ? omegasOf(PositiveRootEstimates(p->gain)) : std::vector<double> {};
}

std::vector<double> GainExtremaEstimates(const ResponseModel &model, const LoopGain &gain)
{
    const std::optional<CrossingPolynomials> p = model.crossingPolynomials(gain);
    return p ? omegasOf(PositiveRootEstimates(p->gainExtrema)) : std::vector<double> {};
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
    const std::optional<LoopStructure> structure = model.structure(gain);
    if (!structure || structure->delay != 0)
        return {};
    const std::optional<CrossingPolynomials> p = model.crossingPolynomials(gain);
    return p ? omegasOf(PositiveRootEstimates(p->phase)) : std::vector<double> {};
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
    const std::vector<double> &phaseEstimates, const SampleRuns *runs)
{
    Margins m;
    if (samples.empty())
        return m;
    const std::optional<LoopStructure> structure = model.structure(gain);
    const std::vector<AxisRoot> axis = structure ? structure->axisRoots : std::vector<AxisRoot> {};
    std::vector<double> phaseMargins;
    for (const double omega : gainCrossovers)
        phaseMargins.push_back(Wrap180(
            static_cast<double>(180 + model.phase(omega, gain, SampleNear(samples, omega, axis)))));
    reportSmallest(gainCrossovers, phaseMargins, m.gainCrossover, m.phaseMarginDeg);
    m.gainCrossoverCount = static_cast<int>(gainCrossovers.size());
    const std::size_t listedGain = std::min(gainCrossovers.size(), MaxListedCrossovers);
    m.gainCrossovers.assign(gainCrossovers.begin(), gainCrossovers.begin() + listedGain);
    m.phaseMargins.assign(phaseMargins.begin(), phaseMargins.begin() + listedGain);

    std::vector<double> phaseCrossovers;
    std::size_t listedPhase = 0;
    if (runs && !runs->empty() && structure && structure->delay > 0) {
        DelayCrossings c = delayPhaseCrossings(*runs, model, gain);
        listedPhase = c.listed.size();
        phaseCrossovers = std::move(c.listed);
        phaseCrossovers.insert(phaseCrossovers.end(), c.others.begin(), c.others.end());
        m.phaseCrossoverCountKind = CountKind::Infinite;
    } else {
        phaseCrossovers = PhaseCrossovers(samples, model, gain, phaseEstimates);
        listedPhase = std::min(phaseCrossovers.size(), MaxListedCrossovers);
    }
    // Where a pole on the axis turns the phase, |G| is infinite: the locus goes round at infinity
    // and crosses no level there.
    std::erase_if(phaseCrossovers, [&](double omega) {
        return std::any_of(axis.begin(), axis.end(), [&](const AxisRoot &r) {
            return r.order < 0 && std::fabs(r.omega - omega) <= 1e-7 * r.omega;
        });
    });
    listedPhase = std::min(listedPhase, phaseCrossovers.size());
    std::vector<double> gainMargins;
    for (const double omega : phaseCrossovers)
        gainMargins.push_back(static_cast<double>(-model.gainDb(omega, gain)));
    reportSmallest(phaseCrossovers, gainMargins, m.phaseCrossover, m.gainMarginDb);
    m.phaseCrossoverCount = static_cast<int>(phaseCrossovers.size());
    m.phaseCrossovers.assign(phaseCrossovers.begin(), phaseCrossovers.begin() + listedPhase);
    m.gainMargins.assign(gainMargins.begin(), gainMargins.begin() + listedPhase);
    return m;
}

} // namespace velmora
