// The TIFF, HEIF/AVIF and JPEG XL readers on what the corpus can't give by
// itself: worked figures for layouts, alpha and colour.
#include "codecs/codec_messages.h"
#include "codecs/heif_reader.h"
#include "codecs/jxl_reader.h"
#include "codecs/picture_codecs.h"
#include "codecs/picture_kinds.h"
#include "codecs/tiff_reader.h"

#include "support/codec_test_support.h"
#include "support/corpus_manifest.h"
#include "support/picture_reading.h"
#include "codecs/open_picture.h"

#include <QColorSpace>
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

// Not white, so that transparency laid over it shows.
constexpr Colour kMatte = rgb(40, 150, 220);

ReadOutcome readThrough(const Opener &open, const QString &path, bool keep)
{
    return readFile(open, path, kMatte, keep);
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
    const ReadOutcome out = readThrough(openAs<PictureKindId::Tiff>, path, true);
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
    const Picture reference = referenceOver(corpusFormatsDir() + QStringLiteral("icc/ref/libjxl-testdata/a2d1un_nkitzmiller_srgb8.png"), kMatte);
    QTemporaryDir dir;
    for (const bool tagged : {true, false}) {
        const QString path = dir.filePath(tagged ? QStringLiteral("tagged.tif") : QStringLiteral("untagged.tif"));
        writeTiff(path, c);
        c.icc.clear();
        const ReadOutcome out = readThrough(openAs<PictureKindId::Tiff>, path, true);
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
    const ReadOutcome out = readThrough(openAs<PictureKindId::Tiff>, corpusFormatsDir() + QStringLiteral("icc/good/sharp/fogra-0-100-100-0.tif"), true);
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
    const ReadOutcome out = readThrough(openAs<PictureKindId::Heif>, path, true);
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

// The reader interleaves libheif's colour planes itself, row by row: the
// samples must be those of libheif's own interleaved output, exactly, for
// every plain 8-bit corpus picture (and with them the colours of every
// thumbnail made from one).
TEST(HeifPlanes, GiveLibheifsOwnInterleavedSamples)
{
    int compared = 0;
    for (const CorpusRow &row : readCorpusManifest(QStringLiteral("heif"))) {
        if (row.expectation != QLatin1String("decode") || (long long)row.width * row.height > 4000 * 3000)
            continue;
        const QString path = corpusFormatsPath(row.path);
        heif_context *context = heif_context_alloc();
        heif_image_handle *handle = nullptr;
        heif_image *image = nullptr;
        const bool plain = heif_context_read_from_file(context, QFile::encodeName(path).constData(), nullptr).code == heif_error_Ok
            && heif_context_get_primary_image_handle(context, &handle).code == heif_error_Ok
            && !heif_image_handle_has_alpha_channel(handle) && heif_image_handle_get_luma_bits_per_pixel(handle) == 8
            && heif_image_handle_get_color_profile_type(handle) != heif_color_profile_type_prof
            && heif_decode_image(handle, &image, heif_colorspace_RGB, heif_chroma_interleaved_RGB, nullptr).code == heif_error_Ok;
        if (plain) {
            const ReadOutcome out = readThrough(openAs<PictureKindId::Heif>, path, true);
            int stride = 0;
            const std::uint8_t *plane = heif_image_get_plane_readonly(image, heif_channel_interleaved, &stride);
            ASSERT_TRUE(out.complete) << row.path.toStdString();
            ASSERT_EQ(out.width, heif_image_get_width(image, heif_channel_interleaved)) << row.path.toStdString();
            long long differing = 0;
            for (int y = 0; y < out.height; ++y) {
                for (int x = 0; x < out.width; ++x) {
                    const std::uint8_t *s = plane + y * stride + 3 * x;
                    differing += out.picture.row(y)[x] != rgb(s[0], s[1], s[2]);
                }
            }
            EXPECT_EQ(differing, 0) << row.path.toStdString();
            ++compared;
        }
        heif_image_release(image);
        heif_image_handle_release(handle);
        heif_context_free(context);
    }
    EXPECT_GE(compared, 20);
}

} // namespace
