// core/compensator.cpp — compensator elements: their table, ranges, handles, factors and values
// (core layer)
#include "core/compensator.h"

#include "core/numbertext.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace velmora {

namespace {

constexpr double Lowest = 1e-9; // rad/s, and seconds
constexpr double Highest = 1e9;
constexpr long double DegreesPerRadian = 180 / std::numbers::pi_v<long double>;

constexpr ParameterInfo frequency(std::string_view symbol, double defaultValue)
{
    return { "omega", symbol, "rad/s", Lowest, true, Highest, true, defaultValue };
}
constexpr ParameterInfo damping(
    std::string_view key, std::string_view symbol, bool zeroIncluded, double defaultValue)
{
    return { key, symbol, "", 0, zeroIncluded, 10, true, defaultValue };
}

constexpr ElementInfo Table[] = {
    { ElementKind::Gain, "Gain", "gain", "gain", 1,
        { { { "gain_db", "Gain", "dB", -200, true, 200, true, 0 } } }, std::nullopt },
    { ElementKind::Integrator, "Intégrateur", "integrator", "", 0, {}, std::nullopt },
    { ElementKind::Zero, "Zéro", "zero", "zero", 1, { { frequency("ω", 1) } }, 0 },
    { ElementKind::Pole, "Pôle", "pole", "pole", 1, { { frequency("ω", 1) } }, 0 },
    { ElementKind::Lead, "Avance de phase", "lead", "lead", 2,
        { { frequency("ωm", 1), { "phase_deg", "φm", "°", 0, false, 90, false, 30 } } }, 0 },
    { ElementKind::Lag, "Retard de phase", "lag", "lag", 2,
        { { frequency("ωz", 0.1), { "ratio", "a", "", 1, false, 1e6, true, 10 } } }, 0 },
    { ElementKind::PI, "PI", "pi", "pi", 1, { { frequency("ωi", 0.1) } }, 0 },
    { ElementKind::PID, "PID", "pid", "pid", 4,
        { { { "kp", "Kp", "", 0, false, 1e9, true, 1 },
            { "ti", "Ti", "s", Lowest, true, Highest, true, 10 },
            { "td", "Td", "s", 0, true, Highest, true, 0.1 },
            { "n", "N", "", 1, true, 1000, true, 10 } } },
        std::nullopt },
    { ElementKind::Notch, "Réjecteur", "notch", "notch", 3,
        { { frequency("ωn", 1), damping("zeta_zero", "ζz", true, 0.05),
            damping("zeta_pole", "ζp", false, 0.5) } },
        0 },
    { ElementKind::PolePair, "Paire de pôles", "poles2", "poles2", 2,
        { { frequency("ωn", 1), damping("zeta", "ζ", false, 0.7) } }, 0 },
    { ElementKind::ZeroPair, "Paire de zéros", "zeros2", "zeros2", 2,
        { { frequency("ωn", 1), damping("zeta", "ζ", true, 0.7) } }, 0 },
};

bool accepts(const ParameterInfo &p, double value)
{
    return (p.minimumIncluded ? value >= p.minimum : value > p.minimum)
        && (p.maximumIncluded ? value <= p.maximum : value < p.maximum);
}

double clamped(const ParameterInfo &p, double value)
{
    return std::clamp(value, p.minimum, p.maximum);
}

// 1 + t s, or 1 without t.
Polynomial timeConstant(long double t)
{
    return Polynomial({ 1, t });
}

// s^2 + 2 zeta omega s + omega^2.
Polynomial quadratic(long double omega, long double zeta)
{
    return Polynomial({ omega * omega, 2 * zeta * omega, 1 });
}

} // namespace

std::span<const ElementInfo> ElementTable()
{
    return Table;
}

const ElementInfo &InfoOf(ElementKind kind)
{
    return Table[static_cast<std::size_t>(kind)];
}

std::optional<ElementKind> ElementKindOfKey(std::string_view key)
{
    for (const ElementInfo &info : Table)
        if (info.key == key)
            return info.kind;
    return std::nullopt;
}

std::optional<ElementKind> ElementKindOfFunction(std::string_view function)
{
    for (const ElementInfo &info : Table)
        if (!info.function.empty() && info.function == function)
            return info.kind;
    return std::nullopt;
}

std::optional<std::string> ParameterRefusal(ElementKind kind, std::size_t index, double value)
{
    const ElementInfo &info = InfoOf(kind);
    if (index >= info.parameterCount)
        return "paramètre inconnu";
    const ParameterInfo &p = info.parameters[index];
    if (accepts(p, value))
        return std::nullopt;
    std::string reason(p.symbol);
    reason.append(" doit être dans ").append(p.minimumIncluded ? "[" : "]");
    reason.append(SignificantText(p.minimum, 6, '.')).append(" ; ");
    reason.append(SignificantText(p.maximum, 6, '.')).append(p.maximumIncluded ? "]" : "[");
    if (!p.unit.empty())
        reason.append(" ").append(p.unit);
    return reason;
}

void CheckCompensator(const Compensator &compensator)
{
    for (std::size_t i = 0; i < compensator.size(); ++i) {
        const CompensatorElement &element = compensator[i];
        const ElementInfo &info = InfoOf(element.kind);
        for (std::size_t k = 0; k < info.parameterCount; ++k)
            if (const std::optional<std::string> refusal
                = ParameterRefusal(element.kind, k, element.parameters[k])) {
                std::string message = "élément " + std::to_string(i + 1);
                message.append(" (").append(info.name).append(") : ").append(*refusal);
                throw CompensatorError(message);
            }
    }
}

std::optional<double> CharacteristicFrequency(const CompensatorElement &element)
{
    const auto &p = element.parameters;
    if (element.kind == ElementKind::PID)
        return p[2] > 0 ? 1 / std::sqrt(p[1] * p[2]) : 1 / p[1];
    if (const std::optional<std::size_t> index = InfoOf(element.kind).frequencyParameter)
        return p[*index];
    return std::nullopt;
}

CompensatorElement WithCharacteristicFrequency(const CompensatorElement &element, double omega)
{
    CompensatorElement moved = element;
    const ElementInfo &info = InfoOf(element.kind);
    if (element.kind == ElementKind::PID) {
        const double scale = *CharacteristicFrequency(element) / omega;
        for (const std::size_t k : { 1, 2 })
            moved.parameters[k] = clamped(info.parameters[k], element.parameters[k] * scale);
    } else if (info.frequencyParameter) {
        const std::size_t k = *info.frequencyParameter;
        moved.parameters[k] = clamped(info.parameters[k], omega);
    }
    return moved;
}

ElementFactors FactorsOf(const CompensatorElement &element)
{
    const auto &p = element.parameters;
    const long double w = p[0];
    ElementFactors f;
    switch (element.kind) {
    case ElementKind::Gain:
        f.gain = std::pow(10.0L, static_cast<long double>(p[0]) / 20);
        break;
    case ElementKind::Integrator:
        f.denominator = { Polynomial::s() };
        break;
    case ElementKind::Zero:
        f.numerator = { timeConstant(1 / w) };
        break;
    case ElementKind::Pole:
        f.denominator = { timeConstant(1 / w) };
        break;
    case ElementKind::Lead: {
        const long double sine = std::sin(static_cast<long double>(p[1]) / DegreesPerRadian);
        const long double a = (1 + sine) / (1 - sine);
        const long double tau = 1 / (w * std::sqrt(a));
        f.numerator = { timeConstant(a * tau) };
        f.denominator = { timeConstant(tau) };
        break;
    }
    case ElementKind::Lag:
        f.numerator = { timeConstant(1 / w) };
        f.denominator = { timeConstant(static_cast<long double>(p[1]) / w) };
        break;
    case ElementKind::PI:
        f.numerator = { Polynomial({ w, 1 }) };
        f.denominator = { Polynomial::s() };
        break;
    case ElementKind::PID: {
        // Kp / Ti (1 + (Ti + Td / N) s + Ti Td (1 + 1 / N) s^2) / (s (1 + Td s / N)).
        const long double kp = p[0], ti = p[1], td = p[2], n = p[3];
        f.gain = kp / ti;
        f.numerator = { Polynomial({ 1, ti + td / n, ti * td * (1 + 1 / n) }) };
        f.denominator = { Polynomial::s() };
        if (td > 0)
            f.denominator.push_back(timeConstant(td / n));
        break;
    }
    case ElementKind::Notch:
        f.numerator = { quadratic(w, p[1]) };
        f.denominator = { quadratic(w, p[2]) };
        break;
    case ElementKind::PolePair:
        f.gain = w * w;
        f.denominator = { quadratic(w, p[1]) };
        break;
    case ElementKind::ZeroPair:
        f.gain = 1 / (w * w);
        f.numerator = { quadratic(w, p[1]) };
        break;
    }
    return f;
}

RationalCompensator CompensatorPolynomials(const Compensator &compensator)
{
    RationalCompensator c { Polynomial::constant(1), Polynomial::constant(1) };
    for (const CompensatorElement &element : compensator) {
        const ElementFactors f = FactorsOf(element);
        c.numerator = c.numerator * f.gain;
        for (const Polynomial &p : f.numerator)
            c.numerator = c.numerator * p;
        for (const Polynomial &p : f.denominator)
            c.denominator = c.denominator * p;
    }
    return c;
}

CompensatorResponse::CompensatorResponse(const Compensator &compensator)
{
    for (const CompensatorElement &element : compensator) {
        ElementFactors f = FactorsOf(element);
        m_gain *= f.gain;
        m_numerator.insert(m_numerator.end(), f.numerator.begin(), f.numerator.end());
        m_denominator.insert(m_denominator.end(), f.denominator.begin(), f.denominator.end());
    }
    for (const auto &[factors, quick] : { std::pair { &m_numerator, &m_quickNumerator },
             std::pair { &m_denominator, &m_quickDenominator } })
        for (const Polynomial &p : *factors)
            quick->emplace_back(p.coefficients().begin(), p.coefficients().end());
}

std::complex<long double> CompensatorResponse::value(std::complex<long double> s) const
{
    std::complex<long double> value = m_gain;
    for (const Polynomial &p : m_numerator)
        value *= p(s);
    for (const Polynomial &p : m_denominator)
        value /= p(s);
    return value;
}

// The value exactly, its whole turns from the factors' angles in double precision: each factor's
// angle is continuous in omega > 0, its imaginary part at j omega not being negative.
CompensatorPoint CompensatorResponse::at(double omega) const
{
    const std::complex<long double> v = value(std::complex<long double>(0, omega));
    const CompensatorPoint quick = quickAt(omega);
    const long double angle = std::atan2(v.imag(), v.real()) * DegreesPerRadian;
    return { 10 * std::log10(std::norm(v)),
        quick.phaseDeg + std::remainder(angle - quick.phaseDeg, 360.0L) };
}

CompensatorPoint CompensatorResponse::quickAt(double omega) const
{
    const std::complex<double> s(0, omega);
    double phase = 0;
    std::complex<double> value = static_cast<double>(m_gain);
    for (const auto &[factors, sign] :
        { std::pair { &m_quickNumerator, 1 }, std::pair { &m_quickDenominator, -1 } })
        for (const std::vector<double> &c : *factors) {
            std::complex<double> v = 0;
            for (auto k = c.rbegin(); k != c.rend(); ++k)
                v = v * s + *k;
            phase += sign * std::atan2(v.imag(), v.real());
            value = sign > 0 ? value * v : value / v;
        }
    return { 10 * std::log10(std::norm(value)), phase * static_cast<double>(DegreesPerRadian) };
}

std::complex<double> CompensatorResponse::quick(double omega) const
{
    const std::complex<double> s(0, omega);
    const auto horner = [&](const std::vector<double> &c) {
        std::complex<double> v = 0;
        for (auto k = c.rbegin(); k != c.rend(); ++k)
            v = v * s + *k;
        return v;
    };
    std::complex<double> value = static_cast<double>(m_gain);
    for (const std::vector<double> &c : m_quickNumerator)
        value *= horner(c);
    for (const std::vector<double> &c : m_quickDenominator)
        value /= horner(c);
    return value;
}

std::complex<long double> CompensatorValue(
    const Compensator &compensator, std::complex<long double> s)
{
    return CompensatorResponse(compensator).value(s);
}

} // namespace velmora
