#include "codecs/bmp_reader.h"

#include "codecs/codec_messages.h"
#include "codecs/picture_codecs.h"
#include "codecs/row_by_row_stream.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace tess {

namespace {

std::uint32_t le16(const unsigned char *p) { return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8; }
std::uint32_t le32(const unsigned char *p) { return le16(p) | le16(p + 2) << 16; }

// What the file's own header announces, read before Qt sees the file.
struct BmpHeader {
    bool valid = false;
    std::uint32_t infoSize = 0;
    long long width = 0;
    long long height = 0; // absolute
    bool bottomUp = true; // a negative height in the file means top-down
    long long offsetField = 0; // where the pixels start, as the file says
    long long pixelOffset = 0; // ...and where they can start
    int planes = 0;
    int bitsPerPixel = 0;
    std::uint32_t compression = 0;
    long long imageSize = 0; // biSizeImage: the pixel data's length, 0 when not given
};

BmpHeader readHeader(const unsigned char *p, std::size_t size)
{
    BmpHeader h;
    if (size < 26 || p[0] != 'B' || p[1] != 'M')
        return h;
    h.infoSize = le32(p + 14);
    h.offsetField = le32(p + 10);
    if (h.infoSize == 12) { // OS/2 1.x core header: 16-bit sizes, never compressed
        h.width = le16(p + 18);
        h.height = le16(p + 20);
        h.planes = int(le16(p + 22));
        h.bitsPerPixel = int(le16(p + 24));
    } else if (h.infoSize >= 16 && size >= 30) {
        h.width = std::int32_t(le32(p + 18));
        const long long signedHeight = std::int32_t(le32(p + 22));
        h.height = std::llabs(signedHeight);
        h.bottomUp = signedHeight > 0;
        h.planes = int(le16(p + 26));
        h.bitsPerPixel = int(le16(p + 28));
        if (h.infoSize >= 20 && size >= 34)
            h.compression = le32(p + 30);
        if (h.infoSize >= 24 && size >= 38)
            h.imageSize = le32(p + 34);
    } else {
        return h;
    }
    // Pixels never start inside the headers, whatever the offset field says.
    h.pixelOffset = std::max<long long>(h.offsetField, 14 + h.infoSize);
    h.valid = true;
    return h;
}

// Bytes the pixel data takes, as the header tells it: the rows' own size when
// uncompressed, the stated length of an RLE stream; 0 when it cannot be told
// (RLE without a length, embedded JPEG/PNG, unknown kinds).
long long pixelDataSize(const BmpHeader &h)
{
    constexpr std::uint32_t kRgb = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3, kAlphaBitFields = 6;
    if (h.compression == kRle8 || h.compression == kRle4)
        return h.imageSize;
    if (h.compression != kRgb && h.compression != kBitFields && h.compression != kAlphaBitFields)
        return 0;
    switch (h.bitsPerPixel) {
    case 1: case 2: case 4: case 8: case 16: case 24: case 32: break;
    default: return 0;
    }
    const long long stride = (h.width * h.bitsPerPixel + 31) / 32 * 4;
    return stride * h.height;
}

// Whether the rows can be read straight from the file: only the plain layout,
// whose pixel data must be wholly there.
bool streams(const BmpHeader &h, long long fileSize, int maxSide)
{
    const bool plain = h.infoSize == 40 && h.planes == 1 && (h.bitsPerPixel == 24 || h.bitsPerPixel == 32)
        && h.compression == 0 && h.offsetField >= 54 && h.width >= 1 && h.height >= 1
        && h.width <= maxSide && h.height <= maxSide;
    return plain && fileSize >= h.offsetField + pixelDataSize(h);
}

class BmpRows final : public RowByRowStream {
public:
    BmpRows(PictureFile file, const BmpHeader &h)
        : RowByRowStream(int(h.width), int(h.height)), m_file(std::move(file)), m_bottomUp(h.bottomUp)
        , m_bytesPerPixel(h.bitsPerPixel / 8)
        , m_stride((std::size_t(h.width) * std::size_t(m_bytesPerPixel) + 3) & ~std::size_t(3))
        , m_offset(h.offsetField)
    {
    }

    // Its band buffer, once the first band is read.
    std::size_t workingBytes() const override { return sizeof(*this) + m_buffer.capacity(); }

protected:
    bool readBand(Colour *const *rows, int count) override
    {
        if (count <= 0)
            return true;
        // The band's rows lie next to each other in the file, in reverse order
        // when the file is bottom-up.
        const int next = nextRow();
        const long long firstFileRow = m_bottomUp ? height() - next - count : next;
        const std::size_t bytes = m_stride * std::size_t(count);
        m_buffer.resize(bytes);
        if (m_file.readAt(m_offset + firstFileRow * (long long)m_stride, m_buffer.data(), bytes) != (long long)bytes)
            return false; // the file shrank since its size was checked
        for (int i = 0; i < count; ++i) {
            const int fileRow = m_bottomUp ? count - 1 - i : i;
            const unsigned char *in = m_buffer.data() + std::size_t(fileRow) * m_stride;
            Colour *out = rows[i];
            for (int x = 0, width = this->width(); x < width; ++x, in += m_bytesPerPixel)
                out[x] = rgb(in[2], in[1], in[0]);
        }
        return true;
    }

private:
    const PictureFile m_file;
    const bool m_bottomUp;
    const int m_bytesPerPixel;
    const std::size_t m_stride;
    const long long m_offset;
    std::vector<unsigned char> m_buffer;
};

} // namespace

OpenedPicture openBmpPicture(PictureFile file, const ReadOptions &, const PictureLimits &limits)
{
    const BmpHeader header = readHeader(file.head(), file.headSize());
    if (!header.valid)
        return OpenedPicture::refused(codecmessages::corrupt());
    // Never held whole, so only the format bounds its size.
    if (streams(header, file.size(), limits.maxStreamedSide)) {
        OpenedPicture opened;
        opened.rows = std::make_unique<BmpRows>(std::move(file), header);
        return opened;
    }
    if (header.width * header.height > limits.maxPixels)
        return OpenedPicture::refused(codecmessages::tooLarge());
    const long long pixelBytes = pixelDataSize(header);
    if (pixelBytes > 0 && file.size() < header.pixelOffset + pixelBytes)
        return OpenedPicture::refused(codecmessages::corrupt()); // cut short: the last rows are missing

    if (!openBmpWithQt)
        return OpenedPicture::refused(codecmessages::unsupported());
    return openBmpWithQt(std::move(file), limits.maxPixels);
}

} // namespace tess
