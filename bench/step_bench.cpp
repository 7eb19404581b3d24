// Closed-loop step responses: the 10th-order loop with a delay (method of steps, then its modes)
// and the same loop without its delay (matrix exponential), response and figures.
#include "core/stepresponse.h"

#include <benchmark/benchmark.h>

namespace {

using namespace velmora;

const char *const TenthOrderWithDelay
    = "1000*(s+2)*(s+5)*exp(-0.05*s)/"
      "(s*(s+1)*(s+3)*(s+10)^2*(s^2+2*s+25)*(s+20)*(s+40)*(s+50))";
const char *const TenthOrder = "1000*(s+2)*(s+5)/"
                               "(s*(s+1)*(s+3)*(s+10)^2*(s^2+2*s+25)*(s+20)*(s+40)*(s+50))";

void StepResponseOf(benchmark::State &state, const char *text)
{
    const TransferFunction loop = TransferFunction::parse(text);
    for (auto _ : state) {
        const std::optional<StepResponse> response = ClosedLoopStep(loop, 0);
        benchmark::DoNotOptimize(response->value.data());
    }
}

void BM_StepResponseTenthOrderWithDelay(benchmark::State &state)
{
    StepResponseOf(state, TenthOrderWithDelay);
}

void BM_StepResponseTenthOrder(benchmark::State &state)
{
    StepResponseOf(state, TenthOrder);
}

BENCHMARK(BM_StepResponseTenthOrderWithDelay)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_StepResponseTenthOrder)->Unit(benchmark::kMicrosecond);

} // namespace
