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

} // namespace velmora
