#pragma once
#include <cstdio>

#include <jpeglib.h>

namespace tess {

// Caps the memory libjpeg may take for its own buffers (the whole-picture
// coefficient store of a progressive or multi-scan file), so that a small file
// whose header claims a huge picture can't make the decoder take more than the
// largest picture's pixel buffer would: the cap is what that buffer leaves
// beside this picture's own, and never less than kJpegWorkingFloor. A file
// that needs more is refused (JERR_NO_BACKING_STORE) before the store is
// taken. Call after jpeg_read_header, before jpeg_start_decompress.
void limitJpegMemory(jpeg_decompress_struct *info);

// Enough for the coefficient store of any progressive picture up to about 10
// megapixels, whatever else is in use.
inline constexpr long kJpegWorkingFloor = 64L << 20;

} // namespace tess
