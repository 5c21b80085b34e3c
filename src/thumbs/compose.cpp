#include "thumbs/compose.h"

namespace tess {

Composition ComposeThumbnail(Picture &source, Picture &canvas, const ThumbSettings &settings,
                             const ResampleProgress &progress,
                             const std::function<void(const CanvasPlacement &)> &placed)
{
    Composition result;
    const ThumbnailLayout layout = layoutThumbnail(settings, source.width(), source.height());
    if (layout.failure) {
        result.failure = layout.failure;
        return result;
    }
    const Intermediate intermediate = intermediateFor(source, settings);
    if (intermediate.failure) {
        result.failure = intermediate.failure;
        return result;
    }

    canvas.resize(layout.width, layout.height);
    result.placement = layout.placement;
    if (placed)
        placed(result.placement);

    const bool drawn = intermediate.rows ? resampleRows(*intermediate.rows, canvas, settings.Quality, progress)
                                         : resampleRows(PictureRows(source), canvas, settings.Quality, progress);
    if (!drawn)
        source.reset();
    return result;
}

} // namespace tess
