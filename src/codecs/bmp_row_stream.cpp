#include "codecs/bmp_row_stream.h"

#include "codecs/codec_messages.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <vector>

namespace tess {

namespace {

std::uint32_t le16(const unsigned char *p) { return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8; }
std::uint32_t le32(const unsigned char *p) { return le16(p) | le16(p + 2) << 16; }

class BmpRowStream final : public RowStream {
public:
    BmpRowStream(int fd, int width, int height, bool bottomUp, int bytesPerPixel, long long offset)
        : m_fd(fd), m_width(width), m_height(height), m_bottomUp(bottomUp), m_bytesPerPixel(bytesPerPixel)
        , m_stride((std::size_t(width) * std::size_t(bytesPerPixel) + 3) & ~std::size_t(3)), m_offset(offset)
    {
    }
    ~BmpRowStream() override { ::close(m_fd); }

    int width() const override { return m_width; }
    int height() const override { return m_height; }
    QString message() const override { return codecmessages::corrupt(); }
    std::size_t workingBytes() const override { return m_buffer.capacity(); }
    bool finish() override { return true; }

    bool readRows(Colour *const *rows, int count) override
    {
        if (count <= 0)
            return true;
        if (m_next + count > m_height)
            return false;
        // The band's rows lie next to each other in the file, in reverse order
        // when the file is bottom-up.
        const long long firstFileRow = m_bottomUp ? m_height - m_next - count : m_next;
        const std::size_t bytes = m_stride * std::size_t(count);
        m_buffer.resize(bytes);
        if (!readFully(m_buffer.data(), bytes, m_offset + firstFileRow * (long long)m_stride))
            return false; // the file shrank since its size was checked
        for (int i = 0; i < count; ++i) {
            const int fileRow = m_bottomUp ? count - 1 - i : i;
            const unsigned char *in = m_buffer.data() + std::size_t(fileRow) * m_stride;
            Colour *out = rows[i];
            for (int x = 0; x < m_width; ++x, in += m_bytesPerPixel)
                out[x] = rgb(in[2], in[1], in[0]);
        }
        m_next += count;
        return true;
    }

private:
    bool readFully(unsigned char *into, std::size_t bytes, long long at) const
    {
        while (bytes > 0) {
            const ssize_t got = ::pread(m_fd, into, bytes, off_t(at));
            if (got <= 0)
                return false;
            into += got;
            bytes -= std::size_t(got);
            at += got;
        }
        return true;
    }

    const int m_fd;
    const int m_width;
    const int m_height;
    const bool m_bottomUp;
    const int m_bytesPerPixel;
    const std::size_t m_stride;
    const long long m_offset;
    int m_next = 0;
    std::vector<unsigned char> m_buffer;
};

} // namespace

PictureStream openBmpRowStream(int fd)
{
    PictureStream result;
    unsigned char h[54] = {};
    struct stat info {};
    if (::pread(fd, h, sizeof h, 0) != ssize_t(sizeof h) || ::fstat(fd, &info) != 0) {
        ::close(fd);
        return result;
    }
    const std::uint32_t infoSize = le32(h + 14);
    const long long offset = le32(h + 10);
    const long long width = std::int32_t(le32(h + 18));
    const long long signedHeight = std::int32_t(le32(h + 22));
    const long long height = std::llabs(signedHeight);
    const std::uint32_t planes = le16(h + 26);
    const std::uint32_t bits = le16(h + 28);
    const std::uint32_t compression = le32(h + 30);
    result.width = width;
    result.height = height;
    const bool plain = infoSize == 40 && planes == 1 && (bits == 24 || bits == 32) && compression == 0
        && offset >= 54 && width >= 1 && height >= 1 && width <= kMaxStreamedSide && height <= kMaxStreamedSide;
    const long long stride = (width * bits + 31) / 32 * 4;
    if (!plain || info.st_size < offset + stride * height) {
        ::close(fd);
        return result;
    }
    result.kind = PictureStream::Streamed;
    result.rows = std::make_unique<BmpRowStream>(fd, int(width), int(height), signedHeight > 0, int(bits / 8), offset);
    return result;
}

} // namespace tess
