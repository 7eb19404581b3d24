// core/numbertext.cpp — number text conversions (core layer)
#include "core/numbertext.h"

#include "core/floatingpointerror.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>

namespace velmora {

namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Decimal order of magnitude of the leading nonzero digit of a scanned number, saturated far
// beyond the double range; only its sign matters, to tell overflow from underflow.
std::int64_t decimalMagnitude(std::string_view text, const NumberScan &scan)
{
    const std::size_t mantissaEnd
        = scan.exponentBegin == std::string_view::npos ? scan.end : scan.exponentBegin;
    bool seenPoint = false;
    bool found = false;
    std::int64_t integerDigits = 0; // from the first nonzero digit to the point
    std::int64_t fractionZeros = 0; // zeros between the point and the first nonzero digit
    for (std::size_t i = scan.begin; i < mantissaEnd; ++i) {
        const char c = text[i];
        if (c == '.') {
            seenPoint = true;
        } else if (!found && c == '0') {
            fractionZeros += seenPoint ? 1 : 0;
        } else {
            found = true;
            integerDigits += seenPoint ? 0 : 1;
        }
    }
    std::int64_t magnitude = integerDigits > 0 ? integerDigits - 1 : -(fractionZeros + 1);

    if (scan.exponentBegin != std::string_view::npos) {
        std::size_t i = scan.exponentBegin + 1;
        bool negativeExponent = false;
        if (text[i] == '+' || text[i] == '-') {
            negativeExponent = text[i] == '-';
            ++i;
        }
        constexpr std::int64_t saturation = 1'000'000'000;
        std::int64_t exponent = 0;
        for (; i < scan.end; ++i) {
            exponent = exponent * 10 + (text[i] - '0');
            if (exponent > saturation)
                exponent = saturation;
        }
        magnitude += negativeExponent ? -exponent : exponent;
    }
    return magnitude;
}

double convertScanned(std::string_view text, const NumberScan &scan)
{
    if (!scan.hasDigits)
        return 0.0;
    const std::string_view number = text.substr(scan.begin, scan.end - scan.begin);
    double value = 0.0;
    const auto result = std::from_chars(number.data(), number.data() + number.size(), value);
    if (result.ec == std::errc::result_out_of_range) {
        if (decimalMagnitude(text, scan) >= 0)
            throw FloatingPointError(FloatingPointFault::Overflow);
        return 0.0;
    }
    if (value == 0.0)
        return 0.0; // never "-0": a caption or label must not read "-0"
    return scan.negative ? -value : value;
}

// A digit string with the position of its decimal point: value = 0.D × 10^pointPosition.
struct Digits {
    std::string digits;
    int pointPosition = 0;
};

// Rounds a positive, finite magnitude to `significant` digits, ties to even on its exact binary
// value (std::to_chars is exact).
Digits significantDigits(double magnitude, int significant)
{
    std::array<char, 64> buffer {};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), magnitude,
        std::chars_format::scientific, significant - 1);
    const std::string_view text(
        buffer.data(), static_cast<std::size_t>(result.ptr - buffer.data()));
    Digits out;
    const std::size_t e = text.find('e');
    for (std::size_t i = 0; i < e; ++i) {
        if (text[i] != '.')
            out.digits.push_back(text[i]);
    }
    int exponent = 0;
    const std::string_view exponentText = text.substr(e + 1);
    const char *first = exponentText.data() + (exponentText.front() == '+' ? 1 : 0);
    std::from_chars(first, exponentText.data() + exponentText.size(), exponent);
    out.pointPosition = exponent + 1;
    return out;
}

// Rounds a magnitude below 10 at its 17th decimal place, ties to even.
Digits fixedDigits17(double magnitude)
{
    std::array<char, 64> buffer {};
    const auto result = std::to_chars(
        buffer.data(), buffer.data() + buffer.size(), magnitude, std::chars_format::fixed, 17);
    Digits out;
    for (const char *p = buffer.data(); p != result.ptr; ++p) {
        if (*p != '.')
            out.digits.push_back(*p);
    }
    out.pointPosition = 1;
    return out;
}

// Keeps the first `count` digits and rounds up in magnitude when the first digit cut off is 5 or
// more; a carry out of the first digit puts a "1" in front and moves the point one place right.
void cutHalfUp(Digits &d, std::size_t count)
{
    if (d.digits.size() < count)
        d.digits.append(count - d.digits.size(), '0');
    const bool roundUp = d.digits.size() > count && d.digits[count] >= '5';
    d.digits.resize(count);
    if (!roundUp)
        return;
    for (std::size_t i = count; i-- > 0;) {
        if (d.digits[i] != '9') {
            ++d.digits[i];
            return;
        }
        d.digits[i] = '0';
    }
    d.digits.insert(d.digits.begin(), '1');
    ++d.pointPosition;
}

// x in fixed notation with four decimals, right-justified in 11 characters, never cut.
std::string fixedNotation(double x)
{
    constexpr int decimals = 4;
    constexpr std::size_t width = 11;
    const double magnitude = std::fabs(x);
    Digits d = magnitude < 10 ? fixedDigits17(magnitude) : significantDigits(magnitude, 18);
    cutHalfUp(d, static_cast<std::size_t>(d.pointPosition + decimals));
    std::string integerPart = d.digits.substr(0, static_cast<std::size_t>(d.pointPosition));
    const std::size_t firstNonZero = integerPart.find_first_not_of('0');
    integerPart = firstNonZero == std::string::npos ? "0" : integerPart.substr(firstNonZero);
    std::string text = (x < 0 ? "-" : "") + integerPart + "."
        + d.digits.substr(static_cast<std::size_t>(d.pointPosition));
    if (text.size() < width)
        text.insert(0, width - text.size(), ' ');
    return text;
}

// x in the 11-character exponent notation " d.ddE+eeee".
std::string exponentNotation(double x)
{
    if (x == 0)
        return " 0.00E+0000";
    Digits d = significantDigits(std::fabs(x), 18);
    cutHalfUp(d, 3);
    const int exponent = d.pointPosition - 1;
    const int exponentMagnitude = exponent < 0 ? -exponent : exponent;
    std::string text;
    text.push_back(x < 0 ? '-' : ' ');
    text.push_back(d.digits[0]);
    text.push_back('.');
    text.push_back(d.digits[1]);
    text.push_back(d.digits[2]);
    text.push_back('E');
    text.push_back(exponent < 0 ? '-' : '+');
    std::array<char, 4> exponentDigits {};
    int rest = exponentMagnitude;
    for (std::size_t i = exponentDigits.size(); i-- > 0;) {
        exponentDigits[i] = static_cast<char>('0' + rest % 10);
        rest /= 10;
    }
    text.append(exponentDigits.data(), exponentDigits.size());
    return text;
}

// Drops the padding and the zeros that say nothing from an 11-character fixed notation.
std::string trimFixed(std::string text)
{
    while (!text.empty() && text.back() == '0')
        text.pop_back();
    const std::size_t first = text.find_first_not_of(" 0");
    text = first == std::string::npos ? std::string() : text.substr(first);
    if (!text.empty() && text.back() == '.')
        text.pop_back();
    return text;
}

} // namespace

NumberScan ScanNumber(std::string_view text)
{
    NumberScan scan;
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        scan.negative = text[i] == '-';
        ++i;
    }
    scan.begin = i;
    while (i < text.size() && isDigit(text[i])) {
        scan.hasDigits = true;
        ++i;
    }
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && isDigit(text[i])) {
            scan.hasDigits = true;
            ++i;
        }
    }
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < text.size() && (text[j] == '+' || text[j] == '-'))
            ++j;
        if (j < text.size() && isDigit(text[j])) {
            while (j < text.size() && isDigit(text[j]))
                ++j;
            scan.exponentBegin = i;
            i = j;
        }
    }
    scan.end = i;
    return scan;
}

double TextToReal(std::string_view text)
{
    return convertScanned(text, ScanNumber(text));
}

std::optional<double> StrictTextToReal(std::string_view text)
{
    const NumberScan scan = ScanNumber(text);
    if (!scan.hasDigits || scan.end != text.size())
        return std::nullopt;
    return convertScanned(text, scan);
}

std::string RealToText(double x)
{
    if (std::isnan(x))
        throw FloatingPointError(FloatingPointFault::InvalidOperation);
    if (std::isinf(x))
        throw FloatingPointError(FloatingPointFault::Overflow);
    // From 1000 on the four-decimal value is certainly above 400: skip the fixed notation, which
    // would otherwise spell out hundreds of digits for the largest doubles.
    if (std::fabs(x) < 1000) {
        const std::string fixed = fixedNotation(x);
        const double rounded = std::fabs(TextToReal(fixed));
        if (rounded <= 400 && rounded >= 0.01)
            return trimFixed(fixed);
    }
    return CompactExponent(exponentNotation(x));
}

std::string CompactExponent(std::string_view e)
{
    if (e.size() != 11)
        return std::string(e);
    if (e[1] == '0')
        return "0";
    std::string out;
    out.push_back(e[0]);
    out.push_back(e[1]);
    if (e[4] != '0') {
        out.append(e.substr(2, 3));
    } else if (e[3] != '0') {
        out.append(e.substr(2, 2));
    }
    const std::string_view exponentDigits = e.substr(7, 4);
    const std::size_t firstNonZero = exponentDigits.find_first_not_of('0');
    if (firstNonZero != std::string_view::npos) {
        out.push_back(e[5]);
        if (e[6] != '+')
            out.push_back(e[6]);
        out.append(exponentDigits.substr(firstNonZero));
    }
    return out;
}

std::string PlainDecimal(double x)
{
    std::array<char, 400> buffer {}; // the longest fixed form of a double has 326 characters
    const auto result
        = std::to_chars(buffer.data(), buffer.data() + buffer.size(), x, std::chars_format::fixed);
    return std::string(buffer.data(), result.ptr);
}

std::string SignificantText(double x, int digits, char separator)
{
    if (std::isnan(x))
        return "?";
    if (std::isinf(x))
        return x > 0 ? "inf" : "-inf";
    digits = std::clamp(digits, 1, 17);
    const double magnitude = std::fabs(x);
    std::array<char, 400> buffer {};
    std::to_chars_result result {};
    if (magnitude != 0 && (magnitude >= 1e4 || magnitude < 1e-3)) {
        result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), x,
            std::chars_format::scientific, digits - 1);
    } else {
        const int leading
            = magnitude == 0 ? 0 : static_cast<int>(std::floor(std::log10(magnitude)));
        const int decimals = std::max(0, digits - 1 - leading);
        result = std::to_chars(
            buffer.data(), buffer.data() + buffer.size(), x, std::chars_format::fixed, decimals);
    }
    const std::string text(buffer.data(), result.ptr);
    const std::size_t e = text.find('e');
    std::string mantissa = text.substr(0, e);
    if (mantissa.find('.') != std::string::npos) {
        while (mantissa.back() == '0')
            mantissa.pop_back();
        if (mantissa.back() == '.')
            mantissa.pop_back();
    }
    if (mantissa == "-0")
        mantissa = "0";
    if (const std::size_t point = mantissa.find('.'); point != std::string::npos)
        mantissa[point] = separator;
    if (e == std::string::npos)
        return mantissa;
    int exponent = 0;
    std::from_chars(
        text.data() + e + (text[e + 1] == '+' ? 2 : 1), text.data() + text.size(), exponent);
    return mantissa + "E" + std::to_string(exponent);
}

std::string FigureText(double x)
{
    return SignificantText(x, 4, '.');
}

std::string FixedDecimalText(double x, int decimals)
{
    if (!std::isfinite(x))
        return SignificantText(x, 1, '.');
    std::array<char, 400> buffer {};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), x,
        std::chars_format::fixed, std::clamp(decimals, 0, 17));
    std::string text(buffer.data(), result.ptr);
    if (text.find_first_not_of("-0.") == std::string::npos && text.front() == '-')
        text.erase(0, 1); // no "-0.0"
    return text;
}

} // namespace velmora
