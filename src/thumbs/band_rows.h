#pragma once
#include "platform/colour.h"
#include "codecs/row_stream.h"

#include <QString>
#include <stdexcept>
#include <vector>

namespace tess {

// The rows of a RowStream for the resampler. It keeps the rows
// from the lowest one still wanted to the last one read, in one ring of flat
// memory that grows only while that span does: for the resampler, its window's
// height plus one band.
class BandRows {
public:
    // bandRows: how many rows are read at a time (any number >= 1);
    // expectedRows: the span to make room for at once (the ring still grows
    // when the reader's span turns out larger).
    BandRows(RowStream &stream, int bandRows, long long expectedRows = 0);

    int width() const { return m_width; }
    int height() const { return m_height; }
    // Reads on as far as row y (0 <= y < height(), not above a released row);
    // null once the stream has failed (failed() is then set, and the stream's
    // message says why).
    const Colour *row(int y) const;
    void release(int y) const;
    // Reads every row not read yet, so the file is checked to its end; false
    // when the stream fails.
    bool drain() const;
    bool failed() const { return m_failed; }
    // Rows [0, rowsRead()) have been read.
    int rowsRead() const { return m_read; }
    int bandRows() const { return m_band; }
    // The most rows held at once so far.
    int peakRows() const { return m_capacity; }

private:
    Colour *slot(int y) const { return m_ring.data() + std::size_t(y % m_capacity) * std::size_t(m_width); }
    bool readBand() const;
    void grow(int rows) const;

    RowStream &m_stream;
    const int m_width;
    const int m_height;
    const int m_band;
    // The stream is read lazily behind a const row source.
    mutable std::vector<Colour> m_ring;
    mutable int m_capacity = 0;
    mutable int m_released = 0; // rows above this may be overwritten
    mutable int m_read = 0;     // rows [0, m_read) have been read
    mutable std::vector<Colour *> m_pointers;
    mutable bool m_failed = false;
};

} // namespace tess
