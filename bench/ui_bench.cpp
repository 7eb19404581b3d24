// The program's own path while a gain is tuned or a compensator's handle is dragged: the document
// changed, the three loops analysed again where needed, the margins window filled and the chart
// window's 600 x 950 chart drawn, as one step of a drag.
#include "core/memorytuning.h"
#include "ui/application.h"
#include "ui/plotview.h"
#include "ui/programwindows.h"
#include "ui/prompts.h"

#include <QLabel>

#include <benchmark/benchmark.h>

namespace {

using namespace velmora;

const char *const ThreeLoops[] = { "4/(s*(s+1)*(s+2))", "0.5*exp(-0.2*s)/(s*(0.5*s+1))",
    "20*(s^2+0.4*s+4)/(s*(s+1)*(s^2+0.08*s+16))" };

// What one step of a drag changes: the first loop's gain, or the frequency of the handle of
// the lead in its compensator.
enum class Dragged { Gain, Handle };

// One step of a drag: the document changed (one undoable step), the loops analysed again, the
// margins window filled and the chart window's 600 x 950 chart drawn; with `response`, the
// Réponse window's two plots drawn too.
void dragStep(benchmark::State &state, bool response, Dragged dragged = Dragged::Gain)
{
    DialogPrompts prompts; // never asked
    ProgramWindows windows(prompts);
    for (std::size_t i = 0; i < std::size(ThreeLoops); ++i) {
        LoopSpec spec;
        spec.expression = ThreeLoops[i];
        spec.color = DefaultLoopColor(i);
        windows.document.addLoop(spec, LoadLoop(spec));
    }
    windows.chartWindow.redraw();
    windows.marginsWindow.show();
    if (response)
        windows.responseWindow.show();
    // The read-out line stays below the chart.
    const QLabel *readOut = windows.chartWindow.findChild<QLabel *>("ReadOut");
    windows.chartWindow.resize(600, 950 + windows.chartWindow.height() - readOut->y());
    if (windows.chartWindow.chartImage().size() != QSize(600, 950)) {
        state.SkipWithError("the chart window did not draw at 600 x 950");
        return;
    }
    const Compensator lead { { ElementKind::Lead, { 1, 40 } } };
    if (dragged == Dragged::Handle)
        windows.document.setLoopCompensator(0, lead);
    double gainDb = 0;
    double omega = 1;
    for (auto _ : state) {
        if (dragged == Dragged::Gain) {
            gainDb = gainDb == 0 ? 0.5 : 0; // a gain being dragged
            windows.document.setLoopGain(0, gainDb);
        } else {
            omega = omega == 1 ? 1.05 : 1; // a handle being dragged
            windows.document.setLoopCompensator(0, { WithCharacteristicFrequency(lead[0], omega) });
        }
        benchmark::DoNotOptimize(windows.chartWindow.chartImage().constBits());
        if (response) {
            auto *step = windows.responseWindow.findChild<PlotView *>("ReponseIndicielle");
            auto *bode = windows.responseWindow.findChild<PlotView *>("BodeBoucleFermee");
            benchmark::DoNotOptimize(step->image().constBits());
            benchmark::DoNotOptimize(bode->image().constBits());
        }
    }
}

void BM_GainStepWithThreeLoopsAt600x950(benchmark::State &state)
{
    dragStep(state, false);
}

void BM_GainStepWithThreeLoopsAndTheResponseWindow(benchmark::State &state)
{
    dragStep(state, true);
}

void BM_HandleStepWithThreeLoopsAndTheResponseWindow(benchmark::State &state)
{
    dragStep(state, true, Dragged::Handle);
}

BENCHMARK(BM_GainStepWithThreeLoopsAt600x950)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_GainStepWithThreeLoopsAndTheResponseWindow)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_HandleStepWithThreeLoopsAndTheResponseWindow)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char **argv)
{
    KeepFreedMemoryForReuse();
    qputenv("QT_QPA_PLATFORM", "offscreen");
    Application app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
