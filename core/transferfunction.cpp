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

// Complex arithmetic spelled out: the library's complex division goes through a checking routine
// for infinities that the values here never need.
template <typename Real> struct Z {
    Real re;
    Real im;
};

template <typename Real> inline Z<Real> operator+(Z<Real> a, Z<Real> b)
{
    return { a.re + b.re, a.im + b.im };
}
template <typename Real> inline Z<Real> operator-(Z<Real> a, Z<Real> b)
{
    return { a.re - b.re, a.im - b.im };
}
template <typename Real> inline Z<Real> operator*(Z<Real> a, Z<Real> b)
{
    return { a.re * b.re - a.im * b.im, a.re * b.im + a.im * b.re };
}
template <typename Real> inline Z<Real> operator/(Z<Real> a, Z<Real> b)
{
    const Real norm = b.re * b.re + b.im * b.im;
    return { (a.re * b.re + a.im * b.im) / norm, (a.im * b.re - a.re * b.im) / norm };
}

} // namespace

std::complex<long double> TransferFunction::rationalValue(std::complex<long double> s) const
{
    return evaluate<long double>(s);
}

std::complex<double> TransferFunction::rationalValue(std::complex<double> s) const
{
    return evaluate<double>(s);
}

template <typename Real> std::complex<Real> TransferFunction::evaluate(std::complex<Real> s) const
{
    using Z = velmora::Z<Real>;
    // The top of the stack stays in `top`; the rest below it.
    constexpr std::size_t Depth = 64;
    Z fixed[Depth];
    std::vector<Z> grown; // for expressions nested deeper than the fixed stack
    Z *below = fixed;
    if (m_program.size() > Depth) {
        grown.resize(m_program.size());
        below = grown.data();
    }
    std::size_t depth = 0;
    Z top { 0, 0 };
    const Z at { s.real(), s.imag() };
    const auto constantOf = [](const Step &step) -> Real {
        if constexpr (std::is_same_v<Real, double>)
            return step.quickConstant;
        else
            return step.constant;
    };
    for (const Step &step : m_program) {
        switch (step.kind) {
        case Step::Constant:
            below[depth++] = top;
            top = { constantOf(step), 0 };
            break;
        case Step::S:
            below[depth++] = top;
            top = at;
            break;
        case Step::Negate:
            top = { -top.re, -top.im };
            break;
        case Step::Power: {
            Z base = top;
            Z power { 1, 0 };
            for (int n = step.exponent; n > 0; n >>= 1) {
                if (n & 1)
                    power = power * base;
                base = base * base;
            }
            top = power;
            break;
        }
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
            top.re += constantOf(step);
            break;
        case Step::MultiplyConstant: {
            const Real c = constantOf(step);
            top = { top.re * c, top.im * c };
            break;
        }
        case Step::MultiplyS:
            top = top * at;
            break;
        }
    }
    return { top.re, top.im };
}

ValueAndSlope TransferFunction::rationalAt(std::complex<long double> s) const
{
    // A small stack machine over (value, derivative) pairs.
    ValueAndSlope stack[64];
    std::vector<ValueAndSlope> spill; // deeper expressions than the stack above
    int top = 0;
    const auto push = [&](ValueAndSlope v) {
        if (top < 64)
            stack[top] = v;
        else
            spill.push_back(v);
        ++top;
    };
    const auto pop = [&]() {
        --top;
        if (top < 64)
            return stack[top];
        const ValueAndSlope v = spill.back();
        spill.pop_back();
        return v;
    };
    for (const Step &step : m_program) {
        switch (step.kind) {
        case Step::Constant:
            push({ step.constant, 0 });
            break;
        case Step::S:
            push({ s, 1 });
            break;
        case Step::Negate: {
            const ValueAndSlope a = pop();
            push({ -a.value, -a.slope });
            break;
        }
        case Step::AddConstant: {
            const ValueAndSlope a = pop();
            push({ a.value + step.constant, a.slope });
            break;
        }
        case Step::MultiplyConstant: {
            const ValueAndSlope a = pop();
            push({ a.value * step.constant, a.slope * step.constant });
            break;
        }
        case Step::MultiplyS: {
            const ValueAndSlope a = pop();
            push({ a.value * s, a.slope * s + a.value });
            break;
        }
        case Step::Power: {
            const ValueAndSlope a = pop();
            std::complex<long double> power = 1;
            std::complex<long double> lower = 1; // a^(n-1)
            for (int i = 0; i < step.exponent; ++i) {
                lower = power;
                power *= a.value;
            }
            push({ power,
                step.exponent == 0 ? 0
                                   : static_cast<long double>(step.exponent) * lower * a.slope });
            break;
        }
        default: {
            const ValueAndSlope b = pop();
            const ValueAndSlope a = pop();
            switch (step.kind) {
            case Step::Add:
                push({ a.value + b.value, a.slope + b.slope });
                break;
            case Step::Subtract:
                push({ a.value - b.value, a.slope - b.slope });
                break;
            case Step::Multiply:
                push({ a.value * b.value, a.slope * b.value + a.value * b.slope });
                break;
            default: { // Divide
                const std::complex<long double> quotient = a.value / b.value;
                push({ quotient, (a.slope - quotient * b.slope) / b.value });
                break;
            }
            }
        }
        }
    }
    return pop();
}

} // namespace velmora
