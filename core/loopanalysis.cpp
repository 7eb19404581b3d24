// core/loopanalysis.cpp — an open loop read on the chart (core layer)
#include "core/loopanalysis.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <numbers>

namespace velmora {

namespace {

using Complex = std::complex<long double>;

constexpr long double PiL = std::numbers::pi_v<long double>;
constexpr double RadiansToDegrees = 180 / std::numbers::pi;

// Sampling: the chart the locus must be smooth on, and the bounds of the work.
constexpr double ChartWidth = 570; // plot frame of a 600 x 950 image, pixels
constexpr double ChartHeight = 930;
constexpr double ReachDb = 20; // beyond the chart's gains by this much, a point is off the chart
constexpr double OnChartPhaseStep = 2; // degrees
constexpr double OffChartPhaseStep = 90; // degrees: enough to unwrap and to bracket crossings
constexpr double MaxClosedLoopAngleStep = 20; // degrees of arg(1 + G), for the Nyquist count
constexpr double MaxClosedLoopGainStep = 1; // dB of |T| where |T| is above -20 dB
constexpr std::size_t MaxSamples = 20000;
constexpr int MaxPasses = 40;
constexpr double InitialPointsPerDecade = 20;
constexpr double Decades = 1.5; // beyond the break frequencies
constexpr double LowestOmega = 1e-12;
constexpr double HighestOmega = 1e12;

// An angle in degrees reduced to (-180, 180].
long double wrap180(long double degrees)
{
    long double reduced = std::remainder(degrees, 360.0L);
    return reduced == -180 ? 180 : reduced;
}

// The same for sampling, fast: within an ulp of the exact remainder.
double wrap180(double degrees)
{
    double reduced = degrees - 360 * std::nearbyint(degrees / 360);
    if (reduced <= -180)
        reduced += 360;
    else if (reduced > 180)
        reduced -= 360;
    return reduced;
}

double reduceTo180(double degrees)
{
    return wrap180(degrees);
}

// A root on the imaginary axis at +j omega: its net order, zeros counted +1 and poles -1.
struct AxisRoot {
    double omega;
    int order;
};

// What sampling needs to know of a rational loop.
struct Structure {
    int integrators = 0;
    long double lowGain = 0; // K lim s^n G(s)
    std::vector<std::complex<double>> zeros; // roots of N, those at 0 aside
    std::vector<std::complex<double>> poles; // roots of D, those at 0 aside
    std::vector<AxisRoot> axisRoots; // omega > 0
    int openLoopRhpPoles = 0;
};

// A root is on the axis, or in the right half-plane, beyond this share of its modulus.
constexpr double AxisTolerance = 1e-9;

bool onAxis(std::complex<double> r)
{
    return std::fabs(r.real()) <= AxisTolerance * std::max(1.0, std::abs(r));
}

void addAxisRoots(
    std::vector<AxisRoot> &axis, const std::vector<std::complex<double>> &roots, int sign)
{
    for (const std::complex<double> &r : roots) {
        if (!onAxis(r) || r.imag() <= 0)
            continue;
        const auto same = std::find_if(axis.begin(), axis.end(),
            [&](const AxisRoot &a) { return std::fabs(a.omega - r.imag()) <= 1e-7 * r.imag(); });
        if (same != axis.end())
            same->order += sign;
        else
            axis.push_back({ r.imag(), sign });
    }
}

std::vector<std::complex<double>> nonZero(std::vector<std::complex<double>> roots)
{
    roots.erase(std::remove_if(roots.begin(), roots.end(),
                    [](std::complex<double> r) { return r == std::complex<double>(0, 0); }),
        roots.end());
    return roots;
}

Structure structureOf(const TransferFunction &loop, long double gain)
{
    Structure s;
    s.integrators = loop.netIntegrators();
    s.lowGain = gain * loop.lowFrequencyGain();
    s.zeros = nonZero(loop.numerator().approximateRoots());
    s.poles = nonZero(loop.denominator().approximateRoots());
    addAxisRoots(s.axisRoots, s.zeros, +1);
    addAxisRoots(s.axisRoots, s.poles, -1);
    s.axisRoots.erase(std::remove_if(s.axisRoots.begin(), s.axisRoots.end(),
                          [](const AxisRoot &a) { return a.order == 0; }),
        s.axisRoots.end());
    for (const std::complex<double> &p : s.poles)
        s.openLoopRhpPoles += p.real() > AxisTolerance * std::max(1.0, std::abs(p)) ? 1 : 0;
    return s;
}

// The loop K R(s) exp(-T s) evaluated at s = j omega.
class Evaluator {
public:
    Evaluator(const TransferFunction &loop, long double gain)
        : m_loop(loop)
        , m_gain(gain)
        , m_delay(loop.delay())
    {
    }

    // The response at one frequency, in double precision: enough to place a point of the locus
    // and to bracket every crossing, which the extended-precision functions below then refine.
    struct Point {
        double gainDb;
        double rationalArg; // degrees, of K R(j omega), wrapped
        double onePlusArg; // degrees, of 1 + G, wrapped
        double closedDb; // 20 log |G / (1 + G)|
    };

    // `closedLoop` false leaves the angle of 1 + G and the closed-loop gain out (zero), for points
    // that only draw the locus.
    Point at(double omega, bool closedLoop = true) const
    {
        const std::optional<std::complex<double>> quick = m_loop.quickOnAxis(omega);
        const std::complex<double> r = quick
            ? static_cast<double>(m_gain) * *quick
            : std::complex<double>(m_gain * m_loop.rationalValue(Complex(0, omega)));
        Point p {};
        const double re = r.real();
        const double im = r.imag();
        const double modulus2 = re * re + im * im;
        p.gainDb = 10 * std::log10(modulus2);
        p.rationalArg = std::atan2(im, re) * RadiansToDegrees;
        if (!closedLoop)
            return p;
        double onePlusRe = 1 + re;
        double onePlusIm = im;
        if (m_delay != 0) {
            const double angle = -omega * static_cast<double>(m_delay);
            const double c = std::cos(angle);
            const double s = std::sin(angle);
            onePlusRe = 1 + re * c - im * s;
            onePlusIm = re * s + im * c;
        }
        p.onePlusArg = std::atan2(onePlusIm, onePlusRe) * RadiansToDegrees;
        p.closedDb = 10 * std::log10(modulus2 / (onePlusRe * onePlusRe + onePlusIm * onePlusIm));
        return p;
    }

    // In extended precision, for refining: the gain (dB), the angle of K R (degrees, wrapped) and
    // the closed-loop gain (dB) at s = j omega.
    long double gainDb(double omega) const
    {
        return 10 * std::log10(std::norm(m_gain * m_loop.rationalValue(Complex(0, omega))));
    }
    long double rationalArg(double omega) const
    {
        const Complex r = m_loop.rationalValue(Complex(0, omega));
        return std::atan2(r.imag(), r.real()) * 180 / PiL;
    }
    long double closedDb(double omega) const
    {
        const Complex g = m_gain * m_loop.rationalValue(Complex(0, omega)) * delayFactor(omega);
        const Complex onePlus = 1.0L + g;
        return 10 * std::log10(std::norm(g) / std::norm(onePlus));
    }

    // d|T|^2 / d omega at s = j omega.
    long double closedSlope(double omega) const
    {
        const Complex s(0, omega);
        const ValueAndSlope r = m_loop.rationalAt(s);
        const Complex e = delayFactor(omega);
        const Complex g = m_gain * r.value * e;
        const Complex dg = m_gain * e * (r.slope - m_delay * r.value);
        const Complex onePlus = 1.0L + g;
        const Complex t = g / onePlus;
        const Complex dt = Complex(0, 1) * dg / (onePlus * onePlus);
        return 2 * std::real(std::conj(t) * dt);
    }

    long double delayDegrees(double omega) const { return omega * m_delay * 180 / PiL; }
    long double delay() const { return m_delay; }

private:
    Complex delayFactor(double omega) const
    {
        if (m_delay == 0)
            return 1;
        const long double angle = -omega * m_delay;
        return { std::cos(angle), std::sin(angle) };
    }

    const TransferFunction &m_loop;
    long double m_gain;
    long double m_delay;
};

struct Sample {
    double omega;
    Evaluator::Point point;
    double rationalPhase = 0; // unwrapped
    double phase = 0; // unwrapped, the delay included
};

// The net order of the axis roots strictly between two frequencies.
int axisOrderBetween(const std::vector<AxisRoot> &axis, double a, double b)
{
    int order = 0;
    for (const AxisRoot &root : axis)
        order += root.omega > a && root.omega < b ? root.order : 0;
    return order;
}

bool axisRootBetween(const std::vector<AxisRoot> &axis, double a, double b)
{
    return std::any_of(
        axis.begin(), axis.end(), [&](const AxisRoot &r) { return r.omega > a && r.omega < b; });
}

// The change of an angle between two points, given the change expected from roots on the axis
// between them: the representative nearest to it.
double stepOf(double from, double to, double expected)
{
    return expected + wrap180(to - from - expected);
}

// Unwraps the phases from the low-frequency anchor: -90 degrees a net integrator, -180 more for
// a negative low-frequency gain; crossing a root on the axis, the phase turns by 180 degrees an
// order, down for a pole and up for a zero, as it does passing the root on its right.
void unwrap(std::vector<Sample> &samples, const Structure &structure, const Evaluator &evaluator)
{
    const double anchor = -90.0 * structure.integrators + (structure.lowGain < 0 ? -180 : 0);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        Sample &s = samples[i];
        if (i == 0) {
            s.rationalPhase = anchor + wrap180(s.point.rationalArg - anchor);
        } else {
            const Sample &previous = samples[i - 1];
            const double expected
                = 180.0 * axisOrderBetween(structure.axisRoots, previous.omega, s.omega);
            s.rationalPhase = previous.rationalPhase
                + stepOf(previous.point.rationalArg, s.point.rationalArg, expected);
        }
        s.phase = s.rationalPhase - evaluator.delayDegrees(s.omega);
    }
}

// The frequencies the sampling starts from.
struct Range {
    double low;
    double high;
};

Range naturalRange(const Structure &s, const TransferFunction &loop, long double gain)
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
    const double delay = static_cast<double>(loop.delay());
    if (delay > 0)
        include(1 / delay);
    // Where the low- and high-frequency asymptotes cross 0 dB, so that every crossover is in.
    if (s.integrators != 0 && s.lowGain != 0)
        include(std::pow(static_cast<double>(std::fabs(s.lowGain)), 1.0 / s.integrators));
    const int excess = loop.denominator().degree() - loop.numerator().degree();
    if (excess != 0 && !loop.numerator().isZero()) {
        const long double lead = gain * loop.numerator().coefficients().back()
            / loop.denominator().coefficients().back();
        include(std::pow(static_cast<double>(std::fabs(lead)), 1.0 / excess));
    }
    if (!(high > 0))
        return { 0.1, 10 };
    low /= std::pow(10.0, Decades);
    high *= std::pow(10.0, Decades);
    if (delay > 0) // at least five turns of the delay's phase
        high = std::max(high, 5 * 2 * std::numbers::pi / delay);
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

// Where the locus is drawn: the chart's extents, the phase shifted by whole turns.
struct Window {
    double gainMin, gainMax; // dB
    double phaseMin, phaseMax; // degrees, in the unshifted phase of the samples
};

// Samples the response in two stages. Coarse: steps of at most 90 degrees of phase, 20 degrees of
// the angle of 1 + G and 1 dB of |T| (where it matters), which is what unwrapping the phase,
// bracketing every crossing and the Nyquist count need. Dense, where the locus is drawn: at most
// one pixel of a 600 x 950 chart and 2 degrees of phase between neighbours. An interval is cut
// into as many pieces as its worst step asks for, and the pieces are checked again.
class ResponseSampler {
public:
    ResponseSampler(
        const Evaluator &evaluator, const Structure &structure, const AnalysisOptions &options)
        : m_evaluator(evaluator)
        , m_structure(structure)
        , m_pixelsPerDegree(ChartWidth / (options.phaseMax - options.phaseMin))
        , m_pixelsPerDb(ChartHeight / (options.gainMax - options.gainMin))
    {
    }

    std::vector<Sample> coarse(std::vector<double> grid) const
    {
        std::sort(grid.begin(), grid.end());
        grid.erase(std::unique(grid.begin(), grid.end()), grid.end());
        std::vector<Sample> samples;
        samples.reserve(grid.size());
        for (const double omega : grid)
            samples.push_back(evaluate(omega));
        unwrap(samples, m_structure, m_evaluator);
        // The first unwrapping may have taken a step of more than half a turn the wrong way:
        // refining shows it, and the phases are unwrapped again from the refined samples.
        for (int round = 0; round < 4; ++round) {
            const std::size_t before = samples.size();
            samples = refined(samples, nullptr);
            unwrap(samples, m_structure, m_evaluator);
            if (samples.size() == before)
                break;
        }
        return samples;
    }

    std::vector<Sample> dense(const std::vector<Sample> &samples, const Window &window) const
    {
        return refined(samples, &window);
    }

private:
    Sample evaluate(double omega, bool closedLoop = true) const
    {
        return { omega, m_evaluator.at(omega, closedLoop) };
    }

    std::vector<Sample> refined(const std::vector<Sample> &samples, const Window *window) const
    {
        std::vector<Sample> out;
        out.reserve(samples.size() * 2);
        out.push_back(samples.front());
        for (std::size_t i = 0; i + 1 < samples.size(); ++i)
            refine(out, samples[i], samples[i + 1], window, 0);
        return out;
    }

    // Appends the points strictly between a and b that the criteria ask for, then b.
    void refine(std::vector<Sample> &out, const Sample &a, const Sample &b, const Window *window,
        int depth) const
    {
        const int wanted = pieces(a, b, window);
        if (wanted <= 1 || depth > 24 || out.size() >= MaxSamples
            || !(b.omega > a.omega * (1 + 1e-12))
            || axisRootBetween(m_structure.axisRoots, a.omega, b.omega)) {
            out.push_back(b);
            return;
        }
        const int count = std::min(wanted, 64);
        const double factor = std::pow(b.omega / a.omega, 1.0 / count);
        Sample previous = a;
        double omega = a.omega;
        for (int k = 1; k < count; ++k) {
            omega *= factor;
            // Dense points only draw: the coarse ones already satisfy the closed-loop steps.
            Sample next = evaluate(omega, window == nullptr);
            next.rationalPhase = previous.rationalPhase
                + stepOf(previous.point.rationalArg, next.point.rationalArg, 0);
            next.phase = next.rationalPhase - m_evaluator.delayDegrees(next.omega);
            refine(out, previous, next, window, depth + 1);
            previous = next;
        }
        refine(out, previous, b, window, depth + 1);
    }

    static int piecesFor(double step, double limit)
    {
        return step > limit ? static_cast<int>(std::min(std::ceil(step / limit), 1e6)) : 1;
    }

    int pieces(const Sample &a, const Sample &b, const Window *window) const
    {
        const double phaseStep = std::fabs(b.phase - a.phase);
        int wanted = std::max(piecesFor(phaseStep, OffChartPhaseStep),
            piecesFor(std::fabs(b.rationalPhase - a.rationalPhase), OffChartPhaseStep));
        if (!window) {
            wanted = std::max(wanted,
                piecesFor(std::fabs(wrap180(b.point.onePlusArg - a.point.onePlusArg)),
                    MaxClosedLoopAngleStep));
            if (std::max(a.point.closedDb, b.point.closedDb) > -20)
                wanted = std::max(wanted,
                    piecesFor(
                        std::fabs(b.point.closedDb - a.point.closedDb), MaxClosedLoopGainStep));
        } else if (drawn(a, b, *window)) {
            const double dx = phaseStep * m_pixelsPerDegree;
            const double dy = std::fabs(b.point.gainDb - a.point.gainDb) * m_pixelsPerDb;
            wanted = std::max({ wanted, piecesFor(phaseStep, OnChartPhaseStep),
                piecesFor(std::sqrt(dx * dx + dy * dy), 1) });
        }
        return wanted;
    }

    // Whether the box around the two points meets the window, give or take a pixel.
    bool drawn(const Sample &a, const Sample &b, const Window &w) const
    {
        const double gainMargin = 1 / m_pixelsPerDb;
        const double phaseMargin = 1 / m_pixelsPerDegree;
        return std::max(a.point.gainDb, b.point.gainDb) >= w.gainMin - gainMargin
            && std::min(a.point.gainDb, b.point.gainDb) <= w.gainMax + gainMargin
            && std::max(a.phase, b.phase) >= w.phaseMin - phaseMargin
            && std::min(a.phase, b.phase) <= w.phaseMax + phaseMargin;
    }

    const Evaluator &m_evaluator;
    const Structure &m_structure;
    double m_pixelsPerDegree;
    double m_pixelsPerDb;
};

// Brent's method on a bracket where f changes sign, to the last bit of a double.
template <typename F> double rootBetween(double a, double b, F f)
{
    long double fa = f(a);
    long double fb = f(b);
    if (fa == 0)
        return a;
    if (fb == 0)
        return b;
    double c = a;
    long double fc = fa;
    double d = b - a;
    double e = d;
    for (int iteration = 0; iteration < 200; ++iteration) {
        if ((fb > 0) == (fc > 0)) {
            c = a;
            fc = fa;
            d = e = b - a;
        }
        if (std::fabs(fc) < std::fabs(fb)) {
            a = b;
            b = c;
            c = a;
            fa = fb;
            fb = fc;
            fc = fa;
        }
        const double tolerance = 2 * std::numeric_limits<double>::epsilon() * std::fabs(b);
        const double m = 0.5 * (c - b);
        if (std::fabs(m) <= tolerance || fb == 0)
            return b;
        if (std::fabs(e) >= tolerance && std::fabs(fa) > std::fabs(fb)) {
            const long double s = fb / fa;
            long double p;
            long double q;
            if (a == c) {
                p = 2 * m * s;
                q = 1 - s;
            } else {
                const long double r = fb / fc;
                const long double t = fa / fc;
                p = s * (2 * m * t * (t - r) - (b - a) * (r - 1));
                q = (t - 1) * (r - 1) * (s - 1);
            }
            if (p > 0)
                q = -q;
            else
                p = -p;
            if (2 * p < std::min(3 * m * q - std::fabs(tolerance * q), std::fabs(e * q))) {
                e = d;
                d = static_cast<double>(p / q);
            } else {
                d = m;
                e = d;
            }
        } else {
            d = m;
            e = d;
        }
        a = b;
        fa = fb;
        b += std::fabs(d) > tolerance ? d : (m > 0 ? tolerance : -tolerance);
        fb = f(b);
    }
    return b;
}

// A root to the last bit of a double: first with the quick function, then, on a bracket a few
// ulps wide around what it found, with the exact one; on the whole bracket with the exact one if
// the quick function misplaced the root.
template <typename Quick, typename Exact>
double refinedRoot(double a, double b, Quick quick, Exact exact)
{
    const double rough = rootBetween(a, b, quick);
    const double width = 64 * std::numeric_limits<double>::epsilon() * std::fabs(rough);
    const double low = std::max(a, rough - width);
    const double high = std::min(b, rough + width);
    const long double atLow = exact(low);
    const long double atHigh = exact(high);
    if ((atLow <= 0) != (atHigh <= 0) || atLow == 0 || atHigh == 0)
        return rootBetween(low, high, exact);
    return rootBetween(a, b, exact);
}

// Picks the margin of smallest magnitude (the first of equals) into the reported pair.
void reportSmallest(const std::vector<double> &frequencies, const std::vector<double> &margins,
    std::optional<double> &frequency, std::optional<double> &margin)
{
    for (std::size_t i = 0; i < margins.size(); ++i) {
        if (!margin || std::fabs(margins[i]) < std::fabs(*margin)) {
            margin = margins[i];
            frequency = frequencies[i];
        }
    }
}

// The levels -180 + k 360 that the phase reaches going from `from` to `to`: those strictly past
// `from` and up to `to` included.
std::vector<double> criticalLevelsBetween(long double from, long double to)
{
    std::vector<double> levels;
    const long double low = std::min(from, to);
    const long double high = std::max(from, to);
    for (long double k = std::ceil((low + 180) / 360); - 180 + 360 * k <= high; ++k) {
        const long double level = -180 + 360 * k;
        if (level != from)
            levels.push_back(static_cast<double>(level));
    }
    return levels;
}

double closedLowFrequencyDb(int integrators, long double lowGain, bool &exists)
{
    exists = true;
    if (integrators > 0)
        return 0;
    if (integrators < 0 || lowGain == 0) {
        exists = false;
        return 0;
    }
    return static_cast<double>(20 * std::log10(std::fabs(lowGain / (1 + lowGain))));
}

// The quantities that need only the sampled response and a way to refine between samples: each
// function twice, quick (double precision) to come near, exact to finish.
struct Refiner {
    std::function<long double(double)> gainDb;
    std::function<long double(double)> quickGainDb;
    // The unwrapped phase at omega, known to lie between samples i and i + 1.
    std::function<long double(double, std::size_t)> phase;
    std::function<long double(double, std::size_t)> quickPhase;
    std::function<long double(double)> closedDb;
    std::function<long double(double)> quickClosedDb;
    std::function<long double(double)> closedSlope; // may be empty: the peak is then a sample
};

void readCrossovers(const std::vector<Sample> &samples, const Refiner &refine, LoopQuantities &q)
{
    for (std::size_t i = 0; i + 1 < samples.size(); ++i) {
        const Sample &a = samples[i];
        const Sample &b = samples[i + 1];
        // A sample exactly at 0 dB counts as below: its crossing is found once, in the interval
        // where the sign changes.
        if ((a.point.gainDb > 0) != (b.point.gainDb > 0)) {
            const double omega = refinedRoot(a.omega, b.omega, refine.quickGainDb, refine.gainDb);
            q.gainCrossovers.push_back(omega);
            q.phaseMargins.push_back(
                reduceTo180(static_cast<double>(180 + refine.phase(omega, i))));
        }
        // Most intervals reach no level -180 + k 360: a quick look before listing them.
        if (std::floor((a.phase + 180) / 360) == std::floor((b.phase + 180) / 360)
            && std::fmod(a.phase + 180, 360.0) != 0 && std::fmod(b.phase + 180, 360.0) != 0)
            continue;
        for (const double level : criticalLevelsBetween(a.phase, b.phase)) {
            const double omega = refinedRoot(
                a.omega, b.omega, [&](double w) { return refine.quickPhase(w, i) - level; },
                [&](double w) { return refine.phase(w, i) - level; });
            q.phaseCrossovers.push_back(omega);
            q.gainMargins.push_back(static_cast<double>(-refine.gainDb(omega)));
        }
    }
    reportSmallest(q.phaseCrossovers, q.gainMargins, q.phaseCrossover, q.gainMarginDb);
    reportSmallest(q.gainCrossovers, q.phaseMargins, q.gainCrossover, q.phaseMarginDeg);
}

void readClosedLoop(const std::vector<Sample> &samples, const Refiner &refine, LoopQuantities &q)
{
    if (!q.stable || samples.empty() || !q.lowFrequencyClosedLoopDb)
        return;
    const double lowDb = *q.lowFrequencyClosedLoopDb;
    std::size_t top = 0;
    for (std::size_t i = 1; i < samples.size(); ++i)
        top = samples[i].point.closedDb > samples[top].point.closedDb ? i : top;
    if (samples[top].point.closedDb <= lowDb + 1e-9) {
        q.peakDb = lowDb;
        q.peakOmega = 0;
    } else {
        double omega = samples[top].omega;
        if (refine.closedSlope && top > 0 && top + 1 < samples.size()) {
            const double a = samples[top - 1].omega;
            const double b = samples[top + 1].omega;
            if (refine.closedSlope(a) > 0 && refine.closedSlope(b) < 0)
                omega = rootBetween(a, b, [&](double w) { return refine.closedSlope(w); });
        }
        q.peakOmega = omega;
        q.peakDb = static_cast<double>(refine.closedDb(omega));
    }
    const double target = lowDb - 3;
    for (std::size_t i = 0; i < samples.size(); ++i) {
        if (samples[i].point.closedDb < target) {
            if (i > 0)
                q.bandwidth = refinedRoot(
                    samples[i - 1].omega, samples[i].omega,
                    [&](double w) { return refine.quickClosedDb(w) - target; },
                    [&](double w) { return refine.closedDb(w) - target; });
            break;
        }
    }
}

// Closed-loop poles in the right half-plane by the Nyquist criterion: Z = P - (total turn of
// 1 + G along the imaginary axis, indented to the right of the poles on it) / 360.
int nyquistCount(const std::vector<Sample> &samples, const Structure &structure,
    int openLoopRhpPoles, long double startAngle)
{
    double upper = wrap180(samples.front().point.onePlusArg - static_cast<double>(startAngle));
    for (std::size_t i = 1; i < samples.size(); ++i) {
        // 1 + G has the poles of G, not its zeros.
        int poles = 0;
        for (const AxisRoot &r : structure.axisRoots)
            poles += r.omega > samples[i - 1].omega && r.omega < samples[i].omega && r.order < 0
                ? r.order
                : 0;
        upper
            += stepOf(samples[i - 1].point.onePlusArg, samples[i].point.onePlusArg, 180.0 * poles);
    }
    const double total = 2 * upper - 180.0 * std::max(structure.integrators, 0);
    return openLoopRhpPoles - static_cast<int>(std::lround(total / 360));
}

// The angle of 1 + G as omega -> 0+, where the walk along the axis starts.
long double startAngleOf(int integrators, long double lowGain, long double anchor)
{
    if (integrators > 0)
        return anchor;
    if (integrators == 0)
        return 1 + lowGain < 0 ? 180 : 0;
    return 0;
}

std::vector<ResponsePoint> locusOf(const std::vector<Sample> &samples)
{
    std::vector<ResponsePoint> locus;
    locus.reserve(samples.size());
    for (const Sample &s : samples)
        locus.push_back(
            { s.omega, static_cast<double>(s.point.gainDb), static_cast<double>(s.phase) });
    return locus;
}

} // namespace

AnalysisOptions AnalysisOptionsFor(const ChartSettings &settings)
{
    AnalysisOptions options;
    options.gainMin = settings.gainMin;
    options.gainMax = settings.gainMax;
    options.phaseMin = settings.phaseMin;
    options.phaseMax = settings.phaseMax;
    return options;
}

std::optional<ResponsePoint> LocusPointAt(const std::vector<ResponsePoint> &locus, double omega)
{
    if (locus.empty() || !(omega >= locus.front().omega) || !(omega <= locus.back().omega))
        return std::nullopt;
    const auto after = std::lower_bound(locus.begin(), locus.end(), omega,
        [](const ResponsePoint &p, double w) { return p.omega < w; });
    if (after->omega == omega || after == locus.begin())
        return *after;
    const ResponsePoint &a = *(after - 1);
    const ResponsePoint &b = *after;
    const double t = std::log(omega / a.omega) / std::log(b.omega / a.omega);
    return ResponsePoint { omega, a.gainDb + t * (b.gainDb - a.gainDb),
        a.phaseDeg + t * (b.phaseDeg - a.phaseDeg) };
}

LoopAnalysis AnalyseLoop(
    const TransferFunction &loop, double gainDb, const AnalysisOptions &options)
{
    const long double gain = std::pow(10.0L, static_cast<long double>(gainDb) / 20);
    const Structure structure = structureOf(loop, gain);
    const Evaluator evaluator(loop, gain);
    LoopAnalysis analysis;
    if (loop.delay() == 0)
        analysis.closedLoopPoles = (loop.numerator() * gain + loop.denominator()).roots();

    Range range = naturalRange(structure, loop, gain);
    const double wantedLow = options.omegaMin.value_or(range.low);
    const double wantedHigh = options.omegaMax.value_or(range.high);
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
    const std::vector<std::complex<double>> &closedLoopPoles = analysis.closedLoopPoles;
    for (const std::vector<std::complex<double>> *roots :
        { &structure.zeros, &structure.poles, &closedLoopPoles })
        insertResonances(grid, *roots, range);
    grid.erase(std::remove_if(grid.begin(), grid.end(),
                   [&](double w) {
                       return !(w >= range.low && w <= range.high)
                           || std::any_of(structure.axisRoots.begin(), structure.axisRoots.end(),
                               [w](const AxisRoot &r) { return r.omega == w; });
                   }),
        grid.end());

    const ResponseSampler sampler(evaluator, structure, options);
    std::vector<Sample> samples = sampler.coarse(grid);
    // The wanted range only.
    samples.erase(std::remove_if(samples.begin(), samples.end(),
                      [&](const Sample &s) { return s.omega < wantedLow || s.omega > wantedHigh; }),
        samples.end());

    LoopQuantities &q = analysis.quantities;
    bool lowExists = false;
    const double lowDb = closedLowFrequencyDb(structure.integrators, structure.lowGain, lowExists);
    if (lowExists)
        q.lowFrequencyClosedLoopDb = lowDb;
    if (loop.delay() == 0) {
        for (const std::complex<double> &p : analysis.closedLoopPoles) {
            const double tolerance = AxisTolerance * std::max(1.0, std::abs(p));
            q.closedLoopRhpPoles += p.real() > tolerance ? 1 : 0;
        }
        q.stable = q.closedLoopRhpPoles == 0
            && std::all_of(analysis.closedLoopPoles.begin(), analysis.closedLoopPoles.end(),
                [](std::complex<double> p) {
                    return p.real() < -AxisTolerance * std::max(1.0, std::abs(p));
                });
    } else if (!samples.empty()) {
        const long double anchor
            = -90.0L * structure.integrators + (structure.lowGain < 0 ? -180 : 0);
        q.closedLoopRhpPoles = std::max(0,
            nyquistCount(samples, structure, structure.openLoopRhpPoles,
                startAngleOf(structure.integrators, structure.lowGain, anchor)));
        const bool touches = std::any_of(samples.begin(), samples.end(),
            [](const Sample &s) { return s.point.gainDb - s.point.closedDb < -240; });
        q.stable = q.closedLoopRhpPoles == 0 && !touches;
    }

    Refiner refine;
    refine.gainDb = [&](double w) { return evaluator.gainDb(w); };
    refine.phase = [&](double w, std::size_t i) {
        // The whole turns of sample i, exactly, then its angle and the change from it.
        const Sample &a = samples[i];
        const long double turns = std::round((a.rationalPhase - a.point.rationalArg) / 360);
        return 360 * turns + a.point.rationalArg
            + wrap180(evaluator.rationalArg(w) - static_cast<long double>(a.point.rationalArg))
            - evaluator.delayDegrees(w);
    };
    refine.closedDb = [&](double w) { return evaluator.closedDb(w); };
    refine.quickGainDb = [&](double w) { return evaluator.at(w).gainDb; };
    refine.quickPhase = [&](double w, std::size_t i) {
        const Sample &a = samples[i];
        return a.rationalPhase + wrap180(evaluator.at(w).rationalArg - a.point.rationalArg)
            - evaluator.delayDegrees(w);
    };
    refine.quickClosedDb = [&](double w) { return evaluator.at(w).closedDb; };
    refine.closedSlope = [&](double w) { return evaluator.closedSlope(w); };
    readCrossovers(samples, refine, q);
    readClosedLoop(samples, refine, q);

    // Drawn with the turns that bring the phase at the reported gain crossover nearest -180
    // degrees; the locus is sampled densely where it falls on the chart.
    if (!samples.empty()) {
        const double reference = q.gainCrossover
            ? static_cast<double>(refine.phase(*q.gainCrossover,
                static_cast<std::size_t>(
                    std::upper_bound(samples.begin(), samples.end(), *q.gainCrossover,
                        [](double w, const Sample &s) { return w < s.omega; })
                    - samples.begin() - 1)))
            : static_cast<double>(samples.front().phase);
        analysis.phaseShiftDeg = 360 * std::round((-180 - reference) / 360);
        const Window window { options.gainMin, options.gainMax,
            options.phaseMin - analysis.phaseShiftDeg, options.phaseMax - analysis.phaseShiftDeg };
        analysis.locus = locusOf(sampler.dense(samples, window));
    }
    return analysis;
}

LoopAnalysis AnalyseMeasuredLoop(
    const MeasuredResponse &data, double gainDb, const AnalysisOptions &options)
{
    const double low = options.omegaMin.value_or(0);
    const double high = options.omegaMax.value_or(std::numeric_limits<double>::infinity());
    std::vector<Sample> samples;
    for (std::size_t i = 0; i < data.omega.size(); ++i) {
        if (data.omega[i] < low || data.omega[i] > high)
            continue;
        Sample s { data.omega[i], {} };
        s.point.gainDb = data.gainDb[i] + gainDb;
        s.point.rationalArg = wrap180(data.phaseDeg[i]);
        s.rationalPhase = s.phase = data.phaseDeg[i];
        const std::complex<double> onePlus
            = 1.0 + std::polar(std::pow(10.0, s.point.gainDb / 20), s.phase / RadiansToDegrees);
        s.point.onePlusArg = std::arg(onePlus) * RadiansToDegrees;
        s.point.closedDb = s.point.gainDb - 10 * std::log10(std::norm(onePlus));
        samples.push_back(s);
    }
    LoopAnalysis analysis;
    analysis.locus = locusOf(samples);
    if (samples.size() < 2)
        return analysis;

    // Linear in log frequency between the two samples around omega.
    const auto interpolate = [&](double w, auto value) -> long double {
        std::size_t i = 1;
        while (i + 1 < samples.size() && samples[i].omega < w)
            ++i;
        const Sample &a = samples[i - 1];
        const Sample &b = samples[i];
        const long double t = std::log(w / a.omega) / std::log(b.omega / a.omega);
        return value(a) + t * (value(b) - value(a));
    };
    Refiner refine;
    refine.gainDb
        = [&](double w) { return interpolate(w, [](const Sample &s) { return s.point.gainDb; }); };
    refine.phase = [&](double w, std::size_t) {
        return interpolate(w, [](const Sample &s) { return s.phase; });
    };
    refine.closedDb = [&](double w) {
        const long double g = std::pow(10.0L, refine.gainDb(w) / 20);
        const Complex onePlus = 1.0L + std::polar(g, refine.phase(w, 0) * PiL / 180);
        return refine.gainDb(w) - 10 * std::log10(std::norm(onePlus));
    };
    refine.quickGainDb = refine.gainDb;
    refine.quickPhase = refine.phase;
    refine.quickClosedDb = refine.closedDb;

    // Integrators show in the low-frequency phase, -90 degrees each; no right-half-plane pole.
    Structure structure;
    structure.integrators = std::max(0, static_cast<int>(std::lround(-samples.front().phase / 90)));
    LoopQuantities &q = analysis.quantities;
    q.closedLoopRhpPoles = std::max(0,
        nyquistCount(samples, structure, 0,
            structure.integrators > 0 ? samples.front().phase : samples.front().point.onePlusArg));
    q.stable = q.closedLoopRhpPoles == 0;
    q.lowFrequencyClosedLoopDb = static_cast<double>(samples.front().point.closedDb);
    readCrossovers(samples, refine, q);
    readClosedLoop(samples, refine, q);
    return analysis;
}

} // namespace velmora
