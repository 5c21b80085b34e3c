#pragma once
#include "codecs/picture_stream.h"

#include <QString>

namespace tess {

// A sequential (baseline or extended) Huffman-coded JPEG of 8-bit greyscale or
// YCbCr with no EXIF orientation that turns or mirrors it, read with libjpeg a
// few scanlines at a time. Takes ownership of fd; path is only asked for the
// EXIF orientation. Any other JPEG comes back as Whole. Pictures up to
// kMaxStreamedSide a side stream, but one over kMaxPicturePixels whose file is
// too short to hold that many blocks is Refused before a row is decoded.
//
// The cut-file rule is the whole-picture decoder's: once the data has ended,
// the decoder running short of bits for its scan breaks the file, here at the
// band where it happens.
PictureStream openJpegRowStream(int fd, const QString &path);

} // namespace tess
