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

BatchResult BatchEngine::run(const QStringList &entries, const QString &folder, Picture &canvas,
                             const BatchCallbacks &callbacks)
{
    m_stopRequested = false;
    BatchResult result;

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
        if (std::optional<Failure> failure = processFile(i)) {
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
