// core/tuningsweep.cpp — the open loop swept for tuning: gains reaching a target, ranges of a
// target (core layer)
#include "core/tuningsweep.h"

#include "core/frequencyresponse.h"
#include "core/numbertext.h"
#include "core/rootfinding.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace velmora {

namespace {

using Complex = std::complex<long double>;

constexpr long double RadiansPerDegree = std::numbers::pi_v<long double> / 180;
constexpr double Infinity = std::numeric_limits<double>::infinity();
constexpr double PointsPerDecade = 40;
constexpr double MaxPhaseStep = 10; // degrees
constexpr double MarginDecades = 1.5;
constexpr double ThreeDbBelow = 0.70794578438413791; // 10^(-3 / 20)

const LoopGain Unit {};

// The positive roots of a K^2 + b K + c.
std::vector<long double> positiveRoots(long double a, long double b, long double c)
{
    std::vector<long double> roots;
    if (a == 0) {
        if (b != 0)
            roots.push_back(-c / b);
    } else {
        const long double discriminant = b * b - 4 * a * c;
        if (discriminant >= 0) {
            const long double q = -(b + std::copysign(std::sqrt(discriminant), b)) / 2;
            roots.push_back(q / a);
            if (q != 0)
                roots.push_back(c / q);
        }
    }
    std::erase_if(roots, [](long double k) { return !(k > 0) || !std::isfinite(k); });
    return roots;
}

} // namespace

double TuningSweep::toDb(long double k)
{
    return static_cast<double>(20 * std::log10(k));
}

std::string TargetText(TargetKind target, double value)
{
    const TargetInfo &info = InfoOf(target);
    std::string text(info.symbol);
    text.append(" = ").append(SignificantText(value, 6, '.'));
    text.append(info.unit == "°" ? "" : " ").append(info.unit);
    return text;
}

TuningSweep::TuningSweep(
    std::shared_ptr<const ResponseModel> model, std::optional<double> frequency)
    : m_model(std::move(model))
{
    if (std::optional<std::vector<ResponseSample>> given = m_model->givenSamples(Unit)) {
        m_measured = true;
        m_samples = std::move(*given);
    } else if ((m_structure = m_model->structure(Unit))) {
        const LoopStructure &s = *m_structure;
        double low = Infinity;
        double high = 0;
        const auto include = [&](double omega) {
            if (std::isfinite(omega) && omega > 0) {
                low = std::min(low, omega);
                high = std::max(high, omega);
            }
        };
        for (const auto *roots : { &s.zeros, &s.poles })
            for (const std::complex<double> &r : *roots)
                include(std::abs(r));
        if (s.delay > 0)
            include(static_cast<double>(1 / s.delay));
        if (s.integrators != 0 && s.lowGain != 0)
            include(std::pow(static_cast<double>(std::fabs(s.lowGain)), 1.0 / s.integrators));
        if (frequency)
            include(*frequency);
        if (!(high > 0))
            low = high = 1;
        low /= std::pow(10.0, MarginDecades);
        high *= std::pow(10.0, MarginDecades);
        // Where the asymptotes cross 0 dB at the extreme gains: every gain crossover is in.
        const double extreme = std::pow(10.0, MaxTunedGainDb / 20);
        if (s.integrators > 0 && s.lowGain != 0)
            low = std::min(low,
                std::pow(static_cast<double>(std::fabs(s.lowGain)) / extreme, 1.0 / s.integrators));
        if (s.excess > 0 && s.highGain != 0 && s.delay == 0)
            high = std::max(high,
                std::pow(static_cast<double>(std::fabs(s.highGain)) * extreme, 1.0 / s.excess));
        if (s.delay > 0)
            high = std::max(high, static_cast<double>(5 * 2 * std::numbers::pi / s.delay));
        AnalysisOptions options;
        options.omegaMin = std::max(low, 1e-12);
        options.omegaMax = std::min(high, 1e12);
        m_samples = ResponseSampler(*m_model, Unit, s, options).coarse({});
        densify();
    }
    m_phaseCrossovers = phaseLevels(-180);
    // The peaks of |T| near the critical gains are as narrow as they are high: their frequencies
    // are sampled.
    if (m_structure)
        for (const double omega : m_phaseCrossovers)
            insertSample(omega);
    for (const ResponseSample &s : m_samples)
        m_quick.push_back(std::polar(
            std::pow(10.0, s.point.gainDb / 20), Wrap180(s.phase) * std::numbers::pi / 180));
}

void TuningSweep::insertSample(double omega)
{
    const std::size_t below = sampleBelow(omega);
    const ResponseSample &previous = m_samples[below];
    if (!(omega > previous.omega))
        return;
    ResponseSample s { omega, m_model->quickPoint(omega, Unit, false) };
    s.rationalPhase = previous.rationalPhase
        + UnwrappedStep(previous.point.rationalArg, s.point.rationalArg,
            180.0 * AxisOrderBetween(m_structure->axisRoots, previous.omega, omega));
    s.phase = s.rationalPhase - static_cast<double>(m_model->delayDegrees(omega));
    m_samples.insert(m_samples.begin() + static_cast<std::ptrdiff_t>(below) + 1, s);
}

void TuningSweep::densify()
{
    std::vector<ResponseSample> dense;
    dense.reserve(m_samples.size() * 2);
    for (std::size_t i = 0; i < m_samples.size(); ++i) {
        if (i > 0) {
            const ResponseSample &a = m_samples[i - 1];
            const ResponseSample &b = m_samples[i];
            const double steps = std::max({ std::log10(b.omega / a.omega) * PointsPerDecade,
                std::fabs(b.phase - a.phase) / MaxPhaseStep,
                std::fabs(b.rationalPhase - a.rationalPhase) / MaxPhaseStep });
            const int pieces = static_cast<int>(std::min(std::ceil(steps), 64.0));
            if (pieces > 1 && AxisOrderBetween(m_structure->axisRoots, a.omega, b.omega) == 0) {
                const double factor = std::pow(b.omega / a.omega, 1.0 / pieces);
                for (int k = 1; k < pieces; ++k) {
                    const ResponseSample &previous = dense.back();
                    ResponseSample next { a.omega * std::pow(factor, k),
                        m_model->quickPoint(a.omega * std::pow(factor, k), Unit, false) };
                    next.rationalPhase = previous.rationalPhase
                        + UnwrappedStep(previous.point.rationalArg, next.point.rationalArg, 0);
                    next.phase = next.rationalPhase
                        - static_cast<double>(m_model->delayDegrees(next.omega));
                    dense.push_back(next);
                }
            }
        }
        dense.push_back(m_samples[i]);
    }
    m_samples = std::move(dense);
}

std::size_t TuningSweep::sampleBelow(double omega) const
{
    const auto after = std::upper_bound(m_samples.begin(), m_samples.end(), omega,
        [](double w, const ResponseSample &s) { return w < s.omega; });
    return after == m_samples.begin() ? 0 : static_cast<std::size_t>(after - m_samples.begin()) - 1;
}

TuningSweep::Complex TuningSweep::exactAt(double omega) const
{
    const long double phase = m_samples.empty()
        ? m_model->phase(omega, Unit, ResponseSample {})
        : m_model->phase(omega, Unit, m_samples[sampleBelow(omega)]);
    return std::polar(std::pow(10.0L, exactGainDb(omega) / 20), phase * RadiansPerDegree);
}

long double TuningSweep::exactGainDb(double omega) const
{
    return m_model->gainDb(omega, Unit);
}

std::vector<double> TuningSweep::phaseLevels(double base) const
{
    std::vector<double> found;
    for (std::size_t i = 0; i + 1 < m_samples.size(); ++i) {
        const ResponseSample &a = m_samples[i];
        const ResponseSample &b = m_samples[i + 1];
        const double low = std::min(a.phase, b.phase);
        const double high = std::max(a.phase, b.phase);
        for (double k = std::ceil((low - base) / 360); base + 360 * k <= high; ++k) {
            const double level = base + 360 * k;
            if (level == a.phase && i > 0)
                continue; // found at the end of the interval before
            found.push_back(RefinedRoot(
                a.omega, b.omega, [&](double w) { return m_model->quickPhase(w, Unit, a) - level; },
                [&](double w) { return m_model->phase(w, Unit, a) - level; }));
        }
    }
    return found;
}

std::vector<double> TuningSweep::criticalGains() const
{
    std::vector<double> gains;
    for (const double omega : m_phaseCrossovers)
        gains.push_back(static_cast<double>(-exactGainDb(omega)));
    return gains;
}

void TuningSweep::checkWithinData(TargetKind target, double value) const
{
    if (!m_measured || m_samples.empty())
        return;
    const double first = m_samples.front().omega;
    const double last = m_samples.back().omega;
    if (!(value >= first && value <= last))
        throw TuningError(TargetText(target, value) + " inaccessible : hors des mesures (de "
            + FigureText(first) + " à " + FigureText(last) + " rad/s)");
}

std::vector<double> TuningSweep::gainsReaching(
    TargetKind target, double value, double currentGainDb) const
{
    std::vector<double> gains;
    switch (target) {
    case TargetKind::Crossover:
        checkWithinData(target, value);
        gains.push_back(static_cast<double>(-exactGainDb(value)));
        break;
    case TargetKind::Bandwidth:
        checkWithinData(target, value);
        gains = bandwidthGains(value);
        break;
    case TargetKind::PhaseMargin:
        if (!(value > -180 && value <= 180))
            throw TuningError(
                TargetText(target, value) + " : une marge de phase est dans ]-180 ; 180]");
        for (const double omega : phaseLevels(value - 180))
            gains.push_back(static_cast<double>(-exactGainDb(omega)));
        break;
    case TargetKind::GainMargin:
        for (const double omega : m_phaseCrossovers)
            gains.push_back(static_cast<double>(-value - exactGainDb(omega)));
        break;
    case TargetKind::Mr:
        gains = peakGains(value, currentGainDb);
        break;
    }
    std::erase_if(gains, [](double g) { return !(std::fabs(g) <= MaxTunedGainDb); });
    return gains;
}

std::vector<double> TuningSweep::bandwidthGains(double omega) const
{
    const long double m2 = ThreeDbBelow * ThreeDbBelow;
    const Complex g = exactAt(omega);
    std::optional<Complex> g0; // the loop at the low-frequency end; none: |T(0)| = 1
    if (m_measured) {
        if (!(omega > m_samples.front().omega))
            throw TuningError(TargetText(TargetKind::Bandwidth, omega)
                + " inaccessible : ωb doit être au-delà de la première mesure");
        g0 = exactAt(m_samples.front().omega);
    } else if (m_structure && m_structure->integrators == 0 && m_structure->lowGain != 0) {
        g0 = m_structure->lowGain;
    } else if (!m_structure || m_structure->integrators < 0 || m_structure->lowGain == 0) {
        throw TuningError(
            TargetText(TargetKind::Bandwidth, omega) + " : ωb n'est pas défini, |T(0)| est nul");
    }
    std::vector<long double> roots;
    if (!g0) {
        roots = positiveRoots(std::norm(g) * (1 - m2), -2 * m2 * g.real(), -m2);
    } else {
        // |g|^2 |1 + K g0|^2 = m^2 |g0|^2 |1 + K g|^2.
        const long double n = std::norm(g);
        const long double n0 = std::norm(*g0);
        roots = positiveRoots(
            n * n0 * (1 - m2), 2 * (n * g0->real() - m2 * n0 * g.real()), n - m2 * n0);
    }
    std::vector<double> gains;
    for (const long double k : roots)
        gains.push_back(toDb(k));
    return gains;
}

std::optional<double> TuningSweep::lowFrequencyClosedDb(double gainDb) const
{
    const long double k = std::pow(10.0L, static_cast<long double>(gainDb) / 20);
    if (m_measured) {
        const Complex g = k * Complex(m_quick.front());
        return static_cast<double>(10 * std::log10(std::norm(g / (1.0L + g))));
    }
    if (!m_structure || m_structure->integrators < 0 || m_structure->lowGain == 0)
        return std::nullopt;
    if (m_structure->integrators > 0)
        return 0.0;
    const long double g = k * m_structure->lowGain;
    return static_cast<double>(20 * std::log10(std::fabs(g / (1 + g))));
}

std::optional<double> TuningSweep::quickValue(TargetKind target, double gainDb) const
{
    const double k = std::pow(10.0, gainDb / 20);
    std::optional<double> best;
    const auto smallest = [&](double margin) {
        if (!best || std::fabs(margin) < std::fabs(*best))
            best = margin;
    };
    const auto closedDb = [&](std::size_t i) {
        const std::complex<double> g = k * m_quick[i];
        return 10 * std::log10(std::norm(g / (1.0 + g)));
    };
    switch (target) {
    case TargetKind::Mr: {
        best = lowFrequencyClosedDb(gainDb);
        for (std::size_t i = 0; i < m_samples.size(); ++i)
            best = std::max(best.value_or(-Infinity), closedDb(i));
        return best;
    }
    case TargetKind::GainMargin:
        for (const double omega : m_phaseCrossovers)
            smallest(static_cast<double>(-gainDb - exactGainDb(omega)));
        return best;
    case TargetKind::PhaseMargin:
    case TargetKind::Crossover: {
        std::optional<double> crossover;
        for (std::size_t i = 0; i + 1 < m_samples.size(); ++i) {
            const double a = m_samples[i].point.gainDb + gainDb;
            const double b = m_samples[i + 1].point.gainDb + gainDb;
            if ((a > 0) == (b > 0))
                continue;
            const double t = a / (a - b);
            const double margin = Wrap180(
                180 + m_samples[i].phase + t * (m_samples[i + 1].phase - m_samples[i].phase));
            if (!best || std::fabs(margin) < std::fabs(*best))
                crossover
                    = m_samples[i].omega * std::pow(m_samples[i + 1].omega / m_samples[i].omega, t);
            smallest(margin);
        }
        return target == TargetKind::Crossover ? crossover : best;
    }
    case TargetKind::Bandwidth: {
        const std::optional<double> low = lowFrequencyClosedDb(gainDb);
        for (std::size_t i = 1; low && i < m_samples.size(); ++i) {
            const double a = closedDb(i - 1) - (*low - 3);
            const double b = closedDb(i) - (*low - 3);
            if (b < 0)
                return m_samples[i - 1].omega
                    * std::pow(m_samples[i].omega / m_samples[i - 1].omega, a / (a - b));
        }
        return std::nullopt;
    }
    }
    return std::nullopt;
}

std::optional<TargetRange> TuningSweep::rangeOver(
    TargetKind target, const std::vector<std::pair<double, double>> &intervals) const
{
    std::optional<TargetRange> range;
    const auto take = [&](double gainDb) {
        const std::optional<double> v = quickValue(target, gainDb);
        if (v && std::isfinite(*v))
            range = range
                ? TargetRange { std::min(range->least, *v), std::max(range->greatest, *v) }
                : TargetRange { *v, *v };
    };
    for (const auto &[low, high] : intervals) {
        // Next to a critical gain, the margins tend to 0 and Mr grows without bound (the
        // frequency of its peak is among the samples).
        take(low + 1e-6);
        take(high - 1e-6);
        const int steps = std::clamp(static_cast<int>((high - low) / 0.5), 1, 2400);
        for (int i = 0; i < steps; ++i)
            take(low + (high - low) * (i + 0.5) / steps);
    }
    return range;
}

} // namespace velmora
