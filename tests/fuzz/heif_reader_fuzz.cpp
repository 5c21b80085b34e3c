// The heif reader over any bytes (see reader_fuzz.h).
#include "codecs/heif_reader.h"

#include "reader_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    return fuzzReader(tess::openHeifPicture, data, size);
}
