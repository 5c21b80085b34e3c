#include "codecs/open_picture.h"

#include "codecs/bmp_reader.h"
#include "codecs/codec_messages.h"
#include "codecs/gif_reader.h"
#include "codecs/heif_reader.h"
#include "codecs/jpeg_reader.h"
#include "codecs/jxl_reader.h"
#include "codecs/png_reader.h"
#include "codecs/tiff_reader.h"
#include "codecs/webp_reader.h"
#include "platform/file_names.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <iterator>

namespace tess {

namespace {

// The first bytes of a file, enough for every kind's signature.
struct Magic {
    unsigned char bytes[64] = {};
    std::size_t size = 0;

    bool startsWith(const char *signature, std::size_t length) const
    {
        return size >= length && std::memcmp(bytes, signature, length) == 0;
    }
};

struct PictureKind {
    bool (*matches)(const Magic &magic);
    OpenedPicture (*open)(int fd, const ReadOptions &options);
};

// One entry a kind, tried in order; by content, so a JPEG named .bmp is still
// a JPEG.
const PictureKind kKinds[] = {
    {[](const Magic &m) { return m.startsWith("\xFF\xD8", 2); }, openJpegPicture},
    {[](const Magic &m) { return m.startsWith("BM", 2); }, openBmpPicture},
    {[](const Magic &m) { return isPng(m.bytes, m.size); }, openPngPicture},
    {[](const Magic &m) { return isGif(m.bytes, m.size); }, openGifPicture},
    {[](const Magic &m) { return isWebp(m.bytes, m.size); }, openWebpPicture},
    {[](const Magic &m) { return isTiff(m.bytes, m.size); }, openTiffPicture},
    {[](const Magic &m) { return isHeif(m.bytes, m.size); }, openHeifPicture},
    {[](const Magic &m) { return isJxl(m.bytes, m.size); }, openJxlPicture},
};

} // namespace

OpenedPicture openPictureFile(int fd, const ReadOptions &options)
{
    Magic magic;
    const ssize_t got = ::pread(fd, magic.bytes, sizeof magic.bytes, 0);
    magic.size = got > 0 ? std::size_t(got) : 0;
    for (const PictureKind &kind : kKinds) {
        if (kind.matches(magic))
            return kind.open(fd, options);
    }
    ::close(fd);
    return OpenedPicture::refused(got < 0 ? codecmessages::cannotOpen() : codecmessages::notAPicture());
}

OpenedPicture openPicture(const QString &path, const ReadOptions &options)
{
    // Opened by its bytes: a name that is not UTF-8 is still found.
    const int fd = ::open(nativePath(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return OpenedPicture::refused(codecmessages::cannotOpen());
    struct stat st {};
    if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        ::close(fd);
        return OpenedPicture::refused(codecmessages::cannotOpen());
    }
    return openPictureFile(fd, options);
}

} // namespace tess
