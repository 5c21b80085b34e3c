#include "thumbs/thumbnail_work.h"

#include "codecs/picture_codecs.h"
#include "codecs/picture_stream.h"
#include "thumbs/compose.h"
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

WorkCost costOf(const PictureStream &stream, const ThumbSettings &settings)
{
    WorkCost cost;
    cost.holding = canvasBytes(stream.width, stream.height, settings);
    if (stream.kind == PictureStream::Streamed) {
        const long long rows = streamedRowsHeld(stream.rows->width(), stream.rows->height(), settings);
        cost.making = std::size_t(rows) * std::size_t(stream.rows->width()) * 4 + stream.rows->workingBytes();
    } else if (stream.kind == PictureStream::Whole) {
        // The decoded picture, and a second one where it is turned upright
        // (a progressive file's coefficients take about as much).
        const long long pixels = std::min(stream.width * stream.height, kMaxPicturePixels);
        cost.making = std::size_t(std::max(0LL, pixels)) * 8;
    }
    return cost;
}

void compose(ThumbnailWork &work, const std::function<void(const WorkCost &)> &start)
{
    PictureStream stream = openPictureStream(work.path);
    start(costOf(stream, work.settings));

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
    switch (stream.kind) {
    case PictureStream::Refused:
        work.failure = Failure{work.path, stream.message};
        return;
    case PictureStream::Streamed:
        composition = ComposeThumbnail(*stream.rows, work.canvas, work.settings, progress, placed);
        break;
    case PictureStream::Whole: {
        DecodedPicture decoded = decodePictureFile(work.path);
        if (!decoded.ok()) {
            work.failure = decoded.failure;
            return;
        }
        composition =
            ComposeThumbnail(*pictureRows(std::move(decoded.picture)), work.canvas, work.settings, progress, placed);
        break;
    }
    }
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
