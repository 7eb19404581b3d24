// core/closedloopresponse.h — the closed loop T = G / (1 + G) read from a sampled open loop:
// resonance peak and bandwidth (core layer)
#pragma once

#include "core/responsemodel.h"

#include <optional>
#include <vector>

namespace velmora {

// |T(0)| in dB from the loop's structure: 0 dB with integrators, K0 / (1 + K0) without (K0 the
// low-frequency gain); nothing with net differentiators or a zero gain, whose T(0) is 0.
std::optional<double> LowFrequencyClosedLoopDb(const LoopStructure &structure);

// Frequencies in rad/s.
struct ClosedLoopResponse {
    std::optional<double> peakDb; // the largest |T| over omega >= 0
    std::optional<double> peakOmega; // 0 when that is the low-frequency limit
    std::optional<double> bandwidth; // the lowest frequency where |T| is 3 dB below |T(0)|
};

// The peak and the bandwidth of a stable closed loop whose |T(0)| is lowDb, from its samples
// (at least one): the peak at the largest sampled |T|, refined where |T|^2 has a slope that
// changes sign between the samples around it (otherwise that sample); the bandwidth refined
// between the first sample 3 dB below lowDb and the one before it. Nothing is found beyond the
// samples: a peak or a dip between two samples that does not show in them is not seen.
ClosedLoopResponse ReadClosedLoopResponse(const std::vector<ResponseSample> &samples,
    const ResponseModel &model, const LoopGain &gain, double lowDb);

// Ms = the largest |S| = |1 / (1 + G)| in dB, and its frequency (rad/s): at the largest
// sampled |S|, refined to full precision between the samples around it by a golden-section
// search on the exact evaluation.
struct SensitivityPeak {
    double db;
    double omega;
};
std::optional<SensitivityPeak> ReadSensitivityPeak(
    const std::vector<ResponseSample> &samples, const ResponseModel &model, const LoopGain &gain);

} // namespace velmora
