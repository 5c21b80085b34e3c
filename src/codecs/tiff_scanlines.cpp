#include "codecs/tiff_scanlines.h"

#include <algorithm>
#include <cstring>

namespace tess {

namespace {

// Whether libtiff decodes the samples as the converter takes them (8-bit
// grey or RGB, one pixel after another, nothing beside them), so that its
// rows go to the converter where they lie.
bool storedAsConverted(const TiffLayout &l)
{
    return l.planar == PLANARCONFIG_CONTIG && l.bits == 8 && !l.stored.signedValues && l.samples == l.colours
        && ((l.photometric == PHOTOMETRIC_MINISBLACK && l.layout == SampleLayout::Grey8)
            || (l.photometric == PHOTOMETRIC_RGB && l.layout == SampleLayout::Rgb8));
}

// Largest strip decoded whole into our buffer; a picture stored as fewer,
// taller strips is read a scanline at a time, which keeps only the
// compressed strip.
constexpr tmsize_t kMaxWholeStrip = 4 * 1024 * 1024;

} // namespace

ScanlineReader::ScanlineReader(TiffPtr tif, const TiffLayout &layout, Colour matte)
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
    m_l.stored.perPixel = m_planes;
    // A scanline shorter than its samples would be read past.
    if (!m_direct && m_line.size() < std::size_t(layout.width) * std::size_t(m_planes) * sampleBytes)
        m_line.clear();
}

bool ScanlineReader::read(Colour *out)
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
    repackRow(m_l.stored, m_l.layout, m_line.data(), m_packed.data(), int(m_l.width));
    m_converter.convert(m_packed.data(), out, int(m_l.width));
    return true;
}

bool ScanlineReader::readContiguous() { return TIFFReadScanline(m_tif.get(), m_line.data(), m_next, 0) >= 0; }

// The next row where it lies in its decoded strip; null when the strip can't
// be decoded that far.
const std::uint8_t *ScanlineReader::stripRow()
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

bool ScanlineReader::readPlanes()
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

} // namespace tess
