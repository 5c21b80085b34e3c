#include "thumbs/thumbnail_work.h"

#include "codecs/open_picture.h"
#include "thumbs/compose.h"
#include "thumbs/failure_of.h"
#include "thumbs/output_writer.h"

namespace tess {

namespace {

std::size_t canvasBytes(int width, int height, const ThumbSettings &settings)
{
    const ThumbnailLayout layout = layoutThumbnail(settings, width, height);
    // The canvas, and its file about as large again.
    return layout.failure ? 0 : std::size_t(layout.width) * std::size_t(layout.height) * 4 * 2;
}

WorkCost costOf(const RowStream &rows, const ThumbSettings &settings)
{
    WorkCost cost;
    cost.holding = canvasBytes(rows.width(), rows.height(), settings);
    // A picture held whole is read where it lies; a streamed one through a band.
    const long long held = rows.holdsWhole() ? 0 : streamedRowsHeld(rows.width(), rows.height(), settings);
    cost.making = std::size_t(held) * std::size_t(std::max(0, rows.width())) * sizeof(Colour) + rows.workingBytes();
    return cost;
}

void compose(ThumbnailWork &work, const std::function<void(const WorkCost &)> &start)
{
    const OpenedPicture opened = openPicture(work.job.source, ReadOptions{Colour(work.settings.MarginColour)});
    start(opened.ok() ? costOf(*opened.rows, work.settings) : WorkCost{});
    if (!opened.ok()) {
        work.failure = Failure{work.job.source, opened.message};
        return;
    }

    ResampleProgress progress;
    progress.beforeRow = [&work] {
        if (work.abandoned.load(std::memory_order_relaxed))
            throw Abandoned{};
    };
    // A picture decoded whole has let its decoder go by its first row: the
    // next file may take that memory while this one is composed.
    const bool decodedWhole = opened.rows->holdsWhole();
    bool lowered = false;
    progress.rowDone = [&](int rowsDone, int rowsTotal) {
        if (decodedWhole && !lowered) {
            lowered = true;
            start(costOf(*opened.rows, work.settings));
        }
        work.rowsTotal.store(rowsTotal, std::memory_order_relaxed);
        work.rowsDone.store(rowsDone, std::memory_order_release);
    };
    const auto placed = [&work](const CanvasPlacement &placement) {
        work.placement = placement;
        work.placed.store(true, std::memory_order_release);
    };
    work.canvas.setBackground(Colour(work.settings.MarginColour));
    const Composition composition = ComposeThumbnail(*opened.rows, work.canvas, work.settings, progress, placed);
    if (composition.failure) {
        work.failure = Failure{work.job.source, composition.failure->message};
        return;
    }
    work.encoded = encodeThumbnail(work.canvas, work.settings, outputFilePath(work.job.baseName, work.settings));
}

} // namespace

void makeThumbnail(ThumbnailWork &work, const std::function<void(const WorkCost &)> &start)
{
    // An exception leaving a worker thread would end the whole program; here
    // it only fails the file it belongs to.
    try {
        compose(work, start);
    } catch (const Abandoned &) {
        work.failure = Failure{work.job.source, QStringLiteral("処理を中止しました。")};
    } catch (...) {
        work.failure = failureOf(std::current_exception(), work.job.source);
    }
    work.finished.store(true, std::memory_order_release);
}

} // namespace tess
