#include "thumbs/batch_engine.h"

#include "codecs/library_threads.h"
#include "platform/file_services.h"
#include "thumbs/freed_memory.h"
#include "thumbs/failure_of.h"
#include "thumbs/output_writer.h"
#include "thumbs/rounding.h"

#include <QSet>
#include <QThread>
#include <algorithm>
#include <chrono>

namespace tess {

namespace {

// How often the run looks at the rows of the file in hand for a front end that
// follows them: about a frame of the screen. The wait ends at once when the
// file is done; waking more often only takes a core from the workers, as the
// front end shows nothing new between two frames.
constexpr std::chrono::milliseconds kFollowInterval(16);

// The output folders below the save folder made so far in this run.
using FoldersMade = QSet<QString>;

// Hands the rows of the file in hand to the front end as the worker draws
// them, and reports them row by row.
class CanvasFollower {
public:
    explicit CanvasFollower(const BatchCallbacks &callbacks) : m_callbacks(callbacks) {}

    void update(const ThumbnailWork &work, bool finished)
    {
        if (!m_sized) {
            if (!work.placed.load(std::memory_order_acquire))
                return;
            m_sized = true;
            if (m_callbacks.canvasSized)
                m_callbacks.canvasSized(work.canvas.width(), work.canvas.height(), work.canvas.background());
        }
        const int done = work.rowsDone.load(std::memory_order_acquire);
        const int total = work.rowsTotal.load(std::memory_order_relaxed);
        const int width = work.canvas.width();
        const int height = work.canvas.height();
        if (m_callbacks.drawn) {
            if (finished) {
                m_callbacks.drawn(work.canvas, QRect(0, 0, width, height));
            } else if (done > m_rowsShown && total > 0) {
                // What the lines drawn since finish beside what was shown.
                const QRect fresh = work.drawing.finishedBetween(width, height, m_rowsShown, done);
                if (!fresh.isEmpty())
                    m_callbacks.drawn(work.canvas, fresh);
            }
        }
        if (m_callbacks.rowDone) {
            for (; m_rowsShown < done; ++m_rowsShown)
                m_callbacks.rowDone(m_rowsShown + 1, total);
        }
        m_rowsShown = done;
    }

private:
    const BatchCallbacks &m_callbacks;
    bool m_sized = false;
    int m_rowsShown = 0;
};

bool follows(const BatchCallbacks &callbacks)
{
    return callbacks.rowDone || callbacks.canvasSized || callbacks.drawn;
}

// One thumbnail file of a finished work.
struct Output {
    const Picture &canvas;
    const ThumbSettings &settings;
    const EncodedThumbnail &encoded;
    const QString &outputPath;
};

std::vector<Output> outputsOf(const ThumbnailWork &work)
{
    std::vector<Output> outputs{{work.canvas, work.settings, work.encoded, work.outputPath}};
    for (const SizedThumbnail &size : work.more)
        outputs.push_back({size.canvas, size.settings, size.encoded, size.outputPath});
    return outputs;
}

// Writes one of a finished work's thumbnails, making its folder below the
// save folder first. One catch for the thread it runs on: whatever the write
// throws fails that file.
WriteOutcome writeOutput(const ThumbnailWork &work, const Output &output, bool ownFolder, const SourceFiles &sources,
                         FoldersMade &foldersMade)
{
    try {
        if (ownFolder && !foldersMade.contains(output.settings.SaveFolder)) {
            // A folder that can't be made fails the write, which says why.
            makeFolderPath(output.settings.SaveFolder);
            foldersMade.insert(output.settings.SaveFolder);
        }
        return WriteThumbnail(output.canvas, work.job.baseName, output.settings, sources, &output.encoded);
    } catch (...) {
        WriteOutcome outcome;
        outcome.outputPath = output.outputPath;
        outcome.failure = failureOf(std::current_exception(), output.outputPath);
        return outcome;
    }
}

// The writes of the file in hand, in size order up to the first that fails.
std::vector<WriteOutcome> writeInTurn(const ThumbnailWork &work, bool sizeFolders, const SourceFiles &sources,
                                      FoldersMade &foldersMade)
{
    std::vector<WriteOutcome> outcomes;
    for (const Output &output : outputsOf(work)) {
        outcomes.push_back(
            writeOutput(work, output, sizeFolders || !work.job.outputFolder.isEmpty(), sources, foldersMade));
        if (!outcomes.back().ok())
            break;
    }
    return outcomes;
}

} // namespace

int defaultDecodeThreads()
{
    return std::max(1, QThread::idealThreadCount());
}

BatchEngine::BatchEngine(int decodeThreads)
    : m_decodeThreads(decodeThreads > 0 ? decodeThreads : defaultDecodeThreads())
    , m_maker([this](ThumbnailWork &work, const WorkAdmission &admission) {
        setLibraryThreads(m_decodeThreads); // kept for each thread: set on the worker
        makeThumbnail(work, admission, m_decodeThreads, m_rawSource, m_encodeOptions);
    })
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
    takeSettingsChange(); // a change meant for an earlier run

    // Settings that name no file fail every picture alike: say so once, before
    // any is opened.
    if (auto problem = outputNamesProblem(settings)) {
        result.end = BatchEnd::Failed;
        result.failure = std::move(problem);
        return result;
    }

    // A thumbnail must never land on a picture of the run.
    QStringList sourcePaths;
    sourcePaths.reserve(qsizetype(jobs.size()));
    for (const ThumbnailJob &job : jobs)
        sourcePaths.append(job.source);
    const SourceFiles sources(sourcePaths);
    const FreedMemoryKept keptForNextPicture;
    ThumbnailWorkers workers(jobs, settings, m_decodeThreads, kDefaultMemoryBudget, m_maker, m_sizes);
    const bool sizeFolders = m_sizes.size() > 1;
    const bool following = follows(callbacks);
    FoldersMade foldersMade;

    for (int i = 0; i < int(jobs.size()); ++i) {
        current = i;
        if (const std::optional<ThumbSettings> changed = takeSettingsChange())
            workers.changeSettings(i, *changed);

        const std::shared_ptr<ThumbnailWork> work = workers.follow(i);
        CanvasFollower follower(callbacks);
        for (;;) {
            const bool finished = work->finished.load(std::memory_order_acquire);
            if (following)
                follower.update(*work, finished);
            if (finished)
                break;
            workers.wait(*work, following ? std::optional(kFollowInterval) : std::nullopt);
        }

        std::vector<WriteOutcome> outcomes;
        std::optional<Failure> failure = work->failure;
        if (!failure) {
            outcomes = writeInTurn(*work, sizeFolders, sources, foldersMade);
            failure = outcomes.back().failure;
        }
        workers.done(*work);
        // The files written before a failing one stay, as earlier pictures' do.
        for (std::size_t k = 0; k < outcomes.size() && outcomes[k].ok(); ++k) {
            const WriteOutcome &outcome = outcomes[k];
            ++(outcome.kind == WriteOutcome::Written ? result.written : result.skipped);
            if (callbacks.fileDone) {
                const QString shown = sizeFolders ? sizeFolderName(m_sizes[k]) + QLatin1Char('/') : QString();
                callbacks.fileDone(i, shown + outcome.outputName, outcome.kind == WriteOutcome::Written);
            }
        }

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
        }

        if (callbacks.fileEnded)
            callbacks.fileEnded(i);
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
