#include "host/app/memory_policy.h"

#include <cstdint>
#include <cstdlib>  // defines __GLIBC__ with glibc

// Sanitizers bring their own allocator; reshaping glibc's heap under them
// only confuses their leak check (it then reports blocks still in use).
#if defined(__SANITIZE_ADDRESS__)
#define ZEVKALON_OWN_ALLOCATOR 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(memory_sanitizer)
#define ZEVKALON_OWN_ALLOCATOR 1
#endif
#endif

#if defined(__GLIBC__) && !defined(ZEVKALON_OWN_ALLOCATOR)
#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace zevkalon {

#if defined(__GLIBC__) && !defined(ZEVKALON_OWN_ALLOCATOR)

namespace {

// glibc's largest threshold: blocks up to it come from the heap.
constexpr int kHeapBlockLimit = 32 << 20;
// Reserved at once (address space only until used): a run of a whole brain
// fits, with the plug-in's own arrays.
constexpr int kHeapReserve = 256 << 20;
constexpr int kDefaultTopPad = 128 << 10;
constexpr std::uintptr_t kHugePage = 2 << 20;

}  // namespace

void useMemoryForLargeArrays() {
    mallopt(M_MMAP_THRESHOLD, kHeapBlockLimit);
    mallopt(M_TRIM_THRESHOLD, -1);
    mallopt(M_TOP_PAD, kHeapReserve);
    // One allocation larger than the heap's free top makes glibc grow the
    // heap by the reserve; the grown part is then offered huge pages. (With
    // another allocator, e.g. under AddressSanitizer, the break stays put.)
    const std::uintptr_t before = reinterpret_cast<std::uintptr_t>(sbrk(0));
    // volatile: the compiler may drop an allocation that is freed unused.
    void* volatile probe = std::malloc(1 << 20);
    std::free(probe);
    const std::uintptr_t after = reinterpret_cast<std::uintptr_t>(sbrk(0));
    // Later growth asks for no more than it needs, so that a limit on the
    // address space fails only requests that would fail anyway.
    mallopt(M_TOP_PAD, kDefaultTopPad);
    const std::uintptr_t start = (before + kHugePage - 1) & ~(kHugePage - 1);
    if (after > start + kHugePage) madvise(reinterpret_cast<void*>(start), after - start, MADV_HUGEPAGE);
}

#else

void useMemoryForLargeArrays() {}

#endif

}  // namespace zevkalon
