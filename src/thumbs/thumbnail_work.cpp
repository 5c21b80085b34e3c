#include "thumbs/thumbnail_work.h"

#include "codecs/open_picture.h"
#include "thumbs/compose.h"

namespace tess {

void makeThumbnail(ThumbnailWork &work, const WorkAdmission &start, int threads, RawSource raw,
                   const EncodeOptions &encode)
{
    ReadOptions options;
    options.matte = Colour(work.settings.MarginColour);
    options.threads = threads;
    options.raw = raw;
    options.wantedSize = [&settings = work.settings](int width, int height) {
        const ThumbnailLayout layout = layoutThumbnail(settings, width, height);
        return QSize(layout.width, layout.height);
    };
    const OpenedPicture opened = openPicture(work.job.source, options);
    if (!opened.ok()) {
        start(WorkCost{});
        work.failure = Failure{work.job.source, opened.message};
        return;
    }
    RowStream &rows = *opened.rows;
    const PicturePlan plan = planPicture(rows, work.settings, work.job.source);
    if (!start(plan.cost)) {
        work.failure = stoppedFailure(work.job.source);
        return;
    }

    ResampleProgress progress;
    progress.stop = &work.abandoned;
    // A picture decoded whole has let its decoder go by its first row: the
    // next file may take that memory while this one is composed.
    bool lowered = !plan.holdsWhole;
    progress.rowDone = [&](int rowsDone, int rowsTotal) {
        if (!lowered) {
            lowered = true;
            start(plan.costNow(rows));
        }
        work.rowsTotal.store(rowsTotal, std::memory_order_relaxed);
        work.rowsDone.store(rowsDone, std::memory_order_release);
    };
    const auto sized = [&] {
        work.pictureTop = plan.resample.fit.y0;
        work.placed.store(true, std::memory_order_release);
    };
    work.canvas.setBackground(Colour(work.settings.MarginColour));
    work.failure = ComposeThumbnail(rows, work.canvas, plan, progress, sized);
    if (!work.failure)
        work.encoded = encodeThumbnail(work.canvas, work.settings, work.outputPath, encode);
}

} // namespace tess
