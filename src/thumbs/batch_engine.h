#pragma once
#include "platform/failure.h"
#include "platform/picture.h"
#include "settings/thumb_settings.h"
#include "thumbs/thumbnail_workers.h"

#include <QString>
#include <QStringList>
#include <atomic>
#include <cstddef>
#include <exception>
#include <functional>
#include <optional>

namespace tess {

// What the front end hears from a run. Every callback is optional and runs on
// the thread that called run().
struct BatchCallbacks {
    // Before each canvas row of the file in hand is reported (the row is
    // already on the canvas): the GUI may serve its event loop here.
    std::function<void()> beforeRow;
    // Rows painted so far out of the picture's rows: the progress bar.
    std::function<void(int rowsDone, int rowsTotal)> rowDone;
    // The canvas has its size for the file in hand and sits at (left, top) of
    // the 157 x 157 preview frame; called before any row is drawn.
    std::function<void(int left, int top)> canvasPlaced;
    // The file in hand is finished: written under outputName, or skipped
    // because that name exists and the settings say skip.
    std::function<void(int index, const QString &outputName, bool written)> fileDone;
    // After each file, before the stop request is looked at: the GUI yields here.
    std::function<void()> afterFile;
    // While the run waits for a picture still being made, every few milliseconds.
    std::function<void()> whileWaiting;
    // With keep-going on: the file failed, nothing was written for it, and the
    // run goes on.
    std::function<void(int index, const Failure &failure)> fileFailed;
};

enum class BatchEnd { Completed, Stopped, Failed };

struct BatchResult {
    BatchEnd end = BatchEnd::Completed;
    std::optional<Failure> failure; // set when end == Failed: the file and the cause
    int written = 0;
    int skipped = 0;
    int failed = 0; // files that failed with keep-going on
};

// Turns every listed picture of a folder into a thumbnail, in list order. The
// settings record is read when the run reaches each file (a change made while
// the run yields applies from the next file on; thumbnails made ahead with the
// old settings are made again), a stop request is honoured after the file in
// hand, and the first file that fails ends the run when the run reaches it,
// the thumbnails written before it staying in place and nothing after it
// written. Worker threads make the thumbnails ahead (read band by band,
// composed, encoded) within a memory budget; the calling thread follows the
// file in hand on its canvas, row by row, and writes the files in order.
class BatchEngine {
public:
    explicit BatchEngine(const ThumbSettings &liveSettings, int decodeThreads = 0);

    // Off (the default): the first failure in list order ends the run as
    // Failed. On: a failing file is reported through fileFailed, counted in
    // `failed`, nothing is written for it, and the run goes on.
    void setKeepGoing(bool keepGoing) { m_keepGoing = keepGoing; }
    // Bytes the pictures in flight may take together (see ThumbnailWorkers).
    void setMemoryBudget(std::size_t bytes) { m_memoryBudget = bytes; }
    // What makes one file's thumbnail on a worker; tests slow files down with it.
    void setThumbnailMaker(ThumbnailWorkers::Maker maker) { m_maker = std::move(maker); }

    // Sets StopRequested; safe from a callback or another thread.
    void requestStop() { m_stopRequested = true; }
    bool stopRequested() const { return m_stopRequested; }

    // entries are bare file names in folder; canvas is the picture the front
    // end shows (its background becomes the margin colour of each file).
    // An exception thrown while a file is in hand (by the work or by a
    // callback: out of memory, say) fails that file; run() itself never throws.
    BatchResult run(const QStringList &entries, const QString &folder, Picture &canvas,
                    const BatchCallbacks &callbacks = {});

private:
    BatchResult runFiles(const QStringList &entries, const QString &folder, Picture &canvas,
                         const BatchCallbacks &callbacks, BatchResult &result, int &current);

    const ThumbSettings &m_settings;
    const int m_decodeThreads;
    bool m_keepGoing = false;
    std::size_t m_memoryBudget;
    ThumbnailWorkers::Maker m_maker = makeThumbnail;
    std::atomic<bool> m_stopRequested{false};
};

// The cause, in the user's words, of an exception that ended a file.
QString exceptionMessage(const std::exception_ptr &error);

// One decode thread per core.
int defaultDecodeThreads();

} // namespace tess
