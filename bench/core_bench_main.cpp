// The entry of the benchmarks of the engine alone: freed memory kept for reuse as in the
// programs, then every benchmark linked in.
#include "core/memorytuning.h"

#include <benchmark/benchmark.h>

int main(int argc, char **argv)
{
    velmora::KeepFreedMemoryForReuse();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
