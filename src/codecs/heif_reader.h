#pragma once
#include "codecs/picture_reader.h"

#include <cstddef>

namespace tess {

// Whether the first bytes of a file are an ISO media file of a still-picture
// brand (HEIC, HEIF, AVIF).
bool isHeif(const unsigned char *head, std::size_t size);

// The primary image of a HEIC or AVIF file, decoded whole by libheif with its
// rotation, mirror and crop applied. Takes ownership of fd.
OpenedPicture openHeifPicture(int fd, const ReadOptions &options);

} // namespace tess
