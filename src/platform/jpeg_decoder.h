#pragma once
#include "platform/picture_codecs.h"

#include <QIODevice>

namespace tess {

// Decodes the JPEG that `in` holds from its current position, without turning
// it upright: rows as stored. Baseline, progressive, arithmetic-coded,
// greyscale, CMYK and YCCK (Adobe's inverted ink values) are read; 12-bit and
// lossless files are refused as unsupported. Data that ends before the decoder
// had every row's bits is a failure, not a picture padded with grey.
DecodedPicture decodeJpeg(QIODevice &in, const QString &nameForMessages);

} // namespace tess
