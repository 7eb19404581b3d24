// RenderChart on the raster surface with the default settings, both profiles: each image from
// scratch, as velmora-render draws it, and drawn again with its labels' shapes kept, as the chart
// window draws it on every change.
#include "plot/renderchart.h"
#include "render/rastersurface.h"

#include <benchmark/benchmark.h>

namespace {

using namespace velmora;

void renderProfile(
    benchmark::State &state, const RenderProfile &profile, ImageSize size, bool keepShapes)
{
    const ChartSettings settings = DefaultChartSettings();
    LabelShapes kept;
    for (auto _ : state) {
        RasterSurface surface(size.width, size.height, keepShapes ? &kept : nullptr);
        RenderChart(settings, profile, surface);
        benchmark::DoNotOptimize(surface.image().constBits());
    }
}

void BM_RenderWindow(benchmark::State &state)
{
    renderProfile(state, WindowProfile(), {}, false);
}
void BM_RenderClipboard(benchmark::State &state)
{
    renderProfile(state, ClipboardProfile(), { 600, 950 }, false);
}
void BM_RedrawWindow(benchmark::State &state)
{
    renderProfile(state, WindowProfile(), {}, true);
}
void BM_RedrawClipboard(benchmark::State &state)
{
    renderProfile(state, ClipboardProfile(), { 600, 950 }, true);
}

BENCHMARK(BM_RenderWindow)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RenderClipboard)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RedrawWindow)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RedrawClipboard)->Unit(benchmark::kMicrosecond);

} // namespace
