// fuzz/fuzz_compensator.cpp — any bytes as a compensator typed on the command line: elements
// within their ranges whose text reads back to the same elements, or an ExpressionError whose
// column lies within the text (one past its end at most).
#include "core/compensatortext.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char *>(data), size);
    try {
        const velmora::Compensator compensator = velmora::ParseCompensator(text);
        velmora::CheckCompensator(compensator);
        if (velmora::ParseCompensator(velmora::CompensatorText(compensator)) != compensator)
            std::abort();
        (void)velmora::CompensatorDisplayText(compensator);
        (void)velmora::CompensatorValue(compensator, std::complex<long double>(0, 1));
    } catch (const velmora::ExpressionError &error) {
        if (error.column() < 1 || static_cast<std::size_t>(error.column()) > size + 1)
            std::abort();
    }
    return 0;
}
