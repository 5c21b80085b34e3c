#include "cli/batch_signals.h"

#include <csignal>
#include <pthread.h>
#include <thread>

namespace tess {

namespace {
sigset_t stopSignalSet()
{
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    return set;
}
} // namespace

void StopSignals::block()
{
    const sigset_t set = stopSignalSet();
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

void StopSignals::watch(std::function<void(int)> secondSignal, std::function<void()> firstSignal)
{
    // Detached: the process may end while it waits, and nothing joins it.
    std::thread([this, secondSignal = std::move(secondSignal), firstSignal = std::move(firstSignal)] {
        const sigset_t set = stopSignalSet();
        for (;;) {
            int signal = 0;
            if (sigwait(&set, &signal) != 0)
                continue;
            int none = 0;
            if (!m_received.compare_exchange_strong(none, signal))
                secondSignal(signal);
            else if (firstSignal)
                firstSignal();
        }
    }).detach();
}

} // namespace tess
