// core/delaystep.cpp — the closed-loop step response of a loop with a delay: the method of steps
// until the sum of the closed-loop modes agrees with it, then that sum
#include "core/delaysimulation.h"
#include "core/stepfigures.h"
#include "core/stepparts.h"

#include <algorithm>
#include <cmath>

namespace velmora {

namespace {

// The sum of the modes takes over from the method of steps when both agree to this fraction
// of the scale at every node of a step.
constexpr double SwitchTolerance = 1e-9;
// The method of steps stops (and the response is refused) past this many multiply-adds, or
// this many steps (11 values kept of each).
constexpr double SimulationBudget = 5e7;
constexpr long MaximumSteps = 200000;
constexpr int PadeOrder = 6;
// |a| h for a step of the method of steps.
constexpr double StepNorm = 2;
// A jump of the response smaller than this fraction of the scale is not drawn as one.
constexpr double VisibleJump = 1e-9;

double Norm1(const Eigen::MatrixXd &a)
{
    return a.size() > 0 ? a.cwiseAbs().colwise().sum().maxCoeff() : 0;
}

} // namespace

std::optional<StepResponse> DelayStep(
    const TransferFunction &loop, long double gain, std::span<const double> extraTimes)
{
    const double delay = static_cast<double>(loop.delay());
    std::vector<long double> kn = loop.numerator().coefficients();
    for (long double &c : kn)
        c *= gain;
    const std::optional<StateSpace> plant = Realise(kn, loop.denominator().coefficients());
    const double finalValue = StepFinalValue(loop, gain);
    // A proper loop makes a neutral equation: y jumps by d times its jump one delay before.
    if (!plant || !(std::fabs(plant->d) < 1) || !std::isfinite(finalValue))
        return std::nullopt;

    const ClosedLoopRoots roots = ClosedLoopModes(
        loop, gain, PadeClosedLoopRoots(*plant, delay, PadeOrder), Refinement::DropUnconverged);
    if (roots.unstable)
        return std::nullopt;
    const std::vector<ClosedLoopMode> &modes = roots.modes;
    const double scale = StepScale(finalValue, modes);
    const TypedFunction typed
        = [&](std::complex<long double> z) { return gain * loop.rationalValue(z); };
    if (!RealisationAgrees(*plant, typed, modes, std::nullopt))
        return std::nullopt;

    // The method of steps until the modes' sum agrees with it over a whole step, at least one
    // delay long; tested after 1, 2, ... steps, then every eighth of the steps so far.
    const int order = plant->order();
    const double perStep
        = static_cast<double>(DelaySimulation::Nodes + order) * (order + DelaySimulation::Nodes);
    const long maximumSteps = std::min(MaximumSteps, static_cast<long>(SimulationBudget / perStep));
    const double stepsPerDelay = std::ceil(Norm1(plant->a) * delay / StepNorm);
    if (!(stepsPerDelay <= static_cast<double>(maximumSteps)))
        return std::nullopt;
    const int perDelay = std::max(1, static_cast<int>(stepsPerDelay));
    DelaySimulation simulation(*plant, delay, perDelay);
    const ModeSum sum { modes, finalValue, scale };
    long nextTest = perDelay;
    for (;;) {
        if (simulation.steps() >= maximumSteps)
            return std::nullopt;
        simulation.advance();
        const int k = simulation.steps() - 1;
        if (simulation.steps() < nextTest)
            continue;
        nextTest = simulation.steps() + std::max(1, simulation.steps() / 8);
        bool agree = true;
        for (int i = 0; i < DelaySimulation::Nodes && agree; ++i)
            agree = std::fabs(simulation.nodeValue(k, i) - sum.at(simulation.nodeTime(k, i)).first)
                <= SwitchTolerance * scale;
        if (agree)
            break;
    }
    const int steps = simulation.steps();
    const double handover = simulation.stepStart(steps);

    // Pieces: 0 is y = 0 on [0, T], 1 + k the step k, steps + 1 the sum of the modes.
    const auto evaluate = [&](int piece, double t) -> std::pair<double, double> {
        if (piece == 0)
            return { 0, 0 };
        if (piece <= steps)
            return simulation.at(piece - 1, t);
        return sum.at(t);
    };
    const auto valueAt = [&](double t) {
        if (t < delay)
            return 0.0;
        if (t < handover)
            return simulation.at(simulation.stepAt(t), t).first;
        return sum.at(t).first;
    };

    double horizon = std::max(EnvelopeTime(modes, HorizonLevel * scale, scale), handover);
    if (!std::isfinite(horizon))
        return std::nullopt;
    for (int attempt = 0;; ++attempt) {
        const double coarsest = horizon / MinimumStepSamples;
        const auto found = StepSegments(modes, scale, 0, horizon, coarsest, MaximumStepSamples);
        if (!found)
            return std::nullopt;
        const std::vector<UniformSegment> &segments = *found;
        StepPoints tail;
        for (const UniformSegment &segment : segments)
            sum.fill(segment, handover, tail);
        const double end = tail.time.empty() ? handover : tail.time.back();

        StepFigureFinder finder(finalValue, evaluate);
        finder.add({ 0, 0, 0 });
        finder.add({ delay, 0, 0 });
        for (int k = 0; k < steps; ++k)
            for (int i = 0; i < DelaySimulation::Nodes; ++i)
                finder.add({ simulation.nodeTime(k, i), simulation.nodeValue(k, i), k + 1 });
        finder.add({ handover, sum.at(handover).first, steps + 1 });
        for (std::size_t i = 0; i < tail.time.size(); ++i)
            finder.add({ tail.time[i], tail.value[i], steps + 1 });
        StepFigures figures = finder.figures();
        const std::optional<double> longer = LongerHorizon(figures, finalValue, end);
        if (longer) {
            if (attempt == 3)
                return std::nullopt;
            horizon = *longer;
            continue;
        }
        // Past the drawing, as far as a later excursion could still exceed the overshoot.
        const double far = FigureHorizon(modes, scale, figures);
        if (far > end) {
            const auto further = StepSegments(modes, scale, end, far, coarsest,
                std::max(1.0, MaximumStepSamples - static_cast<double>(tail.time.size())));
            if (!further)
                return std::nullopt;
            StepPoints beyond;
            for (const UniformSegment &segment : *further)
                sum.fill(segment, end, beyond);
            for (std::size_t i = 0; i < beyond.time.size(); ++i)
                finder.add({ beyond.time[i], beyond.value[i], steps + 1 });
            figures = finder.figures();
        }

        // The drawing: the samples before the hand-over from the steps, the jumps at multiples
        // of the delay (both values), then the modes' sum.
        StepPoints points;
        std::vector<double> jumps;
        for (int k = 0; k < steps; k += perDelay) {
            const double before = k == 0 ? 0 : simulation.nodeValue(k - 1, DelaySimulation::Degree);
            const double after = simulation.nodeValue(k, 0);
            if (std::fabs(after - before) > VisibleJump * scale) {
                jumps.push_back(simulation.stepStart(k));
                points.add(jumps.back(), before);
                points.add(jumps.back(), after);
            }
        }
        points.add(0, 0);
        for (const UniformSegment &segment : segments) {
            for (int i = 1; i <= segment.count; ++i) {
                const double t = segment.start + i * segment.spacing;
                if (t >= handover)
                    break;
                if (!std::binary_search(jumps.begin(), jumps.end(), t))
                    points.add(t, valueAt(t));
            }
        }
        points.add(handover, sum.at(handover).first);
        for (std::size_t i = 0; i < tail.time.size(); ++i)
            if (tail.time[i] > handover)
                points.add(tail.time[i], tail.value[i]);
        for (const double t : extraTimes)
            if (std::isfinite(t) && t >= 0)
                points.add(t, valueAt(t), true);
        return points.sorted(figures);
    }
}

} // namespace velmora
