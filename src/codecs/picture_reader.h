#pragma once
#include "codecs/row_stream.h"
#include "platform/colour.h"
#include "platform/picture.h"

#include <QString>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>

namespace tess {

// What every reader is told when it opens a picture.
struct ReadOptions {
    // What transparent pixels are laid over: the thumbnail's margin colour.
    Colour matte = rgb(255, 255, 255);
    // The caller will hold every row at once (decodePictureFile): a picture
    // over kMaxPicturePixels is refused as too large, even one that could
    // stream.
    bool wholePicture = false;
};

// A picture file as the reader of its kind opened it: its header read, no
// pixel decoded yet. The rows it hands out are upright (the file's own
// orientation applied), opaque and in sRGB (see RowConverter).
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

// Rows of a picture that its library can only decode whole. `decode` runs at
// the first readRows, once the caller has reckoned the memory (workingBytes is
// the picture's own size plus `extraBytes`), and fills the picture or says why
// not; its rows are then handed out and the picture let go after the last.
using WholeDecode = std::function<std::optional<QString>(Picture &picture)>;
std::unique_ptr<RowStream> wholePictureRows(int width, int height, WholeDecode decode, std::size_t extraBytes = 0);

// Rows of a picture already in memory.
std::unique_ptr<RowStream> pictureRows(Picture picture);

} // namespace tess
