// fuzz/fuzz_real_to_text.cpp — RealToText of any finite double: at most 11 characters, never a
// comma whatever the locale, and read back by TextToReal within the precision it shows.
//
// Bounds: on the fixed-point path (four-decimal value within 0.01 .. 400) the text is x rounded
// at the fourth decimal, so it reads back within 0.00005; on the exponent path it keeps three
// significant digits, so within half a unit of the third, 0.005 * 10^e for x = d.dd * 10^e.
// Both roundings go through an 18-significant-digit step first, so a relative 1e-15 is allowed
// on top. Above 1.795e308 the three-digit text (" 1.8E308") lies beyond the largest double: its
// reading back overflows, which is what TextToReal must do with such a text.
#include "core/floatingpointerror.h"
#include "core/numbertext.h"

#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    // A decimal comma in the process locale must change nothing.
    if (!std::setlocale(LC_ALL, "fr_FR.UTF-8"))
        std::setlocale(LC_ALL, "de_DE.UTF-8");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < sizeof(double))
        return 0;
    double x = 0;
    std::memcpy(&x, data, sizeof x);
    if (!std::isfinite(x))
        return 0;
    const std::string text = velmora::RealToText(x);
    if (text.empty() || text.size() > 11 || text.find(',') != std::string::npos)
        std::abort();
    double back = 0;
    try {
        back = velmora::TextToReal(text);
    } catch (const velmora::FloatingPointError &) {
        if (std::fabs(x) > 1.795e308)
            return 0;
        std::abort();
    }
    const double magnitude = std::fabs(x);
    const bool fixedPath = text.find('E') == std::string::npos;
    double bound = 0.00005;
    if (!fixedPath && magnitude > 0) {
        const int exponent = static_cast<int>(std::floor(std::log10(magnitude)));
        // Half a unit of the third significant digit, of the larger of the two neighbouring
        // decades (a carry may raise the exponent: 9.996 gives 1.00E1).
        bound = 0.005 * std::pow(10.0, exponent + 1);
    }
    if (std::fabs(back - x) > bound + magnitude * 1e-15)
        std::abort();
    return 0;
}
