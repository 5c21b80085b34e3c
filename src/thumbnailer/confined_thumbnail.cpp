#include "thumbnailer/confined_thumbnail.h"

#include "codecs/codec_messages.h"
#include "codecs/heif_library.h"
#include "codecs/jxl_library.h"
#include "codecs/open_picture.h"
#include "codecs/picture_codecs.h"
#include "codecs/picture_kinds.h"
#include "thumbnailer/confinement.h"
#include "thumbs/desktop_thumbnail.h"

#include <QCoreApplication>
#include <cerrno>
#include <fcntl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace tess {

namespace {

// What the child hands back: a tag byte, then the PNG or the cause in UTF-8.
constexpr char kPng = 'P';
constexpr char kCause = 'C';

bool writeAll(int fd, const char *data, std::size_t length)
{
    while (length > 0) {
        const ssize_t n = ::write(fd, data, length);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        length -= std::size_t(n);
    }
    return true;
}

QByteArray readAll(int fd)
{
    QByteArray bytes;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return bytes;
        bytes.append(buffer, qsizetype(n));
    }
}

// The child's part, from the open picture to the bytes it sends.
QByteArray thumbnailMessage(int input, const QString &name, int size)
{
    const auto cause = [](const QString &text) { return kCause + text.toUtf8(); };
    PictureFile file(input, name);
    if (!file.ok())
        return cause(codecmessages::cannotOpen());
    const PictureKind *kind = kindOfFile(file);
    if (!kind)
        return cause(codecmessages::notAPicture());
    // Libraries are mapped from files, which the confined process can no
    // longer open.
    if (kind->id == PictureKindId::Heif && !loadedHeif())
        return cause(codecmessages::unsupported());
    if (kind->id == PictureKindId::Jxl && !loadedJxl())
        return cause(codecmessages::unsupported());
    ReadOptions options = desktopReadOptions(size);
    options.threads = int(std::max(1u, std::thread::hardware_concurrency()));
    if (const std::optional<QString> problem = confineToHeldFiles())
        return cause(*problem);

    OpenedPicture opened = openPicture(std::move(file), options);
    if (!opened.ok())
        return cause(opened.message);
    std::vector<Picture> thumbnails;
    const int sides[] = {size};
    if (const std::optional<QString> problem =
            makeDesktopThumbnails(*opened.rows, kindHasAlpha(kind->id), sides, thumbnails))
        return cause(*problem);
    const std::optional<QByteArray> png = encodePngWithAlpha(thumbnails.front(), {}, name);
    if (!png)
        return cause(codecmessages::cannotEncode());
    return kPng + *png;
}

} // namespace

std::optional<QString> writeConfinedThumbnail(const ThumbnailerRequest &request)
{
    const int input = ::open(request.input.constData(), O_RDONLY | O_CLOEXEC);
    if (input < 0)
        return codecmessages::cannotOpen();
    int channel[2];
    if (::pipe2(channel, O_CLOEXEC) != 0) {
        ::close(input);
        return codecmessages::cannotEncode();
    }
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(channel[0]);
        const QByteArray message = thumbnailMessage(input, QString::fromLocal8Bit(request.input), request.size);
        ::_exit(writeAll(channel[1], message.constData(), std::size_t(message.size())) ? 0 : 1);
    }
    ::close(input);
    ::close(channel[1]);
    if (child < 0) {
        ::close(channel[0]);
        return codecmessages::cannotEncode();
    }
    const QByteArray message = readAll(channel[0]);
    ::close(channel[0]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    // A decoder that crashed, or was stopped by its confinement, met a file
    // it could not take.
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || message.isEmpty())
        return codecmessages::corrupt();
    if (message.front() != kPng)
        return QString::fromUtf8(message.mid(1));

    const int output = ::open(request.output.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (output < 0)
        return QCoreApplication::translate("Thumbnailer", "書き込めません。");
    const bool written = writeAll(output, message.constData() + 1, std::size_t(message.size() - 1));
    if (::close(output) != 0 || !written) {
        ::unlink(request.output.constData());
        return QCoreApplication::translate("Thumbnailer", "書き込めません。");
    }
    return std::nullopt;
}

} // namespace tess
