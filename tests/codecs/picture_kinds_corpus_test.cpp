// The TIFF, HEIF/AVIF and JPEG XL readers over the shared corpus: every file
// the manifest says must decode does, at its displayed size and, where a
// reference rendering exists, with its pixels; hostile files are refused or
// read partly, never a crash. A few targeted cases follow the manifest rows.
#include "codecs/heif_reader.h"
#include "codecs/jxl_reader.h"
#include "codecs/picture_codecs.h"
#include "codecs/codec_messages.h"
#include "codecs/tiff_reader.h"

#include "support/codec_test_support.h"
#include "support/corpus_manifest.h"

#include <QColorSpace>
#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <libheif/heif.h>
#include <tiffio.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstring>
#include <functional>

using namespace tess;
using namespace tess::testing;

namespace {

#if defined(__SANITIZE_ADDRESS__)
// Under the sanitizers the libraries' own work on big pictures takes most of
// the time and exercises none of ours beyond what small pictures do.
constexpr long long kLargestDecodedPixels = 1000 * 1000;
#else
constexpr long long kLargestDecodedPixels = kMaxPicturePixels;
#endif

// Not white, so that transparency laid over it shows.
constexpr Colour kMatte = rgb(40, 150, 220);

using Opener = std::function<OpenedPicture(int, const ReadOptions &)>;

Opener openerFor(const QString &format)
{
    if (format == QLatin1String("tiff"))
        return openTiffPicture;
    if (format == QLatin1String("heic") || format == QLatin1String("heif") || format == QLatin1String("avif"))
        return openHeifPicture;
    if (format == QLatin1String("jxl"))
        return openJxlPicture;
    return nullptr;
}

bool isTheirKind(const QString &format, const QByteArray &head)
{
    const auto *bytes = reinterpret_cast<const unsigned char *>(head.constData());
    const auto size = std::size_t(head.size());
    if (format == QLatin1String("tiff"))
        return isTiff(bytes, size);
    if (format == QLatin1String("jxl"))
        return isJxl(bytes, size);
    return isHeif(bytes, size);
}

struct Outcome {
    bool opened = false;
    bool complete = false; // every row read and finish() true
    QString message;
    int width = 0, height = 0;
    Picture picture; // the rows read, when kept
};

// Reads a file as the engine does, a band of rows at a time, checking the
// stream's contract on the way.
Outcome readStream(const Opener &open, int fd, bool keep)
{
    Outcome out;
    OpenedPicture opened = open(fd, ReadOptions{kMatte});
    if (!opened.ok()) {
        EXPECT_FALSE(opened.message.isEmpty()) << "refused without a cause";
        out.message = opened.message;
        return out;
    }
    RowStream &rows = *opened.rows;
    out.opened = true;
    out.width = rows.width();
    out.height = rows.height();
    EXPECT_GT(out.width, 0);
    EXPECT_GT(out.height, 0);
    EXPECT_LE((long long)out.width * out.height, kMaxPicturePixels);
    EXPECT_GT(rows.workingBytes(), 0u);
    if (out.width <= 0 || out.height <= 0)
        return out;
    constexpr int kBand = 16;
    Picture band(out.width, kBand);
    if (keep)
        out.picture = Picture(out.width, out.height);
    for (int y = 0; y < out.height; y += kBand) {
        const int count = std::min(kBand, out.height - y);
        std::vector<Colour *> pointers;
        for (int i = 0; i < count; ++i)
            pointers.push_back(keep ? out.picture.row(y + i) : band.row(i));
        if (!rows.readRows(pointers.data(), count)) {
            out.message = rows.message();
            EXPECT_FALSE(out.message.isEmpty()) << "broke without a cause";
            EXPECT_FALSE(rows.readRows(pointers.data(), 1)) << "rows after the stream broke";
            return out;
        }
    }
    out.complete = rows.finish();
    return out;
}

// The reader owns the descriptor: closed once the picture is let go.
Outcome readThrough(const Opener &open, const QString &path, bool keep)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    EXPECT_GE(fd, 0) << path.toStdString();
    if (fd < 0)
        return {};
    Outcome out = readStream(open, fd, keep);
    EXPECT_EQ(::fcntl(fd, F_GETFD), -1) << "descriptor left open";
    return out;
}

// The reference rendering, in sRGB, laid over the matte as the readers do.
Picture referencePicture(const QString &path)
{
    QImage image(path);
    if (image.colorSpace().isValid() && image.colorSpace() != QColorSpace(QColorSpace::SRgb))
        image.convertToColorSpace(QColorSpace::SRgb);
    image = image.convertToFormat(QImage::Format_ARGB32);
    Picture picture(image.width(), image.height());
    for (int y = 0; y < image.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const unsigned a = unsigned(qAlpha(line[x]));
            const auto over = [a](int value, int matte) { return int((unsigned(value) * a + unsigned(matte) * (255u - a) + 127u) / 255u); };
            picture.row(y)[x] = rgb(over(qRed(line[x]), redOf(kMatte)), over(qGreen(line[x]), greenOf(kMatte)),
                                    over(qBlue(line[x]), blueOf(kMatte)));
        }
    }
    return picture;
}

bool isPictureReference(const QString &reference)
{
    return reference.endsWith(QLatin1String(".png")) || reference.endsWith(QLatin1String(".ppm"))
        || reference.endsWith(QLatin1String(".pgm")) || reference.endsWith(QLatin1String(".pbm"));
}

// How far a decode may stray from its reference: lossy references are
// another decoder's output, or the coded picture before its loss.
struct Tolerance {
    int maxChannel = 2;
    double meanChannel = 0.5;
};

Tolerance toleranceFor(const CorpusRow &row)
{
    if (row.path.contains(QLatin1String("kimono.crop")))
        return {64, 4.0}; // the reference is the crop before AV1 coding
    if (row.path.startsWith(QLatin1String("jxl/good/conformance/")))
        return {8, 1.0}; // the reference went through another colour path
    if (row.path.startsWith(QLatin1String("jxl/good/testdata/")))
        return {12, 2.0}; // splines drawn by another libjxl
    if (row.path.contains(QLatin1String("testcard_gray")))
        return {6, 0.1}; // a grey profile the reference's reader leaves out
    return {};
}

std::vector<CorpusRow> corpusRows()
{
    std::vector<CorpusRow> rows;
    for (const QString &kind : {QStringLiteral("tiff"), QStringLiteral("heif"), QStringLiteral("jxl"), QStringLiteral("icc")}) {
        for (const CorpusRow &row : readCorpusManifest(kind)) {
            if (row.expectation != QLatin1String("reference") && openerFor(row.format))
                rows.push_back(row);
        }
    }
    return rows;
}

} // namespace

namespace {

class KindsCorpus : public ::testing::TestWithParam<CorpusRow> {};

TEST_P(KindsCorpus, ReadsAsTheManifestSays)
{
    const CorpusRow &row = GetParam();
    const QString path = corpusFormatsDir() + row.path;
    const bool mustDecode = row.expectation == QLatin1String("decode");
    if (mustDecode) {
        EXPECT_TRUE(isTheirKind(row.format, readAll(path).left(64))) << "magic test";
    }
    if (mustDecode && (long long)row.width * row.height > kLargestDecodedPixels)
        GTEST_SKIP() << "a big picture, decoded in the plain build";
    const bool compare = !row.reference.isEmpty() && isPictureReference(row.reference);
    const Outcome out = readThrough(openerFor(row.format), path, compare);
    if (mustDecode) {
        ASSERT_TRUE(out.opened) << out.message.toStdString();
        ASSERT_TRUE(out.complete) << out.message.toStdString();
    }
    if (!out.opened || !out.complete) {
        EXPECT_FALSE(out.message.isEmpty());
        // A kind we can't read, not a broken file (libjxl tells the two apart by no cause).
        if (row.expectation == QLatin1String("decode-or-reject") && row.format != QLatin1String("jxl")) {
            EXPECT_EQ(out.message, codecmessages::unsupported());
        }
        return;
    }
    if (row.width > 0 && row.expectation != QLatin1String("reject-safely")) {
        EXPECT_EQ(out.width, row.width);
        EXPECT_EQ(out.height, row.height);
    }
    if (!compare)
        return;
    const Picture reference = referencePicture(corpusFormatsDir() + row.reference);
    if (reference.width() != out.width || reference.height() != out.height)
        return; // a reference of one layer or frame at another size
    const Difference d = tess::testing::compare(out.picture, reference);
    const Tolerance t = toleranceFor(row);
    EXPECT_LE(d.maxChannel, t.maxChannel) << "mean " << d.meanChannel;
    EXPECT_LE(d.meanChannel, t.meanChannel) << "max " << d.maxChannel;
}

std::string rowName(const ::testing::TestParamInfo<CorpusRow> &info)
{
    QString name = info.param.path;
    for (QChar &c : name) {
        if (!c.isLetterOrNumber())
            c = QLatin1Char('_');
    }
    return name.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Manifest, KindsCorpus, ::testing::ValuesIn(corpusRows()), rowName);

// Files that lie or end early: refused, or broken at a row, always with the cause.
struct DamagedFile {
    const char *name;
    const char *path;   // under formats/
    double keep; // the share of the file left
};

class DamagedFiles : public ::testing::TestWithParam<DamagedFile> {};

TEST_P(DamagedFiles, AreRefusedWithTheirCause)
{
    const DamagedFile &c = GetParam();
    const QByteArray whole = readAll(corpusFormatsDir() + QLatin1String(c.path));
    ASSERT_FALSE(whole.isEmpty());
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("damaged"));
    ASSERT_TRUE(writeAll(path, whole.left(qsizetype(double(whole.size()) * c.keep))));
    const QString format = QString::fromLatin1(c.path).section(QLatin1Char('/'), 0, 0);
    const Outcome out = readThrough(openerFor(format == QLatin1String("heif") ? QStringLiteral("heic") : format), path, false);
    EXPECT_FALSE(out.complete);
    EXPECT_FALSE(out.message.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Cut, DamagedFiles, ::testing::Values(
    DamagedFile{"tiffLzwStrips", "tiff/good/libtiffpic/strike.tif", 0.5},
    DamagedFile{"tiffTiledJpeg", "tiff/good/image-tiff/tiled-jpeg-rgb-u8.tif", 0.4},
    DamagedFile{"heic", "heif/good/libheif/example.heic", 0.5},
    DamagedFile{"avif", "heif/good/libheif/example.avif", 0.7},
    DamagedFile{"jxlVarDct", "jxl/good/conformance/bicycles.jxl", 0.5},
    DamagedFile{"jxlContainer", "jxl/good/kimageformats/gimp_exif.jxl", 0.9}),
    [](const auto &info) { return std::string(info.param.name); });

// A 118-byte TIFF whose one strip claims 100000 x 100000 pixels.
TEST(TiffHeader, ClaimingTenGigapixelsIsRefusedAtOnce)
{
    QByteArray bytes("II*\0\x08\0\0\0", 8);
    const auto put16 = [&](unsigned v) { bytes.append(char(v & 0xFF)).append(char(v >> 8)); };
    const auto put32 = [&](std::uint32_t v) { put16(v & 0xFFFF); put16(v >> 16); };
    const std::uint32_t entries[][3] = {{256, 4, 100000}, {257, 4, 100000}, {258, 3, 8}, {262, 3, 1},
                                        {273, 4, 8}, {278, 4, 100000}, {279, 4, 1000000}};
    put16(7);
    for (const auto &e : entries) {
        put16(e[0]);
        put16(e[1]);
        put32(1);
        put32(e[2]);
    }
    put32(0);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("claims.tif"));
    ASSERT_TRUE(writeAll(path, bytes));
    const Outcome out = readThrough(openTiffPicture, path, false);
    EXPECT_FALSE(out.opened);
    EXPECT_EQ(out.message, codecmessages::tooLarge());
}

// Worked figures on small TIFFs written here: what each layout's samples
// become, over the matte (40, 150, 220).
struct TiffCase {
    const char *name;
    std::uint32_t width, height;
    std::uint16_t bits, samples, photometric;
    std::uint16_t extra = 0; // EXTRASAMPLE_* of the last sample, 0 for none
    std::uint16_t orientation = ORIENTATION_TOPLEFT;
    bool tiled = false, planar = false, signedSamples = false;
    std::vector<std::uint16_t> data; // samples, rows top to bottom
    int upWidth, upHeight;
    std::vector<Colour> expected; // rows top to bottom
    QByteArray icc = {};
};

void writeTiff(const QString &path, const TiffCase &c)
{
    TIFF *tif = TIFFOpen(QFile::encodeName(path).constData(), "w");
    ASSERT_NE(tif, nullptr);
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, c.width);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, c.height);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, c.bits);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, c.samples);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, c.photometric);
    TIFFSetField(tif, TIFFTAG_ORIENTATION, c.orientation);
    TIFFSetField(tif, TIFFTAG_SAMPLEFORMAT, c.signedSamples ? SAMPLEFORMAT_INT : SAMPLEFORMAT_UINT);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, c.planar ? PLANARCONFIG_SEPARATE : PLANARCONFIG_CONTIG);
    if (c.extra) {
        const std::uint16_t extra[] = {c.extra};
        TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, 1, extra);
    }
    if (!c.icc.isEmpty())
        TIFFSetField(tif, TIFFTAG_ICCPROFILE, std::uint32_t(c.icc.size()), c.icc.constData());
    const std::size_t sampleBytes = c.bits / 8, rowSamples = std::size_t(c.width) * c.samples;
    std::vector<std::uint8_t> bytes(c.data.size() * sampleBytes);
    for (std::size_t i = 0; i < c.data.size(); ++i) {
        if (c.bits == 16)
            std::memcpy(bytes.data() + 2 * i, &c.data[i], 2);
        else
            bytes[i] = std::uint8_t(c.data[i]);
    }
    if (c.tiled) {
        TIFFSetField(tif, TIFFTAG_TILEWIDTH, 16);
        TIFFSetField(tif, TIFFTAG_TILELENGTH, 16);
        std::vector<std::uint8_t> tile(16 * 16 * c.samples * sampleBytes);
        for (std::uint32_t y = 0; y < c.height; ++y)
            std::memcpy(tile.data() + y * 16 * c.samples * sampleBytes, bytes.data() + y * rowSamples * sampleBytes, rowSamples * sampleBytes);
        TIFFWriteTile(tif, tile.data(), 0, 0, 0, 0);
    } else if (c.planar) {
        TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, 2); // a band of strips, the last one short
        std::vector<std::uint8_t> line(c.width * sampleBytes);
        for (std::uint16_t s = 0; s < c.samples; ++s) {
            for (std::uint32_t y = 0; y < c.height; ++y) {
                for (std::uint32_t x = 0; x < c.width; ++x)
                    std::memcpy(line.data() + x * sampleBytes, bytes.data() + ((y * c.width + x) * c.samples + s) * sampleBytes, sampleBytes);
                TIFFWriteScanline(tif, line.data(), y, s);
            }
        }
    } else {
        for (std::uint32_t y = 0; y < c.height; ++y)
            TIFFWriteScanline(tif, bytes.data() + y * rowSamples * sampleBytes, y, 0);
    }
    TIFFClose(tif);
}

class TiffLayouts : public ::testing::TestWithParam<TiffCase> {};

TEST_P(TiffLayouts, GiveTheirWorkedPixels)
{
    const TiffCase &c = GetParam();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("case.tif"));
    writeTiff(path, c);
    const Outcome out = readThrough(openTiffPicture, path, true);
    ASSERT_TRUE(out.complete) << out.message.toStdString();
    ASSERT_EQ(out.width, c.upWidth);
    ASSERT_EQ(out.height, c.upHeight);
    for (int y = 0; y < c.upHeight; ++y) {
        for (int x = 0; x < c.upWidth; ++x) {
            const Colour got = out.picture.row(y)[x], want = c.expected[std::size_t(y * c.upWidth + x)];
            EXPECT_NEAR(redOf(got), redOf(want), 1) << x << "," << y;
            EXPECT_NEAR(greenOf(got), greenOf(want), 1) << x << "," << y;
            EXPECT_NEAR(blueOf(got), blueOf(want), 1) << x << "," << y;
        }
    }
}

constexpr Colour grey(int v) { return rgb(v, v, v); }

// Stored 3 x 2: 10 20 30 / 40 50 60.
const std::vector<std::uint16_t> kSixGreys{10, 20, 30, 40, 50, 60};
// Orientation 6: the stored top row is the right-hand column, read downwards.
const std::vector<Colour> kTurnedClockwise{grey(40), grey(10), grey(50), grey(20), grey(60), grey(30)};

INSTANTIATE_TEST_SUITE_P(Worked, TiffLayouts, ::testing::Values(
    // (200,100,50) at alpha 128 over the matte: (200*128 + 40*127) / 255 = 120.
    TiffCase{"unassociatedAlpha", 1, 1, 8, 4, PHOTOMETRIC_RGB, EXTRASAMPLE_UNASSALPHA, 1, false, false, false,
             {200, 100, 50, 128}, 1, 1, {rgb(120, 125, 135)}},
    TiffCase{"associatedAlpha", 1, 1, 8, 4, PHOTOMETRIC_RGB, EXTRASAMPLE_ASSOCALPHA, 1, false, false, false,
             {100, 50, 25, 128}, 1, 1, {rgb(120, 125, 135)}},
    TiffCase{"associatedAlphaTiled", 1, 1, 8, 4, PHOTOMETRIC_RGB, EXTRASAMPLE_ASSOCALPHA, 1, true, false, false,
             {100, 50, 25, 128}, 1, 1, {rgb(120, 125, 135)}},
    TiffCase{"turnedStrips", 3, 2, 8, 1, PHOTOMETRIC_MINISBLACK, 0, ORIENTATION_RIGHTTOP, false, false, false,
             kSixGreys, 2, 3, kTurnedClockwise},
    TiffCase{"turnedTiles", 3, 2, 8, 1, PHOTOMETRIC_MINISBLACK, 0, ORIENTATION_RIGHTTOP, true, false, false,
             kSixGreys, 2, 3, kTurnedClockwise},
    TiffCase{"halfTurn", 3, 2, 8, 1, PHOTOMETRIC_MINISBLACK, 0, ORIENTATION_BOTRIGHT, false, false, false,
             kSixGreys, 3, 2, {grey(60), grey(50), grey(40), grey(30), grey(20), grey(10)}},
    TiffCase{"minIsWhite16", 3, 1, 16, 1, PHOTOMETRIC_MINISWHITE, 0, 1, false, false, false,
             {65535, 0, 0x8000}, 3, 1, {grey(0), grey(255), grey(127)}},
    TiffCase{"inksWithoutProfile", 2, 1, 8, 4, PHOTOMETRIC_SEPARATED, 0, 1, false, false, false,
             {0, 255, 255, 0, 0, 0, 0, 128}, 2, 1, {rgb(255, 0, 0), grey(127)}},
    TiffCase{"separatePlanes", 1, 3, 8, 3, PHOTOMETRIC_RGB, 0, 1, false, true, false,
             {10, 20, 30, 40, 50, 60, 70, 80, 90}, 1, 3, {rgb(10, 20, 30), rgb(40, 50, 60), rgb(70, 80, 90)}},
    TiffCase{"signedGrey", 3, 1, 8, 1, PHOTOMETRIC_MINISBLACK, 0, 1, false, false, true,
             {0x80, 0, 0x7F}, 3, 1, {grey(0), grey(128), grey(255)}}),
    [](const auto &info) { return std::string(info.param.name); });

// A 16-bit linear Rec.2020 photo written as a TIFF with its profile comes
// out as its sRGB rendering; without the profile it would not.
TEST(TiffProfiles, WideGamutPhotoMatchesItsSrgbRendering)
{
    QImage photo(corpusFormatsDir() + QStringLiteral("icc/good/libjxl-testdata/a2d1un_nkitzmiller_2020_g1.png"));
    ASSERT_FALSE(photo.isNull());
    TiffCase c{"photo", std::uint32_t(photo.width()), std::uint32_t(photo.height()), 16, 4, PHOTOMETRIC_RGB,
               EXTRASAMPLE_UNSPECIFIED, 1, false, false, false, {}, photo.width(), photo.height(), {}};
    c.icc = photo.colorSpace().iccProfile();
    ASSERT_FALSE(c.icc.isEmpty());
    photo = photo.convertToFormat(QImage::Format_RGBX64);
    for (int y = 0; y < photo.height(); ++y) {
        const auto *line = reinterpret_cast<const std::uint16_t *>(photo.constScanLine(y));
        c.data.insert(c.data.end(), line, line + 4 * photo.width());
    }
    const Picture reference = referencePicture(corpusFormatsDir() + QStringLiteral("icc/ref/libjxl-testdata/a2d1un_nkitzmiller_srgb8.png"));
    QTemporaryDir dir;
    for (const bool tagged : {true, false}) {
        const QString path = dir.filePath(tagged ? QStringLiteral("tagged.tif") : QStringLiteral("untagged.tif"));
        writeTiff(path, c);
        c.icc.clear();
        const Outcome out = readThrough(openTiffPicture, path, true);
        ASSERT_TRUE(out.complete) << out.message.toStdString();
        const Difference d = tess::testing::compare(out.picture, reference);
        EXPECT_LE(d.maxChannel, tagged ? 3 : 255);
        EXPECT_TRUE(tagged ? d.meanChannel <= 0.5 : d.meanChannel > 10.0) << d.meanChannel;
    }
}

// A flat 0/100/100/0 CMYK patch through its FOGRA39 profile: lcms2's
// perceptual sRGB (227, 6, 20), where the naive rule gives pure red.
TEST(TiffProfiles, CmykPatchGoesThroughItsProfile)
{
    const Outcome out = readThrough(openTiffPicture, corpusFormatsDir() + QStringLiteral("icc/good/sharp/fogra-0-100-100-0.tif"), true);
    ASSERT_TRUE(out.complete) << out.message.toStdString();
    const Colour centre = out.picture.row(out.height / 2)[out.width / 2];
    EXPECT_NEAR(redOf(centre), 227, 4);
    EXPECT_NEAR(greenOf(centre), 6, 4);
    EXPECT_NEAR(blueOf(centre), 20, 4);
}

// Flat AVIFs written here: alpha stored straight or premultiplied, and a
// Display P3 colour recorded as nclx, against worked figures.
struct HeifCase {
    const char *name;
    std::uint8_t pixel[4]; // R, G, B, alpha as stored
    bool premultiplied;
    bool displayP3;
    Colour expected;
};

class HeifColours : public ::testing::TestWithParam<HeifCase> {};

TEST_P(HeifColours, ComeOutAsWorked)
{
    const HeifCase &c = GetParam();
    heif_image *image = nullptr;
    ASSERT_EQ(heif_image_create(16, 16, heif_colorspace_RGB, heif_chroma_interleaved_RGBA, &image).code, heif_error_Ok);
    ASSERT_EQ(heif_image_add_plane(image, heif_channel_interleaved, 16, 16, 8).code, heif_error_Ok);
    int stride = 0;
    std::uint8_t *plane = heif_image_get_plane(image, heif_channel_interleaved, &stride);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            std::memcpy(plane + y * stride + 4 * x, c.pixel, 4);
    heif_image_set_premultiplied_alpha(image, c.premultiplied);
    heif_color_profile_nclx *nclx = heif_nclx_color_profile_alloc();
    heif_nclx_color_profile_set_color_primaries(nclx, c.displayP3 ? heif_color_primaries_SMPTE_EG_432_1 : 1);
    heif_nclx_color_profile_set_transfer_characteristics(nclx, heif_transfer_characteristic_IEC_61966_2_1);
    heif_image_set_nclx_color_profile(image, nclx);
    heif_nclx_color_profile_free(nclx);
    heif_context *context = heif_context_alloc();
    heif_encoder *encoder = nullptr;
    ASSERT_EQ(heif_context_get_encoder_for_format(context, heif_compression_AV1, &encoder).code, heif_error_Ok);
    heif_encoder_set_lossless(encoder, 1);
    EXPECT_EQ(heif_context_encode_image(context, image, encoder, nullptr, nullptr).code, heif_error_Ok);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("flat.avif"));
    EXPECT_EQ(heif_context_write_to_file(context, QFile::encodeName(path).constData()).code, heif_error_Ok);
    heif_encoder_release(encoder);
    heif_context_free(context);
    heif_image_release(image);
    const Outcome out = readThrough(openHeifPicture, path, true);
    ASSERT_TRUE(out.complete) << out.message.toStdString();
    const Colour centre = out.picture.row(8)[8];
    EXPECT_NEAR(redOf(centre), redOf(c.expected), 3);
    EXPECT_NEAR(greenOf(centre), greenOf(c.expected), 3);
    EXPECT_NEAR(blueOf(centre), blueOf(c.expected), 3);
}

INSTANTIATE_TEST_SUITE_P(Flat, HeifColours, ::testing::Values(
    // (200,100,50) at alpha 128 over the matte: (200*128 + 40*127) / 255 = 120.
    HeifCase{"straightAlpha", {200, 100, 50, 128}, false, false, rgb(120, 125, 135)},
    HeifCase{"premultipliedAlpha", {100, 50, 25, 128}, true, false, rgb(120, 125, 135)},
    // P3 (100,200,100): linear (0.127, 0.578, 0.127), through the P3-to-sRGB
    // matrix (0.026, 0.596, 0.092), encoded as sRGB (45, 203, 86).
    HeifCase{"displayP3", {100, 200, 100, 255}, false, true, rgb(45, 203, 86)}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
