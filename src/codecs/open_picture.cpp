#include "codecs/open_picture.h"

#include "codecs/codec_messages.h"
#include "codecs/picture_kinds.h"
#include "platform/file_names.h"

#include <fcntl.h>

namespace tess {

OpenedPicture openPicture(PictureFile file, const ReadOptions &options)
{
    if (!file.ok())
        return OpenedPicture::refused(codecmessages::cannotOpen());
    // By content, so a JPEG named .bmp is still a JPEG.
    if (const PictureKind *kind = kindOfFile(file))
        return kind->open(std::move(file), options, kind->limits);
    return OpenedPicture::refused(codecmessages::notAPicture());
}

OpenedPicture openPictureFile(int fd, const ReadOptions &options)
{
    return openPicture(PictureFile(fd), options);
}

OpenedPicture openPicture(const QString &path, const ReadOptions &options)
{
    // Opened by its bytes: a name that is not UTF-8 is still found.
    const int fd = ::open(nativePath(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return OpenedPicture::refused(codecmessages::cannotOpen());
    // A folder opens too, but its head can't be read: the file is not ok().
    return openPicture(PictureFile(fd, path), options);
}

} // namespace tess
