#include "codecs/one_core.h"

#include <pthread.h>

#include <array>
#include <mutex>

namespace tess {

namespace {

std::mutex g_mutex;
std::array<int, CPU_SETSIZE> g_leases{}; // leases held per core

} // namespace

OneCoreLease::OneCoreLease()
{
    CPU_ZERO(&m_saved);
    if (pthread_getaffinity_np(pthread_self(), sizeof m_saved, &m_saved) != 0 || CPU_COUNT(&m_saved) <= 1)
        return;
    std::lock_guard lock(g_mutex);
    int chosen = -1;
    for (int cpu = 0; cpu < CPU_SETSIZE; ++cpu) {
        if (CPU_ISSET(cpu, &m_saved) && (chosen < 0 || g_leases[cpu] < g_leases[chosen]))
            chosen = cpu;
    }
    cpu_set_t one;
    CPU_ZERO(&one);
    CPU_SET(chosen, &one);
    if (pthread_setaffinity_np(pthread_self(), sizeof one, &one) != 0)
        return;
    ++g_leases[chosen];
    m_core = chosen;
}

OneCoreLease::~OneCoreLease()
{
    if (m_core < 0)
        return;
    pthread_setaffinity_np(pthread_self(), sizeof m_saved, &m_saved);
    std::lock_guard lock(g_mutex);
    --g_leases[m_core];
}

} // namespace tess
