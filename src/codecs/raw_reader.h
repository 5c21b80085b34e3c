#pragma once
#include "codecs/picture_file.h"
#include "codecs/picture_limits.h"
#include "codecs/picture_reader.h"

namespace tess {

// Opens a camera raw with LibRaw, reading through the file object.
//
// A raw whose sensor is larger than the kind's limits, or larger than its
// file could hold (a header whose image data was stripped), is refused before
// anything large is allocated.
//
// With RawSource::Preview, the preview the camera stored serves when, upright,
// it covers options.wantedSize (with no wantedSize, the raw's own size): a
// JPEG through the JPEG reader, turned by the raw's orientation unless it
// records its own, or a bitmap. A preview that runs past the end of the file
// refuses the file.
//
// Otherwise the raw is developed at the first readRows, once its memory is
// reckoned: the camera's white balance, no brightening, sRGB, 8 bits, at half
// size when half the sensor still covers the wanted size, upright. A raw
// whose data runs out, or that LibRaw finds corrupt, is refused rather than
// drawn from what LibRaw made up for it.
OpenedPicture openRawPicture(PictureFile file, const ReadOptions &options, const PictureLimits &limits);

} // namespace tess
