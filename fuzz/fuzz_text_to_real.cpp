// fuzz/fuzz_text_to_real.cpp — any bytes into TextToReal: a finite double, or the overflow error.
#include "core/floatingpointerror.h"
#include "core/numbertext.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char *>(data), size);
    double value = 0;
    try {
        value = velmora::TextToReal(text);
    } catch (const velmora::FloatingPointError &error) {
        if (error.fault() != velmora::FloatingPointFault::Overflow)
            std::abort();
        return 0;
    }
    if (!std::isfinite(value))
        std::abort();
    // The strict reading agrees wherever it accepts the text.
    if (const std::optional<double> strict = velmora::StrictTextToReal(text);
        strict && *strict != value)
        std::abort();
    return 0;
}
