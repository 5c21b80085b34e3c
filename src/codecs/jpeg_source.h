#pragma once
#include "codecs/picture_file.h"

#include <array>
#include <cstdio>

#include <jpeglib.h>

namespace tess {

// A libjpeg data source reading a picture file in chunks, so no whole file is
// ever held. When the file runs out it hands the decoder an end-of-image
// marker, as libjpeg's own sources do, with the JWRN_JPEG_EOF warning that
// tells a cut file from a good one (see jpeg_errors.h).
struct JpegFileSource {
    static constexpr std::size_t kChunk = 64 * 1024;
    jpeg_source_mgr pub;
    PictureFile *file;
    std::array<JOCTET, kChunk> buffer;
};

// Makes `source`, reading `file`, the data source of a decompress struct
// already created. Both must outlive the decode.
void useJpegFileSource(jpeg_decompress_struct &info, JpegFileSource &source, PictureFile &file);

} // namespace tess
