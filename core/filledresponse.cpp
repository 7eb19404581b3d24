// core/filledresponse.cpp — the response of a loop filled where its quantities are read (core
// layer)
#include "core/filledresponse.h"

#include "core/margins.h"
#include "core/rootfinding.h"
#include "core/stability.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace velmora {

namespace {

constexpr std::size_t FirstRunPoints = 20000; // the first turns, from the lowest frequency
constexpr std::size_t StretchPoints = 2000; // a stretch filled whole, or both its ends
constexpr double WholeStretchTurns = 32; // of the delay: a stretch filled whole up to these
constexpr double EndTurns = 2; // of the delay, on each side of an end

// The samples from `low` to `high`: the coarse ones between, the ends unwrapped from them,
// filled.
std::vector<ResponseSample> filledBetween(const ResponseSampler &sampler,
    const std::vector<ResponseSample> &coarse, double low, double high, std::size_t points)
{
    const std::vector<AxisRoot> &axis = sampler.structure().axisRoots;
    std::vector<ResponseSample> stops { sampler.at(low, SampleNear(coarse, low, axis)) };
    for (const ResponseSample &s : coarse)
        if (s.omega > low && s.omega < high)
            stops.push_back(s);
    stops.push_back(sampler.at(high, SampleNear(coarse, high, axis)));
    std::vector<ResponseSample> run { stops.front() };
    for (std::size_t i = 0; i + 1 < stops.size() && run.size() < points; ++i) {
        const std::vector<ResponseSample> filled
            = sampler.fill(stops[i], stops[i + 1], points - run.size() + 1);
        run.insert(run.end(), filled.begin() + 1, filled.end());
        if (filled.back().omega != stops[i + 1].omega)
            break;
    }
    return run;
}

} // namespace

std::vector<double> StretchEnds(const std::vector<ResponseSample> &coarse,
    const ResponseModel &model, const LoopGain &gain, const std::vector<double> &gainCrossovers,
    const std::vector<double> &extrema, const std::vector<double> &levelsDb)
{
    std::vector<double> ends = gainCrossovers;
    for (const double omega : extrema)
        if (omega >= coarse.front().omega && omega <= coarse.back().omega)
            ends.push_back(omega);
    for (std::size_t i = 0; i + 1 < coarse.size(); ++i) {
        const ResponseSample &a = coarse[i];
        const ResponseSample &b = coarse[i + 1];
        for (const double level : levelsDb)
            if ((a.point.gainDb > level) != (b.point.gainDb > level))
                ends.push_back(RefinedRoot(
                    a.omega, b.omega, [&](double w) { return model.quickGainDb(w, gain) - level; },
                    [&](double w) { return model.gainDb(w, gain) - level; }));
        if (i > 0) {
            const double before = a.point.gainDb - coarse[i - 1].point.gainDb;
            const double after = b.point.gainDb - a.point.gainDb;
            if ((before > 0 && after <= 0) || (before < 0 && after >= 0))
                ends.push_back(a.omega);
        }
    }
    ends.push_back(coarse.back().omega);
    std::sort(ends.begin(), ends.end());
    ends.erase(std::unique(ends.begin(), ends.end()), ends.end());
    return ends;
}

SampleRuns FilledRuns(const ResponseSampler &sampler, const std::vector<ResponseSample> &coarse,
    const std::vector<double> &ends)
{
    const LoopStructure &structure = sampler.structure();
    if (coarse.empty() || structure.delay == 0)
        return { coarse };
    const double turnsPerRadS = static_cast<double>(structure.delay) / (2 * std::numbers::pi);
    SampleRuns runs { filledBetween(
        sampler, coarse, coarse.front().omega, coarse.back().omega, FirstRunPoints) };
    const double filledUpTo = runs.front().back().omega;
    // Stretches beyond the first run: whole, or two turns around each end.
    std::vector<std::pair<double, double>> spans;
    double from = filledUpTo;
    const double half = EndTurns / turnsPerRadS;
    for (const double end : ends) {
        if (end <= from)
            continue;
        if ((end - from) * turnsPerRadS <= WholeStretchTurns) {
            spans.emplace_back(from, end);
        } else {
            spans.emplace_back(from, from + half);
            spans.emplace_back(std::max(from, end - half), std::min(end + half, 2 * end));
        }
        from = end;
    }
    spans.emplace_back(from, std::max(from + half, from * (1 + 1e-9)));
    // Overlapping spans are one.
    std::vector<std::pair<double, double>> merged;
    for (const auto &span : spans) {
        if (!merged.empty() && span.first <= merged.back().second)
            merged.back().second = std::max(merged.back().second, span.second);
        else
            merged.push_back(span);
    }
    // Where a double's rounding of the frequency turns the delay by more than a degree, its
    // phase means nothing: nothing is filled there.
    const double resolved = 1 / (turnsPerRadS * 360 * std::numeric_limits<double>::epsilon());
    for (const auto &[low, high] : merged)
        if (high > low && high < resolved)
            runs.push_back(filledBetween(sampler, coarse, low, high, StretchPoints));
    return runs;
}

} // namespace velmora
