#include "codecs/bmp_reader.h"

#include "codecs/codec_messages.h"
#include "codecs/picture_codecs.h"

#include <QIODevice>
#include <QImageReader>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <mutex>

namespace tess {

namespace {

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

OpenedPicture openBmpWithQt(PictureFile file, long long maxPixels)
{
    allowOurLargestPicture(maxPixels);
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
