// How zevkalon asks the C library for memory.
#pragma once

namespace zevkalon {

// A run holds a few large arrays at a time (the label volume, the surface,
// the VOIs, the neighbour lists), one after another, and the plug-in
// allocates its own while it runs. Each fresh page costs a page fault, which
// in a virtual machine can cost more than filling the page. So, where the C
// library allows it (glibc), large blocks come from the heap instead of
// being mapped and unmapped one by one, freed heap memory is kept for the
// next array instead of being handed back, and the heap is reserved in one
// piece that the kernel may back with huge pages (one fault per 2 MB).
// Elsewhere this does nothing. Call it first in main, before any large
// allocation.
void useMemoryForLargeArrays();

}  // namespace zevkalon
