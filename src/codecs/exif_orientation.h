#pragma once
#include "platform/picture.h"

#include <QImageIOHandler>
#include <QByteArray>

#include <optional>

namespace tess {

// The orientation an EXIF block records (tag 0x0112, looked for in its first
// directory and those chained after it), as Qt names the eight values;
// TransformationNone when the block has none or can't be read. The block may
// start with its "Exif\0\0" header or straight with the TIFF header, in either
// byte order. Every offset is checked against the block's size.
QImageIOHandler::Transformations exifOrientation(const QByteArray &exif);

// The same, told apart from a block that records no orientation (nullopt):
// an entry holding 1, or a value we can't read, is an orientation of none.
std::optional<QImageIOHandler::Transformations> exifOrientationEntry(const QByteArray &exif);

// One of EXIF's eight orientation values as Qt names it; none for any other.
QImageIOHandler::Transformations orientationOfExifValue(int value);

// Applies an orientation as Qt defines it: mirror and flip first, then a quarter
// turn clockwise. Only a quarter turn needs a second picture.
void applyOrientation(Picture &picture, QImageIOHandler::Transformations transformation);

} // namespace tess
