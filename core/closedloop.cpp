// core/closedloop.cpp — the closed-loop point of an open-loop point (core layer)
#include "core/closedloop.h"

#include "core/degrees.h"

#include <cmath>
#include <limits>

namespace velmora {

double PhaseInOneTurnBelowZero(double phaseDeg)
{
    double reduced = std::fmod(phaseDeg, 360.0); // exact, in (-360, 360)
    if (reduced > 0)
        reduced -= 360;
    return reduced == 0 ? 0.0 : reduced; // never -0
}

GainPhase ClosedLoopOf(GainPhase openLoop)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    if (std::isnan(openLoop.gainDb) || std::isnan(openLoop.phaseDeg)
        || std::isinf(openLoop.phaseDeg))
        return { nan, nan };
    // Above 0 dB, T = 1 / (1 + 1/G), so that no power of ten overflows: H is G or 1/G, of
    // modulus at most 1.
    const bool inverted = openLoop.gainDb > 0;
    const long double h
        = std::pow(10.0L, -std::fabs(static_cast<long double>(openLoop.gainDb)) / 20);
    const SinCos angle = SinCosDegrees(openLoop.phaseDeg);
    const long double re = 1 + h * angle.cosine;
    const long double im = (inverted ? -h : h) * angle.sine;
    const long double modulus2 = re * re + im * im;
    if (modulus2 == 0)
        return { std::numeric_limits<double>::infinity(), nan };
    const long double onePlusDb = 10 * std::log10(modulus2);
    const long double onePlusDeg = Degrees(std::atan2(im, re));
    GainPhase closed {};
    if (inverted) {
        closed.gainDb = static_cast<double>(-onePlusDb);
        closed.phaseDeg = PhaseInOneTurnBelowZero(static_cast<double>(-onePlusDeg));
    } else {
        closed.gainDb = static_cast<double>(openLoop.gainDb - onePlusDb);
        // Whole turns of the open-loop phase first, exactly, then the angle of 1 + G.
        const double open = PhaseInOneTurnBelowZero(openLoop.phaseDeg);
        closed.phaseDeg = PhaseInOneTurnBelowZero(static_cast<double>(open - onePlusDeg));
    }
    return closed;
}

} // namespace velmora
