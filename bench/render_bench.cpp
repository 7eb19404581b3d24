// RenderChart on the raster surface with the default settings, both profiles.
#include "plot/renderchart.h"
#include "plot/sweep.h"
#include "render/rastersurface.h"

#include <QGuiApplication>

#include <benchmark/benchmark.h>

namespace {

using namespace velmora;

void renderProfile(benchmark::State &state, const RenderProfile &profile)
{
    const ChartSettings settings = DefaultChartSettings();
    for (auto _ : state) {
        RasterSurface surface(profile.width, profile.height);
        RenderChart(settings, profile, surface);
        benchmark::DoNotOptimize(surface.image().constBits());
    }
}

void BM_RenderWindow(benchmark::State &state)
{
    renderProfile(state, WindowProfile());
}
void BM_RenderClipboard(benchmark::State &state)
{
    renderProfile(state, ClipboardProfile(600, 950));
}

BENCHMARK(BM_RenderWindow)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RenderClipboard)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
