// core/polynomial.cpp — real polynomials in s and their roots (core layer)
#include "core/polynomial.h"

#include <Eigen/Eigenvalues>
#include <unsupported/Eigen/Polynomials>

#include <algorithm>
#include <cmath>
#include <limits>

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

using ComplexRoots = std::vector<std::complex<long double>>;

// The roots of c0 + c1 z + c2 z^2 (c2 != 0), by the formulas that lose no digits: the root of
// larger modulus first, the other from the product of the roots.
ComplexRoots quadraticRoots(long double c0, long double c1, long double c2)
{
    const long double discriminant = c1 * c1 - 4 * c2 * c0;
    if (discriminant >= 0) {
        const long double q = -(c1 + std::copysign(std::sqrt(discriminant), c1)) / 2;
        if (q == 0)
            return { 0, 0 };
        return { q / c2, c0 / q };
    }
    const long double re = -c1 / (2 * c2);
    const long double im = std::fabs(std::sqrt(-discriminant) / (2 * c2));
    return { { re, im }, { re, -im } };
}

// The roots of c0 + ... + cn z^n with c0 and cn nonzero: closed forms up to degree 2, above
// the eigenvalues of the balanced companion matrix in `Real`, without their eigenvectors.
template <typename Real> ComplexRoots nonZeroRoots(const std::vector<long double> &c)
{
    const std::size_t degree = c.size() - 1;
    if (degree == 1)
        return { -c[0] / c[1] };
    if (degree == 2)
        return quadraticRoots(c[0], c[1], c[2]);
    using Vector = Eigen::Matrix<Real, Eigen::Dynamic, 1>;
    using Matrix = Eigen::Matrix<Real, Eigen::Dynamic, Eigen::Dynamic>;
    Vector coefficients(static_cast<Eigen::Index>(degree + 1));
    for (std::size_t i = 0; i <= degree; ++i)
        coefficients[static_cast<Eigen::Index>(i)] = static_cast<Real>(c[i]);
    Eigen::internal::companion<Real, Eigen::Dynamic> companion(coefficients);
    companion.balance();
    const Eigen::EigenSolver<Matrix> solver(companion.denseMatrix(), false);
    ComplexRoots roots;
    for (const std::complex<Real> &root : solver.eigenvalues())
        roots.emplace_back(root.real(), root.imag());
    return roots;
}

template <typename Real> std::vector<std::complex<double>> rootsIn(const Polynomial &polynomial)
{
    const int atZero = polynomial.rootsAtZero();
    std::vector<std::complex<double>> roots(static_cast<std::size_t>(atZero), 0.0);
    if (polynomial.degree() - atZero < 1)
        return roots;
    const std::vector<long double> &c = polynomial.coefficients();
    for (const std::complex<long double> &root :
        nonZeroRoots<Real>(std::vector<long double>(c.begin() + atZero, c.end())))
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

std::vector<long double> PositiveRootEstimates(std::vector<long double> c)
{
    while (!c.empty() && c.back() == 0)
        c.pop_back();
    const auto lowest = std::find_if(c.begin(), c.end(), [](long double v) { return v != 0; });
    c.erase(c.begin(), lowest);
    if (c.size() < 2)
        return {};
    for (const long double v : c)
        if (!std::isfinite(v))
            return {};
    // x = scale z, scale the geometric mean of the roots' moduli, and the coefficients of z
    // divided by the largest: in range whatever the spread of the roots.
    const std::size_t degree = c.size() - 1;
    const long double logScale
        = (std::log(std::fabs(c.front())) - std::log(std::fabs(c.back()))) / degree;
    std::vector<long double> logs(c.size());
    long double largest = -std::numeric_limits<long double>::infinity();
    for (std::size_t k = 0; k <= degree; ++k) {
        logs[k] = c[k] == 0 ? -std::numeric_limits<long double>::infinity()
                            : std::log(std::fabs(c[k])) + k * logScale;
        largest = std::max(largest, logs[k]);
    }
    bool fitsDouble = true;
    for (std::size_t k = 0; k <= degree; ++k) {
        c[k] = c[k] == 0 ? 0 : std::copysign(std::exp(logs[k] - largest), c[k]);
        fitsDouble = fitsDouble && (c[k] == 0 || std::fabs(c[k]) > 1e-280L);
    }
    const ComplexRoots roots
        = fitsDouble && degree < 40 ? nonZeroRoots<double>(c) : nonZeroRoots<long double>(c);
    const long double scale = std::exp(logScale);
    std::vector<long double> estimates;
    for (const std::complex<long double> &z : roots)
        if (z.real() > 0 && std::fabs(z.imag()) <= 0.05L * std::abs(z))
            estimates.push_back(z.real() * scale);
    std::sort(estimates.begin(), estimates.end());
    return estimates;
}

} // namespace velmora
