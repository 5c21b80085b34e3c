#include "thumbs/shared_band.h"

#include <algorithm>
#include <climits>
#include <exception>
#include <thread>

namespace tess {

SharedBand::SharedBand(RowStream &stream, int bandRows, long long span, int readers)
    : m_band(stream, bandRows, span)
    , m_span(std::max<long long>(span, std::max(1, bandRows)))
    , m_released(std::size_t(std::max(1, readers)), 0)
    , m_locks(m_released.size(), nullptr)
{
}

int SharedBand::slowest() const
{
    return *std::min_element(m_released.begin(), m_released.end());
}

bool SharedBand::mayReadTo(int reader, int y) const
{
    const int low = slowest();
    if (m_released[std::size_t(reader)] <= low)
        return true;
    // Where the band ends once it holds y: bands are read whole.
    const long long read = m_band.rowsRead();
    const long long bands = (y + 1 - read + m_band.bandRows() - 1) / m_band.bandRows();
    const long long end = std::min<long long>(m_band.height(), read + bands * m_band.bandRows());
    return end - low <= m_span;
}

const Colour *SharedBand::row(int reader, int y)
{
    std::unique_lock<std::mutex> &lock = *m_locks[std::size_t(reader)];
    while (y >= m_band.rowsRead() && !m_band.failed() && !mayReadTo(reader, y)) {
        // The others run until this reader may read on.
        m_moved.notify_all();
        m_moved.wait(lock);
    }
    return m_band.row(y);
}

void SharedBand::release(int reader, int y)
{
    int &mark = m_released[std::size_t(reader)];
    mark = std::max(mark, y);
    m_band.release(slowest());
}

bool SharedBand::failed() const
{
    return m_band.failed();
}

void SharedBand::drawTogether(const std::function<void(int reader)> &draw)
{
    std::vector<std::exception_ptr> thrown(m_released.size());
    const auto run = [&](int reader) {
        std::unique_lock<std::mutex> lock(m_turn);
        m_locks[std::size_t(reader)] = &lock;
        try {
            draw(reader);
        } catch (...) {
            thrown[std::size_t(reader)] = std::current_exception();
        }
        // Done: it holds no row back, and the others may go on.
        m_released[std::size_t(reader)] = INT_MAX;
        m_band.release(slowest());
        m_locks[std::size_t(reader)] = nullptr;
        m_moved.notify_all();
    };
    std::vector<std::thread> others;
    others.reserve(m_released.size() - 1);
    for (int reader = 1; reader < readers(); ++reader)
        others.emplace_back(run, reader);
    run(0);
    for (std::thread &other : others)
        other.join();
    for (const std::exception_ptr &e : thrown)
        if (e)
            std::rethrow_exception(e);
}

} // namespace tess
