#pragma once
#include "settings/thumb_settings.h"
#include "thumbs/memory_admission.h"
#include "thumbs/thumbnail_sizes.h"
#include "thumbs/thumbnail_work.h"

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace tess {

// Memory all pictures in flight may take together by default.
inline constexpr std::size_t kDefaultMemoryBudget = std::size_t(256) << 20;

// Worker threads that make the thumbnails of a run ahead of the file the run
// is at, each file whole (decoded band by band, composed, encoded), so the run
// itself only writes. Files are started in list order, no further ahead than
// a few per thread, and only while their memory fits the budget together; the
// file the run waits for is always let in, so one larger than the budget runs
// as well, with as little else beside it as can be. Every file is made with
// the settings current when it was started; the run hands in new settings
// when they change, and what was made with the old ones from there on is
// made again.
class ThumbnailWorkers {
public:
    // Makes one file's thumbnail into the work (see makeThumbnail).
    using Maker = std::function<void(ThumbnailWork &, const WorkAdmission &admission)>;

    // Each file is made at every one of `sizes` (none: the settings' own).
    ThumbnailWorkers(std::vector<ThumbnailJob> jobs, const ThumbSettings &settings, int threads,
                     std::size_t memoryBudget, Maker maker, ThumbnailSizes sizes = {});
    ~ThumbnailWorkers();
    ThumbnailWorkers(const ThumbnailWorkers &) = delete;
    ThumbnailWorkers &operator=(const ThumbnailWorkers &) = delete;

    // Files from `index` on are made (again) with these settings.
    void changeSettings(int index, const ThumbSettings &settings);

    // The work for file `index`, once a worker has taken it up (indexes go
    // up); the files before it are let go.
    std::shared_ptr<ThumbnailWork> follow(int index);
    // Waits until work is finished, or at most `timeout` when given.
    void wait(const ThumbnailWork &work, std::optional<std::chrono::milliseconds> timeout);
    // The run is done with the file it follows: its memory is free.
    void done(const ThumbnailWork &work);
    // Starts nothing more; work under way stops at its next row.
    void cancel();

    // The most memory reckoned in flight at once, for tests.
    std::size_t peakCost() const;

private:
    void run();
    WorkAdmission admissionOf(const std::shared_ptr<ThumbnailWork> &work);
    void dropFrom(int index);

    const std::vector<ThumbnailJob> m_jobs;
    const Maker m_maker;
    const int m_lookahead;
    const ThumbnailSizes m_sizes;
    ThumbSettings m_settings;

    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::map<int, std::shared_ptr<ThumbnailWork>> m_slots; // files started and not yet let go
    MemoryAdmission m_memory;        // their reckoned memory
    int m_next = 0;                  // the next file to start
    int m_followed = 0;              // the file the run is at
    bool m_cancelled = false;
    std::vector<std::thread> m_threads;
};

} // namespace tess
