#pragma once
#include "codecs/picture_file.h"
#include "codecs/picture_limits.h"
#include "codecs/picture_reader.h"

#include <cstddef>

namespace tess {

// Whether the first bytes of a file are a TIFF header (classic or BigTIFF, either byte order).
bool isTiff(const unsigned char *head, std::size_t size);

// The first page of a TIFF, read with libtiff.
// Upright 8- and 16-bit pictures in contiguous strips (grey, RGB, CMYK,
// 8-bit palette) stream a scanline at a time; a turned one, a tiled one or
// any other layout libtiff can turn into RGBA is decoded whole. Float and
// signed samples are refused as unsupported.
OpenedPicture openTiffPicture(PictureFile file, const ReadOptions &options, const PictureLimits &limits);

} // namespace tess
