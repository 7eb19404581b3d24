// core/responsemodel.cpp — the rational and the measured loop models (core layer)
#include "core/responsemodel.h"

#include "core/frequencyresponse.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace velmora {

namespace {

using Complex = std::complex<long double>;

constexpr long double PiL = std::numbers::pi_v<long double>;
constexpr double RadiansToDegrees = 180 / std::numbers::pi;

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

// The roots of a product of factors as typed, each factor's as often as it divides it: a factor
// typed (100 s + 1)^28 has its root from 100 s + 1, exactly.
std::vector<std::complex<double>> rootsOf(const std::vector<TypedFactor> &factors)
{
    std::vector<std::complex<double>> roots;
    for (const TypedFactor &f : factors) {
        const std::vector<std::complex<double>> once = nonZero(f.polynomial.roots());
        for (int i = 0; i < f.multiplicity; ++i)
            roots.insert(roots.end(), once.begin(), once.end());
    }
    return roots;
}

// The structure of a rational loop that does not depend on its gain.
LoopStructure structureOf(const TransferFunction &loop)
{
    LoopStructure s;
    s.integrators = loop.netIntegrators();
    s.excess = loop.denominator().degree() - loop.numerator().degree();
    s.delay = loop.delay();
    s.zeros = rootsOf(loop.numeratorFactors());
    s.poles = rootsOf(loop.denominatorFactors());
    std::vector<AxisRoot> axisZeros;
    std::vector<AxisRoot> axisPoles;
    addAxisRoots(axisZeros, s.zeros, +1);
    addAxisRoots(axisPoles, s.poles, -1);
    s.sharedAxisRoot = (loop.numerator().rootsAtZero() > 0 && loop.denominator().rootsAtZero() > 0)
        || std::any_of(axisZeros.begin(), axisZeros.end(), [&](const AxisRoot &z) {
               return std::any_of(axisPoles.begin(), axisPoles.end(), [&](const AxisRoot &p) {
                   return std::fabs(p.omega - z.omega) <= 1e-7 * z.omega;
               });
           });
    s.axisRoots = axisZeros;
    addAxisRoots(s.axisRoots, s.poles, -1);
    s.axisRoots.erase(std::remove_if(s.axisRoots.begin(), s.axisRoots.end(),
                          [](const AxisRoot &a) { return a.order == 0; }),
        s.axisRoots.end());
    std::sort(s.axisRoots.begin(), s.axisRoots.end(),
        [](const AxisRoot &a, const AxisRoot &b) { return a.omega < b.omega; });
    for (const std::complex<double> &p : s.poles)
        s.openLoopRhpPoles += p.real() > AxisTolerance * std::max(1.0, std::abs(p)) ? 1 : 0;
    return s;
}

// The even and odd parts of p at s = j omega in x = omega^2: p(j w) = even(x) + j w odd(x).
void axisParts(const Polynomial &p, std::vector<long double> &even, std::vector<long double> &odd)
{
    const std::vector<long double> &c = p.coefficients();
    for (std::size_t k = 0; k < c.size(); ++k)
        (k % 2 == 0 ? even : odd).push_back((k / 2) % 2 == 0 ? c[k] : -c[k]);
}

std::vector<long double> product(
    const std::vector<long double> &a, const std::vector<long double> &b)
{
    if (a.empty() || b.empty())
        return {};
    std::vector<long double> c(a.size() + b.size() - 1, 0);
    for (std::size_t i = 0; i < a.size(); ++i)
        for (std::size_t j = 0; j < b.size(); ++j)
            c[i + j] += a[i] * b[j];
    return c;
}

std::vector<long double> derivative(const std::vector<long double> &a)
{
    std::vector<long double> d;
    for (std::size_t k = 1; k < a.size(); ++k)
        d.push_back(static_cast<long double>(k) * a[k]);
    return d;
}

// a + factor b, and a + factor x b.
std::vector<long double> sum(
    std::vector<long double> a, const std::vector<long double> &b, long double factor, int shift)
{
    a.resize(std::max(a.size(), b.size() + static_cast<std::size_t>(shift)), 0);
    for (std::size_t i = 0; i < b.size(); ++i)
        a[i + static_cast<std::size_t>(shift)] += factor * b[i];
    return a;
}

// The crossing polynomials from their parts (see CrossingPolynomials), `imaginary` being
// Im(N conj D) / w.
CrossingPolynomials crossingsOf(std::vector<long double> numeratorSquared,
    std::vector<long double> denominatorSquared, std::vector<long double> real,
    std::vector<long double> imaginary)
{
    CrossingPolynomials p;
    p.gain = sum(numeratorSquared, denominatorSquared, -1, 0);
    p.phase = std::move(imaginary);
    p.gainExtrema = sum(product(derivative(numeratorSquared), denominatorSquared),
        product(numeratorSquared, derivative(denominatorSquared)), -1, 0);
    p.numeratorSquared = std::move(numeratorSquared);
    p.denominatorSquared = std::move(denominatorSquared);
    p.real = std::move(real);
    return p;
}

// K R(s) exp(-T s), R evaluated as typed: on the axis quickly by the expanded polynomials where
// they are good, exactly by the postfix program.
class RationalModel final : public ResponseModel {
public:
    explicit RationalModel(std::shared_ptr<const TransferFunction> loop)
        : m_loop(std::move(loop))
        , m_structure(structureOf(*m_loop))
        , m_delay(m_loop->delay())
    {
    }

    std::shared_ptr<const ResponseModel> within(double, double) const override
    {
        return shared_from_this();
    }

    std::optional<std::vector<ResponseSample>> givenSamples(const LoopGain &) const override
    {
        return std::nullopt;
    }

    std::optional<LoopStructure> structure(const LoopGain &gain) const override
    {
        LoopStructure s = m_structure;
        s.lowGain = gain.factor * m_loop->lowFrequencyGain();
        if (!m_loop->numerator().isZero())
            s.highGain = gain.factor * m_loop->numerator().coefficients().back()
                / m_loop->denominator().coefficients().back();
        return s;
    }

    std::optional<std::vector<std::complex<double>>> closedLoopPoles(
        const LoopGain &gain) const override
    {
        if (m_delay != 0)
            return std::nullopt;
        return (m_loop->numerator() * gain.factor + m_loop->denominator()).roots();
    }

    // With N(j w) = Ne + j w No and D(j w) = De + j w Do in x = w^2: |K N|^2 is
    // K^2 (Ne^2 + x No^2), N conj D is Ne De + x No Do + j w (No De - Ne Do).
    std::optional<CrossingPolynomials> crossingPolynomials(const LoopGain &gain) const override
    {
        std::vector<long double> ne, no, de, od;
        axisParts(m_loop->numerator(), ne, no);
        axisParts(m_loop->denominator(), de, od);
        std::vector<long double> n2 = sum(product(ne, ne), product(no, no), 1, 1);
        for (long double &c : n2)
            c *= gain.factor * gain.factor;
        return crossingsOf(std::move(n2), sum(product(de, de), product(od, od), 1, 1),
            sum(product(ne, de), product(no, od), 1, 1),
            sum(product(no, de), product(ne, od), -1, 0));
    }

    // By the expanded polynomials in double precision where their value is a normal double, as
    // typed in extended precision otherwise (far out in frequency, or a gain beyond the doubles).
    QuickPoint quickPoint(double omega, const LoopGain &gain, bool closedLoop) const override
    {
        if (const std::optional<std::complex<double>> quick = m_loop->quickOnAxis(omega)) {
            const std::complex<double> r = static_cast<double>(gain.factor) * *quick;
            const double norm = std::norm(r);
            if (norm > 1e-290 && norm < 1e290)
                return QuickPointOf(r, omega, m_delay, closedLoop);
        }
        return QuickPointOf(
            gain.factor * m_loop->rationalValue(Complex(0, omega)), omega, m_delay, closedLoop);
    }

    long double delayDegrees(double omega) const override { return omega * m_delay * 180 / PiL; }

    long double gainDb(double omega, const LoopGain &gain) const override
    {
        return 10 * std::log10(std::norm(gain.factor * m_loop->rationalValue(Complex(0, omega))));
    }
    long double quickGainDb(double omega, const LoopGain &gain) const override
    {
        return quickPoint(omega, gain, false).gainDb;
    }

    // The whole turns of the sample, exactly, then its angle and the change from it.
    long double phase(double omega, const LoopGain &, const ResponseSample &near) const override
    {
        const Complex r = m_loop->rationalValue(Complex(0, omega));
        const long double arg = std::atan2(r.imag(), r.real()) * 180 / PiL;
        const long double turns = std::round((near.rationalPhase - near.point.rationalArg) / 360);
        return 360 * turns + near.point.rationalArg
            + Wrap180(arg - static_cast<long double>(near.point.rationalArg)) - delayDegrees(omega);
    }
    long double quickPhase(
        double omega, const LoopGain &gain, const ResponseSample &near) const override
    {
        return near.rationalPhase
            + Wrap180(quickPoint(omega, gain, false).rationalArg - near.point.rationalArg)
            - delayDegrees(omega);
    }

    long double closedDb(double omega, const LoopGain &gain) const override
    {
        const Complex g
            = gain.factor * m_loop->rationalValue(Complex(0, omega)) * DelayFactor(omega, m_delay);
        const Complex onePlus = 1.0L + g;
        return 10 * std::log10(std::norm(g) / std::norm(onePlus));
    }
    long double quickClosedDb(double omega, const LoopGain &gain) const override
    {
        return quickPoint(omega, gain, true).closedDb;
    }

    long double sensitivityDb(double omega, const LoopGain &gain) const override
    {
        const Complex g
            = gain.factor * m_loop->rationalValue(Complex(0, omega)) * DelayFactor(omega, m_delay);
        return -10 * std::log10(std::norm(1.0L + g));
    }

    std::optional<long double> closedSlope(double omega, const LoopGain &gain) const override
    {
        const ValueAndSlope r = m_loop->rationalAt(Complex(0, omega));
        const Complex e = DelayFactor(omega, m_delay);
        const Complex g = gain.factor * r.value * e;
        const Complex dg = gain.factor * e * (r.slope - m_delay * r.value);
        const Complex onePlus = 1.0L + g;
        const Complex t = g / onePlus;
        const Complex dt = Complex(0, 1) * dg / (onePlus * onePlus);
        return 2 * std::real(std::conj(t) * dt);
    }

private:
    std::shared_ptr<const TransferFunction> m_loop;
    LoopStructure m_structure; // lowGain and highGain aside
    long double m_delay;
};

// The points [m_first, m_end) of the data; between them, linear in log frequency.
class MeasuredModel final : public ResponseModel {
public:
    MeasuredModel(std::shared_ptr<const MeasuredResponse> data, std::size_t first, std::size_t end)
        : m_data(std::move(data))
        , m_first(first)
        , m_end(end)
    {
    }

    std::shared_ptr<const ResponseModel> within(double low, double high) const override
    {
        const std::vector<double> &omega = m_data->omega;
        std::size_t first = m_end;
        std::size_t end = m_first;
        for (std::size_t i = m_first; i < m_end; ++i) {
            if (omega[i] < low || omega[i] > high)
                continue;
            first = std::min(first, i);
            end = i + 1;
        }
        return std::make_shared<const MeasuredModel>(m_data, first, std::max(first, end));
    }

    std::optional<std::vector<ResponseSample>> givenSamples(const LoopGain &gain) const override
    {
        std::vector<ResponseSample> samples;
        samples.reserve(m_end - m_first);
        for (std::size_t i = m_first; i < m_end; ++i)
            samples.push_back(
                sampleAt(m_data->omega[i], m_data->gainDb[i] + gain.db, m_data->phaseDeg[i], true));
        return samples;
    }

    std::optional<LoopStructure> structure(const LoopGain &) const override { return std::nullopt; }

    std::optional<std::vector<std::complex<double>>> closedLoopPoles(
        const LoopGain &) const override
    {
        return std::nullopt;
    }

    std::optional<CrossingPolynomials> crossingPolynomials(const LoopGain &) const override
    {
        return std::nullopt;
    }

    QuickPoint quickPoint(double omega, const LoopGain &gain, bool closedLoop) const override
    {
        return sampleAt(omega, static_cast<double>(gainDb(omega, gain)),
            static_cast<double>(interpolated(omega, m_data->phaseDeg, 0)), closedLoop)
            .point;
    }

    long double delayDegrees(double) const override { return 0; }

    long double gainDb(double omega, const LoopGain &gain) const override
    {
        return interpolated(omega, m_data->gainDb, gain.db);
    }
    long double quickGainDb(double omega, const LoopGain &gain) const override
    {
        return gainDb(omega, gain);
    }

    long double phase(double omega, const LoopGain &, const ResponseSample &) const override
    {
        return interpolated(omega, m_data->phaseDeg, 0);
    }
    long double quickPhase(
        double omega, const LoopGain &gain, const ResponseSample &near) const override
    {
        return phase(omega, gain, near);
    }

    long double closedDb(double omega, const LoopGain &gain) const override
    {
        const long double db = gainDb(omega, gain);
        const long double g = std::pow(10.0L, db / 20);
        const Complex onePlus
            = 1.0L + std::polar(g, interpolated(omega, m_data->phaseDeg, 0) * PiL / 180);
        return db - 10 * std::log10(std::norm(onePlus));
    }
    long double quickClosedDb(double omega, const LoopGain &gain) const override
    {
        return closedDb(omega, gain);
    }

    std::optional<long double> closedSlope(double, const LoopGain &) const override
    {
        return std::nullopt;
    }

private:
    // A point of the data: the phase as given, the closed loop in double precision.
    static ResponseSample sampleAt(double omega, double gainDb, double phaseDeg, bool closedLoop)
    {
        ResponseSample s { omega, {} };
        s.point.gainDb = gainDb;
        s.point.rationalArg = Wrap180(phaseDeg);
        s.rationalPhase = s.phase = phaseDeg;
        if (closedLoop) {
            const std::complex<double> onePlus
                = 1.0 + std::polar(std::pow(10.0, gainDb / 20), phaseDeg / RadiansToDegrees);
            s.point.onePlusArg = std::arg(onePlus) * RadiansToDegrees;
            s.point.closedDb = gainDb - 10 * std::log10(std::norm(onePlus));
        }
        return s;
    }

    // values[i] + shift, linear in log frequency between the two points around omega (the first
    // or last two beyond the ends).
    long double interpolated(double omega, const std::vector<double> &values, double shift) const
    {
        if (m_end - m_first < 2)
            return m_end > m_first ? values[m_first] + shift
                                   : std::numeric_limits<long double>::quiet_NaN();
        const std::vector<double> &w = m_data->omega;
        const std::size_t i = static_cast<std::size_t>(
            std::lower_bound(w.begin() + static_cast<std::ptrdiff_t>(m_first + 1),
                w.begin() + static_cast<std::ptrdiff_t>(m_end - 1), omega)
            - w.begin());
        const double a = values[i - 1] + shift;
        const double b = values[i] + shift;
        const long double t = std::log(omega / w[i - 1]) / std::log(w[i] / w[i - 1]);
        return a + t * (b - a);
    }

    std::shared_ptr<const MeasuredResponse> m_data;
    std::size_t m_first;
    std::size_t m_end;
};

} // namespace

LoopGain LoopGain::fromDb(double db)
{
    return { db, std::pow(10.0L, static_cast<long double>(db) / 20) };
}

std::shared_ptr<const ResponseModel> MakeRationalModel(std::shared_ptr<const TransferFunction> loop)
{
    return std::make_shared<const RationalModel>(std::move(loop));
}

std::shared_ptr<const ResponseModel> MakeMeasuredModel(std::shared_ptr<const MeasuredResponse> data)
{
    const std::size_t size = data->omega.size();
    return std::make_shared<const MeasuredModel>(std::move(data), 0, size);
}

// (A + j w B)(a + j w b) = A a - x B b + j w (A b + B a), with n conj d = a + j w b.
CrossingPolynomials TimesRational(const CrossingPolynomials &loop, long double k,
    const Polynomial &numerator, const Polynomial &denominator)
{
    std::vector<long double> ne, no, de, od;
    axisParts(numerator, ne, no);
    axisParts(denominator, de, od);
    std::vector<long double> n2 = sum(product(ne, ne), product(no, no), 1, 1);
    for (long double &c : n2)
        c *= k * k;
    const std::vector<long double> d2 = sum(product(de, de), product(od, od), 1, 1);
    const std::vector<long double> a = sum(product(ne, de), product(no, od), 1, 1);
    const std::vector<long double> b = sum(product(no, de), product(ne, od), -1, 0);
    return crossingsOf(product(loop.numeratorSquared, n2), product(loop.denominatorSquared, d2),
        sum(product(loop.real, a), product(loop.phase, b), -1, 1),
        sum(product(loop.real, b), product(loop.phase, a), 1, 0));
}

} // namespace velmora
