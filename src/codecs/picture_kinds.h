#pragma once
#include "codecs/picture_file.h"
#include "codecs/picture_reader.h"

#include <QStringList>

#include <cstddef>
#include <span>

namespace tess {

enum class PictureKindId { Bmp, Jpeg, Png, Gif, Webp, Tiff, Heif, Jxl, Raw };

// What a picture of one kind may ask of us before we refuse it. Zero where a
// limit does not apply to the kind.
struct PictureLimits {
    // A picture held whole (decoded at once, or asked for whole).
    long long maxPixels = 0;
    // A side of a picture read row by row, never held whole.
    int maxStreamedSide = 0;
    // A file read into memory whole (or copied there for its library).
    long long maxFileBytes = 0;
    // Beyond plainPixels, a picture must come with at least a file byte for
    // every pixelsPerFileByte of its pixels: its coding can't pack more, so a
    // tiny file can't make us fill a huge picture.
    long long plainPixels = 0;
    long long pixelsPerFileByte = 0;
    // Compressed data never inflates to more than this many times its bytes.
    long long maxInflateRatio = 0;
    // One allocation the kind's library may make for a part of the picture.
    long long maxLibraryAllocation = 0;
    // A side the kind's library takes apart (tiles, grids) before our check
    // on the whole picture runs.
    int maxLibrarySide = 0;

    // Whether a header's pixels are more than a file of fileBytes could hold.
    bool claimsMoreThanTheFileHolds(long long pixels, long long fileBytes) const
    {
        return pixelsPerFileByte > 0 && pixels > plainPixels && fileBytes * pixelsPerFileByte < pixels;
    }
};

// One kind of picture we read: how its files are told (by their first bytes,
// or for a kind that shares them with another, by a further look), who opens
// it, the name endings a folder lists it by, and its limits.
struct PictureKind {
    PictureKindId id;
    bool (*matches)(const PictureFile &file);
    OpenedPicture (*open)(PictureFile file, const ReadOptions &options);
    std::span<const char *const> endings; // without the dot, lower case
    PictureLimits limits;
};

// Every kind, in the order a file is tried against them: a kind that claims
// some of another's files comes before it.
std::span<const PictureKind> pictureKinds();
const PictureKind &pictureKind(PictureKindId id);
inline const PictureLimits &limitsOf(PictureKindId id) { return pictureKind(id).limits; }

// The first kind that claims the file, or null.
const PictureKind *kindOfFile(const PictureFile &file);

// "*.ending" of every kind, kind after kind in table order.
QStringList pictureEndingWildcards();

} // namespace tess
