#pragma once
#include "platform/picture.h"

#include <QImageIOHandler>
#include <QIODevice>

namespace tess {

// The orientation an EXIF block records (tag 0x0112 of its first directory),
// as Qt names the eight values; TransformationNone when the block has none or
// can't be read. The block may start with its "Exif\0\0" header or straight
// with the TIFF header, in either byte order.
QImageIOHandler::Transformations exifOrientation(const QByteArray &exif);

// The EXIF orientation of the JPEG that `in` holds, as Qt's JPEG reader
// reports it from the file's header (no pixel is decoded). Leaves `in` at 0.
QImageIOHandler::Transformations jpegOrientation(QIODevice &in);

// Applies an orientation as Qt defines it: mirror and flip first, then a quarter
// turn clockwise. Only a quarter turn needs a second picture.
void applyOrientation(Picture &picture, QImageIOHandler::Transformations transformation);

} // namespace tess
