// TIFF rows of 8-bit grey and RGB, handed on from libtiff's decoded strips:
// every strip height, compression and strip size, against the samples
// written, and strips that can't be decoded.
#include "codecs/codec_messages.h"
#include "codecs/picture_kinds.h"
#include "codecs/row_converter.h"
#include "codecs/tiff_reader.h"

#include "support/file_bytes.h"
#include "support/picture_reading.h"

#include <QColorSpace>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <tiffio.h>

#include <algorithm>
#include <vector>

using namespace tess;
using namespace tess::testing;

namespace {

constexpr Colour kMatte = rgb(40, 150, 220);

struct StripCase {
    const char *name;
    std::uint16_t samples; // 1 grey, 3 RGB
    std::uint32_t width, height, rowsPerStrip;
    std::uint16_t compression;
    bool wideGamut = false; // with a profile the rows go through
};

// Samples that differ from row to row, column to column and channel to
// channel, so that a row or pixel taken from the wrong place shows.
std::vector<std::uint8_t> samplesOf(const StripCase &c, std::uint32_t y)
{
    std::vector<std::uint8_t> row(std::size_t(c.width) * c.samples);
    for (std::size_t i = 0; i < row.size(); ++i)
        row[i] = std::uint8_t(i * 7 + y * 13 + (i % c.samples) * 50);
    return row;
}

QByteArray profileOf(const StripCase &c)
{
    return c.wideGamut ? QColorSpace(QColorSpace::DisplayP3).iccProfile() : QByteArray();
}

bool writeTiff(const QString &path, const StripCase &c)
{
    TIFF *tif = TIFFOpen(QFile::encodeName(path).constData(), "w");
    if (!tif)
        return false;
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, c.width);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, c.height);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, c.samples);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, c.samples == 1 ? PHOTOMETRIC_MINISBLACK : PHOTOMETRIC_RGB);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, c.rowsPerStrip);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, c.compression);
    const QByteArray icc = profileOf(c);
    if (!icc.isEmpty())
        TIFFSetField(tif, TIFFTAG_ICCPROFILE, std::uint32_t(icc.size()), icc.constData());
    bool ok = true;
    for (std::uint32_t y = 0; y < c.height && ok; ++y) {
        std::vector<std::uint8_t> row = samplesOf(c, y);
        ok = TIFFWriteScanline(tif, row.data(), y, 0) >= 0;
    }
    TIFFClose(tif);
    return ok;
}

class TiffStrips : public ::testing::TestWithParam<StripCase> {};

TEST_P(TiffStrips, GiveTheRowsWritten)
{
    const StripCase &c = GetParam();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("strips.tif"));
    ASSERT_TRUE(writeTiff(path, c));
    const ReadOutcome out = readFile(openAs<PictureKindId::Tiff>, path, kMatte, true);
    ASSERT_TRUE(out.complete) << out.message.toStdString();
    ASSERT_EQ(out.width, int(c.width));
    ASSERT_EQ(out.height, int(c.height));
    const RowConverter converter(c.samples == 1 ? SampleLayout::Grey8 : SampleLayout::Rgb8, profileOf(c), kMatte);
    ASSERT_EQ(converter.managed(), c.wideGamut);
    std::vector<Colour> want(c.width);
    for (std::uint32_t y = 0; y < c.height; ++y) {
        converter.convert(samplesOf(c, y).data(), want.data(), int(c.width));
        const Colour *got = out.picture.row(int(y));
        ASSERT_EQ(std::vector<Colour>(got, got + c.width), want) << "row " << y;
    }
}

INSTANTIATE_TEST_SUITE_P(Layouts, TiffStrips, ::testing::Values(
    StripCase{"greyRowStrips", 1, 37, 11, 1, COMPRESSION_NONE},
    StripCase{"greyShortLastStrip", 1, 37, 11, 4, COMPRESSION_LZW},
    StripCase{"rgbOneStrip", 3, 41, 9, 9, COMPRESSION_ADOBE_DEFLATE},
    StripCase{"rgbPackBits", 3, 41, 10, 3, COMPRESSION_PACKBITS},
    // libtiff splits one plain strip of many rows into strips of its own.
    StripCase{"rgbPlainWholePicture", 3, 300, 200, 200, COMPRESSION_NONE},
    StripCase{"rgbThroughProfile", 3, 29, 13, 5, COMPRESSION_LZW, true},
    StripCase{"greyOnePixel", 1, 1, 1, 1, COMPRESSION_NONE},
    // A strip too tall to decode whole, read a scanline at a time.
    StripCase{"rgbStripPastTheCap", 3, 1500, 1000, 1000, COMPRESSION_LZW}),
    [](const auto &info) { return std::string(info.param.name); });

// A strip whose compressed bytes are garbage breaks the picture, not the
// program.
TEST(TiffStrips, BadStripBreaksThePicture)
{
    const StripCase c{"rgb", 3, 64, 40, 8, COMPRESSION_LZW};
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("strips.tif"));
    ASSERT_TRUE(writeTiff(path, c));
    TIFF *tif = TIFFOpen(QFile::encodeName(path).constData(), "r");
    ASSERT_NE(tif, nullptr);
    const std::uint64_t offset = TIFFGetStrileOffset(tif, 2), size = TIFFGetStrileByteCount(tif, 2);
    TIFFClose(tif);
    QByteArray bytes = test_files::readBytes(path);
    ASSERT_LE(offset + size, std::uint64_t(bytes.size()));
    std::fill_n(bytes.begin() + qsizetype(offset), qsizetype(size), char(0xFF));
    const ReadOutcome out = readBytes(openAs<PictureKindId::Tiff>, bytes, kMatte);
    EXPECT_TRUE(out.opened);
    EXPECT_FALSE(out.complete);
    EXPECT_EQ(out.message, codecmessages::corrupt());
}

} // namespace
