// core/compensator.h — compensators: a chain of standard elements in the parameters an engineer
// thinks in, described once, and their transfer function (core layer)
#pragma once

#include "core/polynomial.h"

#include <array>
#include <complex>
#include <cstddef>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

enum class ElementKind {
    Gain, // (gain dB): 10^(gain / 20)
    Integrator, // 1 / s
    Zero, // (omega): 1 + s / omega
    Pole, // (omega): 1 / (1 + s / omega)
    Lead, // (omega_m, phi_m): (1 + a tau s) / (1 + tau s), a = (1 + sin phi_m) / (1 - sin phi_m),
          // tau = 1 / (omega_m sqrt a): the phase is largest, phi_m, at omega_m, where |C| = sqrt a
    Lag, // (omega_z, a): (1 + s / omega_z) / (1 + a s / omega_z)
    PI, // (omega_i): (s + omega_i) / s
    PID, // (Kp, Ti, Td, N): Kp (1 + 1 / (Ti s) + Td s / (1 + Td s / N))
    Notch, // (omega_n, zeta_z, zeta_p): (s^2 + 2 zeta_z omega_n s + omega_n^2)
           //                           / (s^2 + 2 zeta_p omega_n s + omega_n^2)
    PolePair, // (omega_n, zeta): omega_n^2 / (s^2 + 2 zeta omega_n s + omega_n^2), 1 at s = 0
    ZeroPair, // (omega_n, zeta): the inverse of the pole pair
};

constexpr std::size_t MaxElementParameters = 4;

// One parameter of an element: how the loops window heads its column and the session names it,
// and the values it accepts, from `minimum` to `maximum`, each end included or not.
struct ParameterInfo {
    std::string_view key; // in session files: "omega", "phase_deg"
    std::string_view symbol; // French, for the table: "ωm", "φm"
    std::string_view unit; // "rad/s", "°", "dB", "s", or empty for a ratio
    double minimum;
    bool minimumIncluded;
    double maximum;
    bool maximumIncluded;
    double defaultValue; // for an element just added
};

// One kind of element, described once. `function` names it in expressions
// ("lead(1.5, 40)", arguments in the order of `parameters`); the integrator has none: "/s".
struct ElementInfo {
    ElementKind kind;
    std::string_view name; // French: "Avance de phase"
    std::string_view key; // in session files: "lead"
    std::string_view function;
    std::size_t parameterCount;
    std::array<ParameterInfo, MaxElementParameters> parameters;
    // The parameter that the element's frequency handle on the chart sets: omega_m, omega_z,
    // omega_i, omega_n; none for the gain, the integrator and the PID (whose handle scales both
    // time constants: see WithCharacteristicFrequency).
    std::optional<std::size_t> frequencyParameter;
};

// Every kind, in the order of ElementKind.
std::span<const ElementInfo> ElementTable();
const ElementInfo &InfoOf(ElementKind kind);
std::optional<ElementKind> ElementKindOfKey(std::string_view key);
std::optional<ElementKind> ElementKindOfFunction(std::string_view function);

// An element: its kind and its parameters in the order of its ElementInfo (the rest zero), in the
// units of the table.
struct CompensatorElement {
    ElementKind kind = ElementKind::Gain;
    std::array<double, MaxElementParameters> parameters {};

    bool operator==(const CompensatorElement &) const = default;
};

// The loop is the plant times this chain, in order. Empty: no compensator (1).
using Compensator = std::vector<CompensatorElement>;

// A compensator that cannot be used: French message naming the element and its parameter.
class CompensatorError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Why the parameter `index` of a kind refuses `value`, in French ("φm doit être dans ]0 ; 90[ °");
// nothing when it is accepted. NaN and infinities are refused.
std::optional<std::string> ParameterRefusal(ElementKind kind, std::size_t index, double value);

// Throws CompensatorError, naming the element by its rank (from 1) and its name, for the first
// parameter refused.
void CheckCompensator(const Compensator &compensator);

// The frequency (rad/s) of the element's handle on the chart: omega_m, omega_z, omega_i, omega_n,
// the zero's or the pole's; for the PID 1 / sqrt(Ti Td), or 1 / Ti without derivative action.
// None for the gain and the integrator.
std::optional<double> CharacteristicFrequency(const CompensatorElement &element);

// The element with its handle dragged to omega (rad/s): that parameter set to omega, or for the
// PID both time constants scaled by the same factor (its shape kept). Values are clamped into
// their accepted ranges; an element without a handle is returned unchanged.
CompensatorElement WithCharacteristicFrequency(const CompensatorElement &element, double omega);

// An element as real polynomial factors: gain * prod numerator(s) / prod denominator(s). Each
// factor has nonnegative coefficients: a constant term 1 (a time-constant form 1 + T s), or a
// leading coefficient 1 (s, s + omega, s^2 + 2 zeta omega s + omega^2). A factor of degree 0
// does not occur.
struct ElementFactors {
    long double gain = 1;
    std::vector<Polynomial> numerator;
    std::vector<Polynomial> denominator;
};

ElementFactors FactorsOf(const CompensatorElement &element);

// C(s) = N(s) / D(s), the factors of every element multiplied out.
struct RationalCompensator {
    Polynomial numerator;
    Polynomial denominator;
};
RationalCompensator CompensatorPolynomials(const Compensator &compensator);

// C(j omega) for omega > 0: |C| in dB and its phase in degrees, continuous in omega and anchored
// at omega -> 0+ (0 for a gain, -90 an integrator, a PI or a PID); a zero on the axis (a notch
// or a zero pair with zeta 0) turns it up by 180 degrees as omega passes it.
struct CompensatorPoint {
    long double gainDb = 0;
    long double phaseDeg = 0;
};

// A compensator's factors, taken once, evaluated at many points.
class CompensatorResponse {
public:
    explicit CompensatorResponse(const Compensator &compensator);

    // C at any s, exactly (extended precision, factor by factor).
    std::complex<long double> value(std::complex<long double> s) const;
    CompensatorPoint at(double omega) const;
    // The same in double precision, for sampling.
    CompensatorPoint quickAt(double omega) const;
    std::complex<double> quick(double omega) const;

    long double gain() const { return m_gain; }
    const std::vector<Polynomial> &numeratorFactors() const { return m_numerator; }
    const std::vector<Polynomial> &denominatorFactors() const { return m_denominator; }

private:
    long double m_gain = 1;
    std::vector<Polynomial> m_numerator;
    std::vector<Polynomial> m_denominator;
    std::vector<std::vector<double>> m_quickNumerator; // the factors' coefficients in double
    std::vector<std::vector<double>> m_quickDenominator;
};

std::complex<long double> CompensatorValue(
    const Compensator &compensator, std::complex<long double> s);

} // namespace velmora
