#pragma once
#include "platform/picture.h"

#include <QImageIOHandler>
#include <QIODevice>

namespace tess {

// The EXIF orientation of the JPEG that `in` holds, as Qt's JPEG reader
// reports it from the file's header (no pixel is decoded). Leaves `in` at 0.
QImageIOHandler::Transformations jpegOrientation(QIODevice &in);

// Applies an orientation as Qt defines it: mirror and flip first, then a quarter
// turn clockwise. Only a quarter turn needs a second picture.
void applyOrientation(Picture &picture, QImageIOHandler::Transformations transformation);

} // namespace tess
