#include "codecs/exif_orientation.h"

#include <algorithm>
#include <cstdint>

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
    using T = QImageIOHandler;
    const std::nullopt_t none = std::nullopt;
    QByteArrayView tiff(exif);
    if (tiff.startsWith(QByteArrayView("Exif\0\0", 6)))
        tiff = tiff.sliced(6);
    if (tiff.size() < 8)
        return none;
    const bool little = tiff.startsWith("II");
    if (!little && !tiff.startsWith("MM"))
        return none;
    const auto byteAt = [&](qsizetype i) { return unsigned(std::uint8_t(tiff[i])); };
    const auto u16 = [&](qsizetype i) {
        return little ? byteAt(i) | byteAt(i + 1) << 8 : byteAt(i) << 8 | byteAt(i + 1);
    };
    const auto u32 = [&](qsizetype i) {
        return little ? u16(i) | std::uint32_t(u16(i + 2)) << 16 : std::uint32_t(u16(i)) << 16 | u16(i + 2);
    };
    if (u16(2) != 42)
        return none;
    // As Qt's JPEG reader reads it, so that every photo turns the same way:
    // directories are followed forward only (a loop can't hold us), at most
    // ten of them, and the first orientation entry decides, even a bad one.
    constexpr int kMaxDirectories = 10;
    qsizetype end = 8; // of what has been read so far
    std::uint32_t directory = u32(4);
    for (int n = 0; n < kMaxDirectories; ++n) {
        if (directory < end || directory > std::uint32_t(tiff.size()) - 2)
            return none;
        const unsigned entries = u16(directory);
        const qsizetype first = qsizetype(directory) + 2;
        for (unsigned i = 0; i < entries; ++i) {
            const qsizetype entry = first + qsizetype(i) * 12;
            if (entry + 12 > tiff.size())
                return none;
            constexpr unsigned kOrientationTag = 0x0112, kShort = 3;
            if (u16(entry) != kOrientationTag)
                continue;
            if (u16(entry + 2) != kShort || u32(entry + 4) != 1)
                return T::TransformationNone;
            return orientationOfExifValue(int(u16(entry + 8)));
        }
        const qsizetype next = first + qsizetype(entries) * 12;
        if (next + 4 > tiff.size())
            return none;
        directory = u32(next);
        end = next + 4;
        if (directory == 0)
            break;
    }
    return none;
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
