// Loops: the analysis of a 10th-order loop with a delay (locus and every quantity); the
// clipboard-size chart with three loci and their legend, analysis included, as a gain change in
// the program redraws it, and the same chart drawn from analyses made once (loci traced,
// labels placed, legend); a step of the wheel in the chart window, which draws the chart of a
// new view from the same analyses, at 300 x 475 and on a screen of density 2.
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

ChartScene threeLoops()
{
    ChartScene scene;
    for (const char *text : ThreeLoops)
        scene.loops.push_back({ std::make_shared<const LoopAnalysis>(
                                    AnalyseLoop(TransferFunction::parse(text), 0, {})),
            DefaultLoopColor(scene.loops.size()), text });
    return scene;
}

void BM_DrawThreeLociWithLegendAt600x950(benchmark::State &state)
{
    const ChartScene scene = threeLoops();
    const RenderProfile profile = ClipboardProfile();
    LabelShapes shapes;
    for (auto _ : state) {
        RasterSurface surface(600, 950, &shapes);
        DrawChartScene(scene, profile, surface);
        benchmark::DoNotOptimize(surface.image().constBits());
    }
}

// One step of the wheel: the view shows 1.25 times less about a point of the critical region,
// or, every fifth step, the whole chart again; `scale` is the screen's density.
void zoomSteps(benchmark::State &state, double scale)
{
    ChartScene scene = threeLoops();
    const RenderProfile profile = WindowProfile();
    const ImageSize size = { static_cast<int>(300 * scale), static_cast<int>(475 * scale) };
    LabelShapes shapes;
    int step = 0;
    for (auto _ : state) {
        scene.view
            = step % 5 == 4 ? std::nullopt : ZoomedView(scene.settings, scene.view, -175, -2, 1.25);
        ++step;
        RasterSurface surface(size.width, size.height, &shapes, scale);
        DrawChartScene(scene, profile, surface);
        benchmark::DoNotOptimize(surface.image().constBits());
    }
}

void BM_ZoomStepAt300x475(benchmark::State &state)
{
    zoomSteps(state, 1);
}

void BM_ZoomStepAtDensity2(benchmark::State &state)
{
    zoomSteps(state, 2);
}

BENCHMARK(BM_AnalyseTenthOrderLoopWithDelay)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ChartWithThreeLociAt600x950)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DrawThreeLociWithLegendAt600x950)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ZoomStepAt300x475)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ZoomStepAtDensity2)->Unit(benchmark::kMicrosecond);

} // namespace
