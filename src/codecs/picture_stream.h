#pragma once
#include "codecs/row_stream.h"

#include <QString>
#include <memory>

namespace tess {

// How a picture file is to be read. Uncompressed 24- and 32-bit bitmaps and
// sequential JPEGs without a turning EXIF orientation stream their rows;
// everything else (progressive and arithmetic-coded JPEGs, CMYK, turned or
// mirrored pictures, RLE and palette bitmaps, files the header already shows
// to be odd) is decoded whole, by decodePictureFile, which also gives their
// failures. A file whose header claims far more pixels than its bytes could
// hold is refused at once.
struct PictureStream {
    enum Kind { Streamed, Whole, Refused };
    Kind kind = Whole;
    std::unique_ptr<RowStream> rows; // when Streamed
    QString message;                 // when Refused: the cause (the caller names the file)
    long long width = 0;             // as the header says, 0 when not read
    long long height = 0;
};

PictureStream openPictureStream(const QString &path);

} // namespace tess
