#pragma once
#include "codecs/picture_file.h"
#include "codecs/picture_limits.h"
#include "codecs/picture_reader.h"

#include <cstddef>

namespace tess {

// Whether the first bytes of a file are an ISO media file of a still-picture
// brand (HEIC, HEIF, AVIF).
bool isHeif(const unsigned char *head, std::size_t size);

// The primary image of a HEIC or AVIF file, decoded whole by libheif with its
// rotation, mirror and crop applied. The decode is kept on one core whatever
// options.threads says: libheif passes its codecs no thread count, and one
// core is the only count they can be held to.
OpenedPicture openHeifPicture(PictureFile file, const ReadOptions &options, const PictureLimits &limits);

} // namespace tess
