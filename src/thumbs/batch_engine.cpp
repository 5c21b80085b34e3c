#include "thumbs/batch_engine.h"

#include "platform/file_services.h"
#include "platform/freed_memory.h"
#include "thumbs/failure_of.h"
#include "thumbs/output_writer.h"
#include "thumbs/rounding.h"

#include <QSet>
#include <QThread>
#include <algorithm>
#include <chrono>

namespace tess {

namespace {

// How often the run looks at the file in hand while a front end follows it.
constexpr std::chrono::milliseconds kFollowInterval(4);

// Hands the rows of the file in hand to the front end as the worker draws
// them, and reports them row by row.
class CanvasFollower {
public:
    explicit CanvasFollower(const BatchCallbacks &callbacks) : m_callbacks(callbacks) {}

    void update(const ThumbnailWork &work, bool finished)
    {
        if (!m_placed) {
            if (!work.placed.load(std::memory_order_acquire))
                return;
            m_placed = true;
            if (m_callbacks.canvasPlaced)
                m_callbacks.canvasPlaced(work.canvas.width(), work.canvas.height(), work.canvas.background(),
                                         work.placement);
        }
        const int done = work.rowsDone.load(std::memory_order_acquire);
        const int total = work.rowsTotal.load(std::memory_order_relaxed);
        const int height = work.canvas.height();
        if (m_callbacks.rowsDrawn) {
            if (finished) {
                m_callbacks.rowsDrawn(work.canvas, 0, height);
            } else if (done > m_rowsShown && total > 0) {
                // The rows above the fitted picture and those drawn so far are final.
                const int top = int(roundHalfEven((height - total) / 2.0));
                const int end = std::min(height, top + done);
                const int from = std::max(0, m_rowsShown == 0 ? 0 : top + m_rowsShown);
                if (from < end)
                    m_callbacks.rowsDrawn(work.canvas, from, end);
            }
        }
        for (; m_rowsShown < done; ++m_rowsShown) {
            if (m_callbacks.beforeRow)
                m_callbacks.beforeRow();
            if (m_callbacks.rowDone)
                m_callbacks.rowDone(m_rowsShown + 1, total);
        }
    }

private:
    const BatchCallbacks &m_callbacks;
    bool m_placed = false;
    int m_rowsShown = 0;
};

bool follows(const BatchCallbacks &callbacks)
{
    return callbacks.beforeRow || callbacks.rowDone || callbacks.canvasPlaced || callbacks.rowsDrawn
        || callbacks.whileWaiting;
}

// Writes a finished work's thumbnail; the failure of the write, if any.
std::optional<Failure> writeWork(const ThumbnailWork &work, const SourceFiles &sources, QSet<QString> &foldersMade,
                                 WriteOutcome &outcome)
{
    const QString outputPath = outputFilePath(work.job.baseName, work.settings);
    try {
        if (!work.job.outputFolder.isEmpty() && !foldersMade.contains(work.settings.SaveFolder)) {
            // A folder that can't be made fails the write, which says why.
            makeFolderPath(work.settings.SaveFolder);
            foldersMade.insert(work.settings.SaveFolder);
        }
        outcome = WriteThumbnail(work.canvas, work.job.baseName, work.settings, sources, &work.encoded);
    } catch (...) {
        return failureOf(std::current_exception(), outputPath);
    }
    if (outcome.kind == WriteOutcome::Failed)
        return outcome.failure.value_or(Failure{outcome.outputPath, QString()});
    return std::nullopt;
}

} // namespace

int defaultDecodeThreads()
{
    return std::max(1, QThread::idealThreadCount());
}

BatchEngine::BatchEngine(int decodeThreads)
    : m_decodeThreads(decodeThreads > 0 ? decodeThreads : defaultDecodeThreads())
{
}

void BatchEngine::changeSettings(const ThumbSettings &settings)
{
    std::lock_guard lock(m_settingsMutex);
    m_settingsChange = settings;
}

std::optional<ThumbSettings> BatchEngine::takeSettingsChange()
{
    std::lock_guard lock(m_settingsMutex);
    return std::exchange(m_settingsChange, std::nullopt);
}

BatchResult BatchEngine::run(const std::vector<ThumbnailJob> &jobs, const ThumbSettings &settings,
                             const BatchCallbacks &callbacks)
{
    // Whatever is thrown while a file is in hand ends the run at that file, as
    // any other failure of it does; the caller's window must stay usable.
    int current = -1;
    BatchResult result;
    try {
        return runJobs(jobs, settings, callbacks, result, current);
    } catch (...) {
        result.end = BatchEnd::Failed;
        const QString file = current >= 0 && current < int(jobs.size()) ? jobs[std::size_t(current)].source : QString();
        result.failure = failureOf(std::current_exception(), file);
        return result;
    }
}

BatchResult BatchEngine::runJobs(const std::vector<ThumbnailJob> &jobs, const ThumbSettings &settings,
                                 const BatchCallbacks &callbacks, BatchResult &result, int &current)
{
    m_stopRequested = false;
    takeSettingsChange(); // a change meant for an earlier run

    // A thumbnail must never land on a picture of the run.
    QStringList sourcePaths;
    sourcePaths.reserve(qsizetype(jobs.size()));
    for (const ThumbnailJob &job : jobs)
        sourcePaths.append(job.source);
    const SourceFiles sources(sourcePaths);
    const FreedMemoryKept keptForNextPicture;
    ThumbnailWorkers workers(jobs, settings, m_decodeThreads, m_memoryBudget, m_maker);
    const bool following = follows(callbacks);
    QSet<QString> foldersMade;

    for (int i = 0; i < int(jobs.size()); ++i) {
        current = i;
        if (const std::optional<ThumbSettings> changed = takeSettingsChange())
            workers.changeSettings(i, *changed);

        const std::shared_ptr<ThumbnailWork> work = workers.follow(i, callbacks.whileWaiting);
        CanvasFollower follower(callbacks);
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

        WriteOutcome outcome;
        std::optional<Failure> failure = work->failure;
        if (!failure)
            failure = writeWork(*work, sources, foldersMade, outcome);
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
            ++(outcome.kind == WriteOutcome::Written ? result.written : result.skipped);
            if (callbacks.fileDone)
                callbacks.fileDone(i, outcome.outputName, outcome.kind == WriteOutcome::Written);
        }

        if (callbacks.afterFile)
            callbacks.afterFile();
        if (m_stopRequested) {
            workers.cancel();
            result.end = BatchEnd::Stopped;
            return result;
        }
    }
    result.end = BatchEnd::Completed;
    return result;
}

} // namespace tess
