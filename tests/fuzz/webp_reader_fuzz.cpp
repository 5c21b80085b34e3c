// Any bytes, as a file the WebP reader opens.
#include "codecs/picture_kinds.h"
#include "codecs/webp_reader.h"
#include "reader_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    tess::fuzzing::readOnce(data, size, tess::openAs<tess::PictureKindId::Webp>);
    return 0;
}
