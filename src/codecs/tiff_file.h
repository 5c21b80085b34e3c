#pragma once
#include "codecs/picture_file.h"
#include "codecs/picture_limits.h"

#include <tiffio.h>

#include <memory>

namespace tess {

struct TiffCloser {
    void operator()(TIFF *tif) const { TIFFClose(tif); }
};
using TiffPtr = std::unique_ptr<TIFF, TiffCloser>;

// libtiff reading the picture file, silent, its single allocations held to
// limits.maxLibraryAllocation. A file of ordinary size (up to
// limits.maxFileBytes) is copied into memory and handed to libtiff as its
// "mapped" file: libtiff reads short final strips and tiles of a mapped file
// that it refuses when reading, and a real mapping would end us with SIGBUS
// if the file were cut under us. Null when libtiff can't open the file.
TiffPtr openTiffFile(PictureFile file, const PictureLimits &limits);

} // namespace tess
