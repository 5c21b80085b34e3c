#include "thumbs/compose.h"

#include "thumbs/shared_band.h"

#include <algorithm>
#include <memory>
#include <QCoreApplication>

namespace tess {

namespace {

// One target's rows for the resampler from the band all targets share.
class BandSource final : public ResampleRows {
public:
    BandSource(SharedBand &band, int reader) : m_band(band), m_reader(reader) {}
    const Colour *row(int y) override { return m_band.row(m_reader, y); }
    void release(int y) override { m_band.release(m_reader, y); }
    bool failed() const override { return m_band.failed(); }

private:
    SharedBand &m_band;
    const int m_reader;
};

// The rows of a picture the stream holds whole, read where they lie: no band
// to copy them into.
class HeldSource final : public ResampleRows {
public:
    explicit HeldSource(RowStream &stream) : m_stream(stream) {}
    const Colour *row(int y) override
    {
        const Colour *row = resident(y);
        if (!row)
            m_failed = true;
        return row;
    }
    const Colour *resident(int y) override { return m_failed ? nullptr : m_stream.heldRow(y); }
    bool failed() const override { return m_failed; }

private:
    RowStream &m_stream;
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
    };
    std::vector<Drawing> drawings;
    for (std::size_t i = 0; i < targets.size(); ++i) {
        ComposeTarget &target = targets[i];
        const PicturePlan &plan = *target.plan;
        if (plan.failure) {
            band.done(int(i));
            continue;
        }
        Drawing d{&target, nullptr, nullptr};
        if (whole)
            d.rows = std::make_unique<HeldSource>(stream);
        else
            d.rows = std::make_unique<BandSource>(band, int(i));
        target.canvas->resize(plan.layout.width, plan.layout.height);
        if (i == 0 && sized)
            sized();
        ResampleInput input{plan.width, plan.height, d.rows.get(), nullptr, plan.maps.margin};
        input.turn = plan.turn;
        if (plan.maps.used) {
            input.width = int(plan.maps.columns.size());
            input.height = int(plan.maps.rows.size());
            input.columns = &plan.maps.columns;
            input.rowMap = &plan.maps.rows;
            input.sourceWidth = plan.width;
            input.sourceHeight = plan.height;
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
                const auto [first, last] = r.nextInputRows();
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
