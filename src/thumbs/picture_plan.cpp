#include "thumbs/picture_plan.h"

#include <algorithm>

namespace tess {

namespace {

// The stored rows the resampler's window spans, plus a band, for a streamed
// picture. The window goes across the stored rows: down the picture, or
// across it where the picture is turned a quarter.
long long rowsHeldFor(const PicturePlan &plan, int inputLines)
{
    const long long storedRows = plan.turn.transposed ? plan.width : plan.height;
    if (plan.resample.quality <= 0)
        return plan.bandRows + 1;
    // Window lines are the intermediate picture's; a stretch that drops lines
    // spreads them over more stored rows.
    const double storedPerLine = std::max(1.0, double(storedRows) / double(inputLines));
    const long long windowRows = (long long)((2.0 * plan.resample.window.radius + 1.0) * storedPerLine) + 2;
    return std::min<long long>(storedRows, windowRows + plan.bandRows);
}

} // namespace

WorkCost PicturePlan::costNow(const RowStream &rows) const
{
    WorkCost now = cost;
    const long long held = holdsWhole ? 0 : rowsHeld;
    now.making = std::size_t(held) * std::size_t(std::max(0, rows.width())) * sizeof(Colour) + rows.workingBytes();
    return now;
}

PicturePlan planPicture(const RowStream &rows, const ThumbSettings &settings, const QString &source, int bandRows)
{
    PicturePlan plan;
    plan.source = source;
    plan.turn = turnOf(rows.orientation());
    const QSize upright = plan.turn.upright(QSize(std::max(0, rows.width()), std::max(0, rows.height())));
    plan.width = upright.width();
    plan.height = upright.height();
    plan.bandRows = std::max(1, bandRows);
    plan.holdsWhole = rows.holdsWhole();
    plan.layout = layoutThumbnail(settings, plan.width, plan.height);
    if (!plan.layout.failure)
        plan.maps = intermediateMaps(plan.width, plan.height, settings);
    if (plan.layout.failure || plan.maps.failure) {
        plan.failure = plan.layout.failure ? plan.layout.failure : plan.maps.failure;
        plan.failure->file = source;
        plan.rowsHeld = plan.bandRows;
    } else {
        const int iw = plan.maps.used ? int(plan.maps.columns.size()) : plan.width;
        const int ih = plan.maps.used ? int(plan.maps.rows.size()) : plan.height;
        // The crop has the canvas's proportions only to a rounded pixel, so it fills the canvas.
        const ResampleFitting fitting =
            settings.RatioMode == CropToFill ? ResampleFitting::Cover : ResampleFitting::Inside;
        plan.resample = planResample(iw, ih, plan.layout.width, plan.layout.height, settings.Quality, fitting);
        plan.rowsHeld = rowsHeldFor(plan, plan.turn.transposed ? iw : ih);
        // The canvas, and its file about as large again.
        plan.cost.holding = std::size_t(plan.layout.width) * std::size_t(plan.layout.height) * 4 * 2;
    }
    plan.cost.making = plan.costNow(rows).making;
    return plan;
}

} // namespace tess
