#include "codecs/bmp_decoder.h"

#include "codecs/codec_messages.h"

#include <QImageReader>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <mutex>

namespace tess {

namespace {

std::uint32_t le16(const char *p) { return std::uint32_t(std::uint8_t(p[0])) | std::uint32_t(std::uint8_t(p[1])) << 8; }
std::uint32_t le32(const char *p) { return le16(p) | le16(p + 2) << 16; }

// What the file's own header announces, read before Qt sees the file.
struct BmpHeader {
    bool valid = false;
    long long width = 0;
    long long height = 0; // absolute: negative means top-down
    long long pixelOffset = 0;
    int bitsPerPixel = 0;
    std::uint32_t compression = 0;
    long long imageSize = 0; // biSizeImage: the pixel data's length, 0 when not given
};

BmpHeader readHeader(const QByteArray &head)
{
    BmpHeader h;
    if (head.size() < 26 || !head.startsWith("BM"))
        return h;
    const char *p = head.constData();
    const std::uint32_t infoSize = le32(p + 14);
    h.pixelOffset = le32(p + 10);
    if (infoSize == 12) { // OS/2 1.x core header: 16-bit sizes, never compressed
        h.width = le16(p + 18);
        h.height = le16(p + 20);
        h.bitsPerPixel = int(le16(p + 24));
    } else if (infoSize >= 16 && head.size() >= 30) {
        h.width = std::int32_t(le32(p + 18));
        h.height = std::llabs(std::int32_t(le32(p + 22)));
        h.bitsPerPixel = int(le16(p + 28));
        if (infoSize >= 20 && head.size() >= 34)
            h.compression = le32(p + 30);
        if (infoSize >= 24 && head.size() >= 38)
            h.imageSize = le32(p + 34);
    } else {
        return h;
    }
    // Pixels never start inside the headers, whatever the offset field says.
    h.pixelOffset = std::max<long long>(h.pixelOffset, 14 + infoSize);
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

void allowOurLargestPicture()
{
    // Qt's default cap (128 MB) is below our own; we size the buffer ourselves
    // and check it against kMaxPicturePixels, so Qt's cap must not be the
    // tighter one. A 16384 x 16384 picture at 4 bytes a pixel is 1024 MB.
    static std::once_flag once;
    std::call_once(once, [] {
        QImageReader::setAllocationLimit(int(kMaxPicturePixels * 4 / (1024 * 1024)));
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

} // namespace

DecodedPicture decodeBmp(QIODevice &in, const QString &nameForMessages)
{
    DecodedPicture result;
    const auto fail = [&](const QString &message) {
        result.picture.reset();
        result.failure = Failure{nameForMessages, message};
        return std::move(result);
    };

    in.seek(0);
    const BmpHeader header = readHeader(in.peek(64));
    if (!header.valid)
        return fail(codecmessages::corrupt());
    if (header.width * header.height > kMaxPicturePixels)
        return fail(codecmessages::tooLarge());
    const long long pixelBytes = pixelDataSize(header);
    if (pixelBytes > 0 && !in.isSequential() && in.size() < header.pixelOffset + pixelBytes)
        return fail(codecmessages::corrupt()); // cut short: the last rows are missing

    allowOurLargestPicture();
    QImageReader reader(&in, "bmp");
    reader.setAutoTransform(false);
    const QSize announced = reader.size();
    const QImage::Format format = reader.imageFormat();
    const int width = announced.width();
    const int height = std::abs(announced.height()); // negative for top-down files
    if (width <= 0 || height <= 0)
        return fail(codecmessages::corrupt());
    if (static_cast<long long>(width) * height > kMaxPicturePixels)
        return fail(codecmessages::tooLarge());

    // The picture's buffer is the only full-size one: Qt decodes straight into
    // it, through a QImage that borrows it.
    result.picture = Picture(width, height);
    uchar *buffer = reinterpret_cast<uchar *>(result.picture.bits());
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
        return fail(codecmessages::corrupt());

    if (target.constBits() != buffer) {
        // Qt chose a buffer of its own after all; its content is still complete.
        result.picture = Picture::fromImage(target);
        return result;
    }
    switch (format) {
    case QImage::Format_Indexed8:
        expandIndices(result.picture, stride, 8, target.colorTable());
        break;
    case QImage::Format_Mono:
        expandIndices(result.picture, stride, 1, target.colorTable());
        break;
    default:
        target = QImage(); // let go of the borrowed buffer before rewriting it
        swapToColour(result.picture.bits(), std::size_t(width) * std::size_t(height));
        break;
    }
    return result;
}

} // namespace tess
