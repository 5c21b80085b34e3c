#pragma once
#include "codecs/picture_file.h"
#include "codecs/picture_limits.h"
#include "codecs/picture_reader.h"

#include <QStringList>

#include <cstddef>
#include <span>

namespace tess {

enum class PictureKindId { Bmp, Jpeg, Png, Gif, Webp, Tiff, Heif, Jxl, Raw };

// One kind of picture we read: how its files are told (by their first bytes,
// or for a kind that shares them with another, by a further look), who opens
// it with the kind's limits, the name endings a folder lists it by, and the
// limits themselves.
struct PictureKind {
    PictureKindId id;
    bool (*matches)(const PictureFile &file);
    OpenedPicture (*open)(PictureFile file, const ReadOptions &options, const PictureLimits &limits);
    std::span<const char *const> endings; // without the dot, lower case
    PictureLimits limits;
};

// Every kind, in the order a file is tried against them: a kind that claims
// some of another's files comes before it.
std::span<const PictureKind> pictureKinds();
const PictureKind &pictureKind(PictureKindId id);

// The reader of one kind, handed that kind's limits.
template <PictureKindId id>
OpenedPicture openAs(PictureFile file, const ReadOptions &options)
{
    const PictureKind &kind = pictureKind(id);
    return kind.open(std::move(file), options, kind.limits);
}

// The first kind that claims the file, or null.
const PictureKind *kindOfFile(const PictureFile &file);

// "*.ending" of every kind, kind after kind in table order.
QStringList pictureEndingWildcards();

} // namespace tess
