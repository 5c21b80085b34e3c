#pragma once
#include "codecs/picture_reader.h"

#include <cstddef>

namespace tess {

// Whether the first bytes of a file are a JPEG XL codestream or container.
bool isJxl(const unsigned char *head, std::size_t size);

// A JPEG XL picture (its first frame when animated), upright, decoded whole
// by libjxl. Takes ownership of fd.
OpenedPicture openJxlPicture(int fd, const ReadOptions &options);

} // namespace tess
