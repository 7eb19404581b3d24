// core/closedloopresponse.h — the closed loop T = G / (1 + G) and the sensitivity S = 1 / (1 + G)
// read from a sampled open loop: resonance peak, bandwidth, largest sensitivity (core layer)
#pragma once

#include "core/filledresponse.h"
#include "core/responsemodel.h"

#include <optional>
#include <vector>

namespace velmora {

// |T(0)| in dB from the loop's structure: 0 dB with integrators, K0 / (1 + K0) without (K0 the
// low-frequency gain); nothing with net differentiators or a zero gain, whose T(0) is 0.
std::optional<double> LowFrequencyClosedLoopDb(const LoopStructure &structure);

// Where |T| and |S| go as omega -> infinity (dB), for a loop of this structure: their limits
// without a delay (|T| 0 dB and |S| nothing for an improper loop, |S| 0 dB for a strictly proper
// one, those of highGain / (1 + highGain) for a proper one), the largest values they come back
// to with a delay and a proper rational part (highGain / (1 - |highGain|) and
// 1 / (1 - |highGain|)); nothing where they fall without end.
struct HighFrequencyLimits {
    std::optional<double> closedDb;
    std::optional<double> sensitivityDb;
};
HighFrequencyLimits HighFrequencyLimitsOf(const LoopStructure &structure);

// Frequencies in rad/s.
struct ClosedLoopResponse {
    std::optional<double> peakDb; // the largest |T| over omega >= 0
    // 0 when that is the low-frequency limit; nothing when it is the limit as omega -> infinity,
    // which |T| approaches without reaching it.
    std::optional<double> peakOmega;
    std::optional<double> bandwidth; // the lowest frequency where |T| is 3 dB below |T(0)|
};

// The peak and the bandwidth of a stable closed loop whose |T(0)| is lowDb, read on runs of
// samples dense enough for it (the coarse samples without a delay, see FilledRuns with one).
// Every top of |T| the samples show is refined on the exact evaluation, at the root of the slope
// of |T|^2 where the model has one, by Brent's method for a maximum otherwise (measured data: the
// largest of their points, unrefined); the largest is
// the peak, unless the low-frequency limit or the limit at high frequency `highDb` is larger.
// The bandwidth is refined between the first sample 3 dB below lowDb and the one before it, or
// before a bottom the samples show, refined, that falls below it.
ClosedLoopResponse ReadClosedLoopResponse(const SampleRuns &runs, const ResponseModel &model,
    const LoopGain &gain, double lowDb, std::optional<double> highDb = std::nullopt);

// Ms = the largest |S| = |1 / (1 + G)| in dB, and its frequency (rad/s): every top of |S| the
// samples show refined by Brent's method for a maximum on the exact evaluation, the largest
// kept; the limit as omega -> infinity `highDb` when larger (no frequency then), the
// low-frequency limit `lowDb` when larger (at 0).
struct SensitivityPeak {
    double db;
    std::optional<double> omega;
};
std::optional<SensitivityPeak> ReadSensitivityPeak(const SampleRuns &runs,
    const ResponseModel &model, const LoopGain &gain, std::optional<double> lowDb = std::nullopt,
    std::optional<double> highDb = std::nullopt);

} // namespace velmora
