// core/loopresponse.h — a loop's closed loop in time and frequency: its step response and the
// magnitudes of T and S (core layer)
#pragma once

#include "core/loopanalysis.h"
#include "core/loopspec.h"
#include "core/stepresponse.h"

#include <optional>
#include <vector>

namespace velmora {

// |T(jω)| and |S(jω)| in dB, T = G / (1 + G) and S = 1 / (1 + G), on a grid even in log ω.
struct ClosedLoopBode {
    std::vector<double> omega; // rad/s
    std::vector<double> closedDb;
    std::vector<double> sensitivityDb;
};

// The closed loop over the analysis's frequency range, `points` frequencies (at least 2), from
// the loop's model at the analysis gain, in double precision (a plot's worth; the figures come
// from the analysis). Points at the critical point are +inf dB.
ClosedLoopBode ClosedLoopBodeOf(const LoopAnalysis &analysis, int points = 300);

struct LoopResponse {
    // The unit-step response of T and its figures, for a stable closed loop of a loop given by
    // its transfer function; none for measured data or an unstable closed loop.
    std::optional<StepResponse> step;
    ClosedLoopBode bode;
};

// The closed loop of a loaded loop at the gain it was analysed with.
LoopResponse ClosedLoopResponseOf(const LoadedLoop &loop, const LoopAnalysis &analysis);

} // namespace velmora
