// core/stability.h — stability of the closed loop: the closed-loop poles counted, or the Nyquist
// criterion on the sampled open loop (core layer)
#pragma once

#include "core/responsemodel.h"

#include <complex>
#include <optional>
#include <vector>

namespace velmora {

// How well a count is known.
enum class CountKind {
    Exact,
    AtLeast, // a lower bound: the count is this or more
    Infinite, // infinitely many: the count given is a number of them (at least 1)
};

struct ClosedLoopStability {
    bool stable = false; // every closed-loop pole strictly in the left half-plane
    int closedLoopRhpPoles = 0;
    CountKind kind = CountKind::Exact;
    // 1 + G vanishes on the imaginary axis (or the loop has a pole there shared with a zero):
    // closed-loop poles on the axis, on the limit of stability, where the count cannot say on
    // which side they lie.
    bool onAxis = false;
};

// From the closed-loop poles: those beyond AxisTolerance of their modulus (at least 1) to the
// right are counted; a pole within it of the axis makes the loop not stable without being
// counted.
ClosedLoopStability StabilityOfPoles(const std::vector<std::complex<double>> &poles);

// The walk of 1 + G along the positive imaginary axis, G = K G(s) the open loop, cut at its gain
// crossovers: between two of them |G| stays above 1 or below it. Below, 1 + G stays in the right
// half-plane, and its angle is its principal value; above, its angle is the phase of G plus the
// angle of 1 + 1 / G, which stays within 90 degrees. The turn of 1 + G is therefore exact from
// the phases of G at the crossovers alone, however often G turns between them.
struct NyquistWalk {
    int openLoopRhpPoles = 0;
    int integrators = 0; // poles at s = 0 (at least 0), around which the walk turns to the right
    bool startsAbove = false; // |G| > 1 on the first stretch
    // The angle of 1 + G at the start (omega -> 0+, or the first point of measured data) and at
    // the end (omega -> infinity, or the last point), in degrees, each as its stretch writes it:
    // above, the phase of G (unwrapped) plus the angle of 1 + 1 / G; below, the principal value.
    double startAngle = 0;
    double endAngle = 0;
    std::vector<double> crossoverPhases; // degrees, the phase of G (unwrapped) at each crossover
};

// Closed-loop poles in the right half-plane: Z = P - (2 Theta - 180 integrators) / 360, with
// Theta the turn of 1 + G along the walk (the negative frequencies turn it as much again, the
// indentation around s = 0 by -180 degrees an integrator). At least 0.
long long NyquistCount(const NyquistWalk &walk);

// The stability of a closed loop whose open loop crosses 0 dB at `gainCrossovers` (increasing,
// exact), from the samples that unwrap its phase. With the structure of a rational loop (its
// integrators, low- and high-frequency gains, open-loop right-half-plane poles), the walk runs
// from omega -> 0+ to infinity; a crossover where G is within 1e-12 of -1, or a root on the axis
// shared by N and D, makes the loop not stable. With a delay and a proper rational part whose
// gain tends to 1 or more at high frequency, 1 + G has infinitely many zeros on the right: the
// count is Infinite, the walk's over the samples given as some of them. Without it, measured data:
// an open loop without right-half-plane poles whose integrators show in the low-frequency phase,
// -90 degrees each, the walk from the first point to the last.
ClosedLoopStability NyquistStability(const std::vector<ResponseSample> &samples,
    const std::vector<double> &gainCrossovers, const ResponseModel &model, const LoopGain &gain,
    const std::optional<LoopStructure> &structure);

// The angle of 1 + G, degrees, G of gain `gainDb` and phase `phaseDeg` (unwrapped), as a stretch
// above 0 dB (the phase plus the angle of 1 + 1 / G) or below it (the principal value) writes
// it; exact whatever the gain.
double OnePlusAngle(double gainDb, double phaseDeg, bool above);

// The sample a frequency is unwrapped from: the last one at or below it, or the first one above
// it when a root on the axis lies between.
const ResponseSample &SampleNear(const std::vector<ResponseSample> &samples, double omega,
    const std::vector<AxisRoot> &axisRoots);

} // namespace velmora
