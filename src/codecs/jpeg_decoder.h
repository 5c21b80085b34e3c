#pragma once
#include "codecs/picture_codecs.h"

#include <QIODevice>

namespace tess {

// Decodes the JPEG that `in` holds from its current position, without turning
// it upright: rows as stored. Baseline, progressive, arithmetic-coded,
// greyscale, CMYK and YCCK (Adobe's inverted ink values) are read; 12-bit and
// lossless files are refused as unsupported.
//
// Cut files: when the data ends and the decoder then runs short of bits for a
// scan it had started, the file is a failure, not a picture padded with grey.
// That holds for progressive files too, although libjpeg would still output
// every row from the coarser scans. Warnings that cost no data (stray bytes
// before a marker, a missing end-of-image marker, a progressive file that
// simply stops after a complete scan) still give the picture. The arithmetic
// decoder never says when it ran short, so there any end of data before the
// last row is output counts as a cut.
DecodedPicture decodeJpeg(QIODevice &in, const QString &nameForMessages);

} // namespace tess
