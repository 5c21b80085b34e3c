#include "codecs/exif_orientation.h"

#include "codecs/tiff_directories.h"

#include <algorithm>
#include <cstring>

namespace tess {

QImageIOHandler::Transformations orientationOfExifValue(int value)
{
    using T = QImageIOHandler;
    switch (value) {
    case 2: return T::TransformationMirror;
    case 3: return T::TransformationRotate180;
    case 4: return T::TransformationFlip;
    case 5: return T::TransformationFlipAndRotate90;
    case 6: return T::TransformationRotate90;
    case 7: return T::TransformationMirrorAndRotate90;
    case 8: return T::TransformationRotate270;
    default: return T::TransformationNone;
    }
}

QImageIOHandler::Transformations exifOrientation(const QByteArray &exif)
{
    return exifOrientationEntry(exif).value_or(QImageIOHandler::TransformationNone);
}

std::optional<QImageIOHandler::Transformations> exifOrientationEntry(const QByteArray &exif)
{
    QByteArrayView tiff(exif);
    if (tiff.startsWith(QByteArrayView("Exif\0\0", 6)))
        tiff = tiff.sliced(6);
    const TiffDirectories directories([tiff](long long offset, void *into, std::size_t length) -> long long {
        if (offset < 0 || offset >= tiff.size())
            return 0;
        const qsizetype n = std::min(qsizetype(length), tiff.size() - qsizetype(offset));
        std::memcpy(into, tiff.data() + offset, std::size_t(n));
        return n;
    });
    // As Qt's JPEG reader reads it, so that every photo turns the same way:
    // at most ten directories of the chain, and the first orientation entry
    // decides, even a bad one.
    constexpr unsigned kOrientationTag = 0x0112, kShort = 3;
    std::optional<QImageIOHandler::Transformations> found;
    directories.any({.maxChain = 10, .maxEntries = 0xFFFF, .subDirectories = false},
                    [&](const TiffDirectories::Directory &directory, bool) {
                        for (const TiffEntry &entry : directory.entries) {
                            if (entry.tag != kOrientationTag)
                                continue;
                            found = entry.type == kShort && entry.count == 1
                                ? orientationOfExifValue(int(directories.single(entry)))
                                : QImageIOHandler::TransformationNone;
                            return true;
                        }
                        return false;
                    });
    return found;
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
