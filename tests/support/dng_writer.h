#pragma once
// DNG files made from a known picture: an uncompressed Bayer mosaic from a
// camera whose native space is linear sRGB (ColorMatrix1 the inverse of
// sRGB's matrix, AsShotNeutral 1 1 1, D65), so that a correct development
// gives the picture back within a few levels; an optional JPEG preview; and
// the broken files a raw reader must refuse.
#include "platform/picture.h"

#include <QByteArray>
#include <optional>

namespace tess::testing {

// The colours of the mosaic's top-left 2 x 2 cell, row by row.
enum class Cfa { Rggb, Bggr, Grbg, Gbrg };

struct DngOptions {
    Cfa cfa = Cfa::Rggb;
    int bits = 14;   // 12 to 16; the samples are 16-bit words either way
    int black = 0;
    int white = 0;   // 0: 2^bits - 1
    bool littleEndian = true;
    int orientation = 1; // the Orientation tag: 1, 3, 6 or 8
    // The camera's preview, upright; stored as a JPEG turned as the sensor
    // lies, so that the Orientation tag turns it upright.
    std::optional<Picture> preview;
    // Not 0: the preview JPEG carries this EXIF orientation of its own and is
    // stored as that one (not the raw's tag) turns it upright.
    int previewExif = 0;
    // The preview stored as 8-bit RGB samples instead of a JPEG.
    bool previewBitmap = false;
};

// A written DNG and where its parts lie, for breaking it.
struct DngFile {
    QByteArray bytes;
    qsizetype directoriesEnd = 0; // the header, the directories and their values
    qsizetype previewStart = 0, previewLength = 0; // both 0 without a preview
    qsizetype rawStart = 0, rawLength = 0;
    // Where the raw directory's ImageWidth / ImageLength values and the
    // preview's StripOffsets value lie.
    qsizetype rawWidthField = 0, rawHeightField = 0, previewOffsetField = 0;
    bool littleEndian = true;
};

// `picture` is upright; the mosaic holds it as the sensor lies.
DngFile writeDng(const Picture &picture, const DngOptions &options = {});

// The upright picture as a sensor with that Orientation tag lies.
Picture asStored(const Picture &upright, int orientation);

// Broken variants: the first `length` bytes; the directories alone, every
// offset past the end; the raw's size claimed to be 65535 x 65535; the
// preview's offset put past the end of the file.
QByteArray cutAt(const DngFile &dng, qsizetype length);
QByteArray stripped(const DngFile &dng);
QByteArray claimingHugeSensor(const DngFile &dng);
QByteArray previewPastEnd(const DngFile &dng);

} // namespace tess::testing
