// core/degrees.cpp — trigonometry of angles given in degrees (core layer)
#include "core/degrees.h"

#include <cmath>

namespace velmora {

SinCos SinCosDegrees(double degrees)
{
    constexpr double exactLimit = 1e15; // beyond this the quarter-turn count loses exactness
    if (!(std::fabs(degrees) < exactLimit))
        return { std::sin(Radians(degrees)), std::cos(Radians(degrees)) };
    const long double quarters = std::rint(static_cast<long double>(degrees) / 90);
    const long double rest = Radians(degrees - quarters * 90);
    const long double s = std::sin(rest);
    const long double c = std::cos(rest);
    switch (static_cast<long long>(quarters) & 3) {
    case 0:
        return { s, c };
    case 1:
        return { c, -s };
    case 2:
        return { -s, -c };
    default:
        return { -c, s };
    }
}

} // namespace velmora
