#include "thumbs/thumbnail_cache.h"

#include "platform/writes_in_flight.h"

#include <QCryptographicHash>
#include <QStringList>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tess {

namespace {

// The bytes GLib leaves as they are in a file URI's path.
bool plainInPath(unsigned char c)
{
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'))
        return true;
    return std::strchr("-_.!~*'()/&=:@+$,", c) != nullptr && c != '\0';
}

// Reads a PNG's tEXt chunks up to its first IDAT, as the desktop does.
std::vector<PngText> textsBeforeImage(int fd)
{
    std::vector<PngText> texts;
    unsigned char signature[8];
    if (::read(fd, signature, 8) != 8 || std::memcmp(signature, "\x89PNG\r\n\x1a\n", 8) != 0)
        return texts;
    for (int chunks = 0; chunks < 64; ++chunks) {
        unsigned char header[8];
        if (::read(fd, header, 8) != 8)
            return texts;
        const std::uint32_t length = std::uint32_t(header[0]) << 24 | std::uint32_t(header[1]) << 16
            | std::uint32_t(header[2]) << 8 | header[3];
        if (std::memcmp(header + 4, "IDAT", 4) == 0 || length > (1u << 16))
            return texts;
        QByteArray body(qsizetype(length) + 4, Qt::Uninitialized); // with the CRC
        if (::read(fd, body.data(), std::size_t(body.size())) != body.size())
            return texts;
        if (std::memcmp(header + 4, "tEXt", 4) == 0) {
            const qsizetype nul = body.indexOf('\0');
            if (nul > 0 && nul < qsizetype(length))
                texts.push_back({body.left(nul), body.mid(nul + 1, qsizetype(length) - nul - 1)});
        }
    }
    return texts;
}

bool makeFolders(const QByteArray &folder)
{
    struct stat st {};
    if (::stat(folder.constData(), &st) == 0)
        return S_ISDIR(st.st_mode);
    const qsizetype slash = folder.lastIndexOf('/');
    if (slash > 0 && !makeFolders(folder.left(slash)))
        return false;
    return ::mkdir(folder.constData(), 0700) == 0 || errno == EEXIST;
}

} // namespace

const std::vector<CacheFlavour> &cacheFlavours()
{
    static const std::vector<CacheFlavour> flavours = {
        {"normal", 128}, {"large", 256}, {"x-large", 512}, {"xx-large", 1024}};
    return flavours;
}

std::optional<std::vector<CacheFlavour>> flavoursOf(const QString &list)
{
    if (list.isEmpty())
        return std::vector<CacheFlavour>{cacheFlavours()[0], cacheFlavours()[1]};
    std::vector<CacheFlavour> chosen;
    for (const QString &name : list.split(QLatin1Char(','))) {
        const auto found = std::find_if(cacheFlavours().begin(), cacheFlavours().end(),
                                        [&](const CacheFlavour &f) { return name == QLatin1String(f.name); });
        if (found == cacheFlavours().end())
            return std::nullopt;
        if (std::find(chosen.begin(), chosen.end(), *found) == chosen.end())
            chosen.push_back(*found);
    }
    std::sort(chosen.begin(), chosen.end(), [](const CacheFlavour &a, const CacheFlavour &b) { return a.side < b.side; });
    return chosen;
}

QByteArray fileUri(const QByteArray &absolutePath)
{
    static const char hex[] = "0123456789ABCDEF";
    QByteArray uri = QByteArrayLiteral("file://");
    uri.reserve(uri.size() + absolutePath.size() * 3);
    for (const char ch : absolutePath) {
        const auto c = static_cast<unsigned char>(ch);
        if (plainInPath(c)) {
            uri.append(ch);
        } else {
            uri.append('%');
            uri.append(hex[c >> 4]);
            uri.append(hex[c & 15]);
        }
    }
    return uri;
}

QByteArray cacheFileName(const QByteArray &uri)
{
    return QCryptographicHash::hash(uri, QCryptographicHash::Md5).toHex() + ".png";
}

QByteArray cacheRoot()
{
    const char *cache = std::getenv("XDG_CACHE_HOME");
    if (cache && *cache)
        return QByteArray(cache) + "/thumbnails";
    const char *home = std::getenv("HOME");
    if (home && *home)
        return QByteArray(home) + "/.cache/thumbnails";
    return {};
}

std::optional<SourceStamp> stampOf(const QByteArray &absolutePath)
{
    struct stat st {};
    if (::stat(absolutePath.constData(), &st) != 0)
        return std::nullopt;
    return SourceStamp{fileUri(absolutePath), (long long)st.st_mtim.tv_sec, (long long)st.st_size};
}

std::vector<PngText> entryTexts(const SourceStamp &stamp, const QByteArray &mimeType, int width, int height,
                                const QByteArray &software)
{
    std::vector<PngText> texts = {{"Thumb::URI", stamp.uri},
                                  {"Thumb::MTime", QByteArray::number(stamp.mtime)},
                                  {"Thumb::Size", QByteArray::number(stamp.size)}};
    if (!mimeType.isEmpty())
        texts.push_back({"Thumb::Mimetype", mimeType});
    if (width > 0 && height > 0) {
        texts.push_back({"Thumb::Image::Width", QByteArray::number(width)});
        texts.push_back({"Thumb::Image::Height", QByteArray::number(height)});
    }
    texts.push_back({"Software", software});
    return texts;
}

bool entryIsValid(const QByteArray &entryPath, const SourceStamp &stamp)
{
    const int fd = ::open(entryPath.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const std::vector<PngText> texts = textsBeforeImage(fd);
    ::close(fd);
    bool uri = false, mtime = false, size = true;
    for (const PngText &t : texts) {
        if (t.key == "Thumb::URI")
            uri = t.text == stamp.uri;
        else if (t.key == "Thumb::MTime")
            mtime = t.text == QByteArray::number(stamp.mtime);
        else if (t.key == "Thumb::Size")
            size = t.text == QByteArray::number(stamp.size);
    }
    return uri && mtime && size;
}

std::optional<QString> writeEntry(const QByteArray &folder, const QByteArray &name, const QByteArray &bytes)
{
    const auto cause = [] { return QString::fromLocal8Bit(std::strerror(errno)); };
    if (!makeFolders(folder))
        return cause();
    // Hidden and unique to this process and thread, so that runs side by
    // side never write the same temporary file.
    static std::atomic<unsigned> serial{0};
    const QByteArray temporary = folder + "/." + name + '.' + QByteArray::number(::getpid()) + '.'
        + QByteArray::number(serial.fetch_add(1));
    const int fd = openTemporaryFile(temporary, 0600);
    if (fd < 0)
        return cause();
    const char *data = bytes.constData();
    std::size_t left = std::size_t(bytes.size());
    while (left > 0) {
        const ssize_t n = ::write(fd, data, left);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            const QString why = cause();
            ::close(fd);
            discardTemporaryFile(temporary);
            return why;
        }
        data += n;
        left -= std::size_t(n);
    }
    if (::close(fd) != 0 || !commitTemporaryFile(temporary, folder + '/' + name)) {
        const QString why = cause();
        discardTemporaryFile(temporary);
        return why;
    }
    return std::nullopt;
}

QByteArray mimeTypeOfName(const QByteArray &name)
{
    static const std::array<std::pair<const char *, const char *>, 29> types = {{
        {"jpg", "image/jpeg"}, {"jpeg", "image/jpeg"}, {"jpe", "image/jpeg"}, {"jfif", "image/jpeg"},
        {"png", "image/png"}, {"gif", "image/gif"}, {"webp", "image/webp"}, {"tif", "image/tiff"},
        {"tiff", "image/tiff"}, {"bmp", "image/bmp"}, {"dib", "image/bmp"}, {"heic", "image/heic"},
        {"heif", "image/heif"}, {"hif", "image/heif"}, {"avif", "image/avif"}, {"jxl", "image/jxl"},
        {"dng", "image/x-adobe-dng"}, {"cr2", "image/x-canon-cr2"}, {"cr3", "image/x-canon-cr3"},
        {"crw", "image/x-canon-crw"}, {"nef", "image/x-nikon-nef"}, {"nrw", "image/x-nikon-nrw"},
        {"arw", "image/x-sony-arw"}, {"raf", "image/x-fuji-raf"}, {"orf", "image/x-olympus-orf"},
        {"rw2", "image/x-panasonic-rw2"}, {"pef", "image/x-pentax-pef"}, {"mrw", "image/x-minolta-mrw"},
        {"x3f", "image/x-sigma-x3f"},
    }};
    const qsizetype dot = name.lastIndexOf('.');
    const QByteArray ending = dot < 0 ? QByteArray() : name.mid(dot + 1).toLower();
    for (const auto &[end, type] : types) {
        if (ending == end)
            return type;
    }
    return {};
}

} // namespace tess
