// core/closedloopmodes.h — the modes of a closed loop T = L / (1 + L), L(s) = K G(s) exp(-Ts):
// its roots refined on the loop as typed, and the part each takes in the step response (core
// layer; included by core sources only)
#pragma once

#include "core/statespace.h"
#include "core/transferfunction.h"

#include <complex>
#include <optional>
#include <vector>

namespace velmora {

// One root s of 1 + L(s) = 0 with Im s >= 0, and the residue r of T(s)/s there: the step response
// holds r exp(st), and its conjugate when Im s > 0 (weight() terms in all).
struct ClosedLoopMode {
    std::complex<double> root;
    std::complex<double> residue;

    int weight() const { return root.imag() > 0 ? 2 : 1; }
    // weight() |r|: the largest part the mode takes, at t = 0.
    double amplitude() const { return weight() * std::abs(residue); }
};

// Newton's method from an estimate: first on the expanded D(s) + K N(s) exp(-Ts) in extended
// precision (`characteristic`, when it settles: a root of K N + D, typed cancellations
// included), then on the loop as typed (1 + L, or 1/L + 1 near the poles of G, whichever is
// smaller at the start), to full double precision (`root`, when it settles).
struct RefinedRoot {
    std::optional<std::complex<double>> characteristic;
    std::optional<std::complex<double>> root;
};
RefinedRoot RefineClosedLoopRoot(
    const TransferFunction &loop, long double gain, std::complex<double> estimate);

// The residue of T(s)/s at a root of 1 + L: -1 / (s L'(s)), L' from the loop as typed.
std::complex<double> StepResidue(
    const TransferFunction &loop, long double gain, std::complex<double> root);

// What ClosedLoopModes does with the estimates that do not converge on the loop as typed: drop
// them, or keep them as they are when their real part is negative (to choose samples only).
enum class Refinement { KeepUnconverged, DropUnconverged };

struct ClosedLoopRoots {
    std::vector<ClosedLoopMode> modes; // sorted by decreasing real part (slowest first)
    // A root found in the closed right half-plane, of 1 + L or of K N + D (a cancellation as
    // typed, which a realisation of K N / D keeps).
    bool unstable = false;
};

// The modes from root estimates, each refined (RefineClosedLoopRoot); those of Im < 0 stand for
// their conjugates and are skipped. A root reached twice is kept once, so are estimates within
// 1e-9 of a root. Real roots have Im = 0 exactly.
ClosedLoopRoots ClosedLoopModes(const TransferFunction &loop, long double gain,
    const std::vector<std::complex<double>> &estimates, Refinement refinement);

// Estimates of the closed-loop roots with a delay: the eigenvalues of the plant closed around
// the Pade approximant of exp(-Ts) of degree `order` (balanced first). Good for the roots of
// modest |s| T; the others only start Newton's method.
std::vector<std::complex<double>> PadeClosedLoopRoots(
    const StateSpace &plant, double delay, int order);

} // namespace velmora
