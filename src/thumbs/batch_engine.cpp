#include "thumbs/batch_engine.h"

#include "thumbs/output_writer.h"
#include "thumbs/path_parts.h"
#include "thumbs/rounding.h"
#include "thumbs/thumbnail_workers.h"

#include <QThread>
#include <algorithm>
#include <chrono>
#include <new>

namespace tess {

namespace {

// How often the run looks at the file in hand while a front end follows it.
constexpr std::chrono::milliseconds kFollowInterval(4);

// Shows the rows of the file in hand on the front end's canvas as the worker
// draws them, and reports them row by row.
class CanvasFollower {
public:
    CanvasFollower(Picture &canvas, const BatchCallbacks &callbacks) : m_canvas(canvas), m_callbacks(callbacks) {}

    void update(const ThumbnailWork &work, bool finished)
    {
        if (!m_placed) {
            if (!work.placed.load(std::memory_order_acquire))
                return;
            m_placed = true;
            m_canvas.setBackground(work.canvas.background());
            m_canvas.resize(work.canvas.width(), work.canvas.height());
            if (m_callbacks.canvasPlaced)
                m_callbacks.canvasPlaced(work.placement.left, work.placement.top);
        }
        const int done = work.rowsDone.load(std::memory_order_acquire);
        const int total = work.rowsTotal.load(std::memory_order_relaxed);
        if (finished) {
            std::copy_n(work.canvas.bits(), std::size_t(m_canvas.width()) * std::size_t(m_canvas.height()),
                        m_canvas.bits());
        } else if (done > m_rowsShown && total > 0) {
            // The rows above the fitted picture and those drawn so far are final.
            const int top = int(roundHalfEven((m_canvas.height() - total) / 2.0));
            const int end = std::min(m_canvas.height(), top + done);
            const int from = m_rowsShown == 0 ? 0 : top + m_rowsShown;
            for (int y = std::max(0, from); y < end; ++y)
                std::copy_n(work.canvas.row(y), m_canvas.width(), m_canvas.row(y));
        }
        for (; m_rowsShown < done; ++m_rowsShown) {
            if (m_callbacks.beforeRow)
                m_callbacks.beforeRow();
            if (m_callbacks.rowDone)
                m_callbacks.rowDone(m_rowsShown + 1, total);
        }
    }

private:
    Picture &m_canvas;
    const BatchCallbacks &m_callbacks;
    bool m_placed = false;
    int m_rowsShown = 0;
};

} // namespace

int defaultDecodeThreads()
{
    return std::max(1, QThread::idealThreadCount());
}

BatchEngine::BatchEngine(const ThumbSettings &liveSettings, int decodeThreads)
    : m_settings(liveSettings)
    , m_decodeThreads(decodeThreads > 0 ? decodeThreads : defaultDecodeThreads())
    , m_memoryBudget(kDefaultMemoryBudget)
{
}

QString exceptionMessage(const std::exception_ptr &error)
{
    try {
        std::rethrow_exception(error);
    } catch (const std::bad_alloc &) {
        return QStringLiteral("メモリが足りません。");
    } catch (...) {
        return QStringLiteral("処理中にエラーが発生しました。");
    }
}

BatchResult BatchEngine::run(const QStringList &entries, const QString &folder, Picture &canvas,
                             const BatchCallbacks &callbacks)
{
    // Whatever is thrown while a file is in hand ends the run at that file, as
    // any other failure of it does; the caller's window must stay usable.
    int current = -1;
    BatchResult result;
    try {
        return runFiles(entries, folder, canvas, callbacks, result, current);
    } catch (...) {
        const std::exception_ptr error = std::current_exception();
        canvas.clear();
        result.end = BatchEnd::Failed;
        const QString file = current >= 0 && current < entries.size()
                                 ? folder + QLatin1Char('/') + entries[current]
                                 : folder;
        result.failure = Failure{file, exceptionMessage(error)};
        return result;
    }
}

BatchResult BatchEngine::runFiles(const QStringList &entries, const QString &folder, Picture &canvas,
                                  const BatchCallbacks &callbacks, BatchResult &result, int &current)
{
    m_stopRequested = false;

    QStringList paths;
    QStringList baseNames;
    paths.reserve(entries.size());
    baseNames.reserve(entries.size());
    for (const QString &entry : entries) {
        paths.append(folder + QLatin1Char('/') + entry);
        QString baseName;
        QString extension;
        SplitName(entry, baseName, extension);
        baseNames.append(baseName);
    }
    // A thumbnail must never land on a picture of the listing.
    const SourceFiles sources(paths);
    ThumbnailWorkers workers(paths, baseNames, m_settings, m_decodeThreads, m_memoryBudget, m_maker);
    const bool following = callbacks.beforeRow || callbacks.rowDone || callbacks.canvasPlaced
        || callbacks.whileWaiting;

    for (int i = 0; i < paths.size(); ++i) {
        current = i;
        // The settings as they are now apply to this file and those after it.
        const ThumbSettings now = m_settings;
        if (!(now == workers.settings()))
            workers.changeSettings(i, now);

        const std::shared_ptr<ThumbnailWork> work = workers.follow(i, callbacks.whileWaiting);
        CanvasFollower follower(canvas, callbacks);
        for (;;) {
            const bool finished = work->finished.load(std::memory_order_acquire);
            if (following)
                follower.update(*work, finished);
            if (finished)
                break;
            if (following) {
                // Rows of a large picture may come slower than the front end
                // wants to serve its events.
                workers.wait(*work, kFollowInterval);
                if (callbacks.whileWaiting)
                    callbacks.whileWaiting();
            } else {
                workers.wait(*work, std::nullopt);
            }
        }

        std::optional<Failure> failure = work->failure;
        WriteOutcome outcome;
        if (!failure) {
            try {
                outcome = WriteThumbnail(work->canvas, work->baseName, work->settings, sources, &work->encoded);
                if (outcome.kind == WriteOutcome::Failed)
                    failure = outcome.failure.value_or(Failure{outcome.outputPath, QString()});
            } catch (const std::bad_alloc &) {
                failure = Failure{outputFilePath(work->baseName, work->settings), QStringLiteral("メモリが足りません。")};
            } catch (...) {
                failure = Failure{outputFilePath(work->baseName, work->settings),
                                  QStringLiteral("サムネイルを保存できません。")};
            }
        }
        workers.done(*work);

        if (failure) {
            if (!m_keepGoing) {
                workers.cancel();
                result.end = BatchEnd::Failed;
                result.failure = std::move(failure);
                return result;
            }
            ++result.failed;
            if (callbacks.fileFailed)
                callbacks.fileFailed(i, *failure);
        } else {
            if (outcome.kind == WriteOutcome::Written)
                ++result.written;
            else
                ++result.skipped;
            if (callbacks.fileDone)
                callbacks.fileDone(i, outcome.outputName, outcome.kind == WriteOutcome::Written);
        }

        if (callbacks.afterFile)
            callbacks.afterFile();
        if (m_stopRequested) {
            workers.cancel();
            result.end = BatchEnd::Stopped;
            canvas.clear();
            return result;
        }
    }
    result.end = BatchEnd::Completed;
    canvas.clear();
    return result;
}

} // namespace tess
