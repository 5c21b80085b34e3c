#include "codecs/tiff_reader.h"

#include "codecs/codec_messages.h"
#include "codecs/exif_orientation.h"
#include "codecs/picture_codecs.h"
#include "codecs/row_by_row_stream.h"
#include "codecs/tiff_file.h"
#include "codecs/tiff_scanlines.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace tess {

namespace {

QByteArray iccProfileOf(TIFF *tif)
{
    std::uint32_t size = 0;
    void *data = nullptr;
    if (TIFFGetField(tif, TIFFTAG_ICCPROFILE, &size, &data) && data && size > 0)
        return QByteArray(static_cast<const char *>(data), qsizetype(size));
    return {};
}

// Palette entries are 16-bit, but some writers store 8-bit values.
bool readPalette(TIFF *tif, StoredSamples &stored, int bits)
{
    std::uint16_t *r = nullptr, *g = nullptr, *b = nullptr;
    if (!TIFFGetField(tif, TIFFTAG_COLORMAP, &r, &g, &b) || !r || !g || !b)
        return false;
    const std::size_t n = std::size_t(1) << bits;
    bool eightBit = true;
    for (std::size_t i = 0; i < n; ++i)
        eightBit = eightBit && r[i] < 256 && g[i] < 256 && b[i] < 256;
    const std::uint16_t *from[3] = {r, g, b};
    for (int c = 0; c < 3; ++c) {
        stored.palette[c].resize(n);
        for (std::size_t i = 0; i < n; ++i)
            stored.palette[c][i] = eightBit ? std::uint16_t(from[c][i] * 257u) : from[c][i];
    }
    return true;
}

// Picks the scanline path when libtiff hands out whole samples we lay out
// ourselves; false leaves the picture to TIFFRGBAImage.
bool chooseScanlines(TIFF *tif, TiffLayout &l)
{
    if (TIFFIsTiled(tif) || (l.bits != 8 && l.bits != 16))
        return false;
    std::uint16_t compression = COMPRESSION_NONE;
    TIFFGetFieldDefaulted(tif, TIFFTAG_COMPRESSION, &compression);
    if (compression == COMPRESSION_OJPEG)
        return false;
    std::uint16_t extraCount = 0;
    std::uint16_t *extra = nullptr;
    TIFFGetFieldDefaulted(tif, TIFFTAG_EXTRASAMPLES, &extraCount, &extra);
    const bool sixteen = l.bits == 16;
    switch (l.photometric) {
    case PHOTOMETRIC_MINISBLACK:
    case PHOTOMETRIC_MINISWHITE: l.colours = 1; break;
    case PHOTOMETRIC_RGB: l.colours = 3; break;
    case PHOTOMETRIC_SEPARATED: {
        std::uint16_t inks = INKSET_CMYK;
        TIFFGetFieldDefaulted(tif, TIFFTAG_INKSET, &inks);
        if (inks != INKSET_CMYK)
            return false;
        l.colours = 4;
        break;
    }
    case PHOTOMETRIC_PALETTE:
        if (sixteen || l.samples != 1 || !readPalette(tif, l.stored, l.bits))
            return false;
        l.colours = 1;
        l.layout = SampleLayout::Rgb16;
        return true;
    default: return false;
    }
    if (l.samples < l.colours)
        return false;
    if (l.samples > l.colours && extraCount > 0 && extra && l.colours != 4) {
        l.alpha = extra[0] == EXTRASAMPLE_ASSOCALPHA || extra[0] == EXTRASAMPLE_UNASSALPHA;
        l.associated = extra[0] == EXTRASAMPLE_ASSOCALPHA;
    }
    // 16-bit inks are brought to 8 first.
    l.layout = l.colours == 4 ? SampleLayout::Cmyk8 : sampleLayoutOf(l.colours, l.alpha, sixteen);
    l.stored.sixteen = sixteen;
    l.stored.whiteIsZero = l.photometric == PHOTOMETRIC_MINISWHITE;
    return true;
}

class TiffRowStream final : public RowByRowStream {
public:
    TiffRowStream(std::unique_ptr<ScanlineReader> reader, const TiffLayout &l, std::size_t libraryBytes)
        : RowByRowStream(int(l.width), int(l.height), orientationOfExifValue(l.orientation)), m_reader(std::move(reader)),
          m_working(m_reader->bufferBytes() + libraryBytes)
    {
    }

    std::size_t workingBytes() const override { return m_working; }

protected:
    bool readBand(Colour *const *rows, int count) override
    {
        for (int i = 0; i < count; ++i) {
            if (!m_reader->read(rows[i]))
                return false;
        }
        return true;
    }

private:
    std::unique_ptr<ScanlineReader> m_reader;
    const std::size_t m_working;
};

std::optional<QString> decodeScanlines(ScanlineReader &reader, const TiffLayout &l, Picture &picture)
{
    picture = Picture(int(l.width), int(l.height));
    for (std::uint32_t y = 0; y < l.height; ++y) {
        if (!reader.read(picture.row(int(y))))
            return codecmessages::corrupt();
    }
    return std::nullopt;
}

// Any other layout libtiff knows, through its RGBA reader: as stored, top row
// first, then turned by us (libtiff's own turning only flips).
std::optional<QString> decodeRgba(TIFF *tif, const TiffLayout &l, Colour matte, Picture &picture)
{
    char why[1024] = {};
    TIFFRGBAImage image{};
    if (!TIFFRGBAImageBegin(&image, tif, 0, why))
        return codecmessages::unsupported();
    image.req_orientation = ORIENTATION_TOPLEFT;
    image.orientation = ORIENTATION_TOPLEFT;
    picture = Picture(int(l.width), int(l.height));
    auto *raster = reinterpret_cast<std::uint32_t *>(picture.bits());
    const bool ok = TIFFRGBAImageGet(&image, raster, l.width, l.height) != 0;
    TIFFRGBAImageEnd(&image);
    if (!ok)
        return codecmessages::corrupt();
    // libtiff's pixels are premultiplied.
    const QByteArray icc = l.photometric == PHOTOMETRIC_RGB || l.photometric == PHOTOMETRIC_YCBCR ? l.icc : QByteArray();
    const RowConverter converter(SampleLayout::Rgba8, icc, matte, AlphaForm::Premultiplied);
    std::vector<std::uint8_t> samples(std::size_t(l.width) * 4);
    for (std::uint32_t y = 0; y < l.height; ++y) {
        const std::uint32_t *row = raster + std::size_t(y) * l.width;
        for (std::uint32_t x = 0; x < l.width; ++x) {
            // For signed samples libtiff passes the high byte unchanged.
            const std::uint32_t p = l.stored.signedValues ? row[x] ^ 0x808080u : row[x];
            std::uint8_t *q = samples.data() + 4 * std::size_t(x);
            q[0] = std::uint8_t(TIFFGetR(p));
            q[1] = std::uint8_t(TIFFGetG(p));
            q[2] = std::uint8_t(TIFFGetB(p));
            q[3] = std::uint8_t(TIFFGetA(p));
        }
        converter.convert(samples.data(), picture.row(int(y)), int(l.width));
    }
    return std::nullopt;
}

// What libtiff holds while it decodes: a strip or tile of decoded samples
// (one per plane) and the compressed bytes behind it, no more than the file.
std::size_t libtiffBytes(TIFF *tif, const TiffLayout &l, long long fileSize, const PictureLimits &limits)
{
    const std::uint64_t unit = TIFFIsTiled(tif) ? std::uint64_t(TIFFTileSize64(tif)) : std::uint64_t(TIFFStripSize64(tif));
    const std::uint64_t planes = l.planar == PLANARCONFIG_SEPARATE ? l.samples : 1;
    const std::uint64_t raw = std::min<std::uint64_t>(unit * planes, std::uint64_t(std::max(fileSize, 0LL)));
    const std::uint64_t copy = fileSize <= limits.maxFileBytes ? std::uint64_t(std::max(fileSize, 0LL)) : 0;
    return std::size_t(std::min<std::uint64_t>(unit * planes, std::uint64_t(limits.maxLibraryAllocation)) + raw + copy
                       + 64 * 1024);
}

} // namespace

bool isTiff(const unsigned char *head, std::size_t size)
{
    if (size < 4)
        return false;
    return (head[0] == 'I' && head[1] == 'I' && (head[2] == 42 || head[2] == 43) && head[3] == 0)
        || (head[0] == 'M' && head[1] == 'M' && head[2] == 0 && (head[3] == 42 || head[3] == 43));
}

OpenedPicture openTiffPicture(PictureFile file, const ReadOptions &options, const PictureLimits &limits)
{
    const long long fileBytes = file.size();
    const bool tiff = isTiff(file.head(), file.headSize());
    TiffPtr tif = openTiffFile(std::move(file), limits);
    if (!tif)
        return OpenedPicture::refused(tiff ? codecmessages::corrupt() : codecmessages::notAPicture());

    TiffLayout l;
    std::uint16_t sampleFormat = SAMPLEFORMAT_UINT;
    if (!TIFFGetField(tif.get(), TIFFTAG_IMAGEWIDTH, &l.width) || !TIFFGetField(tif.get(), TIFFTAG_IMAGELENGTH, &l.height)
        || l.width == 0 || l.height == 0)
        return OpenedPicture::refused(codecmessages::corrupt());
    // Streamed or not, a page is bounded as a picture held whole.
    if ((long long)l.width * l.height > limits.maxPixels)
        return OpenedPicture::refused(codecmessages::tooLarge());
    TIFFGetFieldDefaulted(tif.get(), TIFFTAG_BITSPERSAMPLE, &l.bits);
    TIFFGetFieldDefaulted(tif.get(), TIFFTAG_SAMPLESPERPIXEL, &l.samples);
    TIFFGetFieldDefaulted(tif.get(), TIFFTAG_PLANARCONFIG, &l.planar);
    TIFFGetFieldDefaulted(tif.get(), TIFFTAG_SAMPLEFORMAT, &sampleFormat);
    TIFFGetFieldDefaulted(tif.get(), TIFFTAG_ORIENTATION, &l.orientation);
    const bool hasPhotometric = TIFFGetField(tif.get(), TIFFTAG_PHOTOMETRIC, &l.photometric);
    l.stored.signedValues = sampleFormat == SAMPLEFORMAT_INT && (l.bits == 8 || l.bits == 16)
        && (l.photometric == PHOTOMETRIC_MINISBLACK || l.photometric == PHOTOMETRIC_MINISWHITE || l.photometric == PHOTOMETRIC_RGB);
    if (sampleFormat != SAMPLEFORMAT_UINT && sampleFormat != SAMPLEFORMAT_VOID && !l.stored.signedValues)
        return OpenedPicture::refused(codecmessages::unsupported());
    if (l.samples == 0 || l.bits == 0)
        return OpenedPicture::refused(codecmessages::corrupt());
    l.icc = iccProfileOf(tif.get());
    // Numbered as EXIF's.
    if (l.orientation < ORIENTATION_TOPLEFT || l.orientation > ORIENTATION_LEFTBOT)
        l.orientation = ORIENTATION_TOPLEFT;
    const QImageIOHandler::Transformations orientation = orientationOfExifValue(l.orientation);
    const int width = int(l.width);
    const int height = int(l.height);
    const std::size_t libraryBytes = libtiffBytes(tif.get(), l, fileBytes, limits);

    if (hasPhotometric && chooseScanlines(tif.get(), l)) {
        auto reader = std::make_unique<ScanlineReader>(std::move(tif), l, options.matte);
        if (l.width <= std::uint32_t(limits.maxStreamedSide)
            && l.height <= std::uint32_t(limits.maxStreamedSide)) {
            OpenedPicture opened;
            opened.rows = std::make_unique<TiffRowStream>(std::move(reader), l, libraryBytes);
            return opened;
        }
        const std::size_t extra = reader->bufferBytes() + libraryBytes;
        std::shared_ptr<ScanlineReader> shared(std::move(reader));
        return wholePictureRows(width, height, [shared, l](Picture &picture) {
            return decodeScanlines(*shared, l, picture);
        }, extra, orientation);
    }

    char why[1024] = {};
    if (!TIFFRGBAImageOK(tif.get(), why))
        return OpenedPicture::refused(codecmessages::unsupported());
    std::shared_ptr<TIFF> shared(tif.release(), TiffCloser());
    const Colour matte = options.matte;
    return wholePictureRows(width, height, [shared, l, matte](Picture &picture) {
        return decodeRgba(shared.get(), l, matte, picture);
    }, libraryBytes, orientation);
}

} // namespace tess
