// fuzz/fuzz_transfer_function.cpp — any bytes as an open-loop expression: a transfer function,
// or an ExpressionError whose column lies within the text (one past its end at most).
#include "core/transferfunction.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char *>(data), size);
    try {
        const velmora::TransferFunction loop = velmora::TransferFunction::parse(text);
        // Evaluating what was accepted must not fault, whatever the value.
        (void)loop.rationalValue(std::complex<long double>(0, 1));
        (void)loop.netIntegrators();
        (void)loop.lowFrequencyGain();
    } catch (const velmora::ExpressionError &error) {
        if (error.column() < 1 || static_cast<std::size_t>(error.column()) > size + 1)
            std::abort();
    }
    return 0;
}
