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
    , m_budget(memoryBudget)
    , m_maker(std::move(maker))
    , m_lookahead(2 * std::max(1, threads))
    , m_sizes(std::move(sizes))
    , m_settings(settings)
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
    for (auto it = m_slots.lower_bound(index); it != m_slots.end();) {
        it->second.work->abandoned = true;
        if (it->second.admitted)
            m_inFlight -= it->second.cost.making + it->second.cost.holding;
        it = m_slots.erase(it);
    }
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

void ThumbnailWorkers::admit(const std::shared_ptr<ThumbnailWork> &work, const WorkCost &cost,
                             std::unique_lock<std::mutex> &lock)
{
    const std::size_t total = cost.making + cost.holding;
    // Files are let in in list order, so a later one never takes the memory
    // an earlier one waits for.
    const auto firstInLine = [&] {
        for (const auto &[index, slot] : m_slots) {
            if (index >= work->index)
                return true;
            if (!slot.admitted)
                return false;
        }
        return true;
    };
    m_changed.wait(lock, [&] {
        const auto slot = m_slots.find(work->index);
        const bool dropped = slot == m_slots.end() || slot->second.work != work;
        return m_cancelled || dropped || work->index == m_followed
            || (m_inFlight + total <= m_budget && firstInLine());
    });
    const auto slot = m_slots.find(work->index);
    if (m_cancelled || slot == m_slots.end() || slot->second.work != work) {
        work->abandoned = true;
        return;
    }
    slot->second.cost = cost;
    slot->second.admitted = true;
    m_inFlight += total;
    m_peak = std::max(m_peak, m_inFlight);
    m_changed.notify_all(); // the file after it may have waited only for its turn
}

void ThumbnailWorkers::lower(const std::shared_ptr<ThumbnailWork> &work, const WorkCost &cost)
{
    const auto slot = m_slots.find(work->index);
    if (slot == m_slots.end() || slot->second.work != work || !slot->second.admitted
        || cost.making >= slot->second.cost.making)
        return;
    m_inFlight -= slot->second.cost.making - cost.making;
    slot->second.cost.making = cost.making;
    m_changed.notify_all(); // a file waiting for memory may fit now
}

void ThumbnailWorkers::finish(const std::shared_ptr<ThumbnailWork> &work)
{
    std::lock_guard lock(m_mutex);
    const auto slot = m_slots.find(work->index);
    if (slot != m_slots.end() && slot->second.work == work && slot->second.admitted) {
        // Its rows are gone; its canvas and bytes wait for the run.
        m_inFlight -= slot->second.cost.making;
        slot->second.cost.making = 0;
    }
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
        m_slots[index] = Slot{work, {}, false};
        m_changed.notify_all(); // the run may be waiting for this file to be taken up
        lock.unlock();
        try {
            bool admitted = false;
            m_maker(*work, [&](const WorkCost &cost) {
                std::unique_lock admitting(m_mutex);
                if (admitted) {
                    lower(work, cost);
                    return true;
                }
                admit(work, cost, admitting);
                admitted = true;
                return !work->abandoned.load();
            });
        } catch (...) {
            failWork(*work, std::current_exception());
        }
        work->finished.store(true, std::memory_order_release);
        finish(work);
        lock.lock();
        m_changed.notify_all();
    }
}

std::shared_ptr<ThumbnailWork> ThumbnailWorkers::follow(int index, const std::function<void()> &whileWaiting,
                                                        std::chrono::milliseconds interval)
{
    std::unique_lock lock(m_mutex);
    // Everything before the file is written or failed: let it go.
    for (auto it = m_slots.begin(); it != m_slots.end() && it->first < index;) {
        if (it->second.admitted)
            m_inFlight -= it->second.cost.making + it->second.cost.holding;
        it->second.work->abandoned = !it->second.work->finished;
        it = m_slots.erase(it);
    }
    m_followed = index;
    m_next = std::max(m_next, index);
    m_changed.notify_all();
    for (;;) {
        const auto slot = m_slots.find(index);
        if (slot != m_slots.end())
            return slot->second.work;
        if (whileWaiting) {
            m_changed.wait_for(lock, interval);
            lock.unlock();
            whileWaiting();
            lock.lock();
        } else {
            m_changed.wait(lock);
        }
    }
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
        if (slot != m_slots.end() && slot->second.work.get() == &work) {
            if (slot->second.admitted)
                m_inFlight -= slot->second.cost.making + slot->second.cost.holding;
            m_slots.erase(slot);
        }
    }
    m_changed.notify_all();
}

std::size_t ThumbnailWorkers::peakCost() const
{
    std::lock_guard lock(m_mutex);
    return m_peak;
}

} // namespace tess
