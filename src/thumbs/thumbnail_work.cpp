#include "thumbs/thumbnail_work.h"

#include "codecs/open_picture.h"
#include "thumbs/compose.h"

#include <algorithm>

namespace tess {

namespace {

// The sizes share one band of rows and keep a canvas each.
WorkCost together(const std::vector<WorkCost> &costs)
{
    WorkCost sum;
    for (const WorkCost &cost : costs) {
        sum.making = std::max(sum.making, cost.making);
        sum.holding += cost.holding;
    }
    return sum;
}

} // namespace

void makeThumbnail(ThumbnailWork &work, const WorkAdmission &admission, int threads, RawSource raw,
                   const EncodeOptions &encode)
{
    std::vector<const ThumbSettings *> sizes{&work.settings};
    std::vector<Picture *> canvases{&work.canvas};
    for (SizedThumbnail &size : work.more) {
        sizes.push_back(&size.settings);
        canvases.push_back(&size.canvas);
    }

    ReadOptions options;
    options.matte = Colour(work.settings.MarginColour);
    options.threads = threads;
    options.raw = raw;
    // A camera raw serves the largest size.
    options.wantedSize = [&sizes](int width, int height) {
        QSize wanted;
        for (const ThumbSettings *settings : sizes) {
            const ThumbnailLayout layout = layoutThumbnail(*settings, width, height);
            wanted = wanted.expandedTo(QSize(layout.width, layout.height));
        }
        return wanted;
    };
    const OpenedPicture opened = openPicture(work.job.source, options);
    if (!opened.ok()) {
        admission.admit(WorkCost{});
        work.failure = Failure{work.job.source, opened.message};
        return;
    }
    RowStream &rows = *opened.rows;
    std::vector<PicturePlan> plans;
    plans.reserve(sizes.size());
    for (const ThumbSettings *settings : sizes)
        plans.push_back(planPicture(rows, *settings, work.job.source));
    const auto costs = [&](bool now) {
        std::vector<WorkCost> each;
        for (const PicturePlan &plan : plans)
            each.push_back(now ? plan.costNow(rows) : plan.cost);
        return together(each);
    };
    if (!admission.admit(costs(false))) {
        work.failure = stoppedFailure(work.job.source);
        return;
    }

    const PicturePlan &plan = plans.front();
    ResampleProgress progress;
    progress.stop = &work.abandoned;
    // A picture decoded whole has let its decoder go by its first row: the
    // next file may take that memory while this one is composed.
    bool lowered = !plan.holdsWhole;
    progress.rowDone = [&](int rowsDone, int rowsTotal) {
        if (!lowered) {
            lowered = true;
            admission.lower(costs(true));
        }
        work.rowsTotal.store(rowsTotal, std::memory_order_relaxed);
        work.rowsDone.store(rowsDone, std::memory_order_release);
    };
    const auto sized = [&] {
        work.drawing = drawingOrder(plan.resample, plan.turn);
        work.placed.store(true, std::memory_order_release);
    };
    std::vector<ComposeTarget> targets;
    for (std::size_t i = 0; i < plans.size(); ++i) {
        canvases[i]->setBackground(Colour(sizes[i]->MarginColour));
        targets.push_back(ComposeTarget{canvases[i], &plans[i], std::nullopt});
    }
    ComposeThumbnails(rows, targets, progress, sized);
    for (const ComposeTarget &target : targets) {
        if (target.failure) {
            work.failure = target.failure;
            return;
        }
    }
    work.encoded = encodeThumbnail(work.canvas, work.settings, work.outputPath, encode);
    for (SizedThumbnail &size : work.more)
        size.encoded = encodeThumbnail(size.canvas, size.settings, size.outputPath, encode);
}

} // namespace tess
