// Any bytes, as a file the camera raw reader opens: once as a thumbnail asks
// for it (the camera's preview when it covers a small canvas, else the raw
// developed at the size that does), once developed whole.
#include "codecs/picture_kinds.h"
#include "reader_fuzz.h"

#include <QSize>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    tess::ReadOptions thumbnail{tess::rgb(12, 34, 56)};
    thumbnail.wantedSize = [](int width, int height) {
        return QSize(width, height).scaled(160, 120, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
    };
    tess::fuzzing::readOnce(data, size, tess::openAs<tess::PictureKindId::Raw>, thumbnail, tess::fuzzing::TopByte::ZeroOrJpegFiller);

    tess::ReadOptions developed{tess::rgb(12, 34, 56)};
    developed.raw = tess::RawSource::Develop;
    tess::fuzzing::readOnce(data, size, tess::openAs<tess::PictureKindId::Raw>, developed);
    return 0;
}
