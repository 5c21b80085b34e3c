#pragma once
#include "codecs/picture_file.h"
#include "codecs/picture_reader.h"

#include <cstddef>

namespace tess {

// Whether the first bytes of a file are an ISO media file of a still-picture
// brand (HEIC, HEIF, AVIF).
bool isHeif(const unsigned char *head, std::size_t size);

// The primary image of a HEIC or AVIF file, decoded whole by libheif with its
// rotation, mirror and crop applied. With options.threads at one, the decode
// is kept on one core, so that its codec starts no threads of its own; above
// one, the codec sizes its own pool by the cores (libheif takes no count for
// it) and a grid's tiles are decoded on up to that many threads.
OpenedPicture openHeifPicture(PictureFile file, const ReadOptions &options);

} // namespace tess
