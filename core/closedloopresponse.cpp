// core/closedloopresponse.cpp — resonance peak, bandwidth and largest sensitivity of the closed
// loop (core layer)
#include "core/closedloopresponse.h"

#include "core/frequencyresponse.h"
#include "core/rootfinding.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace velmora {

namespace {

struct Top {
    double db;
    double omega;
};

// How far above its highest sample a top of |S| can rise between two samples: where 1 + G
// runs straight past 0 between values whose angles differ by d, its least modulus is at least
// cos(d / 2) of theirs. For |T| = |G| |S|, also the rise of |G| to the higher end.
double hiddenRiseDb(
    const ResponseSample &a, const ResponseSample &top, const ResponseSample &b, bool closed)
{
    const double turn
        = std::min(std::fabs(Wrap180(b.point.onePlusArg - a.point.onePlusArg)), 170.0);
    const double rise = -20 * std::log10(std::cos(turn * std::numbers::pi / 360));
    return rise
        + (closed ? std::max(0.0, std::max(a.point.gainDb, b.point.gainDb) - top.point.gainDb)
                  : 0.0);
}

// The largest of the tops of a function over the runs: each sample at least as high as its
// neighbours in its run, refined between them on the exact function (at the root of its slope
// where that rises and falls across the bracket), the highest sampled first; a top whose rise
// between its samples cannot reach the largest found is left. `all`: every top refined (measured
// data, whose interpolation between points far apart can rise anywhere); `atSamples`: none, the
// largest sample is the top.
template <typename Sampled>
std::optional<Top> largestTop(const SampleRuns &runs, Sampled sampled, FrequencyFunction exact,
    const std::optional<FrequencyFunction> &slope, bool closed, bool all, bool atSamples = false)
{
    struct Candidate {
        const std::vector<ResponseSample> *run;
        std::size_t i;
        double value;
    };
    std::vector<Candidate> candidates;
    for (const std::vector<ResponseSample> &run : runs)
        for (std::size_t i = 0; i < run.size(); ++i) {
            const double value = sampled(run[i]);
            if ((i == 0 || sampled(run[i - 1]) <= value)
                && (i + 1 == run.size() || sampled(run[i + 1]) <= value) && std::isfinite(value))
                candidates.push_back({ &run, i, value });
        }
    std::sort(candidates.begin(), candidates.end(),
        [](const Candidate &x, const Candidate &y) { return x.value > y.value; });
    std::optional<Top> best;
    for (const Candidate &c : candidates) {
        const std::vector<ResponseSample> &run = *c.run;
        const std::size_t i = c.i;
        const ResponseSample &left = run[i > 0 ? i - 1 : i];
        const ResponseSample &right = run[i + 1 < run.size() ? i + 1 : i];
        if (best && !all && c.value + hiddenRiseDb(left, run[i], right, closed) < best->db)
            continue;
        double omega = run[i].omega;
        if (atSamples)
            return Top { static_cast<double>(exact(omega)), omega };
        if (right.omega > left.omega) {
            if (slope && i > 0 && i + 1 < run.size() && (*slope)(left.omega) > 0
                && (*slope)(right.omega) < 0)
                omega = RootBetween(left.omega, right.omega, *slope);
            else
                omega = MaximumBetween(left.omega, right.omega, exact);
        }
        double db = static_cast<double>(exact(omega));
        const double atSample = static_cast<double>(exact(run[i].omega));
        if (!(db >= atSample)) {
            db = atSample;
            omega = run[i].omega;
        }
        if (std::isfinite(db) && (!best || db > best->db))
            best = Top { db, omega };
    }
    return best;
}

} // namespace

std::optional<double> LowFrequencyClosedLoopDb(const LoopStructure &structure)
{
    if (structure.integrators > 0)
        return 0.0;
    if (structure.integrators < 0 || structure.lowGain == 0)
        return std::nullopt;
    const long double k = structure.lowGain;
    return static_cast<double>(20 * std::log10(std::fabs(k / (1 + k))));
}

HighFrequencyLimits HighFrequencyLimitsOf(const LoopStructure &s)
{
    HighFrequencyLimits limits;
    const long double h = s.highGain;
    if (s.excess < 0) {
        limits.closedDb = 0.0;
    } else if (s.excess > 0) {
        limits.sensitivityDb = 0.0;
    } else if (s.delay == 0) {
        if (h != -1) {
            limits.closedDb = static_cast<double>(20 * std::log10(std::fabs(h / (1 + h))));
            limits.sensitivityDb = static_cast<double>(-20 * std::log10(std::fabs(1 + h)));
        }
    } else if (std::fabs(h) < 1) {
        limits.closedDb = static_cast<double>(20 * std::log10(std::fabs(h) / (1 - std::fabs(h))));
        limits.sensitivityDb = static_cast<double>(-20 * std::log10(1 - std::fabs(h)));
    }
    return limits;
}

ClosedLoopResponse ReadClosedLoopResponse(const SampleRuns &runs, const ResponseModel &model,
    const LoopGain &gain, double lowDb, std::optional<double> highDb)
{
    ClosedLoopResponse r;
    const auto exact = [&](double w) { return model.closedDb(w, gain); };
    const auto quick = [&](double w) { return model.quickClosedDb(w, gain); };
    const auto slope = [&](double w) { return *model.closedSlope(w, gain); };
    std::optional<FrequencyFunction> slopeFunction;
    if (!runs.empty() && !runs.front().empty()
        && model.closedSlope(runs.front().front().omega, gain))
        slopeFunction = FrequencyFunction(slope);
    // Measured data's peak is read at their points, where the tuning reads it too.
    const std::optional<Top> top = largestTop(
        runs, [](const ResponseSample &s) { return s.point.closedDb; }, exact, slopeFunction, true,
        false, !slopeFunction);
    r.peakDb = lowDb;
    r.peakOmega = 0;
    if (top && top->db > lowDb + 1e-9) {
        r.peakDb = top->db;
        r.peakOmega = top->omega;
    }
    if (highDb && *highDb > *r.peakDb) {
        r.peakDb = *highDb;
        r.peakOmega.reset();
    }

    const double target = lowDb - 3;
    const auto below = [&](double w) { return model.closedDb(w, gain) - target; };
    for (const std::vector<ResponseSample> &run : runs) {
        for (std::size_t i = 1; i < run.size(); ++i) {
            const ResponseSample &a = run[i - 1];
            const ResponseSample &b = run[i];
            if (b.point.closedDb < target) {
                r.bandwidth = RefinedRoot(
                    a.omega, b.omega, [&](double w) { return quick(w) - target; }, below);
                return r;
            }
            // A bottom the samples show, near the level: refined, it may fall below it.
            if (i + 1 < run.size() && b.point.closedDb <= a.point.closedDb
                && b.point.closedDb <= run[i + 1].point.closedDb && b.point.closedDb < target + 1) {
                const double bottom = MaximumBetween(
                    a.omega, run[i + 1].omega, [&](double w) { return -model.closedDb(w, gain); });
                if (exact(bottom) < target) {
                    r.bandwidth = RootBetween(bottom > b.omega ? b.omega : a.omega, bottom, below);
                    return r;
                }
            }
        }
    }
    return r;
}

std::optional<SensitivityPeak> ReadSensitivityPeak(const SampleRuns &runs,
    const ResponseModel &model, const LoopGain &gain, std::optional<double> lowDb,
    std::optional<double> highDb)
{
    const auto sensitivity = [&](double w) { return model.sensitivityDb(w, gain); };
    const bool measured = !runs.empty() && !runs.front().empty()
        && !model.closedSlope(runs.front().front().omega, gain);
    const std::optional<Top> top = largestTop(
        runs, [](const ResponseSample &s) { return s.point.closedDb - s.point.gainDb; },
        sensitivity, std::nullopt, false, measured);
    std::optional<SensitivityPeak> peak;
    if (top)
        peak = SensitivityPeak { top->db, top->omega };
    if (lowDb && (!peak || *lowDb > peak->db + 1e-9))
        peak = SensitivityPeak { *lowDb, 0.0 };
    if (highDb && (!peak || *highDb > peak->db))
        peak = SensitivityPeak { *highDb, std::nullopt };
    return peak;
}

} // namespace velmora
