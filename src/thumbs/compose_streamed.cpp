#include "thumbs/compose_streamed.h"

#include "thumbs/band_rows.h"

#include <algorithm>

namespace tess {

namespace {

Failure brokenFile(const RowStream &stream) { return Failure{QString(), stream.message()}; }

// Reads what is left of the stream; the file's own failure, if it has one.
std::optional<Failure> readToEnd(RowStream &stream, const BandRows &rows)
{
    try {
        rows.drain();
    } catch (const StreamBroken &broken) {
        return Failure{QString(), broken.message};
    }
    if (!stream.finish())
        return brokenFile(stream);
    return std::nullopt;
}

} // namespace

Composition ComposeStreamed(RowStream &stream, Picture &canvas, const ThumbSettings &settings,
                            const ResampleProgress &progress,
                            const std::function<void(const CanvasPlacement &)> &placed, int bandRows)
{
    Composition result;
    const BandRows rows(stream, bandRows, streamedRowsHeld(stream.width(), stream.height(), settings, bandRows));
    const ThumbnailLayout layout = layoutThumbnail(settings, rows.width(), rows.height());
    IntermediateMaps maps;
    if (!layout.failure)
        maps = intermediateMaps(rows.width(), rows.height(), settings);
    if (layout.failure || maps.failure) {
        result.failure = readToEnd(stream, rows);
        if (!result.failure)
            result.failure = layout.failure ? layout.failure : maps.failure;
        return result;
    }

    canvas.resize(layout.width, layout.height);
    result.placement = layout.placement;
    if (placed)
        placed(result.placement);

    try {
        if (maps.used)
            resampleRows(MappedStream<BandRows>(rows, std::move(maps.columns), std::move(maps.rows), maps.margin),
                         canvas, settings.Quality, progress);
        else
            resampleRows(rows, canvas, settings.Quality, progress);
    } catch (const StreamBroken &broken) {
        result.failure = Failure{QString(), broken.message};
        return result;
    }
    result.failure = readToEnd(stream, rows);
    return result;
}

long long streamedRowsHeld(int width, int height, const ThumbSettings &settings, int bandRows)
{
    const ThumbnailLayout layout = layoutThumbnail(settings, width, height);
    if (layout.failure)
        return bandRows;
    long long iw = width;
    long long ih = height;
    const IntermediateMaps maps = intermediateMaps(width, height, settings);
    if (maps.used && !maps.failure) {
        iw = (long long)maps.columns.size();
        ih = (long long)maps.rows.size();
    }
    if (settings.Quality <= 0 || iw <= 0 || ih <= 0)
        return bandRows + 1;
    const ResampleFit fit = fitPicture(int(iw), int(ih), layout.width, layout.height);
    const ResampleWindow window = resampleWindow(fit.scale, settings.Quality);
    // Window rows are intermediate rows; a stretch that drops rows spreads
    // them over more source rows.
    const double sourcePerRow = std::max(1.0, double(height) / double(ih));
    const long long windowRows = (long long)((2.0 * window.radius + 1.0) * sourcePerRow) + 2;
    return std::min<long long>(height, windowRows + bandRows);
}

} // namespace tess
