// core/tuningsweep.h — the open loop at unit gain swept for tuning: the gains at which a target
// is reached, found on the exact evaluation, and the values a target takes over ranges of gains
// (core layer)
#pragma once

#include "core/responsemodel.h"
#include "core/tuning.h"

#include <complex>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace velmora {

// "Mr = 2.3 dB": the target as the messages write it.
std::string TargetText(TargetKind target, double value);

// The least and the greatest value of a target, in its unit.
struct TargetRange {
    double least;
    double greatest;
};

// Gains are in dB throughout; the loop at a gain K is K times the model at 0 dB, so the model is
// sampled once: measured data at their points; a loop defined at every frequency, as the analysis
// samples it, from 1.5 decades below its lowest break frequency to 1.5 decades above its highest,
// and beyond to where its asymptotes cross 0 dB at ±MaxTunedGainDb (but for the high-frequency
// one of a loop with a delay, sampled over at least five turns of it), at most 1/40 decade and 10
// degrees apart, its phase crossovers inserted. The model is shared, and kept.
class TuningSweep {
public:
    // `frequency` (rad/s), when given, is within the sampled range.
    TuningSweep(std::shared_ptr<const ResponseModel> model, std::optional<double> frequency);

    // Whether there is nothing to tune: no samples.
    bool empty() const { return m_samples.empty(); }

    // The gains within ±MaxTunedGainDb at which the target holds on the exact evaluation,
    // unordered: all of them, but for Mr the few nearest `currentGainDb`; whether the closed loop
    // is stable there, and whether the analysis reports that value (the margin of smallest
    // magnitude, say) is for the caller to check. Throws TuningError for a target without meaning
    // for the loop: a frequency outside measured data, ωb of a loop whose |T(0)| is 0, a phase
    // margin outside ]-180 ; 180].
    std::vector<double> gainsReaching(TargetKind target, double value, double currentGainDb) const;

    // The gains at which the locus passes through -1, at its phase crossovers: the closed loop's
    // stability changes only there.
    std::vector<double> criticalGains() const;

    // The least and greatest value the target takes, read on the samples, at gains every 0.5 dB
    // within the given intervals (low, high): what a refusal quotes. Nothing when it takes none.
    std::optional<TargetRange> rangeOver(
        TargetKind target, const std::vector<std::pair<double, double>> &intervals) const;

private:
    using Complex = std::complex<long double>;

    static double toDb(long double k);
    void densify();
    void insertSample(double omega);
    std::size_t sampleBelow(double omega) const;
    Complex exactAt(double omega) const;
    long double exactGainDb(double omega) const;
    // Where the phase reaches base + k 360 degrees, refined on the exact evaluation.
    std::vector<double> phaseLevels(double base) const;
    std::vector<double> peakGains(double value, double currentGainDb) const;
    std::vector<double> bandwidthGains(double omega) const;
    void checkWithinData(TargetKind target, double value) const;
    // |T(0)| in dB at gain K (dB): nothing when it is 0 (net differentiators).
    std::optional<double> lowFrequencyClosedDb(double gainDb) const;
    std::optional<double> quickValue(TargetKind target, double gainDb) const;

    std::shared_ptr<const ResponseModel> m_model;
    bool m_measured = false;
    std::optional<LoopStructure> m_structure; // at 0 dB, for a loop defined at every frequency
    std::vector<ResponseSample> m_samples; // at 0 dB, phases unwrapped
    std::vector<std::complex<double>> m_quick; // the loop at the samples, its delay included
    std::vector<double> m_phaseCrossovers; // rad/s
};

} // namespace velmora
