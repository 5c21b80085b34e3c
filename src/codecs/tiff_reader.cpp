#include "codecs/tiff_reader.h"

#include "codecs/codec_messages.h"
#include "codecs/picture_codecs.h"
#include "codecs/row_converter.h"

#include <tiffio.h>

#include <algorithm>
#include <cstdarg>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <vector>

namespace tess {

namespace {

int ignoreMessage(TIFF *, void *, const char *, const char *, va_list) { return 1; }

void silenceLibtiff()
{
    // Messages raised before a file has its own handlers go to the global
    // ones, which print to stderr.
    static std::once_flag once;
    std::call_once(once, [] {
        TIFFSetErrorHandler(nullptr);
        TIFFSetWarningHandler(nullptr);
    });
}

struct TiffCloser {
    void operator()(TIFF *tif) const { TIFFClose(tif); }
};
using TiffPtr = std::unique_ptr<TIFF, TiffCloser>;

// What libtiff reads through: the picture file, and for a file of ordinary
// size (the kind's maxFileBytes) its bytes in memory, handed to libtiff as its
// "mapped" file. libtiff reads short final strips and tiles of a mapped file
// that it refuses when reading, and a real mapping would end us with SIGBUS if
// the file were cut under us.
struct TiffSource {
    PictureFile file;
    long long maxFileBytes = 0;
    std::vector<std::uint8_t> copy;
};

TiffSource &sourceOf(thandle_t handle) { return *static_cast<TiffSource *>(handle); }

tmsize_t readSource(thandle_t handle, void *buffer, tmsize_t size)
{
    const long long got = sourceOf(handle).file.read(buffer, std::size_t(std::max<tmsize_t>(size, 0)));
    return got < 0 ? 0 : tmsize_t(got);
}

tmsize_t writeNothing(thandle_t, void *, tmsize_t) { return 0; }

toff_t seekSource(thandle_t handle, toff_t offset, int whence)
{
    const long long at = sourceOf(handle).file.seek((long long)offset, whence);
    return at < 0 ? toff_t(-1) : toff_t(at);
}

int closeSource(thandle_t handle)
{
    delete &sourceOf(handle);
    return 0;
}

toff_t sizeOfSource(thandle_t handle) { return toff_t(sourceOf(handle).file.size()); }

int mapSource(thandle_t handle, void **base, toff_t *size)
{
    TiffSource &source = sourceOf(handle);
    if (source.copy.empty()) {
        if (source.file.readAll(source.copy, source.maxFileBytes) != PictureFile::Whole::Read) {
            source.copy = {};
            return 0;
        }
    }
    *base = source.copy.data();
    *size = toff_t(source.copy.size());
    return 1;
}

void unmapSource(thandle_t handle, void *, toff_t) { sourceOf(handle).copy = {}; }

// TIFF orientations are numbered as EXIF's.
QImageIOHandler::Transformations transformationOf(std::uint16_t orientation)
{
    using T = QImageIOHandler;
    switch (orientation) {
    case ORIENTATION_TOPRIGHT: return T::TransformationMirror;
    case ORIENTATION_BOTRIGHT: return T::TransformationRotate180;
    case ORIENTATION_BOTLEFT: return T::TransformationFlip;
    case ORIENTATION_LEFTTOP: return T::TransformationFlipAndRotate90;
    case ORIENTATION_RIGHTTOP: return T::TransformationRotate90;
    case ORIENTATION_RIGHTBOT: return T::TransformationMirrorAndRotate90;
    case ORIENTATION_LEFTBOT: return T::TransformationRotate270;
    default: return T::TransformationNone;
    }
}

// What the header says, and how its samples become a RowConverter's.
struct TiffLayout {
    std::uint32_t width = 0, height = 0; // as stored
    std::uint16_t bits = 1, samples = 1, photometric = PHOTOMETRIC_MINISBLACK, planar = PLANARCONFIG_CONTIG;
    std::uint16_t orientation = ORIENTATION_TOPLEFT;
    int colours = 0;        // colour samples a pixel hands on (palette: the index)
    bool alpha = false;     // the first extra sample is alpha
    bool associated = false; // ... premultiplied
    bool signedSamples = false; // two's complement, shown offset so that the most negative is black
    bool scanlines = false; // read with TIFFReadScanline, else through TIFFRGBAImage
    SampleLayout layout = SampleLayout::Rgba8;
    QByteArray icc;
    std::vector<std::uint16_t> palette[3];
};

QByteArray iccProfileOf(TIFF *tif)
{
    std::uint32_t size = 0;
    void *data = nullptr;
    if (TIFFGetField(tif, TIFFTAG_ICCPROFILE, &size, &data) && data && size > 0)
        return QByteArray(static_cast<const char *>(data), qsizetype(size));
    return {};
}

// Palette entries are 16-bit, but some writers store 8-bit values.
bool readPalette(TIFF *tif, TiffLayout &l)
{
    std::uint16_t *r = nullptr, *g = nullptr, *b = nullptr;
    if (!TIFFGetField(tif, TIFFTAG_COLORMAP, &r, &g, &b) || !r || !g || !b)
        return false;
    const std::size_t n = std::size_t(1) << l.bits;
    bool eightBit = true;
    for (std::size_t i = 0; i < n; ++i)
        eightBit = eightBit && r[i] < 256 && g[i] < 256 && b[i] < 256;
    const std::uint16_t *from[3] = {r, g, b};
    for (int c = 0; c < 3; ++c) {
        l.palette[c].resize(n);
        for (std::size_t i = 0; i < n; ++i)
            l.palette[c][i] = eightBit ? std::uint16_t(from[c][i] * 257u) : from[c][i];
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
        if (sixteen || l.samples != 1 || !readPalette(tif, l))
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
    if (l.colours == 1)
        l.layout = l.alpha ? (sixteen ? SampleLayout::GreyAlpha16 : SampleLayout::GreyAlpha8)
                           : (sixteen ? SampleLayout::Grey16 : SampleLayout::Grey8);
    else if (l.colours == 3)
        l.layout = l.alpha ? (sixteen ? SampleLayout::Rgba16 : SampleLayout::Rgba8)
                           : (sixteen ? SampleLayout::Rgb16 : SampleLayout::Rgb8);
    else
        l.layout = SampleLayout::Cmyk8; // 16-bit inks are brought to 8 first
    return true;
}

// One scanline's samples as the converter takes them: extra samples dropped,
// min-is-white turned to min-is-black.
template <typename Sample>
void repack(const TiffLayout &l, const Sample *in, int samples, void *outBytes, std::uint32_t width)
{
    constexpr unsigned kMax = sizeof(Sample) == 1 ? 255u : 65535u;
    if (l.photometric == PHOTOMETRIC_PALETTE) {
        auto *out = static_cast<std::uint16_t *>(outBytes);
        const std::size_t last = l.palette[0].size() - 1;
        for (std::uint32_t x = 0; x < width; ++x) {
            const std::size_t i = std::min<std::size_t>(in[x], last);
            for (int c = 0; c < 3; ++c)
                out[3 * x + c] = l.palette[c][i];
        }
        return;
    }
    if (l.colours == 4 && sizeof(Sample) == 2) {
        auto *out = static_cast<std::uint8_t *>(outBytes);
        for (std::uint32_t x = 0; x < width; ++x)
            for (int c = 0; c < 4; ++c)
                out[4 * x + c] = std::uint8_t((unsigned(in[std::size_t(x) * samples + c]) * 255u + 32767u) / 65535u);
        return;
    }
    auto *out = static_cast<Sample *>(outBytes);
    const int stride = l.colours + (l.alpha ? 1 : 0);
    const bool invert = l.photometric == PHOTOMETRIC_MINISWHITE;
    for (std::uint32_t x = 0; x < width; ++x) {
        const Sample *p = in + std::size_t(x) * samples;
        Sample *q = out + std::size_t(x) * stride;
        for (int c = 0; c < l.colours; ++c) {
            const unsigned v = l.signedSamples ? p[c] ^ (kMax / 2 + 1) : p[c];
            q[c] = Sample(invert ? kMax - v : v);
        }
        if (l.alpha)
            q[l.colours] = p[l.colours];
    }
}

// Whether libtiff decodes the samples as the converter takes them (8-bit
// grey or RGB, one pixel after another, nothing beside them), so that its
// rows go to the converter where they lie.
bool storedAsConverted(const TiffLayout &l)
{
    return l.planar == PLANARCONFIG_CONTIG && l.bits == 8 && !l.signedSamples && l.samples == l.colours
        && ((l.photometric == PHOTOMETRIC_MINISBLACK && l.layout == SampleLayout::Grey8)
            || (l.photometric == PHOTOMETRIC_RGB && l.layout == SampleLayout::Rgb8));
}

// Largest strip decoded whole into our buffer; a picture stored as fewer,
// taller strips is read a scanline at a time, which keeps only the
// compressed strip.
constexpr tmsize_t kMaxWholeStrip = 4 * 1024 * 1024;

// libtiff's decoder of one page, a scanline at a time, into our pixels.
// Separate planes are read a strip of each at a time and interleaved;
// samples stored as the converter takes them are decoded a strip at a time
// and their rows handed on from it.
class ScanlineReader {
public:
    ScanlineReader(TiffPtr tif, const TiffLayout &layout, Colour matte)
        : m_tif(std::move(tif)), m_l(layout),
          m_converter(layout.layout, layout.icc, matte, layout.associated ? AlphaForm::Premultiplied : AlphaForm::Straight),
          m_direct(storedAsConverted(layout)),
          m_packed(m_direct ? 0 : std::size_t(layout.width) * std::size_t(bytesPerPixel(layout.layout)))
    {
        TIFF *t = m_tif.get();
        const std::size_t sampleBytes = layout.bits / 8;
        if (m_direct) {
            m_planes = layout.samples;
            const tmsize_t line = TIFFScanlineSize(t);
            const tmsize_t strip = TIFFStripSize(t);
            std::uint32_t rowsPerStrip = layout.height;
            TIFFGetFieldDefaulted(t, TIFFTAG_ROWSPERSTRIP, &rowsPerStrip);
            m_rowsPerStrip = std::clamp<std::uint32_t>(rowsPerStrip, 1, layout.height);
            m_stripsPerPlane = (layout.height + m_rowsPerStrip - 1) / m_rowsPerStrip;
            m_lineBytes = std::size_t(std::max<tmsize_t>(line, 0));
            if (strip > 0 && strip <= kMaxWholeStrip && TIFFNumberOfStrips(t) >= m_stripsPerPlane)
                m_strips.resize(std::size_t(strip));
            else
                m_line.resize(m_lineBytes);
            m_stripBytes = m_strips.size();
            // A scanline shorter than its samples would be read past.
            if (m_lineBytes < std::size_t(layout.width) * std::size_t(m_planes)) {
                m_line.clear();
                m_strips.clear();
            }
        } else if (layout.planar == PLANARCONFIG_SEPARATE) {
            m_planes = layout.photometric == PHOTOMETRIC_PALETTE ? 1 : layout.colours + (layout.alpha ? 1 : 0);
            std::uint32_t rowsPerStrip = layout.height;
            TIFFGetFieldDefaulted(t, TIFFTAG_ROWSPERSTRIP, &rowsPerStrip);
            m_rowsPerStrip = std::clamp<std::uint32_t>(rowsPerStrip, 1, layout.height);
            m_stripsPerPlane = (layout.height + m_rowsPerStrip - 1) / m_rowsPerStrip;
            const tmsize_t strip = TIFFStripSize(t);
            if (strip > 0 && TIFFNumberOfStrips(t) >= m_stripsPerPlane * layout.samples)
                m_strips.resize(std::size_t(m_planes) * std::size_t(strip));
            m_stripBytes = std::size_t(std::max<tmsize_t>(strip, 0));
            m_line.resize(std::size_t(layout.width) * std::size_t(m_planes) * sampleBytes);
        } else {
            m_planes = layout.samples;
            m_line.resize(std::size_t(std::max<tmsize_t>(TIFFScanlineSize(t), 0)));
        }
        // A scanline shorter than its samples would be read past.
        if (!m_direct && m_line.size() < std::size_t(layout.width) * std::size_t(m_planes) * sampleBytes)
            m_line.clear();
    }

    bool read(Colour *out)
    {
        if (m_direct) {
            const std::uint8_t *row = m_strips.empty() ? (m_line.empty() || !readContiguous() ? nullptr : m_line.data())
                                                        : stripRow();
            if (!row)
                return false;
            ++m_next;
            m_converter.convert(row, out, int(m_l.width));
            return true;
        }
        if (m_line.empty() || !(m_l.planar == PLANARCONFIG_SEPARATE ? readPlanes() : readContiguous()))
            return false;
        ++m_next;
        if (m_l.bits == 16)
            repack(m_l, reinterpret_cast<const std::uint16_t *>(m_line.data()), m_planes, m_packed.data(), m_l.width);
        else
            repack(m_l, m_line.data(), m_planes, m_packed.data(), m_l.width);
        m_converter.convert(m_packed.data(), out, int(m_l.width));
        return true;
    }

    std::uint32_t next() const { return m_next; }
    std::size_t bufferBytes() const { return m_line.size() + m_packed.size() + m_strips.size(); }

private:
    bool readContiguous() { return TIFFReadScanline(m_tif.get(), m_line.data(), m_next, 0) >= 0; }

    // The next row where it lies in its decoded strip; null when the strip
    // can't be decoded that far.
    const std::uint8_t *stripRow()
    {
        const std::uint32_t band = m_next / m_rowsPerStrip;
        const std::size_t rowInStrip = m_next - band * m_rowsPerStrip;
        if (band != m_band) {
            const tmsize_t got = TIFFReadEncodedStrip(m_tif.get(), band, m_strips.data(), tmsize_t(m_stripBytes));
            m_stripGot = std::size_t(std::max<tmsize_t>(got, 0));
            m_band = band;
        }
        if ((rowInStrip + 1) * m_lineBytes > m_stripGot)
            return nullptr;
        return m_strips.data() + rowInStrip * m_lineBytes;
    }

    bool readPlanes()
    {
        if (m_strips.empty())
            return false;
        const std::uint32_t band = m_next / m_rowsPerStrip;
        const std::size_t sampleBytes = m_l.bits / 8;
        const std::size_t planeLine = std::size_t(m_l.width) * sampleBytes;
        const std::size_t rowInStrip = m_next - band * m_rowsPerStrip;
        if (band != m_band) {
            for (int p = 0; p < m_planes; ++p) {
                const tmsize_t got = TIFFReadEncodedStrip(m_tif.get(), std::uint32_t(p) * m_stripsPerPlane + band,
                                                          m_strips.data() + std::size_t(p) * m_stripBytes, tmsize_t(m_stripBytes));
                if (got < 0 || std::size_t(got) < (rowInStrip + 1) * planeLine)
                    return false;
            }
            m_band = band;
        }
        for (int p = 0; p < m_planes; ++p) {
            const std::uint8_t *from = m_strips.data() + std::size_t(p) * m_stripBytes + rowInStrip * planeLine;
            for (std::uint32_t x = 0; x < m_l.width; ++x)
                std::memcpy(m_line.data() + (std::size_t(x) * m_planes + p) * sampleBytes, from + x * sampleBytes, sampleBytes);
        }
        return true;
    }

    TiffPtr m_tif;
    const TiffLayout m_l;
    RowConverter m_converter;
    const bool m_direct; // rows handed on as libtiff decodes them
    std::vector<std::uint8_t> m_line; // one row, samples interleaved
    std::vector<std::uint8_t> m_packed;
    std::vector<std::uint8_t> m_strips; // separate planes: one strip of each; direct rows: their strip
    std::size_t m_stripBytes = 0;
    std::size_t m_lineBytes = 0, m_stripGot = 0; // direct rows: a row's bytes, and the strip's decoded
    int m_planes = 1;
    std::uint32_t m_rowsPerStrip = 1, m_stripsPerPlane = 0, m_band = ~0u;
    std::uint32_t m_next = 0;
};

class TiffRowStream final : public RowStream {
public:
    TiffRowStream(std::unique_ptr<ScanlineReader> reader, const TiffLayout &l, std::size_t libraryBytes)
        : m_reader(std::move(reader)), m_width(int(l.width)), m_height(int(l.height)),
          m_working(m_reader->bufferBytes() + libraryBytes)
    {
    }

    int width() const override { return m_width; }
    int height() const override { return m_height; }
    QString message() const override { return codecmessages::corrupt(); }
    std::size_t workingBytes() const override { return m_working; }

    bool readRows(Colour *const *rows, int count) override
    {
        if (m_broken || int(m_reader->next()) + count > m_height) {
            m_broken = true;
            return false;
        }
        for (int i = 0; i < count; ++i) {
            if (!m_reader->read(rows[i])) {
                m_broken = true;
                return false;
            }
        }
        return true;
    }

    bool finish() override { return !m_broken && int(m_reader->next()) == m_height; }

private:
    std::unique_ptr<ScanlineReader> m_reader;
    const int m_width, m_height;
    const std::size_t m_working;
    bool m_broken = false;
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
            const std::uint32_t p = l.signedSamples ? row[x] ^ 0x808080u : row[x];
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
    silenceLibtiff();
    const long long fileBytes = file.size();
    const bool tiff = isTiff(file.head(), file.headSize());
    const QByteArray name = file.name().toUtf8();
    TIFFOpenOptions *openOptions = TIFFOpenOptionsAlloc();
    TIFFOpenOptionsSetMaxSingleMemAlloc(openOptions, tmsize_t(limits.maxLibraryAllocation));
    TIFFOpenOptionsSetErrorHandlerExtR(openOptions, ignoreMessage, nullptr);
    TIFFOpenOptionsSetWarningHandlerExtR(openOptions, ignoreMessage, nullptr);
    auto *source = new TiffSource{std::move(file), limits.maxFileBytes, {}};
    TiffPtr tif(TIFFClientOpenExt(name.isEmpty() ? "picture.tif" : name.constData(), "r", source, readSource,
                                  writeNothing, seekSource, closeSource, sizeOfSource, mapSource, unmapSource,
                                  openOptions));
    TIFFOpenOptionsFree(openOptions);
    if (!tif) {
        closeSource(source); // libtiff only takes the source once the file opens
        return OpenedPicture::refused(tiff ? codecmessages::corrupt() : codecmessages::notAPicture());
    }

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
    l.signedSamples = sampleFormat == SAMPLEFORMAT_INT && (l.bits == 8 || l.bits == 16)
        && (l.photometric == PHOTOMETRIC_MINISBLACK || l.photometric == PHOTOMETRIC_MINISWHITE || l.photometric == PHOTOMETRIC_RGB);
    if (sampleFormat != SAMPLEFORMAT_UINT && sampleFormat != SAMPLEFORMAT_VOID && !l.signedSamples)
        return OpenedPicture::refused(codecmessages::unsupported());
    if (l.samples == 0 || l.bits == 0)
        return OpenedPicture::refused(codecmessages::corrupt());
    l.icc = iccProfileOf(tif.get());
    if (l.orientation < ORIENTATION_TOPLEFT || l.orientation > ORIENTATION_LEFTBOT)
        l.orientation = ORIENTATION_TOPLEFT;
    const QImageIOHandler::Transformations orientation = transformationOf(l.orientation);
    const int width = int(l.width);
    const int height = int(l.height);
    const std::size_t libraryBytes = libtiffBytes(tif.get(), l, fileBytes, limits);

    l.scanlines = hasPhotometric && chooseScanlines(tif.get(), l);
    if (l.scanlines) {
        auto reader = std::make_unique<ScanlineReader>(std::move(tif), l, options.matte);
        if (l.orientation == ORIENTATION_TOPLEFT && l.width <= std::uint32_t(limits.maxStreamedSide)
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
