#include "thumbs/freed_memory.h"

#include <mutex>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace tess {

namespace {

std::mutex g_lock;
int g_holders = 0;

#if defined(__GLIBC__)
// glibc's own starting figure for both thresholds.
constexpr int kDefaultThreshold = 128 * 1024;
// The largest block glibc takes from a heap rather than maps on its own.
constexpr int kLargestHeapBlock = 32 * 1024 * 1024;
// Free memory kept at the top of a heap: a few planes of a photo. More kept
// no faster run in measurement, only a larger one.
constexpr int kKeptAtTop = 64 * 1024 * 1024;
#endif

} // namespace

FreedMemoryKept::FreedMemoryKept()
{
    std::lock_guard lock(g_lock);
    if (g_holders++ > 0)
        return;
#if defined(__GLIBC__)
    mallopt(M_MMAP_THRESHOLD, kLargestHeapBlock);
    mallopt(M_TRIM_THRESHOLD, kKeptAtTop);
#endif
}

FreedMemoryKept::~FreedMemoryKept()
{
    std::lock_guard lock(g_lock);
    if (--g_holders > 0)
        return;
#if defined(__GLIBC__)
    mallopt(M_TRIM_THRESHOLD, kDefaultThreshold);
    mallopt(M_MMAP_THRESHOLD, kDefaultThreshold);
    malloc_trim(0);
#endif
}

} // namespace tess
