#pragma once
#include "codecs/row_stream.h"
#include "platform/colour.h"
#include "thumbs/band_rows.h"

#include <condition_variable>
#include <functional>
#include <mutex>
#include <vector>

namespace tess {

// One stream's rows for several readers that each go down the picture at
// their own pace: the resamplers of one picture's sizes. The stream is read
// once, band by band, and a row is let go once every reader has let it go.
//
// The readers take turns: each runs on a thread of its own, but only one at a
// time, and a reader runs until it wants a row that would stretch the band
// past `span` rows from the slowest reader's; it then waits and the others go
// on. So the band holds about the rows one reader's window needs, however far
// apart the sizes are, and a reader sees no other thread touch the band while
// it uses a row. The slowest reader never waits: a window larger than `span`
// grows the band instead.
class SharedBand {
public:
    SharedBand(RowStream &stream, int bandRows, long long span, int readers);
    SharedBand(const SharedBand &) = delete;
    SharedBand &operator=(const SharedBand &) = delete;

    int readers() const { return int(m_released.size()); }

    // For reader i, called only from within its draw: row y of the stream
    // (reading on, or waiting for the others, as needed), null once the
    // stream has failed; and rows above y will not be asked for again.
    const Colour *row(int reader, int y);
    void release(int reader, int y);
    bool failed() const;
    // The most rows held at once so far.
    int peakRows() const { return m_band.peakRows(); }

    // Calls draw(i) for every reader i, the first on the calling thread, the
    // others each on a thread of their own, taking turns as above; returns
    // once every one has returned. What a draw throws is thrown here, once
    // all are done.
    void drawTogether(const std::function<void(int reader)> &draw);

    // Reads every row not read yet, so the file is checked to its end; false
    // when the stream fails. Only once the draws are done.
    bool drain() { return m_band.drain(); }

private:
    int slowest() const;
    bool mayReadTo(int reader, int y) const;

    BandRows m_band;
    const long long m_span;
    std::vector<int> m_released; // per reader; INT_MAX once it is done

    std::mutex m_turn;           // held by the reader that runs
    std::condition_variable m_moved;
    // The lock each reader's thread holds while it runs, to wait on.
    std::vector<std::unique_lock<std::mutex> *> m_locks;
};

} // namespace tess
