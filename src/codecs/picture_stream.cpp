#include "codecs/picture_stream.h"

#include "codecs/bmp_row_stream.h"
#include "platform/file_names.h"
#include "codecs/jpeg_row_stream.h"

#include <fcntl.h>
#include <unistd.h>

namespace tess {

PictureStream openPictureStream(const QString &path)
{
    PictureStream whole;
    const int fd = ::open(nativePath(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return whole; // the whole-picture path says why
    unsigned char magic[2] = {};
    if (::pread(fd, magic, 2, 0) != 2) {
        ::close(fd);
        return whole;
    }
    // By content, as the whole-picture decoder chooses.
    if (magic[0] == 0xFF && magic[1] == 0xD8)
        return openJpegRowStream(fd, path);
    if (magic[0] == 'B' && magic[1] == 'M')
        return openBmpRowStream(fd);
    ::close(fd);
    return whole;
}

} // namespace tess
