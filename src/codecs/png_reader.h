#pragma once
#include "codecs/picture_file.h"
#include "codecs/picture_limits.h"
#include "codecs/picture_reader.h"

#include <cstddef>

namespace tess {

// Whether a file's first bytes are a PNG signature.
bool isPng(const unsigned char *head, std::size_t size);

// A PNG (or the default image of an APNG) read with libpng. A non-interlaced
// upright picture streams row by row, up to kMaxStreamedSide a side; an
// interlaced one, or one whose eXIf chunk turns it, is decoded whole and so
// bounded by kMaxPicturePixels. (An eXIf chunk after the image data comes too
// late to turn the rows already handed out, and is not read.) Colours go
// through an embedded iCCP profile unless the file also says it is sRGB;
// gAMA and cHRM alone are left aside, so untagged pictures keep their exact
// samples. A file cut inside its image data is corrupt; trouble after the last
// image row is not held against it, but a file that ends before its IEND
// chunk is.
OpenedPicture openPngPicture(PictureFile file, const ReadOptions &options, const PictureLimits &limits);

} // namespace tess
