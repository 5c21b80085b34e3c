// Any bytes, as a file the HEIF reader opens.
#include "codecs/picture_kinds.h"
#include "codecs/heif_reader.h"
#include "reader_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    tess::fuzzing::readOnce(data, size, tess::openAs<tess::PictureKindId::Heif>);
    return 0;
}
