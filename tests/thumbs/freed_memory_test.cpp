// Memory freed while a holder lives stays in the heap for the next picture;
// it goes back to the system when the last holder goes, not before.
#include "thumbs/freed_memory.h"

#include "support/sanitizers.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <optional>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace {

TEST(FreedMemoryKept, KeptWhileHeldGivenBackWhenTheLastGoes)
{
#if !defined(__GLIBC__) || defined(TESS_UNDER_ASAN)
    GTEST_SKIP() << "the heap is not glibc's";
#else
    constexpr std::size_t kPlane = std::size_t(8) << 20; // a plane of a photo
    const std::size_t before = mallinfo2().arena;
    std::optional<tess::FreedMemoryKept> outer(std::in_place);
    {
        const tess::FreedMemoryKept inner;
        void *plane = std::malloc(kPlane);
        ASSERT_NE(plane, nullptr);
        std::memset(plane, 1, kPlane);
        std::free(plane);
    }
    EXPECT_GE(mallinfo2().arena, before + kPlane) << "taken from the heap and kept there";
    outer.reset();
    EXPECT_LT(mallinfo2().arena, before + kPlane / 2) << "given back";
#endif
}

} // namespace
