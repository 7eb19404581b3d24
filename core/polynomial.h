// core/polynomial.h — real polynomials in s, in extended precision, and their roots (core layer)
#pragma once

#include <complex>
#include <vector>

namespace velmora {

// A polynomial with real coefficients, lowest power first: c0 + c1 s + c2 s^2 + ... The zero
// polynomial has no coefficient. Coefficients are kept as computed: nothing is cancelled or
// rounded away, so a factor typed twice stays twice.
class Polynomial {
public:
    Polynomial() = default;
    explicit Polynomial(std::vector<long double> coefficients);
    static Polynomial constant(long double c);
    static Polynomial s(); // the polynomial s

    const std::vector<long double> &coefficients() const { return m_coefficients; }
    bool isZero() const { return m_coefficients.empty(); }
    // The degree; -1 for the zero polynomial.
    int degree() const { return static_cast<int>(m_coefficients.size()) - 1; }
    // How many times s divides it: its roots at s = 0 (0 for the zero polynomial).
    int rootsAtZero() const;
    // The lowest nonzero coefficient (0 for the zero polynomial).
    long double lowestCoefficient() const;

    Polynomial operator+(const Polynomial &other) const;
    Polynomial operator-(const Polynomial &other) const;
    Polynomial operator*(const Polynomial &other) const;
    Polynomial operator*(long double c) const;
    Polynomial operator-() const { return *this * -1.0L; }

    // Horner's rule in complex extended precision.
    std::complex<long double> operator()(std::complex<long double> s) const;

    // Every root, with multiplicity, in no particular order; the roots at zero exactly. The
    // others come from the eigenvalues of the companion matrix (Eigen's polynomial solver), so
    // clustered roots are known only to about the square root of the precision.
    std::vector<std::complex<double>> roots() const;
    // The same in double precision, several times faster, for where roots only place things
    // (break frequencies) rather than decide them.
    std::vector<std::complex<double>> approximateRoots() const;

private:
    void trim();

    std::vector<long double> m_coefficients;
};

// Where c0 + c1 x + ... + cn x^n may have a positive real root: its positive real roots and the
// real parts of its complex roots within 5% of their modulus of the positive real axis (a double
// root may come out as such a pair), in increasing order. Estimates only, to be refined on the
// function they stand for: the eigenvalues of the balanced companion matrix after x is scaled
// by the geometric mean of the roots' moduli, in double or, where the scaled coefficients span
// more than the doubles hold or the degree is 40 or more, in extended precision.
std::vector<long double> PositiveRootEstimates(std::vector<long double> coefficients);

} // namespace velmora
