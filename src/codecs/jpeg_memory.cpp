#include "codecs/jpeg_memory.h"

#include "codecs/picture_codecs.h"

#include <algorithm>

namespace tess {

void limitJpegMemory(jpeg_decompress_struct *info)
{
    const long long pixels = (long long)info->image_width * info->image_height;
    const long long left = (kMaxPicturePixels - std::min(pixels, kMaxPicturePixels)) * 4;
    info->mem->max_memory_to_use = long(std::max<long long>(left, kJpegWorkingFloor));
}

} // namespace tess
