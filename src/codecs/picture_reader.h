#pragma once
#include "codecs/row_stream.h"
#include "platform/colour.h"
#include "platform/picture.h"

#include <QImageIOHandler>
#include <QSize>
#include <QString>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>

namespace tess {

// Where a camera raw's picture comes from.
enum class RawSource {
    // The preview the camera stored, when it covers the wanted size once
    // upright; otherwise the raw developed.
    Preview,
    // Always the raw developed, for the raw's own colours.
    Develop,
};

// What every reader is told when it opens a picture.
struct ReadOptions {
    // What transparent pixels are laid over: the thumbnail's margin colour,
    // or kKeepAlpha. Only the kinds that can be transparent (PNG, GIF, WebP,
    // TIFF, HEIF, JPEG XL) fill the top byte; the others leave it as it comes.
    Colour matte = rgb(255, 255, 255);
    // How many threads a library that starts its own may use for this
    // picture (the engine gives its job count: a picture that threads its
    // decode is one whose memory makes it decode alone).
    int threads = 1;
    // The size a picture of the given upright size is wanted at (the canvas
    // it is drawn on), where a file holds pictures of several sizes; null
    // when the whole picture is wanted.
    std::function<QSize(int width, int height)> wantedSize = nullptr;
    RawSource raw = RawSource::Preview;
    // The longer side of a thumbnail wanted fast rather than exactly as a
    // whole decode would give it; 0 for the whole picture. A JPEG then comes
    // DCT-scaled down to no less than twice this (the scaling averages less
    // finely than the resampler), a HEIF as its stored thumbnail when that
    // covers this.
    int quickSide = 0;
    // Where given, told the picture's whole upright size by a reader that
    // may hand out a smaller one (a quickSide, a raw's preview or half size),
    // for a thumbnail that records what its source was.
    QSize *wholeSize = nullptr;
};

// A picture file as the reader of its kind opened it: its header read, no
// pixel decoded yet. The rows it hands out are as stored, with the file's
// orientation beside them (RowStream::orientation), opaque and in sRGB (see
// RowConverter).
struct OpenedPicture {
    std::unique_ptr<RowStream> rows; // null when refused
    QString message;                 // then the cause (the caller names the file)

    bool ok() const { return rows != nullptr; }
    static OpenedPicture refused(QString why)
    {
        OpenedPicture p;
        p.message = std::move(why);
        return p;
    }
};

// A picture that its library can only decode whole, storedWidth x
// storedHeight as the file stores it. A picture over kMaxPicturePixels is
// refused as too large, a side under one pixel as broken, before anything is
// decoded. Otherwise `decode` runs at the first readRows, once the caller has
// reckoned the memory (workingBytes is the picture's own size plus
// `extraBytes`), and fills the picture as stored or says why not; its rows
// are handed out as they are, with `orientation` beside them, and it is let
// go after the last.
using WholeDecode = std::function<std::optional<QString>(Picture &picture)>;
OpenedPicture wholePictureRows(int storedWidth, int storedHeight, WholeDecode decode, std::size_t extraBytes = 0,
                               QImageIOHandler::Transformations orientation = QImageIOHandler::TransformationNone);

// Rows of a picture already in memory, stored turned as `orientation` says.
std::unique_ptr<RowStream> pictureRows(Picture picture,
                                       QImageIOHandler::Transformations orientation = QImageIOHandler::TransformationNone);

} // namespace tess
