#pragma once
#include "codecs/picture_codecs.h"

#include <QIODevice>

namespace tess {

// Decodes the Windows bitmap that `in` holds (from position 0) with Qt's BMP
// reader, into pixels we allocated and zeroed ourselves: Qt leaves the pixels a
// broken RLE stream or a short file does not cover untouched, and without our
// buffer they would be whatever the heap held. A file shorter than the pixel
// data its header announces (the rows' size when uncompressed, the stated
// length of an RLE stream), or a header over kMaxPicturePixels, is refused
// before any pixel memory is taken.
DecodedPicture decodeBmp(QIODevice &in, const QString &nameForMessages);

} // namespace tess
