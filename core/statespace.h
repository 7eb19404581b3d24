// core/statespace.h — balanced state-space realisations of rational transfer functions, for the
// time responses (core layer; Eigen in the interface, so included by core sources only)
#pragma once

#include <Eigen/Dense>

#include <complex>
#include <optional>
#include <vector>

namespace velmora {

// x' = a x + b u, y = c x + d u: one input, one output, n states (n may be 0: a pure gain).
struct StateSpace {
    Eigen::MatrixXd a;
    Eigen::VectorXd b;
    Eigen::RowVectorXd c;
    double d = 0;

    int order() const { return static_cast<int>(a.rows()); }
    // c (sI - a)^-1 b + d.
    std::complex<double> valueAt(std::complex<double> s) const;
};

// exp(a t) for t >= 0 in a few products: the powers exp(a d 2^j), by squaring from a step d with
// |a| d <= 1 (kept as they are made), times exp(a r) for the rest r < d of t (its series). Far
// cheaper than a new exponential at each t when many times are asked of one matrix.
class MatrixExponential {
public:
    // d = unit / 2^k, the largest such step with |a| d <= 1, so that unit 2^j are exact powers.
    MatrixExponential(const Eigen::MatrixXd &a, double unit);

    Eigen::VectorXd apply(double t, const Eigen::VectorXd &z);
    Eigen::MatrixXd matrix(double t);

private:
    const Eigen::MatrixXd &power(int j);
    bool split(double t, unsigned long long &multiple, double &rest) const;

    Eigen::MatrixXd m_a;
    double m_step = 0;
    std::vector<Eigen::MatrixXd> m_powers;
};

// Scales a square matrix by a diagonal similarity of powers of 2 so that each row and its column
// have comparable norms (Parlett and Reinsch): a becomes S^-1 a S, and S's diagonal is returned.
// The eigenvalues are unchanged and the rounding of the products is exact.
template <typename Real>
Eigen::Matrix<Real, Eigen::Dynamic, 1> Balance(
    Eigen::Matrix<Real, Eigen::Dynamic, Eigen::Dynamic> &a);

// The realisation of numerator / denominator (coefficients lowest power first, as typed in
// extended precision) in controllable canonical form, balanced in extended precision before it
// is rounded to double, so that coefficients spanning far more than the double range of a
// companion matrix (a factor typed to a high power) give entries of moderate size; b and c are
// scaled to the same norm. Nothing for a numerator of higher degree than the denominator, a zero
// denominator, or an entry that does not fit in a double.
std::optional<StateSpace> Realise(
    const std::vector<long double> &numerator, const std::vector<long double> &denominator);

} // namespace velmora
