// core/transferfunction.h — open-loop transfer functions typed as expressions in s (core layer)
#pragma once

#include "core/polynomial.h"

#include <complex>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

// The longest expression read, in characters: longer text is refused before it is parsed, which
// bounds the work of a parse (a field that checks each key stroke may hold no more).
constexpr int MaxExpressionLength = 1000;

// A refused expression: the message is French and starts with the column (counted in
// characters from 1) where the expression went wrong: "colonne 11 : « ) » attendue".
class ExpressionError : public std::runtime_error {
public:
    ExpressionError(int column, const std::string &what);
    int column() const noexcept { return m_column; }

private:
    int m_column;
};

// A factor of the numerator or of the denominator as typed, of degree 1 or more, and the times
// it divides it: "(s+1)^3*s" has (s+1) three times and s once. A sum is one factor.
struct TypedFactor {
    Polynomial polynomial;
    int multiplicity;
};

// A value of G and of its derivative dG/ds at one point s.
struct ValueAndSlope {
    std::complex<long double> value;
    std::complex<long double> slope;
};

// G(s) = N(s) / D(s) * exp(-T s), read from text such as "4/(s*(s+1)*(s+2))",
// "0.5*exp(-0.2*s)/(s*(0.5*s+1))" or "2*(s+3)/(s*(s-1))". The grammar: numbers with a decimal
// point ("0.5", "2e-3"), s, + - * /, ^ with a whole exponent from 0 to 99, parentheses, implicit
// products before s, "(" and exp ("2s", "(s+1)(s+2)"), and delay factors exp(-T*s), exp(-Ts),
// exp(-s*T), exp(-s) with T >= 0 seconds, which must multiply the whole function. N and D keep
// the common factors as typed. The function is evaluated as typed, factor by factor, which keeps
// a lightly damped factor exact where the expanded polynomial would lose digits.
class TransferFunction {
public:
    // Throws ExpressionError for any text that does not fit, for a text longer than
    // MaxExpressionLength characters, for a denominator that is identically zero ("dénominateur
    // nul"), for a time advance, for a delay times a rational part with more zeros than poles
    // (its closed loop has no meaning), and at the operation that reaches it, for a degree above 60
    // or a coefficient of the expanded numerator or denominator that is not zero or a double of
    // normal size ("coefficient hors limites": about 2.2e-308 to 1.8e308 in magnitude; a number
    // typed below that is "trop petit", above "trop grand").
    static TransferFunction parse(std::string_view text);

    const std::string &text() const { return m_text; }
    const Polynomial &numerator() const { return m_numerator; }
    const Polynomial &denominator() const { return m_denominator; }
    long double delay() const { return m_delay; } // seconds
    // N and D are each a constant times the product of these, as typed: the roots of a factor
    // typed (100 s + 1)^28 are those of 100 s + 1, not of the expanded polynomial.
    const std::vector<TypedFactor> &numeratorFactors() const { return m_numeratorFactors; }
    const std::vector<TypedFactor> &denominatorFactors() const { return m_denominatorFactors; }

    // Poles at s = 0 less zeros at s = 0, as typed: the number of net integrators (negative for
    // net differentiators).
    int netIntegrators() const;
    // lim s^n G(s) as s -> 0, with n the net integrators: the low-frequency gain, delay aside.
    long double lowFrequencyGain() const;

    // G without its delay at a complex s, evaluated as typed, in extended precision or, for a
    // quick look (sampling a locus), in double precision.
    std::complex<long double> rationalValue(std::complex<long double> s) const;
    std::complex<double> rationalValue(std::complex<double> s) const;
    // The same, with dG/ds.
    ValueAndSlope rationalAt(std::complex<long double> s) const;

    // G without its delay at s = j omega, quickly: N / D expanded, in double precision, each by
    // its even and odd parts in omega^2. Good to about 1e-12 of the value for the functions
    // typed here, which places a point of a locus; nothing when a part overflows or vanishes.
    std::optional<std::complex<double>> quickOnAxis(double omega) const;

private:
    // One operation of the postfix program that evaluates the expression as typed.
    // Steps that take a constant or s with them fuse two steps of the plain machine.
    struct Step {
        enum Kind {
            Constant,
            S,
            Add,
            Subtract,
            Multiply,
            Divide,
            Negate,
            Power,
            AddConstant,
            MultiplyConstant,
            MultiplyS,
        } kind;
        long double constant = 0; // for the steps with a constant
        double quickConstant = 0; // the same, rounded to double
        int exponent = 0; // for Power
    };

    // Runs the program on numbers of type Number, s being the variable: complex values in
    // double or extended precision, or values carrying their derivative dG/ds.
    template <typename Number> Number run(const Number &s) const;
    void prepareQuickParts();

    std::string m_text;
    Polynomial m_numerator;
    Polynomial m_denominator;
    long double m_delay = 0;
    std::vector<TypedFactor> m_numeratorFactors;
    std::vector<TypedFactor> m_denominatorFactors;
    std::vector<Step> m_program;
    // The coefficients of N and of D split for s = j omega: real part sum (-1)^k c_2k w^2k,
    // imaginary part w sum (-1)^k c_2k+1 w^2k.
    std::vector<double> m_numeratorEven, m_numeratorOdd, m_denominatorEven, m_denominatorOdd;

    friend class ExpressionParser;
};

} // namespace velmora
