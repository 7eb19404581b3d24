// core/degrees.h — trigonometry of angles given in degrees, in extended precision (core layer)
#pragma once

#include <numbers>

namespace velmora {

constexpr long double Pi = std::numbers::pi_v<long double>;

constexpr long double Radians(long double degrees)
{
    return degrees / 180 * Pi;
}

constexpr long double Degrees(long double radians)
{
    return radians * 180 / Pi;
}

struct SinCos {
    long double sine;
    long double cosine;
};

// sin and cos of an angle in degrees. The angle is first reduced by whole quarter turns, exactly,
// so that the library evaluates both within +/-45 degrees, where it needs no costly argument
// reduction, and multiples of 90 degrees give exact 0 and +/-1. The results agree with
// sin(Radians(x)) and cos(Radians(x)) to extended precision.
SinCos SinCosDegrees(double degrees);

} // namespace velmora
