#include "thumbs/memory_admission.h"

#include "thumbs/thumbnail_work.h"

#include <algorithm>

namespace tess {

void MemoryAdmission::enter(const ThumbnailWork &work)
{
    const auto found = m_entries.find(work.index);
    if (found != m_entries.end())
        drop(found);
    m_entries.emplace(work.index, Entry{&work, {}, false});
}

bool MemoryAdmission::knows(const ThumbnailWork &work) const
{
    const auto found = m_entries.find(work.index);
    return found != m_entries.end() && found->second.work == &work;
}

bool MemoryAdmission::mayAdmit(const ThumbnailWork &work, const WorkCost &cost, int followed) const
{
    if (work.index == followed)
        return true;
    if (m_inFlight + cost.making + cost.holding > m_budget)
        return false;
    for (const auto &[index, entry] : m_entries) {
        if (index >= work.index)
            break;
        if (!entry.admitted)
            return false;
    }
    return true;
}

bool MemoryAdmission::admit(const ThumbnailWork &work, const WorkCost &cost)
{
    if (!knows(work))
        return false;
    Entry &entry = m_entries[work.index];
    entry.cost = cost;
    entry.admitted = true;
    m_inFlight += cost.making + cost.holding;
    m_peak = std::max(m_peak, m_inFlight);
    return true;
}

bool MemoryAdmission::lower(const ThumbnailWork &work, std::size_t making)
{
    if (!knows(work))
        return false;
    Entry &entry = m_entries[work.index];
    if (!entry.admitted || making >= entry.cost.making)
        return false;
    m_inFlight -= entry.cost.making - making;
    entry.cost.making = making;
    return true;
}

void MemoryAdmission::release(const ThumbnailWork &work)
{
    if (knows(work))
        drop(m_entries.find(work.index));
}

void MemoryAdmission::releaseFrom(int index)
{
    for (auto it = m_entries.lower_bound(index); it != m_entries.end();)
        drop(it++);
}

void MemoryAdmission::releaseBefore(int index)
{
    for (auto it = m_entries.begin(); it != m_entries.end() && it->first < index;)
        drop(it++);
}

void MemoryAdmission::drop(std::map<int, Entry>::iterator entry)
{
    if (entry->second.admitted)
        m_inFlight -= entry->second.cost.making + entry->second.cost.holding;
    m_entries.erase(entry);
}

} // namespace tess
