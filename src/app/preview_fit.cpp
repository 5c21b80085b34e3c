#include "app/preview_fit.h"

#include "chrome/twips.h"

namespace tess {

namespace {
constexpr float kPreviewSide = 100.0f;
}

QSize PreviewFit::drawnSize() const
{
    return QSize(int(roundHalfEven(width)), int(roundHalfEven(height)));
}

PreviewFit fitSourcePreview(int pictureWidth, int pictureHeight)
{
    const float w = float(pictureWidth);
    const float h = float(pictureHeight);
    PreviewFit fit;
    if (w > h) {
        fit.width = kPreviewSide;
        fit.height = h * kPreviewSide / w;
    } else {
        fit.width = w * kPreviewSide / h;
        fit.height = kPreviewSide;
    }
    return fit;
}

PreviewFit fitThumbnailPreview(int pictureWidth, int pictureHeight)
{
    if (pictureWidth <= kPreviewSide && pictureHeight <= kPreviewSide) {
        PreviewFit fit;
        fit.width = float(pictureWidth);
        fit.height = float(pictureHeight);
        fit.stretched = false;
        return fit;
    }
    return fitSourcePreview(pictureWidth, pictureHeight);
}

QString previewSizeCaption(int pictureWidth, int pictureHeight)
{
    return QString::number(pictureWidth) + QStringLiteral(" * ") + QString::number(pictureHeight);
}

} // namespace tess
