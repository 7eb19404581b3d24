// core/stability.h — stability of the closed loop: the closed-loop poles counted, or the Nyquist
// criterion on the sampled open loop (core layer)
#pragma once

#include "core/responsemodel.h"

#include <complex>
#include <optional>
#include <vector>

namespace velmora {

struct ClosedLoopStability {
    bool stable = false; // every closed-loop pole strictly in the left half-plane
    int closedLoopRhpPoles = 0;
};

// From the closed-loop poles: those beyond AxisTolerance of their modulus (at least 1) to the
// right are counted; a pole within it of the axis makes the loop not stable without being
// counted.
ClosedLoopStability StabilityOfPoles(const std::vector<std::complex<double>> &poles);

// Closed-loop poles in the right half-plane by the Nyquist criterion: Z = P - (total turn of
// 1 + G along the imaginary axis, indented to the right of the poles on it) / 360, the walk
// starting at the angle of 1 + G as omega -> 0+ (`startAngle`, degrees). The samples (at least
// one) are in increasing frequency, over the whole range where 1 + G turns.
int NyquistCount(const std::vector<ResponseSample> &samples, int integrators,
    const std::vector<AxisRoot> &axisRoots, int openLoopRhpPoles, long double startAngle);

// By the Nyquist criterion on the samples (at least one). With the structure of a rational loop
// (its integrators, roots on the axis and right-half-plane poles), a loop passing within 1e-12
// of -1 at a sample is not stable. Without it, measured data: an open loop without
// right-half-plane poles, whose integrators show in the low-frequency phase, -90 degrees each.
ClosedLoopStability NyquistStability(
    const std::vector<ResponseSample> &samples, const std::optional<LoopStructure> &structure);

} // namespace velmora
