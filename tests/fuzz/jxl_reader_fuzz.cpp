// Any bytes, as a file the JXL reader opens.
#include "codecs/jxl_reader.h"
#include "codecs/picture_kinds.h"
#include "reader_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    tess::fuzzing::readOnce(data, size, tess::openAs<tess::PictureKindId::Jxl>);
    return 0;
}
