#pragma once
#include "codecs/picture_file.h"
#include "codecs/picture_limits.h"
#include "codecs/picture_reader.h"

#include <cstddef>

namespace tess {

// Whether the first bytes of a file are a JPEG XL codestream or container;
// told by the bytes alone, without loading libjxl.
bool isJxl(const unsigned char *head, std::size_t size);

// A JPEG XL picture (its first frame when animated), upright, decoded whole
// by libjxl, on options.threads threads.
OpenedPicture openJxlPicture(PictureFile file, const ReadOptions &options, const PictureLimits &limits);

} // namespace tess
