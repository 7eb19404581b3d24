// Loops: the analysis of a 10th-order loop with a delay (locus and every quantity), and the
// clipboard-size chart with three loci, analysis included, as a gain change in the program
// redraws it.
#include "core/loopanalysis.h"
#include "plot/chartscene.h"
#include "render/rastersurface.h"

#include <benchmark/benchmark.h>

namespace {

using namespace velmora;

const char *const TenthOrderWithDelay
    = "1000*(s+2)*(s+5)*exp(-0.05*s)/"
      "(s*(s+1)*(s+3)*(s+10)^2*(s^2+2*s+25)*(s+20)*(s+40)*(s+50))";
const char *const ThreeLoops[] = { "4/(s*(s+1)*(s+2))", "0.5*exp(-0.2*s)/(s*(0.5*s+1))",
    "20*(s^2+0.4*s+4)/(s*(s+1)*(s^2+0.08*s+16))" };

void BM_AnalyseTenthOrderLoopWithDelay(benchmark::State &state)
{
    const TransferFunction loop = TransferFunction::parse(TenthOrderWithDelay);
    for (auto _ : state) {
        const LoopAnalysis analysis = AnalyseLoop(loop, 0, {});
        benchmark::DoNotOptimize(analysis.locus.data());
    }
}

void BM_ChartWithThreeLociAt600x950(benchmark::State &state)
{
    std::vector<TransferFunction> loops;
    for (const char *text : ThreeLoops)
        loops.push_back(TransferFunction::parse(text));
    const RenderProfile profile = ClipboardProfile();
    LabelShapes shapes;
    double gainDb = 0;
    for (auto _ : state) {
        ChartScene scene;
        for (const TransferFunction &loop : loops)
            scene.loops.push_back(
                { std::make_shared<const LoopAnalysis>(AnalyseLoop(loop, gainDb, {})),
                    DefaultLoopColor(scene.loops.size()), loop.text() });
        RasterSurface surface(600, 950, &shapes);
        DrawChartScene(scene, profile, surface);
        benchmark::DoNotOptimize(surface.image().constBits());
        gainDb = gainDb == 0 ? 0.5 : 0; // a gain being dragged
    }
}

BENCHMARK(BM_AnalyseTenthOrderLoopWithDelay)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ChartWithThreeLociAt600x950)->Unit(benchmark::kMicrosecond);

} // namespace
