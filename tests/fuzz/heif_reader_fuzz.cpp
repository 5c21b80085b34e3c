// Any bytes, as a file the HEIF reader opens.
#include "codecs/heif_reader.h"
#include "codecs/picture_kinds.h"
#include "reader_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    tess::fuzzing::readOnce(data, size, tess::openAs<tess::PictureKindId::Heif>);
    return 0;
}
