#include "thumbs/thumbnail_workers.h"

#include "thumbs/failure_of.h"

#include <algorithm>

namespace tess {

namespace {

// An exception leaving a worker thread would end the whole program; here it
// fails only the file it belongs to (out of memory, a library's own throw).
void failWork(ThumbnailWork &work, const std::exception_ptr &error)
{
    work.failure = failureOf(error, work.job.source);
}

} // namespace

ThumbnailWorkers::ThumbnailWorkers(std::vector<ThumbnailJob> jobs, const ThumbSettings &settings, int threads,
                                   std::size_t memoryBudget, Maker maker, ThumbnailSizes sizes)
    : m_jobs(std::move(jobs))
    , m_maker(std::move(maker))
    , m_lookahead(2 * std::max(1, threads))
    , m_sizes(std::move(sizes))
    , m_settings(settings)
    , m_memory(memoryBudget)
{
    const int count = std::clamp(threads, 1, std::max(1, int(m_jobs.size())));
    m_threads.reserve(std::size_t(count));
    for (int i = 0; i < count; ++i)
        m_threads.emplace_back([this] { run(); });
}

ThumbnailWorkers::~ThumbnailWorkers()
{
    cancel();
    for (std::thread &thread : m_threads)
        thread.join();
}

void ThumbnailWorkers::cancel()
{
    {
        std::lock_guard lock(m_mutex);
        m_cancelled = true;
        dropFrom(0);
    }
    m_changed.notify_all();
}

void ThumbnailWorkers::dropFrom(int index)
{
    for (auto it = m_slots.lower_bound(index); it != m_slots.end(); it = m_slots.erase(it))
        it->second->abandoned = true;
    m_memory.releaseFrom(index);
}

void ThumbnailWorkers::changeSettings(int index, const ThumbSettings &settings)
{
    {
        std::lock_guard lock(m_mutex);
        m_settings = settings;
        dropFrom(index);
        m_next = std::min(m_next, index);
    }
    m_changed.notify_all();
}

WorkAdmission ThumbnailWorkers::admissionOf(const std::shared_ptr<ThumbnailWork> &work)
{
    WorkAdmission admission;
    admission.admit = [this, work](const WorkCost &cost) {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [&] {
            return m_cancelled || !m_memory.knows(*work) || m_memory.mayAdmit(*work, cost, m_followed);
        });
        if (m_cancelled || !m_memory.admit(*work, cost)) {
            work->abandoned = true;
            return false;
        }
        m_changed.notify_all(); // the file after it may have waited only for its turn
        return !work->abandoned.load();
    };
    admission.lower = [this, work](const WorkCost &cost) {
        std::lock_guard lock(m_mutex);
        if (m_memory.lower(*work, cost.making))
            m_changed.notify_all(); // a file waiting for memory may fit now
    };
    return admission;
}

void ThumbnailWorkers::run()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [this] {
            return m_cancelled || (m_next < int(m_jobs.size()) && m_next < m_followed + m_lookahead);
        });
        if (m_cancelled)
            return;
        const int index = m_next++;
        auto work = std::make_shared<ThumbnailWork>(index, m_jobs[std::size_t(index)],
                                                    settingsPerSize(m_settings, m_sizes));
        m_slots[index] = work;
        m_memory.enter(*work);
        m_changed.notify_all(); // the run may be waiting for this file to be taken up
        lock.unlock();
        try {
            m_maker(*work, admissionOf(work));
        } catch (...) {
            failWork(*work, std::current_exception());
        }
        work->finished.store(true, std::memory_order_release);
        lock.lock();
        // Its rows are gone; its canvas and bytes wait for the run.
        m_memory.lower(*work, 0);
        m_changed.notify_all();
    }
}

std::shared_ptr<ThumbnailWork> ThumbnailWorkers::follow(int index)
{
    std::unique_lock lock(m_mutex);
    // Everything before the file is written or failed: let it go.
    for (auto it = m_slots.begin(); it != m_slots.end() && it->first < index; it = m_slots.erase(it))
        it->second->abandoned = !it->second->finished;
    m_memory.releaseBefore(index);
    m_followed = index;
    m_next = std::max(m_next, index);
    m_changed.notify_all();
    m_changed.wait(lock, [&] { return m_slots.count(index) > 0; });
    return m_slots[index];
}

void ThumbnailWorkers::wait(const ThumbnailWork &work, std::optional<std::chrono::milliseconds> timeout)
{
    std::unique_lock lock(m_mutex);
    const auto finished = [&] { return work.finished.load(std::memory_order_acquire); };
    if (timeout)
        m_changed.wait_for(lock, *timeout, finished);
    else
        m_changed.wait(lock, finished);
}

void ThumbnailWorkers::done(const ThumbnailWork &work)
{
    {
        std::lock_guard lock(m_mutex);
        const auto slot = m_slots.find(work.index);
        if (slot != m_slots.end() && slot->second.get() == &work) {
            m_memory.release(work);
            m_slots.erase(slot);
        }
    }
    m_changed.notify_all();
}

std::size_t ThumbnailWorkers::peakCost() const
{
    std::lock_guard lock(m_mutex);
    return m_memory.peak();
}

} // namespace tess
