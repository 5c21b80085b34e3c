#include "codecs/exif_orientation.h"

#include <QImageReader>

#include <algorithm>

namespace tess {

QImageIOHandler::Transformations jpegOrientation(QIODevice &in)
{
    in.seek(0);
    QImageIOHandler::Transformations transformation = QImageIOHandler::TransformationNone;
    {
        QImageReader reader(&in, "jpeg");
        transformation = reader.transformation();
    }
    in.seek(0);
    return transformation;
}

void applyOrientation(Picture &picture, QImageIOHandler::Transformations transformation)
{
    if (picture.isEmpty())
        return;
    const int width = picture.width();
    const int height = picture.height();
    if (transformation & QImageIOHandler::TransformationMirror) {
        for (int y = 0; y < height; ++y)
            std::reverse(picture.row(y), picture.row(y) + width);
    }
    if (transformation & QImageIOHandler::TransformationFlip) {
        for (int y = 0; y < height / 2; ++y)
            std::swap_ranges(picture.row(y), picture.row(y) + width, picture.row(height - 1 - y));
    }
    if (transformation & QImageIOHandler::TransformationRotate90) {
        // Clockwise: the new row y is the old column y read from the bottom up.
        // Done in tiles so both pictures are walked in cache-sized pieces.
        Picture turned(height, width, picture.background());
        constexpr int kTile = 64;
        for (int y0 = 0; y0 < width; y0 += kTile) {
            for (int x0 = 0; x0 < height; x0 += kTile) {
                const int y1 = std::min(width, y0 + kTile);
                const int x1 = std::min(height, x0 + kTile);
                for (int y = y0; y < y1; ++y) {
                    Colour *out = turned.row(y);
                    for (int x = x0; x < x1; ++x)
                        out[x] = picture.row(height - 1 - x)[y];
                }
            }
        }
        picture = std::move(turned);
    }
}

} // namespace tess
