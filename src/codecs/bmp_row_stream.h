#pragma once
#include "codecs/picture_stream.h"

namespace tess {

// An uncompressed 24- or 32-bit Windows bitmap with the plain 40-byte header,
// read straight from the file a band at a time (a bottom-up file from its end
// by offset); the pixel data must be wholly in the file. Takes ownership of
// fd; any other bitmap comes back as Whole.
PictureStream openBmpRowStream(int fd);

} // namespace tess
