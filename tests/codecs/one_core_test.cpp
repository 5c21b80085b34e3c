// Leases held at once keep their threads on different cores; each thread
// gets back the cores it had, and one kept on a single core is left alone.
#include "codecs/one_core.h"

#include <pthread.h>

#include <gtest/gtest.h>

#include <thread>

using tess::OneCoreLease;

namespace {

cpu_set_t affinity()
{
    cpu_set_t set;
    CPU_ZERO(&set);
    pthread_getaffinity_np(pthread_self(), sizeof set, &set);
    return set;
}

TEST(OneCoreLease, HeldAtOnceOnDifferentCoresThenGivenBack)
{
    cpu_set_t before = affinity();
    if (CPU_COUNT(&before) < 2)
        GTEST_SKIP() << "one core only";
    int core = -1, otherCore = -1, pinnedCore = 0;
    {
        const OneCoreLease lease;
        if (lease.core() < 0)
            GTEST_SKIP() << "this system keeps threads from choosing their cores";
        core = lease.core();
        cpu_set_t now = affinity();
        EXPECT_EQ(CPU_COUNT(&now), 1);
        EXPECT_TRUE(CPU_ISSET(core, &now));
        std::thread([&] {
            const OneCoreLease second;
            otherCore = second.core();
            const OneCoreLease nested; // already on one core: nothing to choose
            pinnedCore = nested.core();
        }).join();
    }
    EXPECT_NE(otherCore, core);
    EXPECT_EQ(pinnedCore, -1);
    cpu_set_t after = affinity();
    EXPECT_TRUE(CPU_EQUAL(&before, &after));
}

} // namespace
