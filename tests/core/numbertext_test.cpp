// Number text: reading user text and writing label texts.
#include "core/floatingpointerror.h"
#include "core/numbertext.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <limits>
#include <string>

using namespace velmora;

namespace {

struct TextCase {
    double x;
    const char *text;
};

TEST(RealToText, WorkedValues)
{
    const TextCase cases[] = {
        { 0, "0" },
        { 2, "2" },
        { 30, "30" },
        { -30, "-30" },
        { 40, "40" },
        { -260, "-260" },
        { 10, "10" },
        { 0.25, ".25" },
        { 0.5, ".5" },
        { -0.5, "-0.5" },
        { 1.5, "1.5" },
        { 12, "12" },
        { -1, "-1" },
        { 100, "100" },
        { 400, "400" },
        { -12345678, "-1.23E7" },
        { 0.01, ".01" },
        { 0.0099, " 9.9E-3" },
        { 0.00995, ".01" },
        { 0.005, " 5E-3" },
        { -0.001, "-1E-3" },
        { -0.000025, "-2.5E-5" },
        { 0.12345, ".1235" },
        { 0.0625, ".0625" },
        { 2.0001, "2.0001" },
        { 33.3333333, "33.3333" },
        { 400.00004, "400" },
        { 400.0001, " 4E2" },
        { 401, " 4.01E2" },
        { 1000, " 1E3" },
        { 1234.5, " 1.23E3" },
        { 10000000000, " 1E10" },
        { 0.0000000001, " 1E-10" },
        { 12951, " 1.3E4" },
    };
    for (const TextCase &c : cases)
        EXPECT_EQ(RealToText(c.x), c.text) << "x = " << c.x;
}

TEST(RealToText, ZeroSignAndRoundingCarries)
{
    EXPECT_EQ(RealToText(-0.0), "0");
    EXPECT_EQ(RealToText(-0.00001), "-1E-5");
    // A mantissa that rounds up to 10 raises the exponent.
    EXPECT_EQ(RealToText(999.6), " 1E3");
    EXPECT_EQ(RealToText(9.9996), "9.9996");
    EXPECT_EQ(RealToText(9.99996), "10");
    EXPECT_EQ(RealToText(-399.99996), "-400");
    EXPECT_EQ(RealToText(1.05e7), " 1.05E7");
}

TEST(RealToText, ExtremeDoublesStayShortAndExponentHasNoLeadingZeros)
{
    EXPECT_EQ(RealToText(std::numeric_limits<double>::max()), " 1.8E308");
    EXPECT_EQ(RealToText(-std::numeric_limits<double>::max()), "-1.8E308");
    EXPECT_EQ(RealToText(std::numeric_limits<double>::denorm_min()), " 4.94E-324");
    EXPECT_EQ(RealToText(1e-300), " 1E-300");
}

TEST(RealToText, NonFiniteThrows)
{
    EXPECT_THROW(RealToText(std::numeric_limits<double>::infinity()), FloatingPointError);
    EXPECT_THROW(RealToText(std::nan("")), FloatingPointError);
}

TEST(RealToText, IgnoresTheProcessLocale)
{
    const char *previous = std::setlocale(LC_ALL, nullptr);
    const std::string saved = previous ? previous : "C";
    if (!std::setlocale(LC_ALL, "fr_FR.UTF-8") && !std::setlocale(LC_ALL, "de_DE.UTF-8"))
        GTEST_SKIP() << "no locale with a decimal comma on this machine";
    EXPECT_EQ(RealToText(1.5), "1.5");
    EXPECT_EQ(TextToReal("1.5"), 1.5);
    std::setlocale(LC_ALL, saved.c_str());
}

TEST(CompactExponent, Rules)
{
    EXPECT_EQ(CompactExponent(" 0.00E+0000"), "0");
    EXPECT_EQ(CompactExponent(" 1.00E+0003"), " 1E3");
    EXPECT_EQ(CompactExponent("-1.00E-0003"), "-1E-3");
    EXPECT_EQ(CompactExponent(" 1.50E+0000"), " 1.5");
    EXPECT_EQ(CompactExponent(" 1.05E+0012"), " 1.05E12");
    EXPECT_EQ(CompactExponent(" 4.01E+0002"), " 4.01E2");
    EXPECT_EQ(CompactExponent("short"), "short");
}

struct ReadCase {
    const char *text;
    double value;
};

TEST(TextToReal, Grammar)
{
    const ReadCase cases[] = {
        { "", 0 },
        { "   ", 0 },
        { "-", 0 },
        { "+", 0 },
        { ".", 0 },
        { "e5", 0 },
        { ".5", 0.5 },
        { "12", 12 },
        { " 12", 12 },
        { "+12", 12 },
        { "12.", 12 },
        { "1.2e1", 12 },
        { "120E-1", 12 },
        { "-0.25", -0.25 },
        { "5e2", 500 },
        { "1E+2", 100 },
        { "000012.5000", 12.5 },
        { "-0", 0 },
    };
    for (const ReadCase &c : cases)
        EXPECT_EQ(TextToReal(c.text), c.value) << "text \"" << c.text << "\"";
    EXPECT_FALSE(std::signbit(TextToReal("-0"))) << "no negative zero reaches a caption";
}

TEST(TextToReal, TextThatBreaksOffKeepsItsLongestNumber)
{
    const ReadCase cases[] = {
        { "12abc", 12 },
        { "1,5", 1 },
        { "-1,5", -1 },
        { "1.5x", 1.5 },
        { "1e", 1 },
        { "1e+", 1 },
        { "2.5e-x", 2.5 },
        { "abc", 0 },
        { "12 ", 12 },
        { "1.2.3", 1.2 },
        { "- 5", 0 },
        { "--5", 0 },
    };
    for (const ReadCase &c : cases)
        EXPECT_EQ(TextToReal(c.text), c.value) << "text \"" << c.text << "\"";
}

TEST(TextToReal, CorrectlyRounded)
{
    EXPECT_EQ(TextToReal("0.1"), 0.1);
    EXPECT_EQ(TextToReal("33.3333333"), 33.3333333);
    EXPECT_EQ(TextToReal("1.7976931348623157e308"), std::numeric_limits<double>::max());
    EXPECT_EQ(TextToReal("2.2250738585072014e-308"), std::numeric_limits<double>::min());
}

TEST(TextToReal, OverflowThrowsUnderflowGivesZeroOrDenormal)
{
    EXPECT_THROW(TextToReal("1e400"), FloatingPointError);
    EXPECT_THROW(TextToReal("-1e400"), FloatingPointError);
    EXPECT_THROW(TextToReal("1" + std::string(400, '0')), FloatingPointError);
    EXPECT_THROW(TextToReal("1e99999999999999999999999"), FloatingPointError);
    try {
        TextToReal("1e400");
    } catch (const FloatingPointError &error) {
        EXPECT_STREQ(error.what(), "Débordement en virgule flottante");
    }
    EXPECT_EQ(TextToReal("1e-400"), 0);
    EXPECT_EQ(TextToReal("-1e-99999999999999999999"), 0);
    EXPECT_EQ(TextToReal("0." + std::string(400, '0') + "1"), 0);
    EXPECT_EQ(TextToReal("5e-324"), std::numeric_limits<double>::denorm_min());
    EXPECT_EQ(TextToReal("0e99999"), 0);
}

TEST(TextToReal, LongTextNeitherHangsNorLosesPrecision)
{
    const std::string digits(200000, '9');
    EXPECT_EQ(TextToReal("0." + digits), 1.0);
    EXPECT_EQ(TextToReal(std::string(100000, ' ') + "7"), 7);
    EXPECT_EQ(TextToReal("0.000" + std::string(100000, '0') + "e100003"), 0);
}

TEST(StrictTextToReal, WholeTextMustBeANumber)
{
    EXPECT_EQ(StrictTextToReal("-20.0"), -20.0);
    EXPECT_EQ(StrictTextToReal(" 5e2"), 500);
    EXPECT_FALSE(StrictTextToReal(""));
    EXPECT_FALSE(StrictTextToReal("."));
    EXPECT_FALSE(StrictTextToReal("12abc"));
    EXPECT_FALSE(StrictTextToReal("1e"));
    EXPECT_FALSE(StrictTextToReal("12 "));
    EXPECT_THROW(StrictTextToReal("1e400"), FloatingPointError);
}

TEST(RealToText, ReadsBackWithinItsShownPrecision)
{
    const double samples[] = { 0.01, 0.0123456, 0.25, 1, 3.14159265, 12.5, 123.456789, 399.99,
        400.01, 1e5, 6.02214076e23, -0.0099, -7.77777, -1234567.0 };
    for (double x : samples) {
        const double back = TextToReal(RealToText(x));
        const double bound = std::fabs(x) >= 0.01 && std::fabs(x) <= 400
            ? 0.00005
            : 0.005 * std::pow(10.0, std::floor(std::log10(std::fabs(x))));
        EXPECT_LE(std::fabs(back - x), bound * (1 + 1e-12)) << "x = " << x;
    }
}

TEST(PlainDecimal, ShortestPlainTextThatReadsBack)
{
    EXPECT_EQ(PlainDecimal(599), "599");
    EXPECT_EQ(PlainDecimal(10001), "10001");
    EXPECT_EQ(PlainDecimal(0.5), "0.5");
    EXPECT_EQ(PlainDecimal(-0.001), "-0.001");
    EXPECT_EQ(PlainDecimal(179.5), "179.5");
    EXPECT_EQ(TextToReal(PlainDecimal(1.0 / 3)), 1.0 / 3);
}

} // namespace
