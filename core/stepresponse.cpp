// core/stepresponse.cpp — closed-loop step responses: exact for rational loops; with a delay, by
// the method of steps until the sum of the closed-loop modes takes over
#include "core/stepresponse.h"

#include "core/stepfigures.h"
#include "core/stepparts.h"

#include <algorithm>
#include <cmath>
#include <functional>

namespace velmora {

double StepFinalValue(const TransferFunction &loop, long double gain)
{
    const int integrators = loop.netIntegrators();
    if (integrators != 0)
        return integrators > 0 ? 1 : 0;
    const long double g = gain * loop.lowFrequencyGain();
    return static_cast<double>(g / (1 + g));
}

double StepScale(double finalValue, const std::vector<ClosedLoopMode> &modes)
{
    if (finalValue != 0)
        return std::fabs(finalValue);
    double largest = 0;
    for (const ClosedLoopMode &mode : modes)
        if (std::isfinite(mode.amplitude()))
            largest = std::max(largest, mode.amplitude());
    return largest > 0 ? largest : 1;
}

bool RealisationAgrees(const StateSpace &realisation, const TypedFunction &typed,
    const std::vector<ClosedLoopMode> &modes, std::optional<double> atZero)
{
    if (atZero && realisation.order() > 0) {
        const double dc = realisation.d
            - (realisation.c * realisation.a.partialPivLu().solve(realisation.b))(0);
        if (!(std::fabs(dc - *atZero) <= AgreementTolerance * std::max(1.0, std::fabs(*atZero))))
            return false;
    }
    const std::size_t stride = std::max<std::size_t>(1, modes.size() / 12);
    for (std::size_t i = 0; i < modes.size(); i += stride) {
        const double omega = std::abs(modes[i].root);
        const std::complex<long double> e = typed({ 0, omega });
        const std::complex<double> expected(
            static_cast<double>(e.real()), static_cast<double>(e.imag()));
        const std::complex<double> value = realisation.valueAt({ 0, omega });
        if (!(std::abs(value - expected)
                <= AgreementTolerance * std::max(std::abs(expected), 1e-3)))
            return false;
    }
    return true;
}

StepResponse StepPoints::sorted(const StepFigures &figures) const
{
    std::vector<std::size_t> order(time.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(),
        [&](std::size_t a, std::size_t b) { return time[a] < time[b]; });
    const auto free = static_cast<std::size_t>(std::count(kept.begin(), kept.end(), false));
    static_assert(MaximumDrawnSamples >= 4);
    const std::size_t run = free <= MaximumDrawnSamples
        ? 1
        : (free + MaximumDrawnSamples / 2 - 1) / (MaximumDrawnSamples / 2);
    StepResponse response;
    response.figures = figures;
    const auto emit = [&](std::size_t i) {
        response.time.push_back(time[i]);
        response.value.push_back(value[i]);
    };
    std::vector<std::size_t> pending; // positions in time order
    const auto flush = [&] {
        if (pending.empty())
            return;
        const auto [low, high] = std::minmax_element(pending.begin(), pending.end(),
            [&](std::size_t a, std::size_t b) { return value[order[a]] < value[order[b]]; });
        emit(order[std::min(*low, *high)]);
        if (*low != *high)
            emit(order[std::max(*low, *high)]);
        pending.clear();
    };
    for (std::size_t p = 0; p < order.size(); ++p) {
        if (kept[order[p]] || run <= 1) {
            flush();
            emit(order[p]);
            continue;
        }
        pending.push_back(p);
        if (pending.size() == run)
            flush();
    }
    flush();
    return response;
}

std::pair<double, double> ModeSum::at(double t) const
{
    double y = finalValue;
    double slope = 0;
    for (const ClosedLoopMode &mode : modes) {
        const std::complex<double> term = mode.residue * std::exp(mode.root * t);
        y += mode.weight() * term.real();
        slope += mode.weight() * (mode.root * term).real();
    }
    return { y, slope };
}

void ModeSum::fill(const UniformSegment &segment, double from, StepPoints &points) const
{
    const int first
        = std::max(1, static_cast<int>(std::floor((from - segment.start) / segment.spacing)) + 1);
    if (first > segment.count)
        return;
    const double start = segment.start + first * segment.spacing;
    // The parts as real and imaginary arrays (std::complex stores stall the recurrence), without
    // the modes already below 1e-17 of the scale: they only decay.
    std::vector<double> re, im, factorRe, factorIm;
    for (const ClosedLoopMode &mode : modes) {
        if (!(mode.amplitude() * std::exp(mode.root.real() * start) > 1e-17 * scale))
            continue;
        const std::complex<double> term
            = static_cast<double>(mode.weight()) * mode.residue * std::exp(mode.root * start);
        const std::complex<double> factor = std::exp(mode.root * segment.spacing);
        re.push_back(term.real());
        im.push_back(term.imag());
        factorRe.push_back(factor.real());
        factorIm.push_back(factor.imag());
    }
    const std::size_t count = re.size();
    points.time.reserve(points.time.size() + static_cast<std::size_t>(segment.count - first + 1));
    points.value.reserve(points.time.capacity());
    for (int i = first; i <= segment.count; ++i) {
        double y = finalValue;
        for (std::size_t k = 0; k < count; ++k) {
            y += re[k];
            const double r = re[k] * factorRe[k] - im[k] * factorIm[k];
            im[k] = re[k] * factorIm[k] + im[k] * factorRe[k];
            re[k] = r;
        }
        points.add(segment.start + i * segment.spacing, y);
    }
}

std::optional<double> LongerHorizon(const StepFigures &figures, double finalValue, double end)
{
    if (finalValue == 0)
        return std::nullopt;
    if (!figures.settlingTimeS)
        return 2 * end;
    if (HorizonPastSettling * *figures.settlingTimeS > end)
        return 1.5 * HorizonPastSettling * *figures.settlingTimeS;
    return std::nullopt;
}

double FigureHorizon(
    const std::vector<ClosedLoopMode> &modes, double scale, const StepFigures &figures)
{
    const double excess = figures.overshootPercent && *figures.overshootPercent > 0
        ? *figures.overshootPercent / 100
        : OvershootFloor;
    return EnvelopeTime(modes, excess / 2 * scale, scale);
}

namespace {

using Coefficients = std::vector<long double>;

int DegreeOf(const Coefficients &c)
{
    int degree = static_cast<int>(c.size()) - 1;
    while (degree >= 0 && c[degree] == 0)
        --degree;
    return degree;
}

} // namespace

std::optional<StepResponse> RationalStep(
    const TransferFunction &loop, long double gain, std::span<const double> extraTimes)
{
    const Coefficients &n = loop.numerator().coefficients();
    const Coefficients &d = loop.denominator().coefficients();
    Coefficients kn(n.size()), chi(std::max(n.size(), d.size()), 0.0L);
    for (std::size_t i = 0; i < n.size(); ++i)
        kn[i] = gain * n[i];
    for (std::size_t i = 0; i < chi.size(); ++i)
        chi[i] = (i < d.size() ? d[i] : 0) + (i < kn.size() ? kn[i] : 0);
    const int degree = DegreeOf(d);
    if (DegreeOf(kn) > degree || DegreeOf(chi) < degree)
        return std::nullopt;
    if (DegreeOf(kn) == degree
        && !(std::fabs(chi[degree])
            > 1e-12L * std::max(std::fabs(d[degree]), std::fabs(kn[degree]))))
        return std::nullopt; // an algebraic loop
    const std::optional<StateSpace> closed = Realise(kn, chi);
    const double finalValue = StepFinalValue(loop, gain);
    if (!closed || !std::isfinite(finalValue))
        return std::nullopt;
    const StateSpace &s = *closed;
    const int order = s.order();

    std::vector<std::complex<double>> poles;
    if (order > 0) {
        const Eigen::EigenSolver<Eigen::MatrixXd> solver(s.a, false);
        if (solver.info() != Eigen::Success)
            return std::nullopt;
        poles.assign(solver.eigenvalues().begin(), solver.eigenvalues().end());
    }
    // The eigenvalues of a companion matrix can be far less accurate than its response (a
    // factor typed to a high power): they are refined on the loop as typed, and those that do
    // not converge serve only to choose the samples.
    const ClosedLoopRoots roots = ClosedLoopModes(loop, gain, poles, Refinement::KeepUnconverged);
    if (roots.unstable)
        return std::nullopt;
    const std::vector<ClosedLoopMode> &modes = roots.modes;
    const double scale = StepScale(finalValue, modes);
    const TypedFunction typed = [&](std::complex<long double> z) {
        const std::complex<long double> g = gain * loop.rationalValue(z);
        return g / (1.0L + g);
    };
    if (!RealisationAgrees(s, typed, modes, finalValue))
        return std::nullopt;

    // y(t) = T(0) + c z(t), z(t) = exp(a t) a^-1 b: z stepped from sample to sample, and from the
    // sample before t at any t.
    double horizon = EnvelopeTime(modes, HorizonLevel * scale, scale);
    if (!std::isfinite(horizon))
        return std::nullopt;
    if (!(horizon > 0))
        horizon = 1;
    std::optional<MatrixExponential> exponential;
    std::vector<double> times, values;
    // z at every Checkpoint-th sample: y at any t from the one before it.
    constexpr std::size_t Checkpoint = 32;
    Eigen::MatrixXd checkpoints(order, 0);
    Eigen::VectorXd z;
    const double maximum = std::min(MaximumStepSamples, 2e8 / std::max(1, order * order));
    const auto restart = [&](double unit) {
        exponential.emplace(s.a, unit);
        times.assign(1, 0.0);
        z = order > 0 ? Eigen::VectorXd(s.a.partialPivLu().solve(s.b)) : Eigen::VectorXd();
        checkpoints = z;
        values.assign(1, finalValue + (order > 0 ? (s.c * z)(0) : 0));
    };
    const auto extend = [&](const std::vector<UniformSegment> &segments) {
        for (const UniformSegment &segment : segments) {
            const Eigen::MatrixXd step
                = order > 0 ? exponential->matrix(segment.spacing) : Eigen::MatrixXd();
            for (int i = 1; i <= segment.count; ++i) {
                if (order > 0)
                    z = step * z;
                if (times.size() % Checkpoint == 0) {
                    checkpoints.conservativeResize(order, checkpoints.cols() + 1);
                    checkpoints.col(checkpoints.cols() - 1) = z;
                }
                times.push_back(segment.start + i * segment.spacing);
                values.push_back(finalValue + (order > 0 ? (s.c * z)(0) : 0));
            }
        }
    };
    const auto evaluate = [&](int, double t) -> std::pair<double, double> {
        if (order == 0)
            return { finalValue, 0 };
        const auto sample = static_cast<std::size_t>(std::max<std::ptrdiff_t>(
            0, std::upper_bound(times.begin(), times.end(), t) - times.begin() - 1));
        const std::size_t c = sample / Checkpoint;
        const Eigen::VectorXd at
            = exponential->apply(t - times[c * Checkpoint], checkpoints.col(c));
        return { finalValue + (s.c * at)(0), (s.c * (s.a * at))(0) };
    };

    for (int attempt = 0;; ++attempt) {
        const double coarsest = horizon / MinimumStepSamples;
        const auto segments = StepSegments(modes, scale, 0, horizon, coarsest, maximum);
        if (!segments)
            return std::nullopt;
        double unit = coarsest;
        for (const UniformSegment &segment : *segments)
            unit = std::min(unit, segment.spacing);
        restart(unit);
        extend(*segments);
        StepFigureFinder finder(finalValue, evaluate);
        for (std::size_t i = 0; i < times.size(); ++i)
            finder.add({ times[i], values[i], 0 });
        StepFigures figures = finder.figures();
        const std::optional<double> longer = LongerHorizon(figures, finalValue, times.back());
        if (longer) {
            if (attempt == 3)
                return std::nullopt;
            horizon = *longer;
            continue;
        }
        // Past the drawing, as far as a later excursion could still exceed the overshoot.
        const std::size_t drawn = times.size();
        const double far = FigureHorizon(modes, scale, figures);
        if (far > times.back()) {
            const auto beyond = StepSegments(modes, scale, times.back(), far, coarsest,
                std::max(1.0, maximum - static_cast<double>(drawn)));
            if (!beyond)
                return std::nullopt;
            extend(*beyond);
            for (std::size_t i = drawn; i < times.size(); ++i)
                finder.add({ times[i], values[i], 0 });
            figures = finder.figures();
        }
        StepPoints points;
        for (std::size_t i = 0; i < drawn; ++i)
            points.add(times[i], values[i]);
        for (const double t : extraTimes)
            if (std::isfinite(t) && t >= 0)
                points.add(t, evaluate(0, t).first, true);
        return points.sorted(figures);
    }
}

std::optional<StepResponse> ClosedLoopStep(
    const TransferFunction &loop, double gainDb, std::span<const double> extraTimes)
{
    const long double gain = std::pow(10.0L, static_cast<long double>(gainDb) / 20);
    if (!std::isfinite(gain) || gain == 0)
        return std::nullopt;
    if (loop.delay() > 0)
        return DelayStep(loop, gain, extraTimes);
    return RationalStep(loop, gain, extraTimes);
}

} // namespace velmora
