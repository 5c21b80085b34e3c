#include "support/dng_writer.h"

#include "codecs/picture_codecs.h"
#include "support/codec_test_support.h"

#include <tiff.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <stdexcept>
#include <vector>

namespace tess::testing {

namespace {

constexpr std::uint16_t kByte = 1, kAscii = 2, kShort = 3, kLong = 4, kRational = 5, kSRational = 10;

// One directory entry; rationals hold numerator, denominator pairs.
struct Entry {
    std::uint16_t tag, type;
    std::vector<std::uint32_t> values;

    std::uint32_t count() const { return std::uint32_t(type == kRational || type == kSRational ? values.size() / 2 : values.size()); }
    std::size_t unitBytes() const
    {
        switch (type) {
        case kShort: return 2;
        case kLong: return 4;
        case kRational:
        case kSRational: return 8;
        default: return 1;
        }
    }
    std::size_t bytes() const { return count() * unitBytes(); }
};

using Directory = std::vector<Entry>;

Entry text(std::uint16_t tag, const char *value)
{
    Entry e{tag, kAscii, {}};
    for (const char *c = value; *c; ++c)
        e.values.push_back(std::uint8_t(*c));
    e.values.push_back(0);
    return e;
}

std::size_t padded(std::size_t bytes) { return (bytes + 1) & ~std::size_t(1); }

std::size_t directoryBytes(const Directory &d)
{
    std::size_t size = 2 + 12 * d.size() + 4;
    for (const Entry &e : d)
        if (e.bytes() > 4)
            size += padded(e.bytes());
    return size;
}

void setValue(Directory &d, std::uint16_t tag, std::uint32_t value)
{
    for (Entry &e : d)
        if (e.tag == tag)
            e.values = {value};
}

class Output {
public:
    explicit Output(bool littleEndian) : m_little(littleEndian) {}

    QByteArray bytes;

    void put(std::uint32_t v, int size)
    {
        for (int i = 0; i < size; ++i)
            bytes += char(v >> (8 * (m_little ? i : size - 1 - i)));
    }
    void patch(qsizetype at, std::uint32_t v, int size)
    {
        for (int i = 0; i < size; ++i)
            bytes[at + i] = char(v >> (8 * (m_little ? i : size - 1 - i)));
    }

    // Writes `d` at the end; returns where each entry's value field lies.
    std::vector<qsizetype> directory(const Directory &d)
    {
        std::vector<qsizetype> fields;
        qsizetype overflow = bytes.size() + qsizetype(2 + 12 * d.size() + 4);
        put(std::uint32_t(d.size()), 2);
        std::vector<const Entry *> spilled;
        for (const Entry &e : d) {
            put(e.tag, 2);
            put(e.type, 2);
            put(e.count(), 4);
            fields.push_back(bytes.size());
            if (e.bytes() > 4) {
                put(std::uint32_t(overflow), 4);
                overflow += qsizetype(padded(e.bytes()));
                spilled.push_back(&e);
            } else {
                values(e);
                put(0, int(4 - e.bytes()));
            }
        }
        put(0, 4); // no next directory
        for (const Entry *e : spilled) {
            values(*e);
            if (e->bytes() % 2)
                put(0, 1);
        }
        return fields;
    }

private:
    void values(const Entry &e)
    {
        const int size = e.type == kRational || e.type == kSRational ? 4 : int(e.unitBytes());
        for (std::uint32_t v : e.values)
            put(v, size);
    }

    bool m_little;
};

double linearFromSrgb(double v)
{
    return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
}

// The colour (0 red, 1 green, 2 blue) of each site of the 2 x 2 cell.
std::vector<std::uint32_t> cfaColours(Cfa cfa)
{
    switch (cfa) {
    case Cfa::Rggb: return {0, 1, 1, 2};
    case Cfa::Bggr: return {2, 1, 1, 0};
    case Cfa::Grbg: return {1, 0, 2, 1};
    case Cfa::Gbrg: return {1, 2, 0, 1};
    }
    return {};
}

// The camera's space is linear sRGB: ColorMatrix1 maps XYZ to it.
const std::int32_t kXyzToSrgb[9] = {32405, -15371, -4985, -9693, 18760, 416, 556, -2040, 10572};

} // namespace

Picture asStored(const Picture &upright, int orientation)
{
    const int w = upright.width(), h = upright.height();
    const bool quarter = orientation == 6 || orientation == 8;
    Picture stored(quarter ? h : w, quarter ? w : h);
    for (int sy = 0; sy < stored.height(); ++sy) {
        for (int sx = 0; sx < stored.width(); ++sx) {
            int x = sx, y = sy;
            if (orientation == 3) {
                x = w - 1 - sx;
                y = h - 1 - sy;
            } else if (orientation == 6) { // stored rows run down the right-hand side
                x = w - 1 - sy;
                y = sx;
            } else if (orientation == 8) { // stored rows run up the left-hand side
                x = sy;
                y = h - 1 - sx;
            }
            stored.row(sy)[sx] = upright.row(y)[x];
        }
    }
    return stored;
}

DngFile writeDng(const Picture &picture, const DngOptions &options)
{
    const int white = options.white ? options.white : (1 << options.bits) - 1;
    const Picture sensor = asStored(picture, options.orientation);
    const std::uint32_t width = std::uint32_t(sensor.width()), height = std::uint32_t(sensor.height());

    QByteArray preview;
    std::uint32_t previewWidth = 0, previewHeight = 0;
    if (options.preview) {
        const int turn = options.previewExif ? options.previewExif : options.orientation;
        const Picture stored = asStored(*options.preview, turn);
        previewWidth = std::uint32_t(stored.width());
        previewHeight = std::uint32_t(stored.height());
        if (options.previewBitmap) {
            for (int y = 0; y < stored.height(); ++y) {
                for (int x = 0; x < stored.width(); ++x) {
                    const Colour c = stored.row(y)[x];
                    preview.append(char(redOf(c))).append(char(greenOf(c))).append(char(blueOf(c)));
                }
            }
        } else {
            const std::optional<QByteArray> jpeg = encodeJpeg(stored, {92, false, true}, QStringLiteral("preview"));
            if (!jpeg)
                throw std::runtime_error("the preview JPEG could not be made");
            preview = options.previewExif
                          ? withExif(*jpeg, exifBlock(true, {{{TIFFTAG_ORIENTATION, kShort, 1, std::uint32_t(turn)}}}))
                          : *jpeg;
        }
    }

    std::vector<std::uint32_t> matrix;
    for (std::int32_t v : kXyzToSrgb) {
        matrix.push_back(std::uint32_t(v));
        matrix.push_back(10000);
    }
    Directory camera{
        text(TIFFTAG_MAKE, "Tessarolith"),
        text(TIFFTAG_MODEL, "Mosaic"),
        {TIFFTAG_ORIENTATION, kShort, {std::uint32_t(options.orientation)}},
        {TIFFTAG_DNGVERSION, kByte, {1, 4, 0, 0}},
        {TIFFTAG_DNGBACKWARDVERSION, kByte, {1, 1, 0, 0}},
        text(TIFFTAG_UNIQUECAMERAMODEL, "Tessarolith Mosaic"),
        {TIFFTAG_COLORMATRIX1, kSRational, matrix},
        {TIFFTAG_ASSHOTNEUTRAL, kRational, {1, 1, 1, 1, 1, 1}},
        {TIFFTAG_CALIBRATIONILLUMINANT1, kShort, {21}}, // D65
    };

    Directory raw{
        {TIFFTAG_SUBFILETYPE, kLong, {0}},
        {TIFFTAG_IMAGEWIDTH, kLong, {width}},
        {TIFFTAG_IMAGELENGTH, kLong, {height}},
        {TIFFTAG_BITSPERSAMPLE, kShort, {16}},
        {TIFFTAG_COMPRESSION, kShort, {COMPRESSION_NONE}},
        {TIFFTAG_PHOTOMETRIC, kShort, {PHOTOMETRIC_CFA}},
        {TIFFTAG_STRIPOFFSETS, kLong, {0}},
        {TIFFTAG_SAMPLESPERPIXEL, kShort, {1}},
        {TIFFTAG_ROWSPERSTRIP, kLong, {height}},
        {TIFFTAG_STRIPBYTECOUNTS, kLong, {width * height * 2}},
        {TIFFTAG_PLANARCONFIG, kShort, {PLANARCONFIG_CONTIG}},
        {TIFFTAG_CFAREPEATPATTERNDIM, kShort, {2, 2}},
        {TIFFTAG_CFAPATTERN, kByte, cfaColours(options.cfa)},
        {TIFFTAG_CFAPLANECOLOR, kByte, {0, 1, 2}},
        {TIFFTAG_CFALAYOUT, kShort, {1}},
        {TIFFTAG_BLACKLEVEL, kLong, {std::uint32_t(options.black)}},
        {TIFFTAG_WHITELEVEL, kLong, {std::uint32_t(white)}},
    };

    // With a preview it is the main directory, as cameras write it, and the
    // raw hangs below it; without one the raw is the main directory.
    std::vector<Directory> directories;
    if (options.preview) {
        Directory main{
            {TIFFTAG_SUBFILETYPE, kLong, {FILETYPE_REDUCEDIMAGE}},
            {TIFFTAG_IMAGEWIDTH, kLong, {previewWidth}},
            {TIFFTAG_IMAGELENGTH, kLong, {previewHeight}},
            {TIFFTAG_BITSPERSAMPLE, kShort, {8, 8, 8}},
            {TIFFTAG_COMPRESSION, kShort, {std::uint32_t(options.previewBitmap ? COMPRESSION_NONE : COMPRESSION_JPEG)}},
            {TIFFTAG_PHOTOMETRIC, kShort, {std::uint32_t(options.previewBitmap ? PHOTOMETRIC_RGB : PHOTOMETRIC_YCBCR)}},
            {TIFFTAG_STRIPOFFSETS, kLong, {0}},
            {TIFFTAG_SAMPLESPERPIXEL, kShort, {3}},
            {TIFFTAG_ROWSPERSTRIP, kLong, {previewHeight}},
            {TIFFTAG_STRIPBYTECOUNTS, kLong, {std::uint32_t(preview.size())}},
            {TIFFTAG_PLANARCONFIG, kShort, {PLANARCONFIG_CONTIG}},
            {TIFFTAG_SUBIFD, kLong, {0}},
        };
        main.insert(main.end(), camera.begin(), camera.end());
        directories = {main, raw};
    } else {
        raw.insert(raw.end(), camera.begin(), camera.end());
        directories = {raw};
    }
    for (Directory &d : directories)
        std::sort(d.begin(), d.end(), [](const Entry &a, const Entry &b) { return a.tag < b.tag; });

    DngFile dng;
    dng.littleEndian = options.littleEndian;
    dng.directoriesEnd = 8;
    for (const Directory &d : directories)
        dng.directoriesEnd += qsizetype(directoryBytes(d));
    if (options.preview) {
        dng.previewStart = dng.directoriesEnd;
        dng.previewLength = preview.size();
        setValue(directories[0], TIFFTAG_SUBIFD, std::uint32_t(8 + directoryBytes(directories[0])));
        setValue(directories[0], TIFFTAG_STRIPOFFSETS, std::uint32_t(dng.previewStart));
    }
    dng.rawStart = qsizetype(padded(std::size_t(dng.directoriesEnd + dng.previewLength)));
    dng.rawLength = qsizetype(width) * height * 2;
    setValue(directories.back(), TIFFTAG_STRIPOFFSETS, std::uint32_t(dng.rawStart));

    Output out(options.littleEndian);
    out.bytes.reserve(dng.rawStart + dng.rawLength);
    out.bytes += options.littleEndian ? "II" : "MM";
    out.put(42, 2);
    out.put(8, 4);
    for (std::size_t i = 0; i < directories.size(); ++i) {
        const std::vector<qsizetype> fields = out.directory(directories[i]);
        for (std::size_t k = 0; k < fields.size(); ++k) {
            const std::uint16_t tag = directories[i][k].tag;
            if (i + 1 == directories.size() && tag == TIFFTAG_IMAGEWIDTH)
                dng.rawWidthField = fields[k];
            else if (i + 1 == directories.size() && tag == TIFFTAG_IMAGELENGTH)
                dng.rawHeightField = fields[k];
            else if (options.preview && i == 0 && tag == TIFFTAG_STRIPOFFSETS)
                dng.previewOffsetField = fields[k];
        }
    }
    out.bytes += preview;
    out.bytes.resize(dng.rawStart, '\0');

    std::uint16_t levels[256];
    for (int v = 0; v < 256; ++v)
        levels[v] = std::uint16_t(options.black + std::lround(linearFromSrgb(v / 255.0) * (white - options.black)));
    const std::vector<std::uint32_t> colours = cfaColours(options.cfa);
    for (int y = 0; y < sensor.height(); ++y) {
        const Colour *row = sensor.row(y);
        for (int x = 0; x < sensor.width(); ++x) {
            const Colour c = row[x];
            const std::uint32_t site = colours[std::size_t((y & 1) * 2 + (x & 1))];
            out.put(levels[site == 0 ? redOf(c) : site == 1 ? greenOf(c) : blueOf(c)], 2);
        }
    }
    dng.bytes = std::move(out.bytes);
    return dng;
}

QByteArray cutAt(const DngFile &dng, qsizetype length) { return dng.bytes.left(length); }

QByteArray stripped(const DngFile &dng) { return dng.bytes.left(dng.directoriesEnd); }

QByteArray claimingHugeSensor(const DngFile &dng)
{
    Output out(dng.littleEndian);
    out.bytes = dng.bytes;
    out.patch(dng.rawWidthField, 65535, 4);
    out.patch(dng.rawHeightField, 65535, 4);
    return out.bytes;
}

QByteArray previewPastEnd(const DngFile &dng)
{
    Output out(dng.littleEndian);
    out.bytes = dng.bytes;
    if (dng.previewOffsetField)
        out.patch(dng.previewOffsetField, std::uint32_t(dng.bytes.size() + 4096), 4);
    return out.bytes;
}

} // namespace tess::testing
