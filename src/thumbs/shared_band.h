#pragma once
#include "codecs/row_stream.h"
#include "platform/colour.h"
#include "thumbs/band_rows.h"

#include <vector>

namespace tess {

// One stream's rows for several readers that each go down the picture at
// their own pace: the resamplers of one picture's sizes. The stream is read
// once, band by band, when the caller asks for more, and a row is let go once
// every reader has let it go. So the band holds the rows the widest of the
// readers' windows spans, plus a band.
class SharedBand {
public:
    SharedBand(RowStream &stream, int bandRows, long long expectedRows, int readers);
    SharedBand(const SharedBand &) = delete;
    SharedBand &operator=(const SharedBand &) = delete;

    // Row y of the stream for reader i, reading on when it is not read yet;
    // null once the stream has failed.
    const Colour *row(int reader, int y) { return m_band.row(y); }
    // Reader i will not ask for rows above y again.
    void release(int reader, int y);
    // Reader i is done: it holds no row back.
    void done(int reader);
    // Rows [0, rowsRead()) are in memory.
    int rowsRead() const { return m_band.rowsRead(); }
    // Reads the next band; false when the stream fails or is read to its end.
    bool readMore();
    bool failed() const { return m_band.failed(); }
    // The most rows held at once so far.
    int peakRows() const { return m_band.peakRows(); }
    // Reads every row not read yet, so the file is checked to its end; false
    // when the stream fails.
    bool drain() { return m_band.drain(); }

private:
    BandRows m_band;
    std::vector<int> m_released; // per reader
};

} // namespace tess
