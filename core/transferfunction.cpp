// core/transferfunction.cpp — open-loop transfer functions typed as expressions in s (core layer)
#include "core/transferfunction.h"

#include "core/expressionparser.h"

#include <cmath>
#include <type_traits>

namespace velmora {

TransferFunction TransferFunction::parse(std::string_view text)
{
    return ParseExpression(text);
}

namespace {

void splitForAxis(const Polynomial &p, std::vector<double> &even, std::vector<double> &odd)
{
    const std::vector<long double> &c = p.coefficients();
    for (std::size_t k = 0; k < c.size(); ++k) {
        const double signed_ = static_cast<double>((k / 2) % 2 == 0 ? c[k] : -c[k]);
        (k % 2 == 0 ? even : odd).push_back(signed_);
    }
}

// (real, imaginary) of a polynomial at j omega from its split coefficients, by Horner in w^2.
std::complex<double> onAxis(
    const std::vector<double> &even, const std::vector<double> &odd, double omega)
{
    const double w2 = omega * omega;
    double re = 0;
    for (auto c = even.rbegin(); c != even.rend(); ++c)
        re = re * w2 + *c;
    double im = 0;
    for (auto c = odd.rbegin(); c != odd.rend(); ++c)
        im = im * w2 + *c;
    return { re, im * omega };
}

} // namespace

void TransferFunction::prepareQuickParts()
{
    splitForAxis(m_numerator, m_numeratorEven, m_numeratorOdd);
    splitForAxis(m_denominator, m_denominatorEven, m_denominatorOdd);
}

std::optional<std::complex<double>> TransferFunction::quickOnAxis(double omega) const
{
    const std::complex<double> n = onAxis(m_numeratorEven, m_numeratorOdd, omega);
    const std::complex<double> d = onAxis(m_denominatorEven, m_denominatorOdd, omega);
    const double norm = d.real() * d.real() + d.imag() * d.imag();
    const std::complex<double> r { (n.real() * d.real() + n.imag() * d.imag()) / norm,
        (n.imag() * d.real() - n.real() * d.imag()) / norm };
    if (!std::isfinite(r.real()) || !std::isfinite(r.imag()) || (r.real() == 0 && r.imag() == 0)
        || !(norm > 1e-280))
        return std::nullopt;
    return r;
}

int TransferFunction::netIntegrators() const
{
    return m_denominator.rootsAtZero() - m_numerator.rootsAtZero();
}

long double TransferFunction::lowFrequencyGain() const
{
    if (m_numerator.isZero())
        return 0;
    return m_numerator.lowestCoefficient() / m_denominator.lowestCoefficient();
}

namespace {

// The numbers the postfix program runs on. A complex value in double (quick) or extended
// precision, with its arithmetic spelled out: the library's complex division goes through a
// checking routine for infinities that the values here never need.
template <typename Real> struct Plain {
    Real re;
    Real im;

    static Plain constant(long double exact, double quick)
    {
        if constexpr (std::is_same_v<Real, double>)
            return { quick, 0 };
        else
            return { exact, 0 };
    }
};

template <typename Real> inline Plain<Real> operator-(Plain<Real> a)
{
    return { -a.re, -a.im };
}
template <typename Real> inline Plain<Real> operator+(Plain<Real> a, Plain<Real> b)
{
    return { a.re + b.re, a.im + b.im };
}
template <typename Real> inline Plain<Real> operator-(Plain<Real> a, Plain<Real> b)
{
    return { a.re - b.re, a.im - b.im };
}
template <typename Real> inline Plain<Real> operator*(Plain<Real> a, Plain<Real> b)
{
    return { a.re * b.re - a.im * b.im, a.re * b.im + a.im * b.re };
}
template <typename Real> inline Plain<Real> operator/(Plain<Real> a, Plain<Real> b)
{
    const Real norm = b.re * b.re + b.im * b.im;
    return { (a.re * b.re + a.im * b.im) / norm, (a.im * b.re - a.re * b.im) / norm };
}
template <typename Real> inline Plain<Real> plusConstant(Plain<Real> a, Plain<Real> c)
{
    return { a.re + c.re, a.im };
}
template <typename Real> inline Plain<Real> timesConstant(Plain<Real> a, Plain<Real> c)
{
    return { a.re * c.re, a.im * c.re };
}
template <typename Real> inline Plain<Real> timesS(Plain<Real> a, Plain<Real> s)
{
    return a * s;
}
// By squaring: the exponent is at most 99.
template <typename Real> Plain<Real> raised(Plain<Real> base, int exponent)
{
    Plain<Real> power { 1, 0 };
    for (int n = exponent; n > 0; n >>= 1) {
        if (n & 1)
            power = power * base;
        base = base * base;
    }
    return power;
}

// A value of G with its derivative dG/ds, in extended precision, by the rules of derivation.
struct WithSlope {
    std::complex<long double> value;
    std::complex<long double> slope;

    static WithSlope constant(long double exact, double) { return { exact, 0 }; }
};

inline WithSlope operator-(const WithSlope &a)
{
    return { -a.value, -a.slope };
}
inline WithSlope operator+(const WithSlope &a, const WithSlope &b)
{
    return { a.value + b.value, a.slope + b.slope };
}
inline WithSlope operator-(const WithSlope &a, const WithSlope &b)
{
    return { a.value - b.value, a.slope - b.slope };
}
inline WithSlope operator*(const WithSlope &a, const WithSlope &b)
{
    return { a.value * b.value, a.slope * b.value + a.value * b.slope };
}
inline WithSlope operator/(const WithSlope &a, const WithSlope &b)
{
    const std::complex<long double> quotient = a.value / b.value;
    return { quotient, (a.slope - quotient * b.slope) / b.value };
}
inline WithSlope plusConstant(const WithSlope &a, const WithSlope &c)
{
    return { a.value + c.value.real(), a.slope };
}
inline WithSlope timesConstant(const WithSlope &a, const WithSlope &c)
{
    return { a.value * c.value.real(), a.slope * c.value.real() };
}
// s itself has slope 1: (a s)' = a' s + a.
inline WithSlope timesS(const WithSlope &a, const WithSlope &s)
{
    return { a.value * s.value, a.slope * s.value + a.value };
}
// (a^n)' = n a^(n-1) a'.
WithSlope raised(const WithSlope &a, int exponent)
{
    std::complex<long double> power = 1;
    std::complex<long double> lower = 1; // a^(n-1)
    for (int i = 0; i < exponent; ++i) {
        lower = power;
        power *= a.value;
    }
    return { power, exponent == 0 ? 0 : static_cast<long double>(exponent) * lower * a.slope };
}

} // namespace

// The stack machine: the top of the stack stays in `top`, the rest below it, in a fixed array
// or, for expressions nested deeper, in one the size of the program (which bounds the depth).
template <typename Number> Number TransferFunction::run(const Number &s) const
{
    constexpr std::size_t Depth = 64;
    Number fixed[Depth];
    std::vector<Number> grown;
    Number *below = fixed;
    if (m_program.size() > Depth) {
        grown.resize(m_program.size());
        below = grown.data();
    }
    std::size_t depth = 0;
    Number top = Number::constant(0, 0);
    for (const Step &step : m_program) {
        switch (step.kind) {
        case Step::Constant:
            below[depth++] = top;
            top = Number::constant(step.constant, step.quickConstant);
            break;
        case Step::S:
            below[depth++] = top;
            top = s;
            break;
        case Step::Negate:
            top = -top;
            break;
        case Step::Power:
            top = raised(top, step.exponent);
            break;
        case Step::Add:
            top = below[--depth] + top;
            break;
        case Step::Subtract:
            top = below[--depth] - top;
            break;
        case Step::Multiply:
            top = below[--depth] * top;
            break;
        case Step::Divide:
            top = below[--depth] / top;
            break;
        case Step::AddConstant:
            top = plusConstant(top, Number::constant(step.constant, step.quickConstant));
            break;
        case Step::MultiplyConstant:
            top = timesConstant(top, Number::constant(step.constant, step.quickConstant));
            break;
        case Step::MultiplyS:
            top = timesS(top, s);
            break;
        }
    }
    return top;
}

std::complex<long double> TransferFunction::rationalValue(std::complex<long double> s) const
{
    const Plain<long double> value = run(Plain<long double> { s.real(), s.imag() });
    return { value.re, value.im };
}

std::complex<double> TransferFunction::rationalValue(std::complex<double> s) const
{
    const Plain<double> value = run(Plain<double> { s.real(), s.imag() });
    return { value.re, value.im };
}

ValueAndSlope TransferFunction::rationalAt(std::complex<long double> s) const
{
    const WithSlope value = run(WithSlope { s, 1 });
    return { value.value, value.slope };
}

} // namespace velmora
