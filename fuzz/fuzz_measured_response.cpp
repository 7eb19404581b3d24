// fuzz/fuzz_measured_response.cpp — any bytes as a CSV of measurements: strictly increasing
// positive finite frequencies with finite gains and phases, or a DataError.
#include "core/measuredresponse.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char *>(data), size);
    for (const bool hertz : { false, true }) {
        try {
            const velmora::MeasuredResponse r = velmora::ReadMeasuredResponse(text, hertz);
            if (r.omega.size() != r.gainDb.size() || r.omega.size() != r.phaseDeg.size())
                std::abort();
            for (std::size_t i = 0; i < r.omega.size(); ++i) {
                if (!(r.omega[i] > 0) || !std::isfinite(r.omega[i]) || !std::isfinite(r.gainDb[i])
                    || !std::isfinite(r.phaseDeg[i]))
                    std::abort();
                if (i > 0 && !(r.omega[i] > r.omega[i - 1]))
                    std::abort();
            }
        } catch (const velmora::DataError &) {
        }
    }
    return 0;
}
