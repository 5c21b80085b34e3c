#pragma once
#include "codecs/picture_file.h"
#include "codecs/picture_limits.h"
#include "codecs/picture_reader.h"

namespace tess {

// Opens a JPEG with libjpeg, once: one header read gives the size, the EXIF
// orientation (APP1) and the colour profile (APP2).
//
// Sequential Huffman-coded 8-bit greyscale, YCbCr and RGB files that need no
// turning stream a band at a time. Progressive, arithmetic-coded, CMYK/YCCK
// and turned or mirrored files are decoded whole at the first readRows, by the
// same decoder on the same file. 12-bit and lossless files are refused
// as unsupported; a header over kMaxPicturePixels as too large, unless the
// file streams, which it may up to kMaxStreamedSide a side as long as the file
// is long enough to hold that many blocks.
//
// Cut files, whichever way they are read: when the data ends and the decoder
// then runs short of bits for a scan it had started, the file is broken, not a
// picture padded with grey (see jpegDataWasCut). A streamed file breaks at the
// band where that happens. Warnings that cost no data (stray bytes before a
// marker, a missing end-of-image marker, a progressive file that simply stops
// after a complete scan) still give the picture.
//
// Colour: an embedded profile that is not sRGB is applied (RowConverter);
// untagged and sRGB files keep libjpeg's own samples. CMYK goes through its
// profile, as Adobe's inverted ink values, when the file has Adobe's marker;
// otherwise its ink values are read as Adobe writes them, without a profile.
OpenedPicture openJpegPicture(PictureFile file, const ReadOptions &options, const PictureLimits &limits);

// The same for a JPEG stored inside another file, which is turned by the
// orientation `untagged` the other file gives it unless it records its own.
OpenedPicture openJpegPicture(PictureFile file, const ReadOptions &options, const PictureLimits &limits,
                              QImageIOHandler::Transformations untagged);

} // namespace tess
