// core/tuningpeak.cpp — tuning to a closed-loop peak: the gains at which the locus is tangent to
// a contour of |T| (core layer)
#include "core/rootfinding.h"
#include "core/tuningsweep.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace velmora {

namespace {

using Complex = std::complex<long double>;

constexpr double Infinity = std::numeric_limits<double>::infinity();
constexpr std::size_t MaxPeakGains = 4;

// The gains K > 0 at which |K g / (1 + K g)| exceeds m (m2 = m^2): the roots of
// f(K) = K^2 |g|^2 (1 - m^2) - 2 m^2 K Re g - m^2, positive between them for m > 1 (when g
// reaches that far), above the one positive root for m < 1, above -1 / (2 Re g) for m = 1.
struct GainInterval {
    long double low;
    long double high; // infinite when unbounded
};

std::optional<GainInterval> gainsAbove(Complex g, long double m2)
{
    const long double a = std::norm(g) * (1 - m2);
    const long double b = -2 * m2 * g.real();
    const long double c = -m2;
    if (a == 0)
        return b > 0 ? std::optional<GainInterval>({ -c / b, Infinity }) : std::nullopt;
    const long double discriminant = b * b - 4 * a * c;
    if (discriminant < 0 || (a < 0 && b <= 0))
        return std::nullopt;
    const long double q = -(b + std::copysign(std::sqrt(discriminant), b)) / 2;
    const long double r1 = q / a;
    const long double r2 = c / q;
    if (a > 0)
        return GainInterval { std::max(r1, r2), Infinity };
    return GainInterval { std::min(r1, r2), std::max(r1, r2) };
}

} // namespace

// Mr = value: the ends of the set of gains at which |T| exceeds m somewhere. Each frequency
// gives an interval of such gains (gainsAbove). For measured data, whose peak the analysis reads
// at the points, the set is the union of the points' intervals and its ends are exact (the
// points' values being the data, in double precision). Otherwise its ends are extrema over
// frequency of the intervals' ends: for m > 1 the intervals exist where the phase is within
// asin(1 / m) of -180 degrees (the angle under which the contour is seen from the origin), in
// runs around the phase crossovers, which are among the samples; the extrema are bracketed by the
// samples within a run and its edges, refined by Brent's method on the exact evaluation, nearest
// `currentGainDb` first, and kept unless they lie inside a sampled interval.
std::vector<double> TuningSweep::peakGains(double value, double currentGainDb) const
{
    const long double m2 = std::pow(10.0L, static_cast<long double>(value) / 10);
    const std::size_t n = m_samples.size();
    std::vector<std::optional<GainInterval>> intervals(n);
    for (std::size_t i = 0; i < n; ++i)
        intervals[i] = gainsAbove(Complex(m_quick[i]), m2);
    std::vector<double> gains;
    if (m_measured) {
        // The ends of the union of the points' intervals.
        std::vector<GainInterval> sorted;
        for (const std::optional<GainInterval> &v : intervals)
            if (v)
                sorted.push_back(*v);
        std::sort(sorted.begin(), sorted.end(),
            [](const GainInterval &x, const GainInterval &y) { return x.low < y.low; });
        for (std::size_t i = 0; i < sorted.size();) {
            long double high = sorted[i].high;
            gains.push_back(toDb(sorted[i].low));
            for (++i; i < sorted.size() && sorted[i].low <= high; ++i)
                high = std::max(high, sorted[i].high);
            if (std::isfinite(high))
                gains.push_back(toDb(high));
        }
        return gains;
    }

    // cos(arg g) + sqrt(1 - 1 / m^2): not positive where the intervals exist (m >= 1).
    const long double edgeLevel = m2 > 1 ? std::sqrt(1 - 1 / m2) : 0;
    const auto edge = [&](double w) {
        const Complex g = exactAt(w);
        return g.real() / std::abs(g) + edgeLevel;
    };
    // The end of the interval at w, as a quantity to minimise: the low end, or minus the high one.
    const auto endAt = [&](bool upper, double w) {
        const std::optional<GainInterval> v = gainsAbove(exactAt(w), m2);
        if (!v || (upper && !std::isfinite(v->high)))
            return static_cast<long double>(Infinity);
        return upper ? -v->high : v->low;
    };
    const auto endOf = [&](bool upper, std::size_t i) {
        const std::optional<GainInterval> &v = intervals[i];
        if (!v || (upper && !std::isfinite(v->high)))
            return static_cast<long double>(Infinity);
        return upper ? -v->high : v->low;
    };
    struct Extremum {
        std::size_t index;
        bool upper;
        double gainDb; // on the samples
    };
    std::vector<Extremum> extrema;
    for (std::size_t i = 0; i < n; ++i)
        for (const bool upper : { false, true }) {
            const long double here = endOf(upper, i);
            if (std::isfinite(here) && !(i > 0 && endOf(upper, i - 1) < here)
                && !(i + 1 < n && endOf(upper, i + 1) <= here))
                extrema.push_back({ i, upper, toDb(upper ? -here : here) });
        }
    std::sort(extrema.begin(), extrema.end(), [&](const Extremum &x, const Extremum &y) {
        return std::fabs(x.gainDb - currentGainDb) < std::fabs(y.gainDb - currentGainDb);
    });
    // Re g is small beside |g| far below the first break, where the ends of the intervals are
    // known to about 1e-7 only: an end within that of another is the same one, and one within it
    // of an interval is kept (the analysis decides).
    constexpr long double Noise = 1e-6;
    constexpr double NoiseDb = 1e-5; // about 1e-6 of the gain
    const auto inside = [&](long double k) {
        return std::any_of(
            intervals.begin(), intervals.end(), [&](const std::optional<GainInterval> &v) {
                return v && v->low < k * (1 - Noise) && k * (1 + Noise) < v->high;
            });
    };
    std::vector<Extremum> refined;
    for (const Extremum &e : extrema) {
        if (gains.size() >= MaxPeakGains)
            break;
        if (std::any_of(refined.begin(), refined.end(), [&](const Extremum &r) {
                return r.upper == e.upper && std::fabs(r.gainDb - e.gainDb) < NoiseDb;
            }))
            continue;
        refined.push_back(e);
        // The bracket: the neighbouring samples, or the run's edge between the sample and a
        // neighbour without an interval.
        const std::size_t i = e.index;
        double a = m_samples[i].omega;
        double b = a;
        if (i > 0)
            a = intervals[i - 1] ? m_samples[i - 1].omega
                                 : RootBetween(m_samples[i - 1].omega, a, edge);
        if (i + 1 < n)
            b = intervals[i + 1] ? m_samples[i + 1].omega
                                 : RootBetween(b, m_samples[i + 1].omega, edge);
        const long double found
            = std::min(MinimumBetween(
                           a, b, [&](double w) { return endAt(e.upper, w); }, 0, 1e-10L)
                           .value,
                endAt(e.upper, m_samples[i].omega));
        const long double k = e.upper ? -found : found;
        if (std::isfinite(k) && k > 0 && !inside(k))
            gains.push_back(toDb(k));
    }
    // The peak at omega -> 0 of a loop without integrators: |T(0)| = m.
    if (m_structure && m_structure->integrators == 0 && m_structure->lowGain != 0)
        if (const std::optional<GainInterval> v = gainsAbove(m_structure->lowGain, m2))
            for (const long double k : { v->low, v->high })
                if (std::isfinite(k) && !inside(k))
                    gains.push_back(toDb(k));
    return gains;
}

} // namespace velmora
