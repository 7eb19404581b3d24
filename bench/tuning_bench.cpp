// Tuning: the gain for each target, on the third-order loop, the 10th-order loop with a delay and
// measured data (400 points) times a lead, each target the value the loop has 6 dB above its
// present gain; and a lead designed for a margin at a crossover.
#include "core/compensatedmodel.h"
#include "core/compensatortext.h"
#include "core/loopanalysis.h"
#include "core/tuning.h"

#include <benchmark/benchmark.h>

#include <cmath>

namespace {

using namespace velmora;

const char *const ThirdOrder = "4/(s*(s+1)*(s+2))";
const char *const TenthOrderWithDelay
    = "1000*(s+2)*(s+5)*exp(-0.05*s)/"
      "(s*(s+1)*(s+3)*(s+10)^2*(s^2+2*s+25)*(s+20)*(s+40)*(s+50))";

std::shared_ptr<const ResponseModel> rational(const char *text)
{
    return MakeRationalModel(
        std::make_shared<const TransferFunction>(TransferFunction::parse(text)));
}

// The third-order loop measured at 100 points a decade from 0.01 to 100 rad/s, times a lead.
std::shared_ptr<const ResponseModel> measuredWithLead()
{
    const LoopAnalysis analysis = AnalyseLoop(TransferFunction::parse(ThirdOrder), 0, {});
    auto data = std::make_shared<MeasuredResponse>();
    for (int i = 0; i < 400; ++i) {
        const double omega = 0.01 * std::pow(10.0, i / 100.0);
        const std::optional<ResponsePoint> p = LocusPointAt(analysis, omega);
        data->omega.push_back(omega);
        data->gainDb.push_back(p->gainDb);
        data->phaseDeg.push_back(p->phaseDeg);
    }
    return MakeCompensatedModel(MakeMeasuredModel(data), ParseCompensator("lead(1.2,35)*0.5"));
}

// From the present gain `currentDb` (dB) to the target's value 6 dB above it.
void BM_Tune(benchmark::State &state, std::shared_ptr<const ResponseModel> model, double currentDb,
    TargetKind target)
{
    const LoopQuantities q = AnalyseResponse(model, currentDb + 6, {}).quantities;
    const double value = *(target == TargetKind::Mr ? q.peakDb
            : target == TargetKind::PhaseMargin     ? q.phaseMarginDeg
            : target == TargetKind::GainMargin      ? q.gainMarginDb
            : target == TargetKind::Bandwidth       ? q.bandwidth
                                                    : q.gainCrossover);
    for (auto _ : state) {
        const TuningResult result = TuneGain(model, currentDb, target, value);
        benchmark::DoNotOptimize(result.gainDb);
    }
}

void BM_DesignLeadThirdOrder(benchmark::State &state)
{
    const auto plant = rational(ThirdOrder);
    const Compensator current = ParseCompensator("pi(0.05)");
    for (auto _ : state) {
        const LeadDesign design = DesignLead(plant, current, 50, 0.8);
        benchmark::DoNotOptimize(design.gainDb);
    }
}

#define VELMORA_TUNING_BENCHMARKS(name, model, currentDb)                                          \
    BENCHMARK_CAPTURE(BM_Tune, name##_Mr, model, currentDb, TargetKind::Mr)                        \
        ->Unit(benchmark::kMicrosecond);                                                           \
    BENCHMARK_CAPTURE(BM_Tune, name##_PhaseMargin, model, currentDb, TargetKind::PhaseMargin)      \
        ->Unit(benchmark::kMicrosecond);                                                           \
    BENCHMARK_CAPTURE(BM_Tune, name##_GainMargin, model, currentDb, TargetKind::GainMargin)        \
        ->Unit(benchmark::kMicrosecond);                                                           \
    BENCHMARK_CAPTURE(BM_Tune, name##_Bandwidth, model, currentDb, TargetKind::Bandwidth)          \
        ->Unit(benchmark::kMicrosecond);                                                           \
    BENCHMARK_CAPTURE(BM_Tune, name##_Crossover, model, currentDb, TargetKind::Crossover)          \
        ->Unit(benchmark::kMicrosecond);

VELMORA_TUNING_BENCHMARKS(ThirdOrder, rational(ThirdOrder), -10)
// Near 90 dB the 10th-order loop crosses 0 dB at about 1 rad/s.
VELMORA_TUNING_BENCHMARKS(TenthOrderWithDelay, rational(TenthOrderWithDelay), 90)
VELMORA_TUNING_BENCHMARKS(MeasuredWithLead, measuredWithLead(), -10)
BENCHMARK(BM_DesignLeadThirdOrder)->Unit(benchmark::kMicrosecond);

} // namespace
