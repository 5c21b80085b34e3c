#include "thumbs/thumbnail_work.h"

#include "codecs/picture_codecs.h"
#include "codecs/open_picture.h"
#include "thumbs/compose.h"
#include "thumbs/compose_streamed.h"
#include "thumbs/output_writer.h"

#include <new>

namespace tess {

namespace {

struct Abandoned {};

std::size_t canvasBytes(long long width, long long height, const ThumbSettings &settings)
{
    if (width <= 0 || height <= 0)
        return 0;
    const ThumbnailLayout layout = layoutThumbnail(settings, int(std::min<long long>(width, 1 << 30)),
                                                   int(std::min<long long>(height, 1 << 30)));
    // The canvas, and its file about as large again.
    return layout.failure ? 0 : std::size_t(layout.width) * std::size_t(layout.height) * 4 * 2;
}

WorkCost costOf(const OpenedPicture &opened, const ThumbSettings &settings)
{
    WorkCost cost;
    if (!opened.ok())
        return cost;
    const RowStream &rows = *opened.rows;
    cost.holding = canvasBytes(rows.width(), rows.height(), settings);
    const long long held = streamedRowsHeld(rows.width(), rows.height(), settings);
    cost.making = std::size_t(held) * std::size_t(rows.width()) * 4 + rows.workingBytes();
    return cost;
}

void compose(ThumbnailWork &work, const std::function<void(const WorkCost &)> &start)
{
    OpenedPicture opened = openPicture(work.path, ReadOptions{Colour(work.settings.MarginColour)});
    start(costOf(opened, work.settings));

    ResampleProgress progress;
    progress.beforeRow = [&work] {
        if (work.abandoned.load(std::memory_order_relaxed))
            throw Abandoned{};
    };
    progress.rowDone = [&work](int rowsDone, int rowsTotal) {
        work.rowsTotal.store(rowsTotal, std::memory_order_relaxed);
        work.rowsDone.store(rowsDone, std::memory_order_release);
    };
    const auto placed = [&work](const CanvasPlacement &placement) {
        work.placement = placement;
        work.placed.store(true, std::memory_order_release);
    };
    work.canvas.setBackground(Colour(work.settings.MarginColour));

    Composition composition;
    if (!opened.ok()) {
        work.failure = Failure{work.path, opened.message};
        return;
    }
    composition = ComposeStreamed(*opened.rows, work.canvas, work.settings, progress, placed);
    if (composition.failure) {
        work.failure = composition.failure;
        work.failure->file = work.path;
        return;
    }
    work.encoded = encodeThumbnail(work.canvas, work.settings, outputFilePath(work.baseName, work.settings));
}

} // namespace

void makeThumbnail(ThumbnailWork &work, const std::function<void(const WorkCost &)> &start)
{
    // An exception leaving a worker thread would end the whole program; here
    // it only fails the file it belongs to.
    try {
        compose(work, start);
    } catch (const Abandoned &) {
        work.failure = Failure{work.path, QStringLiteral("処理を中止しました。")};
    } catch (const std::bad_alloc &) {
        work.failure = Failure{work.path, QStringLiteral("メモリが足りません。")};
    } catch (...) {
        work.failure = Failure{work.path, QStringLiteral("画像を読み込めません。")};
    }
    work.finished.store(true, std::memory_order_release);
}

} // namespace tess
