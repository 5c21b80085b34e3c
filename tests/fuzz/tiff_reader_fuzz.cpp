// Any bytes, as a file the TIFF reader opens.
#include "codecs/picture_kinds.h"
#include "codecs/tiff_reader.h"
#include "reader_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    tess::fuzzing::readOnce(data, size, tess::openAs<tess::PictureKindId::Tiff>);
    return 0;
}
