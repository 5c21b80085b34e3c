// Any bytes, as a file the PNG reader opens.
#include "codecs/picture_kinds.h"
#include "codecs/png_reader.h"
#include "reader_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    tess::fuzzing::readOnce(data, size, tess::openAs<tess::PictureKindId::Png>);
    return 0;
}
