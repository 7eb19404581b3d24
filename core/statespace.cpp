// core/statespace.cpp — balanced state-space realisations of rational transfer functions
#include "core/statespace.h"

#include <unsupported/Eigen/MatrixFunctions>

#include <cmath>

namespace velmora {

std::complex<double> StateSpace::valueAt(std::complex<double> s) const
{
    const int n = order();
    if (n == 0)
        return d;
    const Eigen::MatrixXcd shifted
        = s * Eigen::MatrixXcd::Identity(n, n) - a.template cast<std::complex<double>>();
    const Eigen::VectorXcd x = shifted.partialPivLu().solve(b.cast<std::complex<double>>());
    return (c.cast<std::complex<double>>() * x)(0) + d;
}

MatrixExponential::MatrixExponential(const Eigen::MatrixXd &a, double unit)
    : m_a(a)
    , m_step(unit)
{
    const double norm = a.size() > 0 ? a.cwiseAbs().colwise().sum().maxCoeff() : 0;
    while (norm * m_step > 1)
        m_step /= 2;
}

const Eigen::MatrixXd &MatrixExponential::power(int j)
{
    if (m_powers.empty())
        m_powers.push_back((m_a * m_step).exp());
    while (static_cast<int>(m_powers.size()) <= j)
        m_powers.push_back(m_powers.back() * m_powers.back());
    return m_powers[j];
}

bool MatrixExponential::split(double t, unsigned long long &multiple, double &rest) const
{
    const double count = std::floor(t / m_step);
    if (!(count >= 0 && count < 0x1p62))
        return false;
    multiple = static_cast<unsigned long long>(count);
    rest = std::max(0.0, t - count * m_step);
    return true;
}

Eigen::VectorXd MatrixExponential::apply(double t, const Eigen::VectorXd &z)
{
    unsigned long long multiple;
    double rest;
    if (m_a.size() == 0)
        return z;
    if (!split(t, multiple, rest))
        return (m_a * t).exp() * z;
    Eigen::VectorXd x = z;
    for (int j = 0; multiple != 0; ++j, multiple >>= 1)
        if (multiple & 1)
            x = power(j) * x;
    // exp(a rest) x by its series: |a| rest <= 1, so 20 terms leave less than 1e-19.
    Eigen::VectorXd sum = x, term = x;
    for (int k = 1; k < 21; ++k) {
        term = m_a * term * (rest / k);
        sum += term;
    }
    return sum;
}

Eigen::MatrixXd MatrixExponential::matrix(double t)
{
    unsigned long long multiple;
    double rest;
    if (!split(t, multiple, rest))
        return (m_a * t).exp();
    Eigen::MatrixXd x = (m_a * rest).exp();
    for (int j = 0; multiple != 0; ++j, multiple >>= 1)
        if (multiple & 1)
            x = power(j) * x;
    return x;
}

template <typename Real>
Eigen::Matrix<Real, Eigen::Dynamic, 1> Balance(
    Eigen::Matrix<Real, Eigen::Dynamic, Eigen::Dynamic> &a)
{
    const Eigen::Index n = a.rows();
    Eigen::Matrix<Real, Eigen::Dynamic, 1> scale = Eigen::Matrix<Real, Eigen::Dynamic, 1>::Ones(n);
    constexpr Real Radix = 2;
    bool done = false;
    // Each sweep lowers the sum of the norms by at least 5 % or stops; the scale factors are
    // bounded by the exponent range, so the sweeps are few.
    for (int sweep = 0; sweep < 200 && !done; ++sweep) {
        done = true;
        for (Eigen::Index i = 0; i < n; ++i) {
            Real column = 0;
            Real row = 0;
            for (Eigen::Index j = 0; j < n; ++j) {
                if (j != i) {
                    column += std::abs(a(j, i));
                    row += std::abs(a(i, j));
                }
            }
            if (column == 0 || row == 0)
                continue;
            const Real sum = column + row;
            Real f = 1;
            Real c = column;
            while (c < row / Radix) {
                f *= Radix;
                c *= Radix * Radix;
            }
            while (c > row * Radix) {
                f /= Radix;
                c /= Radix * Radix;
            }
            if ((c + row) / f < Real(0.95) * sum) {
                done = false;
                scale(i) *= f;
                a.row(i) /= f;
                a.col(i) *= f;
            }
        }
    }
    return scale;
}

template Eigen::VectorXd Balance<double>(Eigen::MatrixXd &a);
template Eigen::Matrix<long double, Eigen::Dynamic, 1> Balance<long double>(
    Eigen::Matrix<long double, Eigen::Dynamic, Eigen::Dynamic> &a);

namespace {

int DegreeOf(const std::vector<long double> &coefficients)
{
    int degree = static_cast<int>(coefficients.size()) - 1;
    while (degree >= 0 && coefficients[degree] == 0)
        --degree;
    return degree;
}

} // namespace

std::optional<StateSpace> Realise(
    const std::vector<long double> &numerator, const std::vector<long double> &denominator)
{
    using MatrixL = Eigen::Matrix<long double, Eigen::Dynamic, Eigen::Dynamic>;
    using VectorL = Eigen::Matrix<long double, Eigen::Dynamic, 1>;
    const int n = DegreeOf(denominator);
    const int m = DegreeOf(numerator);
    if (n < 0 || m > n)
        return std::nullopt;
    const long double lead = denominator[n];
    const long double direct = m == n ? numerator[n] / lead : 0;

    // x_i' = x_(i+1), x_n' = u - sum a_k x_(k+1), y = sum c_k x_(k+1) + d u.
    MatrixL a = MatrixL::Zero(n, n);
    VectorL c(n);
    for (int k = 0; k < n; ++k) {
        if (k + 1 < n)
            a(k, k + 1) = 1;
        const long double ak = denominator[k] / lead;
        a(n - 1, k) = -ak;
        c(k) = (k <= m ? numerator[k] / lead : 0) - direct * ak;
    }
    const VectorL scale = Balance(a);
    VectorL b = VectorL::Zero(n);
    if (n > 0)
        b(n - 1) = 1 / scale(n - 1);
    c = c.cwiseProduct(scale);
    // The same norm for b and c, by a power of 2: the input and output are then of one size.
    const long double nb = b.norm();
    const long double nc = c.norm();
    if (nb > 0 && nc > 0) {
        const long double alpha = std::exp2(std::round(std::log2(nc / nb) / 2));
        b *= alpha;
        c /= alpha;
    }

    StateSpace realisation;
    realisation.a = a.cast<double>();
    realisation.b = b.cast<double>();
    realisation.c = c.transpose().cast<double>();
    realisation.d = static_cast<double>(direct);
    if (!realisation.a.allFinite() || !realisation.b.allFinite() || !realisation.c.allFinite()
        || !std::isfinite(realisation.d) || (n > 0 && realisation.b(n - 1) == 0))
        return std::nullopt;
    return realisation;
}

} // namespace velmora
