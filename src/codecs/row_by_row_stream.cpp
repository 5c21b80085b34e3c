#include "codecs/row_by_row_stream.h"

#include "codecs/codec_messages.h"

namespace tess {

QString RowByRowStream::message() const { return codecmessages::corrupt(); }

bool RowByRowStream::readRows(Colour *const *rows, int count)
{
    if (m_broken || m_next + count > m_height || !readBand(rows, count))
        return broke();
    m_next += count;
    return true;
}

bool RowByRowStream::finish()
{
    if (m_broken || m_next != m_height)
        return false;
    m_broken = !readEnd();
    release();
    return !m_broken;
}

bool RowByRowStream::broke()
{
    m_broken = true;
    release();
    return false;
}

} // namespace tess
