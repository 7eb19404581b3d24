// core/memorytuning.cpp — how the process's allocator keeps freed memory (core layer)
#include "core/memorytuning.h"

#include <malloc.h>

namespace velmora {

void KeepFreedMemoryForReuse()
{
    constexpr int Keep = 64 << 20; // bytes
    mallopt(M_TRIM_THRESHOLD, Keep);
    // Setting the trim threshold stops glibc from raising the mapping threshold by itself: a
    // chart image (2.3 MB at 600 x 950) would then be mapped and unmapped at every drawing.
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
    mallopt(M_TOP_PAD, 1 << 20);
}

} // namespace velmora
