#pragma once
#include "codecs/picture_file.h"

namespace tess {

// Whether a file is a camera raw: one of the camera makers' own containers,
// or a TIFF whose directories hold a sensor's mosaic (DNG, NEF, ARW, PEF and
// the like) or a maker's raw coding, rather than a picture. A TIFF of a
// picture is not, whatever its name says.
bool isCameraRaw(const PictureFile &file);

} // namespace tess
