// core/margins.h — gain and phase crossovers of a sampled loop and its margins (core layer)
#pragma once

#include "core/filledresponse.h"
#include "core/frequencyresponse.h"
#include "core/responsemodel.h"
#include "core/stability.h"

#include <optional>
#include <vector>

namespace velmora {

// The crossovers listed: the first ones in frequency, at most this many of each.
constexpr std::size_t MaxListedCrossovers = 100;

// Frequencies in rad/s, listed in increasing frequency with the margin found there (the first
// MaxListedCrossovers of each); the reported margins are those of smallest magnitude among all
// the crossovers (the first of equals), listed or not.
struct Margins {
    std::vector<double> gainCrossovers; // |G| = 0 dB
    std::vector<double> phaseMargins; // degrees, 180 + phase reduced to (-180, 180]
    std::vector<double> phaseCrossovers; // phase = -180 + k 360
    std::vector<double> gainMargins; // dB, -20 log |G|
    std::optional<double> gainMarginDb;
    std::optional<double> phaseCrossover;
    std::optional<double> phaseMarginDeg;
    std::optional<double> gainCrossover;
    // How many crossovers there are: exactly, or with a delay (whose phase falls without end)
    // infinitely many phase crossovers, the count then those found.
    int gainCrossoverCount = 0;
    CountKind gainCrossoverCountKind = CountKind::Exact;
    int phaseCrossoverCount = 0;
    CountKind phaseCrossoverCountKind = CountKind::Exact;
};

// Every frequency where |K G| crosses 0 dB, increasing, refined on the exact evaluation to full
// double precision: around each estimate (the positive roots of a rational loop's gain
// polynomial), where the exact gain changes sign within 1% of it, and between any two samples
// whose gains have opposite signs and no crossover found between them. A tangent touch of 0 dB
// is no crossing.
std::vector<double> GainCrossovers(const std::vector<ResponseSample> &samples,
    const ResponseModel &model, const LoopGain &gain, const std::vector<double> &estimates);

// Where the positive roots of a rational loop's gain polynomial are, in rad/s: the estimates for
// GainCrossovers. None for measured data.
std::vector<double> GainCrossoverEstimates(const ResponseModel &model, const LoopGain &gain);

// Where the positive roots of a rational loop's phase polynomial are, in rad/s: the estimates for
// PhaseCrossovers. None with a delay or for measured data.
std::vector<double> PhaseCrossoverEstimates(const ResponseModel &model, const LoopGain &gain);

// Every frequency where the phase reaches a level -180 + k 360, increasing, refined on the exact
// evaluation: around each estimate (G real there, at a level rather than at 0 + k 360), and for
// every level the samples reach between two of them that no crossing found there explains.
std::vector<double> PhaseCrossovers(const std::vector<ResponseSample> &samples,
    const ResponseModel &model, const LoopGain &gain, const std::vector<double> &estimates);

// Where |K G| of a rational loop may have a top or a bottom, in rad/s: the positive roots of the
// derivative of |K N(j w)|^2 / |D(j w)|^2 in x = w^2. None for measured data.
std::vector<double> GainExtremaEstimates(const ResponseModel &model, const LoopGain &gain);

// The margins at the gain crossovers given and at the phase crossovers found. Without a delay,
// from the estimates and the samples (see PhaseCrossovers). With one, the phase falls without
// end and the crossovers with it: those in the filled `runs` (see FilledRuns), listed from the
// lowest frequency; the one of smallest gain margin lies next to an end of a stretch where |G|
// rises or falls, which the runs fill. The work is bounded however long the delay.
Margins ReadMargins(const std::vector<ResponseSample> &samples, const ResponseModel &model,
    const LoopGain &gain, const std::vector<double> &gainCrossovers,
    const std::vector<double> &phaseEstimates = {}, const SampleRuns *runs = nullptr);

} // namespace velmora
