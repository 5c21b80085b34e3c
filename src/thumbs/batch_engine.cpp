#include "thumbs/batch_engine.h"

#include "thumbs/compose.h"
#include "thumbs/decode_ahead.h"
#include "thumbs/output_writer.h"
#include "thumbs/path_parts.h"

#include <QThread>
#include <algorithm>

namespace tess {

int defaultDecodeThreads()
{
    return std::max(1, QThread::idealThreadCount());
}

BatchEngine::BatchEngine(const ThumbSettings &liveSettings, int decodeThreads)
    : m_settings(liveSettings)
    , m_decodeThreads(decodeThreads > 0 ? decodeThreads : defaultDecodeThreads())
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
    paths.reserve(entries.size());
    for (const QString &entry : entries)
        paths.append(folder + QLatin1Char('/') + entry);
    // A thumbnail must never land on a picture of the listing.
    const SourceFiles sources(paths);
    DecodeAhead ahead(paths, m_decodeThreads);

    const auto fail = [&](Failure failure) {
        ahead.cancel();
        result.end = BatchEnd::Failed;
        result.failure = std::move(failure);
        return result;
    };

    // One file from decode to write; the failure that stops it, if any.
    const auto processFile = [&](int i) -> std::optional<Failure> {
        current = i;
        DecodedPicture decoded = ahead.take(i, callbacks.whileWaiting);
        if (!decoded.ok())
            return *decoded.failure;

        QString baseName;
        QString extension;
        SplitName(entries[i], baseName, extension);

        // The settings are read when each file is composed, and again when it is
        // written: a change made while the run yielded applies from there on.
        const ThumbSettings composeSettings = m_settings;
        canvas.setBackground(Colour(composeSettings.MarginColour));
        ResampleProgress progress{callbacks.beforeRow, callbacks.rowDone};
        const Composition composition = ComposeThumbnail(
            decoded.picture, canvas, composeSettings, progress, [&](const CanvasPlacement &placement) {
                if (callbacks.canvasPlaced)
                    callbacks.canvasPlaced(placement.left, placement.top);
            });
        decoded.picture.reset();
        if (composition.failure) {
            Failure failure = *composition.failure;
            failure.file = paths[i];
            return failure;
        }

        const ThumbSettings writeSettings = m_settings;
        const WriteOutcome outcome = WriteThumbnail(canvas, baseName, writeSettings, sources);
        if (outcome.kind == WriteOutcome::Failed)
            return outcome.failure.value_or(Failure{outcome.outputPath, QString()});
        if (outcome.kind == WriteOutcome::Written)
            ++result.written;
        else
            ++result.skipped;
        if (callbacks.fileDone)
            callbacks.fileDone(i, outcome.outputName, outcome.kind == WriteOutcome::Written);
        return std::nullopt;
    };

    for (int i = 0; i < paths.size(); ++i) {
        std::optional<Failure> failure;
        try {
            failure = processFile(i);
        } catch (...) {
            // What is thrown while a file is in hand is that file's failure.
            canvas.clear();
            failure = Failure{paths[i], exceptionMessage(std::current_exception())};
        }
        if (failure) {
            if (!m_keepGoing)
                return fail(std::move(*failure));
            ++result.failed;
            if (callbacks.fileFailed)
                callbacks.fileFailed(i, *failure);
        }

        if (callbacks.afterFile)
            callbacks.afterFile();
        if (m_stopRequested) {
            ahead.cancel();
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
