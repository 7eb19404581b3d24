// core/memorytuning.h — how the process's allocator keeps freed memory (core layer)
#pragma once

namespace velmora {

// Keeps up to 64 MiB of freed memory in the process instead of handing it back to the system at
// once, and takes blocks up to 32 MiB (chart images) from the heap rather than mapping each. A loop
// analysis or a chart drawing allocates and frees a few hundred kilobytes each time; handed back
// and taken again, those pages fault in anew on every drawing, which tripled the time of an
// analysis. Called once, at the start of a program.
void KeepFreedMemoryForReuse();

} // namespace velmora
