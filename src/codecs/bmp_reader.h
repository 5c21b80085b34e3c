#pragma once
#include "codecs/picture_file.h"
#include "codecs/picture_limits.h"
#include "codecs/picture_reader.h"

namespace tess {

// Opens a Windows bitmap; its header is the head the file was told by.
//
// An uncompressed 24- or 32-bit file with the plain 40-byte header, whose
// pixel data is wholly in the file, streams straight from the file a band at
// a time (a bottom-up file from its end, by offset). Every other bitmap is
// decoded whole at the first readRows by Qt's BMP reader (openBmpWithQt). A
// file shorter than the pixel data its header announces (the rows' size when
// uncompressed, the stated length of an RLE stream) is refused as broken, and
// a header over kMaxPicturePixels as too large, before any pixel memory is
// taken.
OpenedPicture openBmpPicture(PictureFile file, const ReadOptions &options, const PictureLimits &limits);

// The bitmaps the rows above do not take, decoded whole by Qt's BMP reader
// over the same file, into pixels we allocated and zeroed ourselves: Qt
// leaves the pixels a broken RLE stream or a short file does not cover
// untouched. It lives with the rest of what needs QtGui (src/qimage/, in
// tess_core); a program linked with the core alone (tess_base: the
// thumbnailer, which starts much sooner without QtGui) has none, and refuses
// those bitmaps as unsupported.
[[gnu::weak]] OpenedPicture openBmpWithQt(PictureFile file, long long maxPixels);

} // namespace tess
