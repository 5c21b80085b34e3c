#pragma once
#include "thumbs/picture_plan.h"

#include <cstddef>
#include <map>

namespace tess {

struct ThumbnailWork;

// The memory the files in flight reckon they take, and which of them may
// start. Each file passes three steps: it is admitted with the cost its plan
// reckons (making: decoder and band; holding: canvases and encoded bytes),
// lowered when part of that is let go, and released when the run is done
// with it. A file is known here from when a worker takes it up, so files are
// admitted in list order: a later one never takes the memory an earlier one
// waits for. Not thread-safe: the workers call it under their lock.
class MemoryAdmission {
public:
    explicit MemoryAdmission(std::size_t budget) : m_budget(budget) {}

    // A worker has taken the file up; it waits its turn to be admitted.
    void enter(const ThumbnailWork &work);
    // Whether the file may be admitted now: it fits beside what is in flight
    // and nothing before it still waits, or it is the file the run waits for
    // (which is always let in, so one larger than the budget runs as well).
    bool mayAdmit(const ThumbnailWork &work, const WorkCost &cost, int followed) const;
    // False when the file is no longer known (released while it waited).
    bool admit(const ThumbnailWork &work, const WorkCost &cost);
    // The file takes only `making` beside what it holds; true when that freed
    // memory a waiting file may use.
    bool lower(const ThumbnailWork &work, std::size_t making);
    void release(const ThumbnailWork &work);
    // Every file from `index` on, or before it.
    void releaseFrom(int index);
    void releaseBefore(int index);

    bool knows(const ThumbnailWork &work) const;
    // The most reckoned in flight at once.
    std::size_t peak() const { return m_peak; }

private:
    struct Entry {
        const ThumbnailWork *work = nullptr;
        WorkCost cost;
        bool admitted = false;
    };
    void drop(std::map<int, Entry>::iterator entry);

    const std::size_t m_budget;
    std::map<int, Entry> m_entries; // by list index
    std::size_t m_inFlight = 0;
    std::size_t m_peak = 0;
};

} // namespace tess
