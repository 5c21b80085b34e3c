#include "thumbs/band_rows.h"

#include <algorithm>

namespace tess {

BandRows::BandRows(RowStream &stream, int bandRows, long long expectedRows)
    : m_stream(stream)
    , m_width(std::max(0, stream.width()))
    , m_height(std::max(0, stream.height()))
    , m_band(std::max(1, bandRows))
{
    const long long rows = std::clamp<long long>(expectedRows, 0, m_height);
    if (rows > 0 && m_width > 0)
        grow(int(rows));
}

void BandRows::grow(int rows) const
{
    // Rows still held keep their place relative to the new ring's size.
    std::vector<Colour> larger(std::size_t(rows) * std::size_t(m_width));
    const int first = std::max(m_released, m_read - m_capacity);
    for (int y = first; y < m_read; ++y)
        std::copy_n(slot(y), m_width, larger.data() + std::size_t(y % rows) * std::size_t(m_width));
    m_ring = std::move(larger);
    m_capacity = rows;
}

bool BandRows::readBand() const
{
    const int count = std::min(m_band, m_height - m_read);
    const int needed = m_read + count - std::min(m_released, m_read);
    if (needed > m_capacity)
        grow(std::max(needed, m_capacity + m_band));
    m_pointers.resize(std::size_t(count));
    for (int i = 0; i < count; ++i)
        m_pointers[std::size_t(i)] = slot(m_read + i);
    if (!m_stream.readRows(m_pointers.data(), count)) {
        m_failed = true;
        return false;
    }
    m_read += count;
    return true;
}

const Colour *BandRows::row(int y) const
{
    if (y < 0 || y >= m_height || y < m_released || y < m_read - m_capacity)
        throw std::out_of_range("row outside the band held");
    while (y >= m_read) {
        if (m_failed || !readBand())
            return nullptr;
    }
    return slot(y);
}

void BandRows::release(int y) const
{
    m_released = std::clamp(y, m_released, m_read);
}

bool BandRows::drain() const
{
    while (m_read < m_height && !m_failed) {
        m_released = m_read;
        readBand();
    }
    return !m_failed;
}

} // namespace tess
