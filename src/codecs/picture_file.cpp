#include "codecs/picture_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

namespace tess {

PictureFile::PictureFile(int fd, QString name, ReadFunction read)
    : m_fd(fd), m_read(read ? read : ::pread), m_name(std::move(name))
{
    struct stat st {};
    if (m_fd < 0 || ::fstat(m_fd, &st) != 0)
        return;
    m_size = st.st_size;
    const long long got = readAt(0, m_head, sizeof m_head);
    if (got < 0)
        return;
    m_headSize = std::size_t(got);
    m_ok = true;
}

PictureFile::~PictureFile() { close(); }

PictureFile::PictureFile(PictureFile &&other) noexcept { *this = std::move(other); }

PictureFile &PictureFile::operator=(PictureFile &&other) noexcept
{
    if (this != &other) {
        close();
        m_fd = std::exchange(other.m_fd, -1);
        m_read = other.m_read;
        m_name = std::move(other.m_name);
        m_size = other.m_size;
        m_base = other.m_base;
        m_bounded = other.m_bounded;
        m_position = other.m_position;
        std::memcpy(m_head, other.m_head, sizeof m_head);
        m_headSize = other.m_headSize;
        m_ok = std::exchange(other.m_ok, false);
    }
    return *this;
}

void PictureFile::close()
{
    if (m_fd >= 0)
        ::close(std::exchange(m_fd, -1));
}

long long PictureFile::readAt(long long offset, void *buffer, std::size_t length) const
{
    if (m_fd < 0 || offset < 0)
        return -1;
    if (m_bounded)
        length = std::size_t(std::clamp<long long>(m_size - offset, 0, (long long)length));
    offset += m_base;
    auto *into = static_cast<char *>(buffer);
    std::size_t done = 0;
    while (done < length) {
        const ssize_t got = m_read(m_fd, into + done, length - done, off_t(offset + (long long)done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return -1;
        if (got == 0)
            break; // the end of the file
        done += std::size_t(got);
    }
    return (long long)done;
}

long long PictureFile::read(void *buffer, std::size_t length)
{
    const long long got = readAt(m_position, buffer, length);
    if (got > 0)
        m_position += got;
    return got;
}

long long PictureFile::seek(long long offset, int whence)
{
    const long long base = whence == SEEK_CUR ? m_position : whence == SEEK_END ? m_size : 0;
    if (whence != SEEK_SET && whence != SEEK_CUR && whence != SEEK_END)
        return -1;
    if (base + offset < 0)
        return -1;
    m_position = base + offset;
    return m_position;
}

PictureFile PictureFile::part(long long offset, long long length) const
{
    PictureFile piece;
    piece.m_name = m_name;
    if (!m_ok || offset < 0 || length <= 0 || offset > m_size || length > m_size - offset)
        return piece;
    piece.m_fd = ::fcntl(m_fd, F_DUPFD_CLOEXEC, 0);
    if (piece.m_fd < 0)
        return piece;
    piece.m_read = m_read;
    piece.m_base = m_base + offset;
    piece.m_size = length;
    piece.m_bounded = true;
    const long long got = piece.readAt(0, piece.m_head, sizeof piece.m_head);
    if (got < 0)
        return piece;
    piece.m_headSize = std::size_t(got);
    piece.m_ok = true;
    return piece;
}

namespace {

template <typename Bytes>
PictureFile::Whole readWhole(const PictureFile &file, Bytes &bytes, long long maxBytes)
{
    if (file.size() > maxBytes)
        return PictureFile::Whole::TooLarge;
    if (!file.ok() || file.size() <= 0)
        return PictureFile::Whole::Failed;
    bytes.resize(std::size_t(file.size()));
    // A file that shrank since its size was taken is as broken as a cut one.
    if (file.readAt(0, bytes.data(), bytes.size()) != file.size())
        return PictureFile::Whole::Failed;
    return PictureFile::Whole::Read;
}

} // namespace

PictureFile::Whole PictureFile::readAll(QByteArray &bytes, long long maxBytes) const
{
    return readWhole(*this, bytes, maxBytes);
}

PictureFile::Whole PictureFile::readAll(std::vector<std::uint8_t> &bytes, long long maxBytes) const
{
    return readWhole(*this, bytes, maxBytes);
}

} // namespace tess
