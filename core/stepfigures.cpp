// core/stepfigures.cpp — step-response figures bracketed on samples and refined between them
#include "core/stepfigures.h"

#include "core/stepparts.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace velmora {

namespace {

constexpr double RiseLow = 0.1;
constexpr double RiseHigh = 0.9;
constexpr double Band = 0.05;
constexpr std::size_t PeakCandidates = 8;

} // namespace

double BrentRoot(const std::function<double(double)> &f, double a, double b, double fa, double fb)
{
    if (fa == 0)
        return a;
    if (fb == 0)
        return b;
    constexpr double Epsilon = std::numeric_limits<double>::epsilon();
    double c = a, fc = fa, d = b - a, e = d;
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
        const double tolerance = 2 * Epsilon * std::fabs(b) + std::numeric_limits<double>::min();
        const double middle = (c - b) / 2;
        if (std::fabs(middle) <= tolerance || fb == 0)
            return b;
        if (std::fabs(e) >= tolerance && std::fabs(fa) > std::fabs(fb)) {
            // Inverse quadratic (or secant) interpolation, kept if it stays well inside.
            double p, q;
            const double s = fb / fa;
            if (a == c) {
                p = 2 * middle * s;
                q = 1 - s;
            } else {
                const double r = fb / fc;
                const double t = fa / fc;
                p = s * (2 * middle * t * (t - r) - (b - a) * (r - 1));
                q = (t - 1) * (r - 1) * (s - 1);
            }
            if (p > 0)
                q = -q;
            else
                p = -p;
            if (2 * p < std::min(3 * middle * q - std::fabs(tolerance * q), std::fabs(e * q))) {
                e = d;
                d = p / q;
            } else {
                d = middle;
                e = d;
            }
        } else {
            d = middle;
            e = d;
        }
        a = b;
        fa = fb;
        b += std::fabs(d) > tolerance ? d : (middle > 0 ? tolerance : -tolerance);
        fb = f(b);
    }
    return b;
}

StepFigureFinder::StepFigureFinder(double finalValue, StepEvaluator evaluate)
    : m_final(finalValue)
    , m_evaluate(std::move(evaluate))
{
}

double StepFigureFinder::crossing(const Sample &a, const Sample &b, double level) const
{
    if (a.piece != b.piece || !(a.time < b.time))
        return b.time; // a jump
    return BrentRoot(
        [&](double t) { return z(a.piece, t) - level; }, a.time, b.time, a.z - level, b.z - level);
}

void StepFigureFinder::offerPeak(PeakCandidate candidate)
{
    candidate.height = candidate.at.z;
    const Sample &a = candidate.before, &b = candidate.at, &c = candidate.after;
    if (candidate.hasBefore && candidate.hasAfter && a.piece == b.piece && b.piece == c.piece
        && a.time < b.time && b.time < c.time) {
        const double h1 = b.time - a.time, h2 = c.time - b.time;
        const double d1 = (b.z - a.z) / h1, d2 = (c.z - b.z) / h2;
        const double curvature = (d2 - d1) / (h1 + h2);
        const double slope = (d1 * h2 + d2 * h1) / (h1 + h2);
        const double vertex = -slope / (2 * curvature);
        if (curvature < 0 && vertex > -h1 && vertex < h2)
            candidate.height = b.z - slope * slope / (4 * curvature);
    }
    const auto place = std::find_if(m_peaks.begin(), m_peaks.end(),
        [&](const PeakCandidate &p) { return candidate.height > p.height; });
    if (place == m_peaks.end() && m_peaks.size() >= PeakCandidates)
        return;
    m_peaks.insert(place, candidate);
    if (m_peaks.size() > PeakCandidates)
        m_peaks.pop_back();
}

void StepFigureFinder::add(const StepSample &input)
{
    if (m_final == 0 || !std::isfinite(m_final))
        return;
    const Sample sample { input.time, input.value / m_final, input.piece };
    if (m_count == 0)
        m_first = sample;
    else if (m_previous.z >= sample.z && (m_count == 1 || m_previous.z >= m_beforePrevious.z))
        offerPeak({ m_beforePrevious, m_previous, sample, m_count > 1, true, 0 });

    for (auto [level, rise] :
        { std::pair { RiseLow, &m_rise10 }, std::pair { RiseHigh, &m_rise90 } }) {
        if (!*rise && sample.z >= level)
            *rise = m_count == 0 ? sample.time : crossing(m_previous, sample, level);
    }

    if (std::fabs(sample.z - 1) >= Band) {
        m_outside = true;
        m_lastOutside = sample;
    } else if (m_outside) {
        m_outside = false;
        m_exit = std::pair { m_lastOutside, sample };
    }

    m_beforePrevious = m_previous;
    m_previous = sample;
    ++m_count;
}

StepFigures StepFigureFinder::figures() const
{
    StepFigures figures;
    figures.finalValue = m_final;
    if (m_final == 0 || !std::isfinite(m_final) || m_count == 0)
        return figures;
    if (m_rise10 && m_rise90)
        figures.riseTimeS = *m_rise90 - *m_rise10;
    if (!m_outside) {
        if (!m_exit)
            figures.settlingTimeS = m_first.time;
        else {
            const auto &[out, in] = *m_exit;
            figures.settlingTimeS = crossing(out, in, out.z > 1 ? 1 + Band : 1 - Band);
        }
    }

    std::vector<PeakCandidate> peaks = m_peaks;
    if (m_count == 1 || m_previous.z >= m_beforePrevious.z)
        peaks.push_back({ m_beforePrevious, m_previous, m_previous, m_count > 1, false, 0 });
    double bestTime = 0;
    double best = -INFINITY;
    for (const PeakCandidate &candidate : peaks) {
        double time = candidate.at.time;
        double value = candidate.at.z;
        const auto refine = [&](const Sample &a, const Sample &b) {
            if (a.piece != b.piece || !(a.time < b.time))
                return;
            const double sa = slope(a.piece, a.time);
            const double sb = slope(b.piece, b.time);
            if (!(sa > 0 && sb < 0))
                return;
            const double t
                = BrentRoot([&](double u) { return slope(a.piece, u); }, a.time, b.time, sa, sb);
            const double v = z(a.piece, t);
            if (v > value) {
                value = v;
                time = t;
            }
        };
        if (candidate.hasBefore)
            refine(candidate.before, candidate.at);
        if (candidate.hasAfter)
            refine(candidate.at, candidate.after);
        if (value > best || (value == best && time < bestTime)) {
            best = value;
            bestTime = time;
        }
    }
    if (best - 1 > OvershootFloor) {
        figures.overshootPercent = 100 * (best - 1);
        figures.peakTime = bestTime;
    } else {
        figures.overshootPercent = 0.0;
    }
    return figures;
}

} // namespace velmora
