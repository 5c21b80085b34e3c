#pragma once
#include <QSize>
#include <QString>

namespace tess {

// The size the preview box takes for a picture of W x H pixels. The arithmetic is
// single precision, as the preview's own variables are; the drawn size is the
// rounded one (half to even).
struct PreviewFit {
    float width = 0.0f;
    float height = 0.0f;
    bool stretched = true; // false: copied pixel for pixel
    QSize drawnSize() const;
};

// Longest side made 100 pixels; smaller pictures are enlarged the same way.
// A picture as wide as it is high counts as a tall one (100 x 100).
PreviewFit fitSourcePreview(int pictureWidth, int pictureHeight);

// Thumbnails that fit into 100 x 100 are shown at their true size; larger ones
// are reduced as source pictures are.
PreviewFit fitThumbnailPreview(int pictureWidth, int pictureHeight);

// "640 * 480".
QString previewSizeCaption(int pictureWidth, int pictureHeight);

} // namespace tess
