// core/stepparts.h — what the rational and the delay step responses share (core layer; included
// by core sources only)
#pragma once

#include "core/closedloopmodes.h"
#include "core/stepgrid.h"
#include "core/stepresponse.h"

#include <functional>
#include <span>
#include <utility>

namespace velmora {

// The horizon: every mode below this fraction of the final value, and past the settling time by
// this factor.
inline constexpr double HorizonLevel = 0.005;
inline constexpr double HorizonPastSettling = 1.25;
// An excess over the final value below this fraction of it is rounding, not an overshoot.
inline constexpr double OvershootFloor = 1e-9;
// A realisation is used when it gives the loop as typed to this, relative.
inline constexpr double AgreementTolerance = 1e-6;

using TypedFunction = std::function<std::complex<long double>(std::complex<long double>)>;

// T(0) from the loop as typed: 1 with net integrators, 0 with net differentiators, else
// K G(0) / (1 + K G(0)) (not finite when K G(0) = -1).
double StepFinalValue(const TransferFunction &loop, long double gain);

// The size against which the response is measured: |T(0)|, or without a final value the largest
// mode amplitude (1 without modes).
double StepScale(double finalValue, const std::vector<ClosedLoopMode> &modes);

// Whether the realisation gives `typed` on the imaginary axis at the moduli of the roots (where
// the response is made) and, when given, its value at s = 0, to AgreementTolerance.
bool RealisationAgrees(const StateSpace &realisation, const TypedFunction &typed,
    const std::vector<ClosedLoopMode> &modes, std::optional<double> atZero);

// A longer horizon when the response read up to `end` has not settled, or has settled too close
// to its end (HorizonPastSettling); nothing when it is long enough.
std::optional<double> LongerHorizon(const StepFigures &figures, double finalValue, double end);

// How far the figures must look (past the drawn horizon) so that no later excursion of the modes
// could exceed the overshoot found, or OvershootFloor without one.
double FigureHorizon(
    const std::vector<ClosedLoopMode> &modes, double scale, const StepFigures &figures);

// Times and values in the order they come; a jump is one time given twice, before then after.
struct StepPoints {
    std::vector<double> time, value;
    std::vector<bool> kept; // always drawn (the times asked for)

    void add(double t, double y, bool keep = false)
    {
        time.push_back(t);
        value.push_back(y);
        kept.push_back(keep);
    }
    // Sorted by time, a jump's two values kept in their order. Beyond MaximumDrawnSamples, the
    // samples not kept are thinned to the lowest and highest of each run of consecutive ones,
    // which keeps the envelope of a fast oscillation.
    StepResponse sorted(const StepFigures &figures) const;
};

// y(t) = T(0) + sum of the modes' parts.
struct ModeSum {
    const std::vector<ClosedLoopMode> &modes;
    double finalValue;
    double scale; // StepScale

    std::pair<double, double> at(double t) const; // y and dy/dt
    // y at the times of the segment after `from` (exp(s t) by recurrence along it).
    void fill(const UniformSegment &segment, double from, StepPoints &points) const;
};

std::optional<StepResponse> RationalStep(
    const TransferFunction &loop, long double gain, std::span<const double> extraTimes);
std::optional<StepResponse> DelayStep(
    const TransferFunction &loop, long double gain, std::span<const double> extraTimes);

} // namespace velmora
