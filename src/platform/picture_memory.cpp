#include "platform/picture.h"

#include <sys/mman.h>

#include <cstdlib>
#include <new>

namespace tess::detail {

namespace {

constexpr std::size_t kHugePage = std::size_t(2) << 20;
// Below this the rounding to whole huge pages would cost more than 6 % extra.
constexpr std::size_t kHugeThreshold = std::size_t(32) << 20;

std::size_t roundedToHugePages(std::size_t bytes) { return (bytes + kHugePage - 1) & ~(kHugePage - 1); }

} // namespace

void *allocatePixelMemory(std::size_t bytes)
{
    if (bytes < kHugeThreshold)
        return ::operator new(bytes);
    const std::size_t size = roundedToHugePages(bytes);
    void *memory = std::aligned_alloc(kHugePage, size);
    if (!memory)
        throw std::bad_alloc();
    madvise(memory, size, MADV_HUGEPAGE); // only a hint: without huge pages it still works
    return memory;
}

void freePixelMemory(void *memory, std::size_t bytes) noexcept
{
    if (bytes < kHugeThreshold)
        ::operator delete(memory);
    else
        std::free(memory);
}

} // namespace tess::detail
