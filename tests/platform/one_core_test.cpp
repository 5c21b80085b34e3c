// Leases held at once keep their threads on different cores, and each
// thread gets back the cores it had.
#include "platform/one_core.h"

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
    const cpu_set_t before = affinity();
    if (CPU_COUNT(&before) < 2)
        GTEST_SKIP() << "one core only";
    int otherCore = -1;
    {
        const OneCoreLease lease;
        if (lease.core() < 0)
            GTEST_SKIP() << "this system keeps threads from choosing their cores";
        cpu_set_t now = affinity();
        EXPECT_EQ(CPU_COUNT(&now), 1);
        EXPECT_TRUE(CPU_ISSET(lease.core(), &now));
        std::thread other([&] {
            const OneCoreLease second;
            otherCore = second.core();
        });
        other.join();
        EXPECT_NE(otherCore, lease.core());
    }
    cpu_set_t after = affinity();
    EXPECT_TRUE(CPU_EQUAL(&before, &after));
}

TEST(OneCoreLease, LeavesAThreadOnOneCoreAsItWas)
{
    cpu_set_t one;
    CPU_ZERO(&one);
    CPU_SET(sched_getcpu(), &one);
    std::thread pinned([&] {
        ASSERT_EQ(pthread_setaffinity_np(pthread_self(), sizeof one, &one), 0);
        const OneCoreLease lease;
        EXPECT_EQ(lease.core(), -1);
        cpu_set_t now = affinity();
        EXPECT_TRUE(CPU_EQUAL(&now, &one));
    });
    pinned.join();
}

} // namespace
