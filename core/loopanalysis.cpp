// core/loopanalysis.cpp — an open loop read on the chart: sampling, margins, closed loop and
// stability put together (core layer)
#include "core/loopanalysis.h"

#include "core/closedloopresponse.h"
#include "core/margins.h"
#include "core/stability.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace velmora {

namespace {

std::vector<ResponsePoint> locusOf(const std::vector<ResponseSample> &samples)
{
    std::vector<ResponsePoint> locus;
    locus.reserve(samples.size());
    for (const ResponseSample &s : samples)
        locus.push_back({ s.omega, s.point.gainDb, s.phase });
    return locus;
}

void setStability(LoopQuantities &q, const ClosedLoopStability &s)
{
    q.stable = s.stable;
    q.closedLoopRhpPoles = s.closedLoopRhpPoles;
    q.closedLoopRhpPolesKind = s.kind;
    q.closedLoopPolesOnAxis = s.onAxis;
}

// Margins at the crossovers, and the closed-loop peak and bandwidth and the largest
// sensitivity when the closed loop is stable and its low-frequency gain known, from runs of
// samples dense enough for them (see FilledRuns); `structure` gives the limits at 0 and at
// infinity.
void readQuantities(const std::vector<ResponseSample> &samples, const SampleRuns &runs,
    const ResponseModel &model, const LoopGain &gain, const std::vector<double> &gainCrossovers,
    const std::vector<double> &phaseEstimates, const std::optional<LoopStructure> &structure,
    LoopQuantities &q)
{
    Margins m = ReadMargins(samples, model, gain, gainCrossovers, phaseEstimates, &runs);
    q.gainCrossoverCount = m.gainCrossoverCount;
    q.gainCrossoverCountKind = m.gainCrossoverCountKind;
    q.phaseCrossoverCount = m.phaseCrossoverCount;
    q.phaseCrossoverCountKind = m.phaseCrossoverCountKind;
    q.gainCrossovers = std::move(m.gainCrossovers);
    q.phaseMargins = std::move(m.phaseMargins);
    q.phaseCrossovers = std::move(m.phaseCrossovers);
    q.gainMargins = std::move(m.gainMargins);
    q.gainMarginDb = m.gainMarginDb;
    q.phaseCrossover = m.phaseCrossover;
    q.phaseMarginDeg = m.phaseMarginDeg;
    q.gainCrossover = m.gainCrossover;
    if (!q.stable || samples.empty() || !q.lowFrequencyClosedLoopDb)
        return;
    const HighFrequencyLimits high
        = structure ? HighFrequencyLimitsOf(*structure) : HighFrequencyLimits {};
    const ClosedLoopResponse r
        = ReadClosedLoopResponse(runs, model, gain, *q.lowFrequencyClosedLoopDb, high.closedDb);
    q.peakDb = r.peakDb;
    q.peakOmega = r.peakOmega;
    q.bandwidth = r.bandwidth;
    // |S(0)| = 1 / |1 + K0| without integrators.
    std::optional<double> lowSensitivityDb;
    if (structure && structure->integrators == 0)
        lowSensitivityDb = static_cast<double>(-20 * std::log10(std::fabs(1 + structure->lowGain)));
    if (const std::optional<SensitivityPeak> ms
        = ReadSensitivityPeak(runs, model, gain, lowSensitivityDb, high.sensitivityDb)) {
        q.sensitivityPeakDb = ms->db;
        q.sensitivityPeakOmega = ms->omega;
    }
}

// The gain (dB) where |G| / (1 + |G|), the least |T| can be at that gain, is 3 dB below |T(0)|:
// with a delay, |T| first falls below that level after |G| crosses it.
std::vector<double> bandwidthLevels(const std::optional<double> &lowDb)
{
    if (!lowDb)
        return {};
    const double t = std::pow(10.0, (*lowDb - 3) / 20);
    return t < 1 ? std::vector<double> { 20 * std::log10(t / (1 - t)) } : std::vector<double> {};
}

// A sample of the model standing for a point of its locus, for unwrapping the phase near it.
ResponseSample sampleOf(const ResponsePoint &p, const ResponseModel &model)
{
    ResponseSample s { p.omega, {} };
    s.point.gainDb = p.gainDb;
    s.phase = p.phaseDeg;
    s.rationalPhase = static_cast<double>(p.phaseDeg + model.delayDegrees(p.omega));
    s.point.rationalArg = Wrap180(s.rationalPhase);
    return s;
}

} // namespace

AnalysisOptions AnalysisOptionsFor(const ChartSettings &settings)
{
    AnalysisOptions options;
    options.gainMin = settings.gainMin;
    options.gainMax = settings.gainMax;
    options.phaseMin = settings.phaseMin;
    options.phaseMax = settings.phaseMax;
    return options;
}

std::optional<ResponsePoint> LocusPointAt(const std::vector<ResponsePoint> &locus, double omega)
{
    if (locus.empty() || !(omega >= locus.front().omega) || !(omega <= locus.back().omega))
        return std::nullopt;
    const auto after = std::lower_bound(locus.begin(), locus.end(), omega,
        [](const ResponsePoint &p, double w) { return p.omega < w; });
    if (after->omega == omega || after == locus.begin())
        return *after;
    const ResponsePoint &a = *(after - 1);
    const ResponsePoint &b = *after;
    const double t = std::log(omega / a.omega) / std::log(b.omega / a.omega);
    return ResponsePoint { omega, a.gainDb + t * (b.gainDb - a.gainDb),
        a.phaseDeg + t * (b.phaseDeg - a.phaseDeg) };
}

std::optional<ResponsePoint> LocusPointAt(const LoopAnalysis &analysis, double omega)
{
    const std::vector<ResponsePoint> &locus = analysis.locus;
    if (!analysis.model)
        return LocusPointAt(locus, omega);
    if (locus.empty() || !(omega >= locus.front().omega) || !(omega <= locus.back().omega))
        return std::nullopt;
    const ResponseModel &model = *analysis.model;
    const LoopGain gain = LoopGain::fromDb(analysis.gainDb);
    const auto after = std::lower_bound(locus.begin(), locus.end(), omega,
        [](const ResponsePoint &p, double w) { return p.omega < w; });
    // The phase is unwrapped from the sample below omega, or from the one above when a root on
    // the axis lies between that sample and omega.
    const ResponsePoint *near = after == locus.begin() ? &*after : &*(after - 1);
    if (const std::optional<LoopStructure> structure = model.structure(gain)) {
        const double below = near->omega;
        if (std::any_of(structure->axisRoots.begin(), structure->axisRoots.end(),
                [&](const AxisRoot &r) { return r.omega > below && r.omega <= omega; }))
            near = &*after;
    }
    return ResponsePoint { omega, static_cast<double>(model.gainDb(omega, gain)),
        static_cast<double>(model.phase(omega, gain, sampleOf(*near, model))) };
}

LoopAnalysis AnalyseResponse(
    std::shared_ptr<const ResponseModel> model, double gainDb, const AnalysisOptions &options)
{
    const LoopGain gain = LoopGain::fromDb(gainDb);
    LoopAnalysis analysis;
    analysis.model = std::move(model);
    analysis.gainDb = gainDb;
    const ResponseModel &loop = *analysis.model;
    LoopQuantities &q = analysis.quantities;
    // The quantities come from the whole loop; the options' range only bounds what is drawn.
    AnalysisOptions whole = options;
    whole.omegaMin.reset();
    whole.omegaMax.reset();
    const double drawnLow = options.omegaMin.value_or(0);
    const double drawnHigh = options.omegaMax.value_or(std::numeric_limits<double>::infinity());

    // Measured data: the points as given, and the quantities between them.
    if (const std::optional<std::vector<ResponseSample>> given = loop.givenSamples(gain)) {
        if (given->size() < 2) {
            analysis.locus = locusOf(*given);
            return analysis;
        }
        const std::vector<double> crossovers = GainCrossovers(*given, loop, gain, {});
        setStability(q, NyquistStability(*given, crossovers, loop, gain, std::nullopt));
        q.lowFrequencyClosedLoopDb = given->front().point.closedDb;
        readQuantities(*given, { *given }, loop, gain, crossovers, {}, std::nullopt, q);
        for (const ResponseSample &s : *given)
            if (s.omega >= drawnLow && s.omega <= drawnHigh)
                analysis.locus.push_back({ s.omega, s.point.gainDb, s.phase });
        return analysis;
    }

    // A loop defined at every frequency, sampled.
    const std::optional<LoopStructure> structure = loop.structure(gain);
    if (!structure)
        return analysis;
    const std::optional<std::vector<std::complex<double>>> poles = loop.closedLoopPoles(gain);
    if (poles)
        analysis.closedLoopPoles = *poles;
    const ResponseSampler sampler(loop, gain, *structure, whole);
    // The crossings a rational loop's polynomials place, at any frequency, are sampled too.
    const std::vector<double> gainEstimates = GainCrossoverEstimates(loop, gain);
    const std::vector<double> phaseEstimates = PhaseCrossoverEstimates(loop, gain);
    // The tops and bottoms of |G| end the stretches a delay's turns are filled around.
    const bool delayed = structure->delay > 0;
    const std::vector<double> extremaEstimates
        = delayed ? GainExtremaEstimates(loop, gain) : std::vector<double> {};
    std::vector<double> crossings = gainEstimates;
    crossings.insert(crossings.end(), phaseEstimates.begin(), phaseEstimates.end());
    crossings.insert(crossings.end(), extremaEstimates.begin(), extremaEstimates.end());
    const std::vector<ResponseSample> samples = sampler.coarse(analysis.closedLoopPoles, crossings);
    const std::vector<double> gainCrossovers = GainCrossovers(samples, loop, gain, gainEstimates);
    q.lowFrequencyClosedLoopDb = LowFrequencyClosedLoopDb(*structure);
    // The closed-loop count from the walk of 1 + G on the loop as typed; the roots of K N + D,
    // which lose digits where the expanded polynomial does, are kept only where they agree.
    if (!samples.empty())
        setStability(q, NyquistStability(samples, gainCrossovers, loop, gain, structure));
    if (poles && StabilityOfPoles(*poles).closedLoopRhpPoles != q.closedLoopRhpPoles)
        analysis.closedLoopPoles.clear();
    // With a delay, its turns filled where the quantities are read.
    const SampleRuns runs = samples.empty() || !delayed
        ? SampleRuns { samples }
        : FilledRuns(sampler, samples,
            StretchEnds(samples, loop, gain, gainCrossovers, extremaEstimates,
                bandwidthLevels(q.lowFrequencyClosedLoopDb)));
    readQuantities(samples, runs, loop, gain, gainCrossovers, phaseEstimates, structure, q);
    if (samples.empty())
        return analysis;

    // Drawn with the turns that bring the phase at the reported gain crossover nearest -180
    // degrees; the locus is sampled densely where it falls on the chart, over the options' range
    // when they give one.
    double reference = samples.front().phase;
    if (q.gainCrossover)
        reference = static_cast<double>(loop.phase(
            *q.gainCrossover, gain, SampleNear(samples, *q.gainCrossover, structure->axisRoots)));
    analysis.phaseShiftDeg = 360 * std::round((-180 - reference) / 360);
    const LocusWindow window { options.gainMin, options.gainMax,
        options.phaseMin - analysis.phaseShiftDeg, options.phaseMax - analysis.phaseShiftDeg };
    const bool ranged = options.omegaMin || options.omegaMax;
    const std::vector<ResponseSample> drawn = ranged
        ? ResponseSampler(loop, gain, *structure, options).coarse(analysis.closedLoopPoles)
        : samples;
    if (!drawn.empty())
        analysis.locus = locusOf(sampler.dense(drawn, window));
    return analysis;
}

LoopAnalysis AnalyseLoop(
    const TransferFunction &loop, double gainDb, const AnalysisOptions &options)
{
    return AnalyseResponse(
        MakeRationalModel(std::make_shared<const TransferFunction>(loop)), gainDb, options);
}

LoopAnalysis AnalyseMeasuredLoop(
    const MeasuredResponse &data, double gainDb, const AnalysisOptions &options)
{
    return AnalyseResponse(
        MakeMeasuredModel(std::make_shared<const MeasuredResponse>(data)), gainDb, options);
}

} // namespace velmora
