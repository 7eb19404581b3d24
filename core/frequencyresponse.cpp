// core/frequencyresponse.cpp — the frequency response of a loop sampled for the chart (core
// layer)
#include "core/frequencyresponse.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <utility>

namespace velmora {

namespace {

constexpr double RadiansToDegrees = 180 / std::numbers::pi;

// Sampling: the chart the locus must be smooth on, and the bounds of the work.
constexpr double ChartWidth = 570; // plot frame of a 600 x 950 image, pixels
constexpr double ChartHeight = 930;
constexpr double OnChartPhaseStep = 2; // degrees
constexpr double OffChartPhaseStep = 90; // degrees: enough to unwrap and to bracket crossings
constexpr double MaxClosedLoopAngleStep = 20; // degrees of arg(1 + G), for the Nyquist count
constexpr std::size_t MaxSamples = 20000;
constexpr double InitialPointsPerDecade = 20;
constexpr double Decades = 1.5; // beyond the break frequencies
// The frequencies sampled at all, far beyond any loop typed here; a delay's corner 1 / T may lie
// anywhere in between.
constexpr double LowestOmega = 1e-300;
constexpr double HighestOmega = 1e300;

bool onAxis(std::complex<double> r)
{
    return std::fabs(r.real()) <= AxisTolerance * std::max(1.0, std::abs(r));
}

bool axisRootBetween(const std::vector<AxisRoot> &axis, double a, double b)
{
    return std::any_of(
        axis.begin(), axis.end(), [&](const AxisRoot &r) { return r.omega > a && r.omega < b; });
}

// The frequencies the sampling starts from.
struct Range {
    double low;
    double high;
};

Range naturalRange(const LoopStructure &s)
{
    double low = std::numeric_limits<double>::infinity();
    double high = 0;
    const auto include = [&](double omega) {
        if (std::isfinite(omega) && omega > 0) {
            low = std::min(low, omega);
            high = std::max(high, omega);
        }
    };
    for (const std::vector<std::complex<double>> *roots : { &s.zeros, &s.poles })
        for (const std::complex<double> &r : *roots)
            include(std::abs(r));
    const double delay = static_cast<double>(s.delay);
    if (delay > 0)
        include(1 / delay);
    // Where the low- and high-frequency asymptotes cross 0 dB, so that every crossover is in.
    if (s.integrators != 0 && s.lowGain != 0)
        include(std::pow(static_cast<double>(std::fabs(s.lowGain)), 1.0 / s.integrators));
    if (s.excess != 0 && s.highGain != 0)
        include(std::pow(static_cast<double>(std::fabs(s.highGain)), 1.0 / s.excess));
    if (!(high > 0))
        return { 0.1, 10 };
    // 1.5 decades beyond the delay's corner 1 / T are five turns of its phase.
    low /= std::pow(10.0, Decades);
    high *= std::pow(10.0, Decades);
    return { std::max(low, LowestOmega), std::min(high, HighestOmega) };
}

// Frequencies inserted at the start: around lightly damped poles and zeros, open- and
// closed-loop, and on both sides of roots on the axis.
void insertResonances(
    std::vector<double> &grid, const std::vector<std::complex<double>> &roots, Range range)
{
    for (const std::complex<double> &r : roots) {
        const double modulus = std::abs(r);
        if (!(modulus > 0))
            continue;
        const double damping = std::fabs(r.real()) / modulus;
        if (damping >= 0.5)
            continue;
        std::vector<double> around;
        if (onAxis(r)) {
            around = { modulus * (1 - 1e-7), modulus * (1 + 1e-7), modulus * (1 - 1e-3),
                modulus * (1 + 1e-3) };
        } else {
            around = { modulus, std::fabs(r.imag()) };
            for (const double k : { 0.25, 0.5, 1.0, 2.0 })
                around.insert(
                    around.end(), { modulus * (1 - k * damping), modulus * (1 + k * damping) });
        }
        for (const double omega : around)
            if (omega >= range.low && omega <= range.high)
                grid.push_back(omega);
    }
}

bool finite(const ResponseSample &s)
{
    return std::isfinite(s.point.gainDb) && std::isfinite(s.point.rationalArg)
        && std::isfinite(s.point.onePlusArg) && !std::isnan(s.point.closedDb);
}

int piecesFor(double step, double limit)
{
    return step > limit ? static_cast<int>(std::min(std::ceil(step / limit), 1e6)) : 1;
}

} // namespace

long double Wrap180(long double degrees)
{
    long double reduced = std::remainder(degrees, 360.0L);
    return reduced == -180 ? 180 : reduced;
}

double Wrap180(double degrees)
{
    double reduced = degrees - 360 * std::nearbyint(degrees / 360);
    if (reduced <= -180)
        reduced += 360;
    else if (reduced > 180)
        reduced -= 360;
    return reduced;
}

double UnwrappedStep(double from, double to, double expected)
{
    return expected + Wrap180(to - from - expected);
}

int AxisOrderBetween(const std::vector<AxisRoot> &axis, double a, double b)
{
    int order = 0;
    for (const AxisRoot &root : axis)
        order += root.omega > a && root.omega < b ? root.order : 0;
    return order;
}

QuickPoint QuickPointOf(std::complex<double> r, double omega, long double delay, bool closedLoop)
{
    QuickPoint p {};
    const double re = r.real();
    const double im = r.imag();
    const double modulus2 = re * re + im * im;
    p.gainDb = 10 * std::log10(modulus2);
    p.rationalArg = std::atan2(im, re) * RadiansToDegrees;
    if (!closedLoop)
        return p;
    double onePlusRe = 1 + re;
    double onePlusIm = im;
    if (delay != 0) {
        const double angle = -omega * static_cast<double>(delay);
        const double c = std::cos(angle);
        const double s = std::sin(angle);
        onePlusRe = 1 + re * c - im * s;
        onePlusIm = re * s + im * c;
    }
    p.onePlusArg = std::atan2(onePlusIm, onePlusRe) * RadiansToDegrees;
    p.closedDb = 10 * std::log10(modulus2 / (onePlusRe * onePlusRe + onePlusIm * onePlusIm));
    return p;
}

QuickPoint QuickPointOf(
    std::complex<long double> r, double omega, long double delay, bool closedLoop)
{
    constexpr long double Degrees = 180 / std::numbers::pi_v<long double>;
    QuickPoint p {};
    p.gainDb = static_cast<double>(10 * std::log10(std::norm(r)));
    p.rationalArg = static_cast<double>(std::atan2(r.imag(), r.real()) * Degrees);
    if (!closedLoop)
        return p;
    const std::complex<long double> onePlus = 1.0L + r * DelayFactor(omega, delay);
    p.onePlusArg = static_cast<double>(std::atan2(onePlus.imag(), onePlus.real()) * Degrees);
    p.closedDb = static_cast<double>(10 * std::log10(std::norm(r) / std::norm(onePlus)));
    return p;
}

std::complex<long double> DelayFactor(double omega, long double delay)
{
    if (delay == 0)
        return 1;
    const long double angle = -omega * delay;
    return { std::cos(angle), std::sin(angle) };
}

ResponseSampler::ResponseSampler(const ResponseModel &model, const LoopGain &gain,
    LoopStructure structure, const AnalysisOptions &options)
    : m_model(model)
    , m_gain(gain)
    , m_structure(std::move(structure))
    , m_options(options)
    , m_pixelsPerDegree(ChartWidth / (options.phaseMax - options.phaseMin))
    , m_pixelsPerDb(ChartHeight / (options.gainMax - options.gainMin))
{
}

std::vector<ResponseSample> ResponseSampler::coarse(
    const std::vector<std::complex<double>> &closedLoopPoles,
    const std::vector<double> &crossings) const
{
    Range range = naturalRange(m_structure);
    for (const double omega : crossings) {
        range.low = std::min(range.low, omega / 3);
        range.high = std::max(range.high, omega * 3);
    }
    const double wantedLow = m_options.omegaMin.value_or(range.low);
    const double wantedHigh = m_options.omegaMax.value_or(range.high);
    // The phase is anchored at low frequency: sampling starts below the wanted range if need be.
    range = { std::min(range.low, wantedLow),
        std::max(wantedHigh, std::min(range.high, wantedHigh * 1e3)) };
    range.high = std::max(range.high, range.low * 10);

    std::vector<double> grid;
    const double decades = std::log10(range.high / range.low);
    const int steps = std::max(2, static_cast<int>(std::ceil(decades * InitialPointsPerDecade)));
    for (int i = 0; i <= steps; ++i)
        grid.push_back(range.low * std::pow(10.0, decades * i / steps));
    grid.push_back(wantedLow);
    grid.push_back(wantedHigh);
    grid.insert(grid.end(), crossings.begin(), crossings.end());
    for (const std::vector<std::complex<double>> *roots :
        { &m_structure.zeros, &m_structure.poles, &closedLoopPoles })
        insertResonances(grid, *roots, range);
    const std::vector<AxisRoot> &axis = m_structure.axisRoots;
    grid.erase(std::remove_if(grid.begin(), grid.end(),
                   [&](double w) {
                       return !(w >= range.low && w <= range.high)
                           || std::any_of(axis.begin(), axis.end(),
                               [w](const AxisRoot &r) { return r.omega == w; });
                   }),
        grid.end());
    std::sort(grid.begin(), grid.end());
    grid.erase(std::unique(grid.begin(), grid.end()), grid.end());

    std::vector<ResponseSample> samples;
    samples.reserve(grid.size());
    for (const double omega : grid) {
        // Far out in frequency, where even the extended evaluation leaves its range, nothing.
        const ResponseSample sample = evaluate(omega, true);
        if (finite(sample))
            samples.push_back(sample);
    }
    if (samples.empty())
        return samples;
    unwrap(samples);
    // The first unwrapping may have taken a step of more than half a turn the wrong way:
    // refining shows it, and the phases are unwrapped again from the refined samples.
    for (int round = 0; round < 4; ++round) {
        const std::size_t before = samples.size();
        samples = refined(samples, Steps::Coarse, nullptr);
        unwrap(samples);
        if (samples.size() == before)
            break;
    }
    samples.erase(
        std::remove_if(samples.begin(), samples.end(),
            [&](const ResponseSample &s) { return s.omega < wantedLow || s.omega > wantedHigh; }),
        samples.end());
    return samples;
}

std::vector<ResponseSample> ResponseSampler::dense(
    const std::vector<ResponseSample> &samples, const LocusWindow &window) const
{
    return refined(samples, Steps::Drawn, &window);
}

std::vector<ResponseSample> ResponseSampler::fill(
    const ResponseSample &a, const ResponseSample &b, std::size_t limit, bool closedLoop) const
{
    std::vector<ResponseSample> out { a };
    refine(out, a, b, closedLoop ? Steps::Closed : Steps::Turns, nullptr, 0,
        std::max<std::size_t>(limit, 2), true);
    return out;
}

ResponseSample ResponseSampler::at(double omega, const ResponseSample &near) const
{
    ResponseSample s = evaluate(omega, true);
    const double low = std::min(omega, near.omega);
    const double high = std::max(omega, near.omega);
    const double expected = 180.0 * AxisOrderBetween(m_structure.axisRoots, low, high)
        * (omega > near.omega ? 1 : -1);
    s.rationalPhase
        = near.rationalPhase + UnwrappedStep(near.point.rationalArg, s.point.rationalArg, expected);
    s.phase = s.rationalPhase - m_model.delayDegrees(omega);
    return s;
}

ResponseSample ResponseSampler::evaluate(double omega, bool closedLoop) const
{
    return { omega, m_model.quickPoint(omega, m_gain, closedLoop) };
}

// From the low-frequency anchor: -90 degrees a net integrator, -180 more for a negative
// low-frequency gain; crossing a root on the axis, the phase turns by 180 degrees an order, down
// for a pole and up for a zero, as it does passing the root on its right.
void ResponseSampler::unwrap(std::vector<ResponseSample> &samples) const
{
    const double anchor = -90.0 * m_structure.integrators + (m_structure.lowGain < 0 ? -180 : 0);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        ResponseSample &s = samples[i];
        if (i == 0) {
            s.rationalPhase = anchor + Wrap180(s.point.rationalArg - anchor);
        } else {
            const ResponseSample &previous = samples[i - 1];
            const double expected
                = 180.0 * AxisOrderBetween(m_structure.axisRoots, previous.omega, s.omega);
            s.rationalPhase = previous.rationalPhase
                + UnwrappedStep(previous.point.rationalArg, s.point.rationalArg, expected);
        }
        s.phase = s.rationalPhase - m_model.delayDegrees(s.omega);
    }
}

std::vector<ResponseSample> ResponseSampler::refined(
    const std::vector<ResponseSample> &samples, Steps steps, const LocusWindow *window) const
{
    std::vector<ResponseSample> out;
    out.reserve(samples.size() * 2);
    out.push_back(samples.front());
    for (std::size_t i = 0; i + 1 < samples.size(); ++i)
        refine(out, samples[i], samples[i + 1], steps, window, 0, MaxSamples, false);
    return out;
}

// Appends the points strictly between a and b that the steps ask for, then b. Past `limit`
// points in all: b alone, or when it `cuts`, nothing more (false).
bool ResponseSampler::refine(std::vector<ResponseSample> &out, const ResponseSample &a,
    const ResponseSample &b, Steps steps, const LocusWindow *window, int depth, std::size_t limit,
    bool cuts) const
{
    if (cuts && out.size() >= limit)
        return false;
    const int wanted = pieces(a, b, steps, window);
    if (wanted <= 1 || depth > 24 || out.size() >= limit || !(b.omega > a.omega * (1 + 1e-12))
        || axisRootBetween(m_structure.axisRoots, a.omega, b.omega)) {
        out.push_back(b);
        return true;
    }
    const int count = std::min(wanted, 64);
    const double factor = std::pow(b.omega / a.omega, 1.0 / count);
    ResponseSample previous = a;
    double omega = a.omega;
    for (int k = 1; k < count; ++k) {
        omega *= factor;
        // Points that only draw need no closed loop.
        ResponseSample next = evaluate(omega, steps != Steps::Drawn);
        if (!finite(next))
            continue;
        next.rationalPhase = previous.rationalPhase
            + UnwrappedStep(previous.point.rationalArg, next.point.rationalArg, 0);
        next.phase = next.rationalPhase - m_model.delayDegrees(next.omega);
        if (!refine(out, previous, next, steps, window, depth + 1, limit, cuts))
            return false;
        previous = next;
    }
    return refine(out, previous, b, steps, window, depth + 1, limit, cuts);
}

// The pieces an interval is cut into. Always at most 90 degrees of the phase without the delay,
// which unwraps it. Coarse: without a delay, also at most 20 degrees of the angle of 1 + G; with
// one, nothing more, whatever the delay turns (its phase is added exactly). Closed: also at most
// 90 degrees of the phase with the delay and 20 degrees of the angle of 1 + G (Turns: only the
// former). Drawn: where the
// locus is within reach of the chart, 2 degrees and one pixel.
int ResponseSampler::pieces(
    const ResponseSample &a, const ResponseSample &b, Steps steps, const LocusWindow *window) const
{
    const double phaseStep = std::fabs(b.phase - a.phase);
    int wanted = piecesFor(std::fabs(b.rationalPhase - a.rationalPhase), OffChartPhaseStep);
    const bool delayed = m_structure.delay != 0;
    if (steps == Steps::Turns) {
        wanted = std::max(wanted, piecesFor(phaseStep, OffChartPhaseStep));
    } else if (steps == Steps::Closed || (steps == Steps::Coarse && !delayed)) {
        wanted = std::max({ wanted, piecesFor(phaseStep, OffChartPhaseStep),
            piecesFor(std::fabs(Wrap180(b.point.onePlusArg - a.point.onePlusArg)),
                MaxClosedLoopAngleStep) });
    } else if (steps == Steps::Drawn && drawn(a, b, *window)) {
        const double dx = phaseStep * m_pixelsPerDegree;
        const double dy = std::fabs(b.point.gainDb - a.point.gainDb) * m_pixelsPerDb;
        wanted = std::max({ wanted, piecesFor(phaseStep, OnChartPhaseStep),
            piecesFor(std::sqrt(dx * dx + dy * dy), 1) });
    }
    return wanted;
}
// Whether the box around the two points meets the window, give or take a pixel.
bool ResponseSampler::drawn(
    const ResponseSample &a, const ResponseSample &b, const LocusWindow &w) const
{
    const double gainMargin = 1 / m_pixelsPerDb;
    const double phaseMargin = 1 / m_pixelsPerDegree;
    return std::max(a.point.gainDb, b.point.gainDb) >= w.gainMin - gainMargin
        && std::min(a.point.gainDb, b.point.gainDb) <= w.gainMax + gainMargin
        && std::max(a.phase, b.phase) >= w.phaseMin - phaseMargin
        && std::min(a.phase, b.phase) <= w.phaseMax + phaseMargin;
}

} // namespace velmora
