#pragma once
#include <atomic>
#include <functional>

namespace tess {

// SIGINT and SIGTERM as requests to stop. They are taken by a thread of their
// own instead of a handler, so that what they start may lock and print.
class StopSignals {
public:
    // Blocks both signals in the calling thread and so in every thread it
    // starts later: call first thing in main, before any thread exists.
    static void block();

    // Starts the watching thread. The first signal is recorded and calls
    // firstSignal (a stop request: the run looks at it between files); each
    // later one calls secondSignal on the watching thread, which should end
    // the process.
    void watch(std::function<void(int signal)> secondSignal, std::function<void()> firstSignal = {});

    // The first signal taken, 0 while none came.
    int received() const { return m_received; }

private:
    std::atomic<int> m_received{0};
};

} // namespace tess
