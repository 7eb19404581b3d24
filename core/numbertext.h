// core/numbertext.h — number text: reading user text, writing label texts (core layer)
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace velmora {

// The longest leading part of a text that fits the number grammar below: blanks (character 32),
// one optional sign, digits, optionally "." and digits, optionally "E"/"e", an optional sign and
// at least one digit (an "E" without a digit after it is not taken). Positions count bytes.
struct NumberScan {
    bool negative = false;
    bool hasDigits = false; // at least one mantissa digit, before or after the point
    std::size_t begin = 0; // first character after the sign
    std::size_t end = 0; // one past the last character taken
    std::size_t exponentBegin = std::string_view::npos; // the "E", when an exponent was taken
};

NumberScan ScanNumber(std::string_view text);

// Reads a number from text and never refuses it. Grammar, from the left: blanks (character 32),
// one optional sign, digits, optionally "." and digits, optionally "E"/"e", an optional sign and at
// least one digit. Text that breaks off gives the value of its longest leading part that fits the
// grammar ("12abc" 12, "-1,5" -1, "1e" 1, "abc" 0); text without any mantissa digit gives 0.
// The conversion is correctly rounded and locale-independent. A value beyond the double range
// throws FloatingPointError (overflow); one below the smallest denormal quietly gives 0.
double TextToReal(std::string_view text);

// The strict form of the same grammar, for command lines and scripts: the whole text must be a
// number with at least one mantissa digit (leading blanks allowed), otherwise nullopt. Overflow
// throws as TextToReal does.
std::optional<double> StrictTextToReal(std::string_view text);

// Short label text of x: at most four decimals, no padding, no leading zero before the point of a
// positive value below 1, no trailing zeros; compact exponent form (" 1E3", "-2.5E-5") when x
// rounded to four decimals is above 400 or below 0.01 in magnitude. Always "." as the separator.
// A NaN or an infinity throws FloatingPointError.
std::string RealToText(double x);

// Shortens the 11-character exponent notation " d.ddE+eeee" (sign or blank first): drops trailing
// zero decimals, a "+" exponent sign, the exponent's leading zeros, a zero exponent entirely; zero
// becomes "0". Text of any other length is returned unchanged.
std::string CompactExponent(std::string_view e);

// x in plain decimals, the shortest text that reads back as x ("599", "0.5", "-1e-3" is
// "-0.001"): for limits in messages, where the label form " 5.99E2" would puzzle. Finite x only.
std::string PlainDecimal(double x);

// x with `digits` significant digits at most (trailing zeros dropped) and `separator` as the
// decimal separator: "45.2", "0.0125", or with ',' the French "45,2"; in exponent form ("1.2E4",
// "3E-5") at 10000 and beyond, and below 0.001. "inf", "-inf" and "?" (NaN) say what cannot be
// written.
std::string SignificantText(double x, int digits, char separator);

// A figure as the reports, the read-out and the windows write it: four significant digits and
// a decimal point ("3.522", "-13.91", "1.2E4").
std::string FigureText(double x);

// x with exactly `decimals` decimals and a decimal point ("-135.2"); "-0.0" is written "0.0".
std::string FixedDecimalText(double x, int decimals);

} // namespace velmora
