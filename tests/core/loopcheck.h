// tests/core/loopcheck.h — loops evaluated independently of the analysis, for the loop tests
#pragma once

#include "core/transferfunction.h"

#include <cmath>
#include <complex>
#include <cstdio>
#include <numbers>
#include <string>
#include <vector>

namespace velmora::test {

// The loops the analysis is checked on: integrators, lightly damped poles and zeros,
// non-minimum phase, open-loop unstable, delays, a negative gain, poles on the axis.
inline const char *const Loops[] = {
    "10/((s+1)*(0.5*s+1)*(0.1*s+1))",
    "4/(s*(s+1)*(s+2))",
    "5*(s+0.5)^3/(s^3*(0.05*s+1)^2)",
    "0.5/(s*(s^2+0.2*s+4))",
    "2*(1-0.5*s)/(s*(s+1)*(0.2*s+1))",
    "2*(s+3)/(s*(s-1))",
    "0.5*exp(-0.2*s)/(s*(0.5*s+1))",
    "3*exp(-0.5*s)/(2*s+1)",
    "20*(s^2+0.4*s+4)/(s*(s+1)*(s^2+0.08*s+16))",
    "-2/((s+1)*(0.2*s+1))",
    "8/(s^2+4)",
};

// K G(j omega) through the function's own extended-precision evaluation.
struct Direct {
    double gainDb;
    double phaseDeg; // wrapped
    double closedDb;
};

inline Direct direct(const TransferFunction &f, double gainDb, double omega)
{
    const std::complex<long double> g = std::pow(10.0L, gainDb / 20.0L)
        * f.rationalValue(std::complex<long double>(0, omega))
        * std::polar(1.0L, -omega * f.delay());
    return { static_cast<double>(20 * std::log10(std::abs(g))),
        static_cast<double>(std::arg(g) * 180 / std::numbers::pi_v<long double>),
        static_cast<double>(20 * std::log10(std::abs(g / (1.0L + g)))) };
}

inline double turnsApart(double a, double b)
{
    return std::fabs(std::remainder(a - b, 360.0));
}

// A loop written as factors, evaluated factor by factor with std::complex<double>, without the
// parser or its program: k exp(-delay s) prod (a2 s^2 + a1 s + a0)^power.
struct Factor {
    double a2, a1, a0;
    int power; // negative in the denominator
};

struct FactoredLoop {
    double k;
    double delay; // seconds
    std::vector<Factor> factors;

    static std::string number(double x)
    {
        char text[32];
        std::snprintf(text, sizeof text, "%.17g", x);
        return text;
    }

    std::string text() const
    {
        std::string numerator = number(k);
        std::string denominator = "1";
        if (delay > 0)
            numerator.append("*exp(-").append(number(delay)).append("*s)");
        for (const Factor &f : factors) {
            std::string &side = f.power > 0 ? numerator : denominator;
            side.append("*(").append(number(f.a2)).append("*s^2+").append(number(f.a1));
            side.append("*s+").append(number(f.a0)).append(")^");
            side.append(std::to_string(std::abs(f.power)));
        }
        return numerator.append("/(").append(denominator).append(")");
    }

    std::complex<double> at(double omega) const
    {
        std::complex<double> g = k * std::polar(1.0, -omega * delay);
        for (const Factor &f : factors) {
            const std::complex<double> value(f.a0 - f.a2 * omega * omega, f.a1 * omega);
            for (int i = 0; i < std::abs(f.power); ++i)
                g = f.power > 0 ? g * value : g / value;
        }
        return g;
    }

    double gainDb(double omega) const { return 20 * std::log10(std::abs(at(omega))); }
    double phaseDeg(double omega) const { return std::arg(at(omega)) * 180 / std::numbers::pi; }
    double closedDb(double omega) const
    {
        const std::complex<double> g = at(omega);
        return 20 * std::log10(std::abs(g / (1.0 + g)));
    }
};

} // namespace velmora::test
