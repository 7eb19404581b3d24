// Transfer functions: their low-frequency structure, and their evaluation as typed, in double
// and extended precision and with the derivative, however deep the expression.
#include "core/transferfunction.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

using namespace velmora;

namespace {

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

// A continued fraction nested far deeper than the evaluator's fixed stack: the value in both
// precisions and the slope are those of the fraction computed directly.
TEST(TransferFunction, DeepExpressionsEvaluateInEveryPrecisionAndWithTheSlope)
{
    // 130 levels fit the longest expression and run deeper than the fixed stack of 64.
    for (const int depth : { 3, 40, 130 }) {
        std::string text = "(1+s)";
        for (int i = 0; i < depth; ++i)
            text = "(1+.5/" + text + ")";
        const TransferFunction f = TransferFunction::parse(text);
        for (const double omega : { 0.1, 1.0, 7.0 }) {
            const std::complex<long double> s(0.2L, omega);
            std::complex<long double> value = 1.0L + s;
            std::complex<long double> slope = 1;
            for (int i = 0; i < depth; ++i) {
                slope = -0.5L * slope / (value * value);
                value = 1.0L + 0.5L / value;
            }
            const ValueAndSlope typed = f.rationalAt(s);
            EXPECT_LT(std::abs(typed.value - value), 1e-17L * std::abs(value)) << depth;
            EXPECT_LT(std::abs(typed.slope - slope), 1e-15L * std::abs(slope) + 1e-30L) << depth;
            EXPECT_LT(std::abs(f.rationalValue(s) - value), 1e-17L * std::abs(value)) << depth;
            const std::complex<double> quick = f.rationalValue(std::complex<double>(s));
            EXPECT_LT(std::abs(std::complex<long double>(quick) - value), 1e-14L * std::abs(value))
                << depth;
        }
    }
}

} // namespace
