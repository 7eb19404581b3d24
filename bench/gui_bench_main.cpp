// The entry of the benchmarks that draw with Qt Gui: freed memory kept for reuse as in the
// programs, the offscreen platform, then every benchmark linked in.
#include "core/memorytuning.h"

#include <QGuiApplication>

#include <benchmark/benchmark.h>

int main(int argc, char **argv)
{
    velmora::KeepFreedMemoryForReuse();
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
