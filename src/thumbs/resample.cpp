#include "thumbs/resample.h"

namespace tess {

void ResamplePicture(Picture &source, Picture &canvas, int quality, const ResampleProgress &progress)
{
    if (!resampleRows(PictureRows(source), canvas, quality, progress))
        source.reset();
}

} // namespace tess
