// Transfer functions typed as text: what they reduce to, how they evaluate, and how they are
// refused.
#include "core/transferfunction.h"

#include <gtest/gtest.h>

#include <random>

using namespace velmora;

namespace {

using Coefficients = std::vector<long double>;

TEST(TransferFunction, ReducesToNumeratorDenominatorAndDelayAsTyped)
{
    struct Case {
        const char *text;
        Coefficients numerator;
        Coefficients denominator;
        long double delay;
    };
    const Case cases[] = {
        { "2*(s+3)/(s*(s-1))", { 6, 2 }, { 0, -1, 1 }, 0 },
        { "4/(s*(s+1)*(s+2))", { 4 }, { 0, 2, 3, 1 }, 0 },
        { "(s+1)(s+2)", { 2, 3, 1 }, { 1 }, 0 },
        { "2s", { 0, 2 }, { 1 }, 0 },
        { " -s^2 + 1 ", { 1, 0, -1 }, { 1 }, 0 },
        { "0.5*exp(-0.2*s)/(s*(0.5*s+1))", { 0.5L }, { 0, 1, 0.5L }, 0.2L },
        { "3exp(-0.5s)/(2s+1)", { 3 }, { 1, 2 }, 0.5L },
        { "exp(-s*0.25)exp(-s)/s", { 1 }, { 0, 1 }, 1.25L },
        { "exp(-0*s)*s/s", { 0, 1 }, { 0, 1 }, 0 }, // the common factor stays
        { "1/(s+1) + 2/(s+1)", { 3 }, { 1, 1 }, 0 },
        { "(s+1)^0*5e-1", { 0.5L }, { 1 }, 0 },
    };
    for (const Case &c : cases) {
        const TransferFunction f = TransferFunction::parse(c.text);
        SCOPED_TRACE(c.text);
        EXPECT_EQ(f.numerator().coefficients(), c.numerator);
        EXPECT_EQ(f.denominator().coefficients(), c.denominator);
        EXPECT_EQ(f.delay(), c.delay);
        EXPECT_EQ(f.text(), c.text);
    }
}

TEST(TransferFunction, IntegratorsAndLowFrequencyGain)
{
    EXPECT_EQ(TransferFunction::parse("4/(s*(s+1)*(s+2))").netIntegrators(), 1);
    EXPECT_EQ(TransferFunction::parse("4/(s*(s+1)*(s+2))").lowFrequencyGain(), 2);
    EXPECT_EQ(TransferFunction::parse("5*(s+0.5)^3/(s^3*(0.05*s+1)^2)").netIntegrators(), 3);
    EXPECT_EQ(TransferFunction::parse("s/(s*(s+1))").netIntegrators(), 0);
    EXPECT_EQ(TransferFunction::parse("-2/((s+1)*(0.2*s+1))").lowFrequencyGain(), -2);
    EXPECT_EQ(TransferFunction::parse("s^2/(s+1)").netIntegrators(), -2);
}

// Evaluated as typed, the function equals N / D, and its slope the derivative of N / D.
TEST(TransferFunction, EvaluationAsTypedAgreesWithTheReducedForm)
{
    const char *texts[] = { "4/(s*(s+1)*(s+2))", "20*(s^2+0.4*s+4)/(s*(s+1)*(s^2+0.08*s+16))",
        "2*(1-0.5*s)/(s*(s+1)*(0.2*s+1))", "(s+1)^5/((s+2)^3 (3s+1) - s/(s+4))",
        "100*(s+1)^2/(s^3*(0.1*s+1)*(0.0001*s^2+0.0004*s+1))" };
    std::mt19937_64 random(5);
    std::uniform_real_distribution<double> exponent(-2, 2);
    for (const char *text : texts) {
        const TransferFunction f = TransferFunction::parse(text);
        for (int i = 0; i < 50; ++i) {
            const std::complex<long double> s(0, std::pow(10.0L, exponent(random)));
            const std::complex<long double> reduced = f.numerator()(s) / f.denominator()(s);
            const ValueAndSlope typed = f.rationalAt(s);
            EXPECT_LT(std::abs(typed.value - reduced), 1e-15L * std::abs(reduced)) << text;
            const std::complex<double> quick = f.rationalValue(std::complex<double>(0, s.imag()));
            EXPECT_LT(
                std::abs(std::complex<long double>(quick) - reduced), 1e-11L * std::abs(reduced));
            const long double h = s.imag() * 1e-7L;
            const std::complex<long double> difference
                = (f.rationalValue(s + std::complex<long double>(0, h))
                      - f.rationalValue(s - std::complex<long double>(0, h)))
                / std::complex<long double>(0, 2 * h);
            EXPECT_LT(std::abs(typed.slope - difference), 1e-6L * std::abs(typed.slope) + 1e-12L)
                << text;
        }
    }
}

TEST(TransferFunction, RefusedWithTheColumnAndWhatWasExpected)
{
    struct Case {
        const char *text;
        int column;
        const char *message;
    };
    const Case cases[] = {
        { "4/(s*(s+1)", 11, "colonne 11 : « ) » attendue" },
        { "", 1, "expression vide" },
        { "   ", 1, "expression vide" },
        { "1/(s-s)", 2, "dénominateur nul" },
        { "1/(0*s)", 2, "dénominateur nul" },
        { "exp(0.2*s)/s", 5, "avance exp(+Ts) refusée" },
        { "exp(+s)", 5, "avance" },
        { "s/exp(-s)", 1, "avance" },
        { "s^-1", 3, "exposant entier de 0 à 99 attendu" },
        { "s^1.5", 3, "exposant entier" },
        { "s^100", 3, "exposant entier" },
        { "2*x", 3, "au lieu de « x »" },
        { "s)", 2, "« ) » sans « ( »" },
        { "s s2", 4, "au lieu de « 2 »" },
        { "1/(s+1) + exp(-s)", 9, "retard dans une somme" },
        { "(s+1)^61", 7, "degré trop élevé" },
        { "1e999*s", 1, "nombre trop grand" },
        { "s*é", 3, "au lieu de « é »" },
        { "é", 1, "au lieu de « é »" },
        { "exp(-2)", 7, "retard attendu sous la forme exp(-T*s)" },
        { "exp -s", 5, "« ( » attendue après exp" },
        { "2*", 3, "en fin d'expression" },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        try {
            TransferFunction::parse(c.text);
            ADD_FAILURE() << "accepted";
        } catch (const ExpressionError &error) {
            EXPECT_EQ(error.column(), c.column) << error.what();
            EXPECT_NE(std::string(error.what()).find(c.message), std::string::npos) << error.what();
        }
    }
}

TEST(TransferFunction, DeepNestingIsRefusedNotAStackOverflow)
{
    // 200 levels are parsed; a pasted wall of parentheses or signs is refused at the level past.
    const std::string deep = std::string(200, '(') + "s" + std::string(200, ')');
    EXPECT_NO_THROW(TransferFunction::parse(deep));
    for (const std::string &wall :
        { std::string(100000, '('), std::string(100000, '-') + "s", std::string(201, '(') + "s" }) {
        try {
            TransferFunction::parse(wall);
            ADD_FAILURE() << "accepted";
        } catch (const ExpressionError &error) {
            EXPECT_EQ(error.column(), 201);
            EXPECT_NE(std::string(error.what()).find("trop imbriquée"), std::string::npos);
        }
    }
}

} // namespace
