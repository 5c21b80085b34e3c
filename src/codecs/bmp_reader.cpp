#include "codecs/bmp_reader.h"

#include "codecs/codec_messages.h"
#include "codecs/picture_codecs.h"
#include "codecs/row_by_row_stream.h"

#include <QIODevice>
#include <QImageReader>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <mutex>
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

void allowOurLargestPicture(long long maxPixels)
{
    // Qt's default cap (128 MB) is below our own; we size the buffer ourselves
    // and check it against the kind's pixel cap, so Qt's cap must not be the
    // tighter one. A 16384 x 16384 picture at 4 bytes a pixel is 1024 MB.
    static std::once_flag once;
    std::call_once(once, [maxPixels] {
        QImageReader::setAllocationLimit(int(maxPixels * 4 / (1024 * 1024)));
    });
}

Colour colourOf(QRgb rgb) { return tess::rgb(qRed(rgb), qGreen(rgb), qBlue(rgb)); }

// Turns Qt's 0xAARRGGBB words into our 0x00BBGGRR where they lie. Alpha is
// dropped: a picture has no transparency.
void swapToColour(Colour *pixels, std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i) {
        const Colour v = pixels[i];
        pixels[i] = ((v >> 16) & 0xFF) | (v & 0xFF00) | ((v & 0xFF) << 16);
    }
}

// Expands 8-bit or 1-bit palette indices, stored at the start of the picture's
// own buffer with `stride` bytes a row, into colours in the same buffer. Going
// backwards from the last pixel, every index is read before its bytes are
// overwritten, because a pixel's four bytes never start before its index byte.
void expandIndices(Picture &picture, qsizetype stride, int bitsPerPixel, const QList<QRgb> &table)
{
    Colour palette[256] = {}; // indices past the table show black
    for (qsizetype i = 0; i < std::min<qsizetype>(table.size(), 256); ++i)
        palette[i] = colourOf(table[i]);
    const auto *indices = reinterpret_cast<const std::uint8_t *>(picture.bits());
    Colour *pixels = picture.bits();
    const std::size_t width = std::size_t(picture.width());
    for (std::size_t y = std::size_t(picture.height()); y-- > 0;) {
        const std::uint8_t *in = indices + y * std::size_t(stride);
        Colour *out = pixels + y * width;
        for (std::size_t x = width; x-- > 0;) {
            const unsigned index = bitsPerPixel == 8 ? in[x] : (in[x / 8] >> (7 - x % 8)) & 1u;
            out[x] = palette[index];
        }
    }
}

// The picture file as a device Qt's reader can read.
class PictureDevice final : public QIODevice {
public:
    explicit PictureDevice(PictureFile file) : m_file(std::move(file)) {}
    bool isSequential() const override { return false; }
    qint64 size() const override { return m_file.size(); }

protected:
    qint64 readData(char *data, qint64 maxSize) override { return m_file.readAt(pos(), data, std::size_t(maxSize)); }
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    const PictureFile m_file;
};

// Qt's reader over the file, kept from the header to the decode.
struct QtBmp {
    explicit QtBmp(PictureFile file) : device(std::move(file)) {}
    ~QtBmp() { reader.setDevice(nullptr); }
    QtBmp(const QtBmp &) = delete;
    QtBmp &operator=(const QtBmp &) = delete;

    PictureDevice device;
    QImageReader reader;
};

std::optional<QString> decodeWhole(QtBmp &bmp, Picture &picture)
{
    QImageReader &reader = bmp.reader;
    const QImage::Format format = reader.imageFormat();
    const QSize announced = reader.size();
    const int width = announced.width();
    const int height = std::abs(announced.height());

    // The picture's buffer is the only full-size one: Qt decodes straight into
    // it, through a QImage that borrows it.
    picture = Picture(width, height);
    uchar *buffer = reinterpret_cast<uchar *>(picture.bits());
    QImage target;
    qsizetype stride = 0;
    switch (format) {
    case QImage::Format_RGB32:
    case QImage::Format_ARGB32:
    case QImage::Format_ARGB32_Premultiplied:
        stride = qsizetype(width) * 4;
        target = QImage(buffer, width, height, stride, format);
        break;
    case QImage::Format_Indexed8:
        stride = (qsizetype(width) + 3) & ~qsizetype(3);
        target = QImage(buffer, width, height, stride, format);
        target.setColorCount(256);
        break;
    case QImage::Format_Mono:
        stride = (qsizetype(width) + 31) / 32 * 4;
        target = QImage(buffer, width, height, stride, format);
        target.setColorCount(2);
        break;
    default:
        // Not a format the BMP reader announces today; decode into a zeroed
        // image of Qt's own and copy.
        target = QImage(width, height, format);
        target.fill(0);
        break;
    }
    if (target.isNull() || !reader.read(&target) || target.size() != QSize(width, height))
        return codecmessages::corrupt();

    if (target.constBits() != buffer) {
        // Qt chose a buffer of its own after all; its content is still complete.
        picture = Picture::fromImage(target);
        return std::nullopt;
    }
    switch (format) {
    case QImage::Format_Indexed8:
        expandIndices(picture, stride, 8, target.colorTable());
        break;
    case QImage::Format_Mono:
        expandIndices(picture, stride, 1, target.colorTable());
        break;
    default:
        target = QImage(); // let go of the borrowed buffer before rewriting it
        swapToColour(picture.bits(), std::size_t(width) * std::size_t(height));
        break;
    }
    return std::nullopt;
}

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

    allowOurLargestPicture(limits.maxPixels);
    auto bmp = std::make_shared<QtBmp>(std::move(file));
    if (!bmp->device.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return OpenedPicture::refused(codecmessages::cannotOpen());
    bmp->reader.setDevice(&bmp->device);
    bmp->reader.setFormat("bmp");
    bmp->reader.setAutoTransform(false);
    const QSize announced = bmp->reader.size();
    // Negative for top-down files.
    return wholePictureRows(announced.width(), std::abs(announced.height()),
                            [bmp](Picture &picture) { return decodeWhole(*bmp, picture); });
}

} // namespace tess
