#include "thumbs/compose.h"

#include "thumbs/band_rows.h"

#include <algorithm>

namespace tess {

namespace {

// Reads what is left of the stream (a held picture: decodes it); the file's
// own failure, if it has one.
std::optional<Failure> readToEnd(RowStream &stream, const BandRows &rows)
{
    try {
        if (stream.holdsWhole()) {
            if (stream.height() > 0 && !stream.heldRow(0))
                return Failure{QString(), stream.message()};
        } else {
            rows.drain();
        }
    } catch (const StreamBroken &broken) {
        return Failure{QString(), broken.message};
    }
    if (!stream.finish())
        return Failure{QString(), stream.message()};
    return std::nullopt;
}

// The band's rows for the resampler: picture row y is band row rows[y], or
// margin where that is negative (no map: row y itself). The maps only move
// down the picture, so letting a picture row go lets its band row go.
class BandSource final : public ResampleRows {
public:
    BandSource(const BandRows &band, const std::vector<int> *rows) : m_band(band), m_rows(rows) {}
    const Colour *row(int y) override
    {
        const int r = bandRow(y);
        return r < 0 ? nullptr : m_band.row(r);
    }
    void release(int y) override
    {
        const int r = bandRow(y);
        if (r >= 0)
            m_band.release(r);
    }

private:
    int bandRow(int y) const { return m_rows ? (*m_rows)[std::size_t(y)] : y; }

    const BandRows &m_band;
    const std::vector<int> *m_rows;
};

// The rows of a picture the stream holds whole, read where they lie: no band
// to copy them into.
class HeldSource final : public ResampleRows {
public:
    HeldSource(RowStream &stream, const std::vector<int> *rows) : m_stream(stream), m_rows(rows) {}
    const Colour *row(int y) override
    {
        const Colour *row = resident(y);
        if (!row && sourceRow(y) >= 0)
            throw StreamBroken(m_stream.message());
        return row;
    }
    const Colour *resident(int y) override
    {
        const int r = sourceRow(y);
        return r < 0 ? nullptr : m_stream.heldRow(r);
    }

private:
    int sourceRow(int y) const { return m_rows ? (*m_rows)[std::size_t(y)] : y; }

    RowStream &m_stream;
    const std::vector<int> *m_rows;
};

} // namespace

Composition ComposeThumbnail(RowStream &stream, Picture &canvas, const ThumbSettings &settings,
                             const ResampleProgress &progress,
                             const std::function<void(const CanvasPlacement &)> &placed, int bandRows)
{
    Composition result;
    const BandRows rows(stream, bandRows,
                        stream.holdsWhole() ? 0 : streamedRowsHeld(stream.width(), stream.height(), settings, bandRows));
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

    BandSource band(rows, maps.used ? &maps.rows : nullptr);
    HeldSource held(stream, maps.used ? &maps.rows : nullptr);
    ResampleRows *source = stream.holdsWhole() ? static_cast<ResampleRows *>(&held) : &band;
    ResampleInput input{rows.width(), rows.height(), source, nullptr, maps.margin};
    if (maps.used) {
        input.width = int(maps.columns.size());
        input.height = int(maps.rows.size());
        input.columns = &maps.columns;
    }
    try {
        resampleRows(input, canvas, settings.Quality, progress);
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
