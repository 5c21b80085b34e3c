#pragma once
#include "platform/failure.h"
#include "platform/picture.h"
#include "settings/thumb_settings.h"

#include <QString>
#include <QStringList>
#include <atomic>
#include <exception>
#include <functional>
#include <optional>

namespace tess {

// What the front end hears from a run. Every callback is optional and runs on
// the thread that called run().
struct BatchCallbacks {
    // Before each canvas row while averaging: the GUI yields to its event loop here.
    std::function<void()> beforeRow;
    // Rows painted so far out of the picture's rows: the progress bar.
    std::function<void(int rowsDone, int rowsTotal)> rowDone;
    // The canvas has its size for the file in hand and sits at (left, top) of
    // the 157 x 157 preview frame; called before any row is drawn.
    std::function<void(int left, int top)> canvasPlaced;
    // The file in hand is finished: written under outputName, or skipped
    // because that name exists and the settings say skip.
    std::function<void(int index, const QString &outputName, bool written)> fileDone;
    // With keep-going on: the file at index failed (nothing was written for
    // it) and the run goes on with the next one.
    std::function<void(int index, const Failure &failure)> fileFailed;
    // After each file, before the stop request is looked at: the GUI yields here.
    std::function<void()> afterFile;
    // While the run waits for a picture still being decoded.
    std::function<void()> whileWaiting;
};

enum class BatchEnd { Completed, Stopped, Failed };

struct BatchResult {
    BatchEnd end = BatchEnd::Completed;
    std::optional<Failure> failure; // set when end == Failed: the file and the cause
    int written = 0;
    int skipped = 0;
    int failed = 0; // files that failed while keep-going was on
};

// Turns every listed picture of a folder into a thumbnail, in list order. The
// settings record is read afresh for every file (a change made while the run
// yields applies from the next file on), a stop request is honoured after the
// file in hand, and the first file that fails ends the run, the thumbnails
// written before it staying in place. An exception thrown while a file is in
// hand (by the work or by a callback: out of memory, say) is such a failure
// too, naming that file; run() itself never throws. Pictures are decoded ahead on worker
// threads; composing and writing stay on the calling thread.
class BatchEngine {
public:
    explicit BatchEngine(const ThumbSettings &liveSettings, int decodeThreads = 0);

    // Sets StopRequested; safe from a callback or another thread.
    void requestStop() { m_stopRequested = true; }
    bool stopRequested() const { return m_stopRequested; }

    // Off (the default): the first file that fails ends the run as Failed.
    // On: a failing file is reported through fileFailed, counted in failed,
    // and the run goes on, ending Completed or Stopped.
    void setKeepGoing(bool keepGoing) { m_keepGoing = keepGoing; }

    // entries are bare file names in folder; canvas is the picture the front
    // end shows (its background becomes the margin colour of each file).
    BatchResult run(const QStringList &entries, const QString &folder, Picture &canvas,
                    const BatchCallbacks &callbacks = {});

private:
    // The run itself, counting into result; current is the index of the file in hand.
    BatchResult runFiles(const QStringList &entries, const QString &folder, Picture &canvas,
                         const BatchCallbacks &callbacks, BatchResult &result, int &current);

    const ThumbSettings &m_settings;
    const int m_decodeThreads;
    std::atomic<bool> m_stopRequested{false};
    bool m_keepGoing = false;
};

// One decode thread per core.
int defaultDecodeThreads();

// The cause told for an exception that ended a run: a short Japanese sentence.
QString exceptionMessage(const std::exception_ptr &error);

} // namespace tess
