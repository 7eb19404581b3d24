// core/polynomial.cpp — real polynomials in s and their roots (core layer)
#include "core/polynomial.h"

#include <unsupported/Eigen/Polynomials>

#include <algorithm>

namespace velmora {

Polynomial::Polynomial(std::vector<long double> coefficients)
    : m_coefficients(std::move(coefficients))
{
    trim();
}

Polynomial Polynomial::constant(long double c)
{
    return Polynomial({ c });
}

Polynomial Polynomial::s()
{
    return Polynomial({ 0.0L, 1.0L });
}

void Polynomial::trim()
{
    while (!m_coefficients.empty() && m_coefficients.back() == 0)
        m_coefficients.pop_back();
}

int Polynomial::rootsAtZero() const
{
    int count = 0;
    while (count < static_cast<int>(m_coefficients.size()) && m_coefficients[count] == 0)
        ++count;
    return isZero() ? 0 : count;
}

long double Polynomial::lowestCoefficient() const
{
    return isZero() ? 0.0L : m_coefficients[static_cast<std::size_t>(rootsAtZero())];
}

Polynomial Polynomial::operator+(const Polynomial &other) const
{
    std::vector<long double> sum(std::max(m_coefficients.size(), other.m_coefficients.size()), 0);
    for (std::size_t i = 0; i < m_coefficients.size(); ++i)
        sum[i] += m_coefficients[i];
    for (std::size_t i = 0; i < other.m_coefficients.size(); ++i)
        sum[i] += other.m_coefficients[i];
    return Polynomial(std::move(sum));
}

Polynomial Polynomial::operator-(const Polynomial &other) const
{
    return *this + -other;
}

Polynomial Polynomial::operator*(const Polynomial &other) const
{
    if (isZero() || other.isZero())
        return {};
    std::vector<long double> product(m_coefficients.size() + other.m_coefficients.size() - 1, 0);
    for (std::size_t i = 0; i < m_coefficients.size(); ++i) {
        for (std::size_t j = 0; j < other.m_coefficients.size(); ++j)
            product[i + j] += m_coefficients[i] * other.m_coefficients[j];
    }
    return Polynomial(std::move(product));
}

Polynomial Polynomial::operator*(long double c) const
{
    std::vector<long double> scaled = m_coefficients;
    for (long double &coefficient : scaled)
        coefficient *= c;
    return Polynomial(std::move(scaled));
}

std::complex<long double> Polynomial::operator()(std::complex<long double> s) const
{
    std::complex<long double> value = 0;
    for (auto c = m_coefficients.rbegin(); c != m_coefficients.rend(); ++c)
        value = value * s + *c;
    return value;
}

namespace {

template <typename Real> std::vector<std::complex<double>> rootsIn(const Polynomial &polynomial)
{
    const int atZero = polynomial.rootsAtZero();
    std::vector<std::complex<double>> roots(static_cast<std::size_t>(atZero), 0.0);
    const int degree = polynomial.degree() - atZero;
    if (degree < 1)
        return roots;
    Eigen::Matrix<Real, Eigen::Dynamic, 1> coefficients(degree + 1);
    for (int i = 0; i <= degree; ++i)
        coefficients[i]
            = static_cast<Real>(polynomial.coefficients()[static_cast<std::size_t>(i + atZero)]);
    Eigen::PolynomialSolver<Real, Eigen::Dynamic> solver(coefficients);
    for (const std::complex<Real> &root : solver.roots())
        roots.emplace_back(static_cast<double>(root.real()), static_cast<double>(root.imag()));
    return roots;
}

} // namespace

std::vector<std::complex<double>> Polynomial::roots() const
{
    return rootsIn<long double>(*this);
}

std::vector<std::complex<double>> Polynomial::approximateRoots() const
{
    return rootsIn<double>(*this);
}

} // namespace velmora
