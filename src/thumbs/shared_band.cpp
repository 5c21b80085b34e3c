#include "thumbs/shared_band.h"

#include <algorithm>
#include <climits>

namespace tess {

SharedBand::SharedBand(RowStream &stream, int bandRows, long long expectedRows, int readers)
    : m_band(stream, bandRows, expectedRows)
    , m_released(std::size_t(std::max(1, readers)), 0)
{
}

void SharedBand::release(int reader, int y)
{
    int &mark = m_released[std::size_t(reader)];
    mark = std::max(mark, y);
    m_band.release(*std::min_element(m_released.begin(), m_released.end()));
}

void SharedBand::done(int reader)
{
    release(reader, INT_MAX);
}

bool SharedBand::readMore()
{
    if (m_band.failed() || m_band.rowsRead() >= m_band.height())
        return false;
    return m_band.row(m_band.rowsRead()) != nullptr;
}

} // namespace tess
