#pragma once
#include "codecs/picture_kinds.h"
#include "codecs/picture_reader.h"
#include "codecs/row_stream.h"
#include "platform/picture.h"

#include <QSize>
#include <QString>

#include <optional>
#include <span>
#include <vector>

namespace tess {

// The thumbnails file managers show: the picture's longer side brought to
// `side` (never enlarged), its proportions kept, upright, in sRGB, and
// transparent where the picture is. They are not the batch run's thumbnails:
// no canvas, no margin, no settings, and read the fast way (ReadOptions::quickSide).

// A desktop thumbnail's size for a picture of that upright size; at least a
// pixel a side.
QSize desktopThumbnailSize(int width, int height, int side);

// How a picture is opened for desktop thumbnails whose largest longer side is
// `side`: shrunk on load where its kind can, alpha kept.
ReadOptions desktopReadOptions(int side);

// Whether the reader of that kind hands out alpha (see kKeepAlpha).
bool kindHasAlpha(PictureKindId kind);

// A thumbnail per side in `sides`, all from one pass over the rows, each
// pixel 0xAABBGGRR with straight (not premultiplied) colours. The rows' top
// byte is read as alpha when `alpha` is set, otherwise every pixel is opaque.
// The cause when the file proves broken or too large to hold.
std::optional<QString> makeDesktopThumbnails(RowStream &rows, bool alpha, std::span<const int> sides,
                                             std::vector<Picture> &thumbnails);

} // namespace tess
