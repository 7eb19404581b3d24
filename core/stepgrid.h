// core/stepgrid.h — the horizon and the sample times of a step response, chosen from its modes
// (core layer; included by core sources only)
#pragma once

#include "core/closedloopmodes.h"

#include <optional>
#include <vector>

namespace velmora {

// Times start + i spacing for i = 1 .. count.
struct UniformSegment {
    double start;
    double spacing;
    int count;

    double end() const { return start + count * spacing; }
};

// At least this many samples over the horizon drawn, and at most this many drawn (the samples
// read for the figures may be more: see MaximumStepSamples).
inline constexpr int MinimumStepSamples = 400;
inline constexpr int MaximumDrawnSamples = 20000;
// At most this many samples read for the figures.
inline constexpr double MaximumStepSamples = 200000;

// The time from which the envelope sum_k amplitude_k exp(Re s_k t) of the modes stays below
// `level` (0 when it starts below). A mode whose amplitude is not finite counts as `fallback`.
double EnvelopeTime(const std::vector<ClosedLoopMode> &modes, double level, double fallback);

// Consecutive uniform segments from `from` to at least `to`: while a mode's part exceeds 1e-6 of
// `scale`, a spacing of at most 0.25 / |s| (about 25 samples per period or time constant); never
// more than `coarsest`. The spacings are the finest one times powers of 2 (a time step reused by
// squaring). When that makes more than `maximum` samples, the spacings are doubled (`coarsest`
// too when they reach it), the modes' spacings at most once; nothing when that is not enough
// (a closed loop so lightly damped that it oscillates thousands of times before settling).
std::optional<std::vector<UniformSegment>> StepSegments(const std::vector<ClosedLoopMode> &modes,
    double scale, double from, double to, double coarsest, double maximum);

} // namespace velmora
