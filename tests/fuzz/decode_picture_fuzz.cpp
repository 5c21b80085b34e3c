// Any bytes, as a picture file opened by the reader its content names: refused
// with a cause, or read to the end within the size limits; never a crash, a
// hang or a half-read picture.
#include "codecs/open_picture.h"
#include "reader_fuzz.h"

namespace {

tess::OpenedPicture openByContent(tess::PictureFile file, const tess::ReadOptions &options)
{
    return tess::openPicture(std::move(file), options);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    // A camera raw's preview comes through libjpeg, which fills the top byte.
    tess::fuzzing::readOnce(data, size, openByContent, tess::ReadOptions{tess::rgb(12, 34, 56)},
                            tess::fuzzing::TopByte::ZeroOrJpegFiller);
    return 0;
}
