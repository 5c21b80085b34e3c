#include "codecs/open_picture.h"

#include "codecs/picture_codecs.h"
#include "codecs/picture_stream.h"

namespace tess {

OpenedPicture openPicture(const QString &path, const ReadOptions &)
{
    PictureStream stream = openPictureStream(path);
    OpenedPicture opened;
    switch (stream.kind) {
    case PictureStream::Streamed:
        opened.rows = std::move(stream.rows);
        break;
    case PictureStream::Refused:
        opened.message = stream.message;
        break;
    case PictureStream::Whole: {
        DecodedPicture decoded = decodePictureFile(path);
        if (decoded.ok())
            opened.rows = pictureRows(std::move(decoded.picture));
        else
            opened.message = decoded.failure->message;
        break;
    }
    }
    return opened;
}

} // namespace tess
