// Expressions read as typed: what they reduce to, how their numbers are read, and how they are
// refused.
#include "core/expressionparser.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cstring>

using namespace velmora;

namespace {

using Coefficients = std::vector<long double>;

TEST(ExpressionParser, ReducesToNumeratorDenominatorAndDelayAsTyped)
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
        { "0,5/(s+1)", { 0.5L }, { 1, 1 }, 0 }, // a comma between digits is the decimal point
        { "2,5e1*s", { 0, 25 }, { 1 }, 0 },
        { "exp(-0,25*s)/(12,0s + 1)", { 1 }, { 1, 12 }, 0.25L },
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

// The factors of N and D as typed, with their multiplicities; a sum is one factor of its
// numerator and keeps those of its denominators.
TEST(ExpressionParser, FactorsAsTyped)
{
    using Factors = std::vector<std::pair<Coefficients, int>>;
    const auto factors = [](const std::vector<TypedFactor> &typed) {
        Factors out;
        for (const TypedFactor &f : typed)
            out.emplace_back(f.polynomial.coefficients(), f.multiplicity);
        return out;
    };
    const struct {
        const char *text;
        Factors numerator;
        Factors denominator;
    } cases[] = {
        { "0.5/(100*s+1)^28", {}, { { { 1, 100 }, 28 } } },
        { "2*(s+3)/(s*(s-1))", { { { 3, 1 }, 1 } }, { { { 0, 1 }, 1 }, { { -1, 1 }, 1 } } },
        { "(s+1)*(s+1)^2/(s+1)", { { { 1, 1 }, 3 } }, { { { 1, 1 }, 1 } } },
        { "1/((s+1)^2)^3/s^0", {}, { { { 1, 1 }, 6 } } },
        { "1/(s+1) + 2/(s+2)", { { { 4, 3 }, 1 } }, { { { 1, 1 }, 1 }, { { 2, 1 }, 1 } } },
        { "1/(s+1) + 2/(s+1)", {}, { { { 1, 1 }, 1 } } },
        { "(s^2+2*s+5)^2*exp(-s)/s^4", { { { 5, 2, 1 }, 2 } }, { { { 0, 1 }, 4 } } },
        { "0*s/(s+1)", {}, { { { 1, 1 }, 1 } } },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        const TransferFunction f = TransferFunction::parse(c.text);
        EXPECT_EQ(factors(f.numeratorFactors()), c.numerator);
        EXPECT_EQ(factors(f.denominatorFactors()), c.denominator);
    }
}

// Numbers are read by the program's number scanner, in extended precision: the constant is the
// text's value as a long double, whatever form the number takes.
TEST(ExpressionParser, NumbersInEveryFormReadInExtendedPrecision)
{
    for (const char *number : { "0.2", ".5", "5.", "2e-3", "2E+3", "123.456e2", "1.e3", "7",
             "0.1000000000000000000001", "3e-308", "1.7e308", "0e-99999" }) {
        long double expected = 0;
        const auto [end, error] = std::from_chars(number, number + std::strlen(number), expected);
        ASSERT_TRUE(error == std::errc() || error == std::errc::result_out_of_range) << number;
        const TransferFunction f = ParseExpression(std::string(number) + "*s");
        const Coefficients numerator = f.numerator().coefficients();
        if (expected == 0) {
            EXPECT_TRUE(f.numerator().isZero()) << number;
        } else {
            EXPECT_EQ(numerator, (Coefficients { 0, expected })) << number;
        }
        EXPECT_EQ(ParseExpression(std::string("exp(-") + number + "*s)").delay(), expected)
            << number;
    }
}

// Below the normal doubles, a number is too small as a coefficient, and a delay as short as it
// is.
TEST(ExpressionParser, NumbersBelowTheDoublesAreDelaysButNoCoefficients)
{
    for (const char *number : { "1e-4000", "1e-99999", "2e-308", "1e-320" }) {
        try {
            ParseExpression(std::string(number) + "*s");
            ADD_FAILURE() << number;
        } catch (const ExpressionError &error) {
            EXPECT_EQ(error.column(), 1);
            EXPECT_NE(std::string(error.what()).find("trop petit"), std::string::npos) << number;
        }
        long double expected = 0;
        std::from_chars(number, number + std::strlen(number), expected);
        EXPECT_EQ(ParseExpression(std::string("exp(-") + number + "*s)").delay(), expected)
            << number;
    }
}

// The expanded numerator and denominator keep doubles of normal size: a coefficient beyond them,
// however it is reached, is refused at the operation that reaches it.
TEST(ExpressionParser, CoefficientsOutOfTheDoublesAreRefusedWhereReached)
{
    const struct {
        const char *text;
        int column;
    } cases[] = {
        { "1e300^20/(s+1)", 7 },
        { "1e308*10/s", 6 },
        { "1/(1e84*s-20)^60", 15 },
        { "1/(1e-100*s)^50", 14 },
        { "1e-200*1e-200*s+1", 7 },
        { "1/(1e200 s)/(1e200 s)", 12 },
        { "1e308/(s+1) + 1e308/(s+1)", 13 },
        { "(1e-300*s+1)*1e-10", 13 },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        try {
            TransferFunction::parse(c.text);
            ADD_FAILURE() << "accepted";
        } catch (const ExpressionError &error) {
            EXPECT_EQ(error.column(), c.column) << error.what();
            EXPECT_NE(std::string(error.what()).find("coefficient hors limites"), std::string::npos)
                << error.what();
        }
    }
    // At the edges of the doubles, and cancelled to zero: accepted as computed.
    EXPECT_EQ(TransferFunction::parse("1e154*1e154*s").numerator().coefficients().back(),
        1e154L * 1e154L);
    EXPECT_EQ(TransferFunction::parse("(1e300*s + 1) - 1e300*s").numerator().coefficients(),
        (Coefficients { 1 }));
}

TEST(ExpressionParser, RefusedWithTheColumnAndWhatWasExpected)
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
        { ".", 1, "nombre attendu" },
        { ".e5", 1, "nombre attendu" },
        { "2*.", 3, "nombre attendu" },
        { "exp(-.s)", 6, "nombre attendu" },
        { "exp(-s*.)", 8, "nombre attendu" },
        { "2e", 2, "au lieu de « e »" },
        { "2e+s", 2, "au lieu de « e »" },
        { "3..", 3, "au lieu de « . »" },
        { "1e5000", 1, "nombre trop grand" },
        { "exp(-1e999s)", 6, "nombre trop grand" },
        { "0.1*s*exp(-1e3*s)", 1, "retard avec plus de zéros que de pôles" },
        { "exp(-s)*(s+1)^2/(s+2)", 1, "degré du numérateur (2)" },
        { "exp(-0.5*s)*s^3/(s^2+1)", 1, "celui du dénominateur (2)" },
        { "1,s", 2, "au lieu de « , »" }, // a comma elsewhere is no decimal point
        { ",5*s", 1, "au lieu de « , »" },
        { "0.5,5*s", 4, "au lieu de « , »" },
        { "0,5,5*s", 4, "au lieu de « , »" },
        { "1e3,5", 4, "au lieu de « , »" },
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

// A character that ends C strings is shown, not obeyed: the message goes on after it.
TEST(ExpressionParser, ControlCharactersAreShownInTheMessage)
{
    const struct {
        std::string text;
        int column;
        const char *message;
    } cases[] = {
        { std::string("s\0s", 3), 2, "au lieu de « \\0 »" },
        { std::string("2*\0", 3), 3, "au lieu de « \\0 »" },
        { std::string("(s+1\0", 5), 5, "« ) » attendue" },
        { "s\x01", 2, "au lieu de « \\x01 »" },
    };
    for (const auto &c : cases) {
        try {
            TransferFunction::parse(c.text);
            ADD_FAILURE() << "accepted";
        } catch (const ExpressionError &error) {
            EXPECT_EQ(error.column(), c.column) << error.what();
            EXPECT_NE(std::string(error.what()).find(c.message), std::string::npos) << error.what();
        }
    }
}

TEST(ExpressionParser, DeepNestingIsRefusedNotAStackOverflow)
{
    // 200 levels are parsed; a wall of parentheses or signs is refused at the level past, or
    // beyond the longest expression for its length.
    const std::string deep = std::string(200, '(') + "s" + std::string(200, ')');
    EXPECT_NO_THROW(TransferFunction::parse(deep));
    const struct {
        std::string wall;
        int column;
        const char *message;
    } cases[] = {
        { std::string(201, '(') + "s", 201, "trop imbriquée" },
        { std::string(201, '-') + "s", 201, "trop imbriquée" },
        { std::string(100000, '('), MaxExpressionLength + 1, "trop longue" },
        { std::string(100000, '-') + "s", MaxExpressionLength + 1, "trop longue" },
    };
    for (const auto &c : cases) {
        try {
            TransferFunction::parse(c.wall);
            ADD_FAILURE() << "accepted";
        } catch (const ExpressionError &error) {
            EXPECT_EQ(error.column(), c.column);
            EXPECT_NE(std::string(error.what()).find(c.message), std::string::npos);
        }
    }
}

// The degree is refused at the operation that takes it above 60, whatever the operation; text
// longer than the limit is refused whole, counted in characters.
TEST(ExpressionParser, DegreeRefusedWhereReachedAndLengthBounded)
{
    const struct {
        std::string text;
        int column;
        const char *message;
    } cases[] = {
        { "1/(s+1)^60 + 1/(s+2)^60", 12, "degré trop élevé" },
        { "1/(s+1)^60 - 2/(s+1)^60 + s/(s+3)", 25, "degré trop élevé" },
        { "(s+1)^30*(s+2)^30*s", 18, "degré trop élevé" },
        { "(s+1)^30*(s+2)^30 s", 19, "degré trop élevé" },
        { "(s+1)^40/(s+2)^10/(s+3)^20*(s+4)^21", 27, "degré trop élevé" },
        { "(s^2+1)^31", 9, "degré trop élevé" },
        { std::string(MaxExpressionLength + 1, ' '), MaxExpressionLength + 1, "trop longue" },
        // Characters, not bytes: é is two bytes and one column.
        { std::string(MaxExpressionLength - 2, ' ') + "é", MaxExpressionLength - 1, "« é »" },
        { std::string(MaxExpressionLength - 1, ' ') + "éé", MaxExpressionLength + 1,
            "trop longue" },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text.substr(0, 60));
        try {
            TransferFunction::parse(c.text);
            ADD_FAILURE() << "accepted";
        } catch (const ExpressionError &error) {
            EXPECT_EQ(error.column(), c.column) << error.what();
            EXPECT_NE(std::string(error.what()).find(c.message), std::string::npos) << error.what();
        }
    }
    // The longest expression is read.
    std::string longest = "1";
    while (longest.size() + 2 <= static_cast<std::size_t>(MaxExpressionLength))
        longest += "*1";
    longest.resize(MaxExpressionLength, ' ');
    EXPECT_NO_THROW(TransferFunction::parse(longest));
}

} // namespace
