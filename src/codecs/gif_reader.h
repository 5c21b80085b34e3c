#pragma once
#include "codecs/picture_file.h"
#include "codecs/picture_limits.h"
#include "codecs/picture_reader.h"

#include <cstddef>

namespace tess {

// Whether a file's first bytes are a GIF signature (87a or 89a).
bool isGif(const unsigned char *head, std::size_t size);

// The first frame of a GIF, read with giflib and shown on the logical screen:
// what the frame doesn't cover, and its transparent pixels, are the matte (the
// screen's background colour is not painted). Takes ownership of fd. Decoded
// whole, up to kMaxPicturePixels. A frame cut short is refused as corrupt,
// not shown in part.
OpenedPicture openGifPicture(PictureFile file, const ReadOptions &options, const PictureLimits &limits);

} // namespace tess
