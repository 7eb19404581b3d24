// core/stepresponse.h — the closed-loop unit-step response of a loop typed as an expression, and
// its figures (core layer)
#pragma once

#include "core/transferfunction.h"

#include <optional>
#include <span>
#include <vector>

namespace velmora {

// What an engineer reads of a step response, with y_f the final value and the response measured
// in its direction (z = y / y_f, so a negative final value is handled like a positive one).
// Times in seconds from the step. Each is refined on the response itself (exact for a rational
// loop, the polynomial of the step that holds it with a delay), not read off the samples.
struct StepFigures {
    // T(0) = K N(0) / (D(0) + K N(0)): 1 with an integrator in the loop, 0 with a net
    // differentiator.
    double finalValue = 0;
    // Overshoot ("dépassement"): 100 (max z - 1) in %. 0 when the response never exceeds its
    // final value (by more than 1e-9 of it, which is rounding); nothing when the final value is 0.
    std::optional<double> overshootPercent;
    // Where z is largest, when there is an overshoot: the global maximum, the first one of equal
    // height. At a jump (a proper loop with a delay), the time of the jump.
    std::optional<double> peakTime;
    // From the first time z reaches 0.1 to the first time it reaches 0.9; 0 when the response
    // starts at 90 % or more. Nothing when the final value is 0.
    std::optional<double> riseTimeS;
    // "Temps de réponse à 5 %": the last time |z - 1| >= 0.05, where the response enters the band
    // of ±5 % about its final value for good; 0 when it never leaves it. Nothing when the final
    // value is 0.
    std::optional<double> settlingTimeS;
};

// The response y(t) to a unit step r(t) = 1 for t >= 0, at increasing times from 0 to a horizon
// where every closed-loop mode has fallen below 0.5 % of the final value, and at least 1.25 times
// the settling time. Dense enough to draw: at least 400 times; each mode sampled about 25 times
// per period or time constant while it shows (above 1e-6 of the final value); at most 20,000
// times, beyond which the samples are thinned to the lowest and highest of each run (the
// envelope of a fast oscillation). y(0) is the value just after the step (T(infinity) for a
// proper rational loop). A jump of y (a proper loop with a delay, at multiples of the delay)
// appears as one time given twice, with the values before and after (unless thinned).
struct StepResponse {
    std::vector<double> time;
    std::vector<double> value;
    StepFigures figures;
};

// The unit-step response of the unity-feedback closed loop T = L / (1 + L), L = K G with
// K = 10^(gainDb / 20), and its figures. `extraTimes` (s, in any order) are added to the
// response's times, each with its value; those that are negative or not finite are ignored.
//
// Rational loops: T is realised in state space (controllable form of K N / (D + K N), balanced
// in extended precision, so that factors typed to high powers do not matter), and
// y(t) = T(0) + c exp(a t) a^-1 b, exact at any t through the matrix exponential. With a delay:
// the closed-loop roots s_k of D + K N exp(-Ts) are found (Pade estimates refined by Newton's
// method on the loop as typed), and the method of steps (DelaySimulation) runs until
// y(t) = T(0) + sum r_k exp(s_k t) over those roots agrees with it to 1e-9 of the final value
// over a whole step (the other roots have died out); that sum, exact, gives the rest. The figures
// are read past the drawn horizon as far as a later excursion could exceed the overshoot found.
//
// Nothing when the closed loop cannot be simulated or is not stable: an improper loop; an
// algebraic loop (K N / D -> -1 at infinity); a proper loop with a delay and |K N / D| >= 1 at
// infinity; a closed-loop root in the closed right half-plane (of 1 + L, or of D + K N: a
// cancellation as typed); a realisation that does not give the loop as typed to 1e-6; a response
// that 200,000 samples cannot resolve (a closed loop so lightly damped that it oscillates some
// ten thousand times before settling); or a delay loop whose method of steps would take more
// than 200,000 steps or 5e7 multiply-adds before the modes' sum takes over (jumps that die out
// too slowly, or roots the estimates miss that decay too slowly). The caller calls it for a
// stable closed loop.
std::optional<StepResponse> ClosedLoopStep(
    const TransferFunction &loop, double gainDb, std::span<const double> extraTimes = {});

} // namespace velmora
