#include "thumbs/compose.h"

#include "thumbs/band_rows.h"

#include <algorithm>

namespace tess {

namespace {

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
    bool failed() const override { return m_band.failed(); }

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
            m_failed = true;
        return row;
    }
    const Colour *resident(int y) override
    {
        const int r = sourceRow(y);
        return r < 0 || m_failed ? nullptr : m_stream.heldRow(r);
    }
    bool failed() const override { return m_failed; }

private:
    int sourceRow(int y) const { return m_rows ? (*m_rows)[std::size_t(y)] : y; }

    RowStream &m_stream;
    const std::vector<int> *m_rows;
    bool m_failed = false;
};

// Reads what is left of the stream (a held picture: decodes it); false when
// the file proves broken.
bool readToEnd(RowStream &stream, const BandRows &rows)
{
    if (stream.holdsWhole()) {
        if (stream.height() > 0 && !stream.heldRow(0))
            return false;
    } else if (!rows.drain()) {
        return false;
    }
    return stream.finish();
}

} // namespace

Failure stoppedFailure(const QString &source)
{
    return Failure{source, QStringLiteral("処理を中止しました。")};
}

std::optional<Failure> ComposeThumbnail(RowStream &stream, Picture &canvas, const PicturePlan &plan,
                                        const ResampleProgress &progress, const std::function<void()> &sized)
{
    const BandRows rows(stream, plan.bandRows, plan.holdsWhole ? 0 : plan.rowsHeld);
    if (plan.failure) {
        if (!readToEnd(stream, rows))
            return Failure{plan.source, stream.message()};
        return plan.failure;
    }

    canvas.resize(plan.layout.width, plan.layout.height);
    if (sized)
        sized();

    const std::vector<int> *rowMap = plan.maps.used ? &plan.maps.rows : nullptr;
    BandSource band(rows, rowMap);
    HeldSource held(stream, rowMap);
    ResampleRows *source = plan.holdsWhole ? static_cast<ResampleRows *>(&held) : &band;
    ResampleInput input{plan.width, plan.height, source, nullptr, plan.maps.margin};
    if (plan.maps.used) {
        input.width = int(plan.maps.columns.size());
        input.height = int(plan.maps.rows.size());
        input.columns = &plan.maps.columns;
    }
    if (!ResamplePicture(input, canvas, plan.resample, progress)) {
        if (source->failed())
            return Failure{plan.source, stream.message()};
        if (progress.stopped())
            return stoppedFailure(plan.source);
    }
    if (!readToEnd(stream, rows))
        return Failure{plan.source, stream.message()};
    return std::nullopt;
}

} // namespace tess
