#pragma once
#include "codecs/picture_file.h"
#include "codecs/picture_limits.h"
#include "codecs/picture_reader.h"

#include <cstddef>

namespace tess {

// Whether a file's first bytes are a WebP container (RIFF....WEBP).
bool isWebp(const unsigned char *head, std::size_t size);

// A WebP (lossy, lossless, with or without alpha; the first frame of an
// animation on its canvas) read with libwebp. The file
// is read at open and decoded whole at the first row, so its own bytes count
// toward the working memory. The EXIF chunk's orientation is applied and the
// ICCP chunk's profile converts the colours.
OpenedPicture openWebpPicture(PictureFile file, const ReadOptions &options, const PictureLimits &limits);

} // namespace tess
