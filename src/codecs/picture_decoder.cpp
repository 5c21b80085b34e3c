#include "codecs/bmp_decoder.h"
#include "codecs/codec_messages.h"
#include "codecs/exif_orientation.h"
#include "platform/file_names.h"
#include "codecs/jpeg_decoder.h"
#include "codecs/picture_codecs.h"

#include <QBuffer>
#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tess {

namespace {

enum class Kind { Jpeg, Bmp, Other };

// By content: a JPEG named .bmp is still a JPEG.
Kind kindOf(QIODevice &in)
{
    const QByteArray magic = in.peek(3);
    if (magic.size() >= 2 && uchar(magic[0]) == 0xFF && uchar(magic[1]) == 0xD8)
        return Kind::Jpeg;
    if (magic.startsWith("BM"))
        return Kind::Bmp;
    return Kind::Other;
}

DecodedPicture decodeDevice(QIODevice &in, const QString &name)
{
    switch (kindOf(in)) {
    case Kind::Jpeg: {
        DecodedPicture decoded = decodeJpeg(in, name);
        if (decoded.ok()) {
            const auto orientation = jpegOrientation(in);
            if (orientation != QImageIOHandler::TransformationNone)
                applyOrientation(decoded.picture, orientation);
        }
        return decoded;
    }
    case Kind::Bmp:
        return decodeBmp(in, name);
    case Kind::Other:
        break;
    }
    return DecodedPicture{Picture(), Failure{name, codecmessages::notAPicture()}};
}

} // namespace

DecodedPicture decodePictureFile(const QString &path)
{
    // Opened by its bytes: QFile would reach the file through UTF-8 and miss
    // a name that is not UTF-8.
    const int fd = ::open(nativePath(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return DecodedPicture{Picture(), Failure{path, codecmessages::cannotOpen()}};
    struct stat st {};
    QFile file;
    if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)
        || !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return DecodedPicture{Picture(), Failure{path, codecmessages::cannotOpen()}};
    }
    return decodeDevice(file, path);
}

DecodedPicture decodePictureData(const QByteArray &data, const QString &nameForMessages)
{
    QBuffer buffer; // reads `data` in place, no copy
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    return decodeDevice(buffer, nameForMessages);
}

} // namespace tess
