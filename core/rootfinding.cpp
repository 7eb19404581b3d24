// core/rootfinding.cpp — roots of real functions of a frequency (core layer)
#include "core/rootfinding.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace velmora {

double RootBetween(double a, double b, FrequencyFunction f)
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

double RefinedRoot(double a, double b, FrequencyFunction quick, FrequencyFunction exact)
{
    const double rough = RootBetween(a, b, quick);
    const double width = 64 * std::numeric_limits<double>::epsilon() * std::fabs(rough);
    const double low = std::max(a, rough - width);
    const double high = std::min(b, rough + width);
    const long double atLow = exact(low);
    const long double atHigh = exact(high);
    if ((atLow <= 0) != (atHigh <= 0) || atLow == 0 || atHigh == 0)
        return RootBetween(low, high, exact);
    return RootBetween(a, b, exact);
}

FrequencyMinimum MinimumBetween(
    double a, double b, FrequencyFunction f, long double relative, long double absolute)
{
    // Brent's localmin on g(u) = f(exp u), u = log omega.
    constexpr long double Golden = 0.381966011250105151795L; // (3 - sqrt 5) / 2
    const auto g = [&](long double u) { return f(static_cast<double>(std::exp(u))); };
    long double low = std::log(static_cast<long double>(a));
    long double high = std::log(static_cast<long double>(b));
    long double x = low + Golden * (high - low);
    long double w = x;
    long double v = x;
    long double fx = g(x);
    long double fw = fx;
    long double fv = fx;
    long double d = 0;
    long double e = 0;
    for (int iteration = 0; iteration < 200; ++iteration) {
        const long double middle = (low + high) / 2;
        const long double tolerance = relative * std::fabs(x) + absolute;
        if (std::fabs(x - middle) <= 2 * tolerance - (high - low) / 2)
            break;
        bool golden = true;
        if (std::fabs(e) > tolerance) {
            long double r = (x - w) * (fx - fv);
            long double q = (x - v) * (fx - fw);
            long double p = (x - v) * q - (x - w) * r;
            q = 2 * (q - r);
            if (q > 0)
                p = -p;
            q = std::fabs(q);
            const long double previous = e;
            e = d;
            if (std::fabs(p) < std::fabs(q * previous / 2) && p > q * (low - x)
                && p < q * (high - x)) {
                d = p / q;
                const long double u = x + d;
                if (u - low < 2 * tolerance || high - u < 2 * tolerance)
                    d = x < middle ? tolerance : -tolerance;
                golden = false;
            }
        }
        if (golden) {
            e = (x < middle ? high : low) - x;
            d = Golden * e;
        }
        const long double u
            = std::fabs(d) >= tolerance ? x + d : x + (d > 0 ? tolerance : -tolerance);
        const long double fu = g(u);
        if (fu <= fx) {
            (u < x ? high : low) = x;
            v = w;
            fv = fw;
            w = x;
            fw = fx;
            x = u;
            fx = fu;
        } else {
            (u < x ? low : high) = u;
            if (fu <= fw || w == x) {
                v = w;
                fv = fw;
                w = u;
                fw = fu;
            } else if (fu <= fv || v == x || v == w) {
                v = u;
                fv = fu;
            }
        }
    }
    return { static_cast<double>(std::exp(x)), fx };
}

double MaximumBetween(double a, double b, FrequencyFunction f)
{
    const auto negated = [&](double omega) { return -f(omega); };
    double best
        = MinimumBetween(a, b, negated, 4 * std::numeric_limits<double>::epsilon(), 1e-30L).omega;
    if (!(best > a && best < b))
        best = std::clamp(best, a, b);
    long double top = f(best);
    for (const double end : { a, b }) {
        const long double at = f(end);
        if (at > top) {
            top = at;
            best = end;
        }
    }
    return best;
}

} // namespace velmora
