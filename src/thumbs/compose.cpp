#include "thumbs/compose.h"

#include "thumbs/shared_band.h"

#include <algorithm>
#include <memory>
#include <QCoreApplication>

namespace tess {

namespace {

// One target's rows for the resampler from the band all targets share:
// picture row y is stream row rows[y], or margin where that is negative (no
// map: row y itself). The maps only move down the picture, so letting a
// picture row go lets its stream row go.
class BandSource final : public ResampleRows {
public:
    BandSource(SharedBand &band, int reader, const std::vector<int> *rows)
        : m_band(band), m_reader(reader), m_rows(rows)
    {
    }
    const Colour *row(int y) override
    {
        const int r = bandRow(y);
        return r < 0 ? nullptr : m_band.row(m_reader, r);
    }
    void release(int y) override
    {
        const int r = bandRow(y);
        if (r >= 0)
            m_band.release(m_reader, r);
    }
    bool failed() const override { return m_band.failed(); }

private:
    int bandRow(int y) const { return m_rows ? (*m_rows)[std::size_t(y)] : y; }

    SharedBand &m_band;
    const int m_reader;
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
bool readToEnd(RowStream &stream, SharedBand &band)
{
    if (stream.holdsWhole()) {
        if (stream.height() > 0 && !stream.heldRow(0))
            return false;
    } else if (!band.drain()) {
        return false;
    }
    return stream.finish();
}

// The rows the band must hold for the most demanding target.
long long bandSpan(const std::vector<ComposeTarget> &targets)
{
    long long span = 0;
    for (const ComposeTarget &t : targets)
        span = std::max(span, t.plan->holdsWhole ? 0 : t.plan->rowsHeld);
    return span;
}

} // namespace

Failure stoppedFailure(const QString &source)
{
    return Failure{source, QCoreApplication::translate("Thumbnails", "処理を中止しました。")};
}

void ComposeThumbnails(RowStream &stream, std::vector<ComposeTarget> &targets, const ResampleProgress &progress,
                       const std::function<void()> &sized)
{
    if (targets.empty())
        return;
    const int bandRows = targets.front().plan->bandRows;
    const bool whole = stream.holdsWhole();
    SharedBand band(stream, bandRows, whole ? 0 : bandSpan(targets), int(targets.size()));
    // Only the first target is followed; every one stops with the run.
    ResampleProgress quiet;
    quiet.stop = progress.stop;

    struct Drawing {
        ComposeTarget *target;
        std::unique_ptr<ResampleRows> rows;
        std::unique_ptr<Resampling> resampling;
        std::vector<int> lastRowBy; // of each input row: the last stream row it or one above reads
    };
    std::vector<Drawing> drawings;
    for (std::size_t i = 0; i < targets.size(); ++i) {
        ComposeTarget &target = targets[i];
        const PicturePlan &plan = *target.plan;
        if (plan.failure) {
            band.done(int(i));
            continue;
        }
        const std::vector<int> *rowMap = plan.maps.used ? &plan.maps.rows : nullptr;
        Drawing d{&target, nullptr, nullptr, {}};
        if (whole)
            d.rows = std::make_unique<HeldSource>(stream, rowMap);
        else
            d.rows = std::make_unique<BandSource>(band, int(i), rowMap);
        target.canvas->resize(plan.layout.width, plan.layout.height);
        if (i == 0 && sized)
            sized();
        ResampleInput input{plan.width, plan.height, d.rows.get(), nullptr, plan.maps.margin};
        if (plan.maps.used) {
            input.width = int(plan.maps.columns.size());
            input.height = int(plan.maps.rows.size());
            input.columns = &plan.maps.columns;
            int last = -1;
            for (const int r : plan.maps.rows)
                d.lastRowBy.push_back(last = std::max(last, r));
        }
        d.resampling = std::make_unique<Resampling>(input, *target.canvas, plan.resample, i == 0 ? progress : quiet);
        drawings.push_back(std::move(d));
    }

    // Each drawing goes as far as the rows read allow; then the next band is
    // read. A picture held whole has every row already.
    for (;;) {
        bool drawing = false;
        for (std::size_t k = 0; k < drawings.size(); ++k) {
            Drawing &d = drawings[k];
            Resampling &r = *d.resampling;
            while (!r.finished()) {
                const auto [first, input] = r.nextInputRows();
                const int last = input < 0 || d.lastRowBy.empty() ? input : d.lastRowBy[std::size_t(input)];
                if (!whole && last >= band.rowsRead() && !band.failed()) {
                    // What the step would let go first, so the band read next
                    // may take its place.
                    if (first >= 0)
                        d.rows->release(first);
                    break;
                }
                r.step();
            }
            if (r.finished())
                band.done(int(d.target - targets.data()));
            else
                drawing = true;
        }
        if (!drawing || !band.readMore())
            break;
    }

    bool stopped = false;
    for (Drawing &d : drawings) {
        // A stream that failed ends every drawing at the row in hand.
        while (!d.resampling->finished())
            d.resampling->step();
        if (d.resampling->ok())
            continue;
        const PicturePlan &plan = *d.target->plan;
        if (d.rows->failed()) {
            d.target->failure = Failure{plan.source, stream.message()};
        } else if (progress.stopped()) {
            d.target->failure = stoppedFailure(plan.source);
            stopped = true;
        }
    }
    // A file stopped while it was drawn reads no further, whatever size stopped.
    if (stopped) {
        for (ComposeTarget &target : targets)
            if (!target.failure)
                target.failure = stoppedFailure(target.plan->source);
        return;
    }
    const bool broken = !readToEnd(stream, band);
    for (ComposeTarget &target : targets) {
        if (broken)
            target.failure = Failure{target.plan->source, stream.message()};
        else if (!target.failure && target.plan->failure)
            target.failure = target.plan->failure;
    }
}

std::optional<Failure> ComposeThumbnail(RowStream &stream, Picture &canvas, const PicturePlan &plan,
                                        const ResampleProgress &progress, const std::function<void()> &sized)
{
    std::vector<ComposeTarget> targets{ComposeTarget{&canvas, &plan, std::nullopt}};
    ComposeThumbnails(stream, targets, progress, sized);
    return targets.front().failure;
}

} // namespace tess
