#pragma once
#include "codecs/row_converter.h"
#include "codecs/tiff_file.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tess {

// What a TIFF page's header says, and how its samples become a
// RowConverter's.
struct TiffLayout {
    std::uint32_t width = 0, height = 0; // as stored
    std::uint16_t bits = 1, samples = 1, photometric = PHOTOMETRIC_MINISBLACK, planar = PLANARCONFIG_CONTIG;
    std::uint16_t orientation = ORIENTATION_TOPLEFT;
    int colours = 0;         // colour samples a pixel hands on (palette: the index)
    bool alpha = false;      // the first extra sample is alpha
    bool associated = false; // ... premultiplied
    SampleLayout layout = SampleLayout::Rgba8;
    StoredSamples stored;
    QByteArray icc;
};

// libtiff's decoder of one page in strips whose samples we lay out ourselves
// (see chooseScanlines), a scanline at a time, into our pixels. Separate
// planes are read a strip of each at a time and interleaved; samples stored
// as the converter takes them are decoded a strip at a time and their rows
// handed on from it.
class ScanlineReader {
public:
    ScanlineReader(TiffPtr tif, const TiffLayout &layout, Colour matte);

    // The next row; false when the file proves broken.
    bool read(Colour *out);
    std::uint32_t next() const { return m_next; }
    std::size_t bufferBytes() const { return m_line.size() + m_packed.size() + m_strips.size(); }

private:
    bool readContiguous();
    const std::uint8_t *stripRow();
    bool readPlanes();

    TiffPtr m_tif;
    TiffLayout m_l;
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

} // namespace tess
