#include "support/codec_test_support.h"
#include "support/thumbnail_files.h"
#include "thumbs/thumbnail_encoding.h"

#include "codecs/codec_messages.h"

#include <gtest/gtest.h>

using namespace tess;
using namespace tess::testing;

namespace {

// Every pixel differs from its neighbours, so a lost row, a swapped channel
// or a dropped filler byte shows in a lossless file.
Picture patterned(int width, int height)
{
    Picture p(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            p.setPixel(x, y, rgb((x * 37) & 0xFF, (y * 53 + 9) & 0xFF, (x * y + 21) & 0xFF));
    return p;
}

// A photo-like canvas (smooth ramps, one hard colour edge) that a lossy
// encoder keeps close on average; at the edge its halved colour resolution
// may miss by more.
Picture smooth(int width, int height)
{
    Picture p(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            p.setPixel(x, y, x < width / 2 ? rgb(40 + x * 2, 200 - y, 90) : rgb(220, 60 + y, 30 + x));
    return p;
}

struct EncodingCase {
    const char *name;
    int fileType;
    int compression;
    Picture canvas;
    QStringList chunks; // for PNG and WebP: the whole list, nothing else allowed
    int maxChannel;     // largest per-channel error when read back (by the program's own
    double meanChannel; // readers for AVIF and JPEG XL): what each encoder keeps at that quality
    bool refused = false; // then named with the output and the cause
    EncodeOptions options = {};
};

void PrintTo(const EncodingCase &c, std::ostream *out) { *out << c.name; }

class ThumbnailEncoding : public ::testing::TestWithParam<EncodingCase> {};

TEST_P(ThumbnailEncoding, ReadsBackAsTheCanvasAndCarriesNothingElse)
{
    const EncodingCase &c = GetParam();
    ThumbSettings settings;
    settings.FileType = std::int16_t(c.fileType);
    settings.Compression = std::int16_t(c.compression);
    const QString path = QStringLiteral("/out/サムネイル");
    const EncodedThumbnail encoded = encodeThumbnail(c.canvas, settings, path, c.options);
    if (c.refused) {
        ASSERT_FALSE(encoded.ok());
        EXPECT_TRUE(encoded.bytes.isEmpty());
        EXPECT_EQ(encoded.failure->file, path);
        EXPECT_EQ(encoded.failure->message, codecmessages::cannotEncode());
        return;
    }
    ASSERT_TRUE(encoded.ok()) << encoded.failure->text().toStdString();
    EXPECT_EQ(isPng(encoded.bytes), c.fileType == FileTypePng);
    EXPECT_EQ(isWebp(encoded.bytes), c.fileType == FileTypeWebp);
    EXPECT_EQ(isAvif(encoded.bytes), c.fileType == FileTypeAvif);
    EXPECT_EQ(isJxlCodestream(encoded.bytes), c.fileType == FileTypeJpegXl);
    if (c.fileType < FileTypeJpeg || c.fileType > FileTypeJpegXl || c.fileType == FileTypeJpeg) {
        EXPECT_TRUE(encoded.bytes.startsWith("\xFF\xD8")) << "JPEG";
    }
    if (!c.chunks.isEmpty()) {
        EXPECT_EQ(chunkTypes(encoded.bytes), c.chunks);
    }
    if (isPng(encoded.bytes)) {
        EXPECT_EQ(encoded.bytes[24], 8) << "bit depth";
        EXPECT_EQ(encoded.bytes[25], 2) << "colour type RGB";
    }
    const Picture back = decodeThumbnail(encoded.bytes);
    ASSERT_EQ(back.width(), c.canvas.width());
    ASSERT_EQ(back.height(), c.canvas.height());
    const Difference d = compare(back, c.canvas);
    EXPECT_LE(d.maxChannel, c.maxChannel);
    EXPECT_LE(d.meanChannel, c.meanChannel);
}

const QStringList kPngChunks = {"IHDR", "IDAT", "IEND"};
const QStringList kWebpChunks = {"VP8 "};
const QStringList kLosslessWebpChunks = {"VP8L"};
const EncodeOptions kLossless{true};

INSTANTIATE_TEST_SUITE_P(
    Kinds, ThumbnailEncoding,
    ::testing::Values(EncodingCase{"PngOddWidth", FileTypePng, 100, patterned(13, 7), kPngChunks, 0, 0.0},
                      EncodingCase{"PngOnePixel", FileTypePng, 40, patterned(1, 1), kPngChunks, 0, 0.0},
                      EncodingCase{"PngCompressionIgnored", FileTypePng, 0, patterned(640, 3), kPngChunks, 0, 0.0},
                      EncodingCase{"PngLargeOneColumn", FileTypePng, 100, patterned(1, 640), kPngChunks, 0, 0.0},
                      EncodingCase{"WebpBest", FileTypeWebp, 100, smooth(64, 48), kWebpChunks, 64, 2.5},
                      EncodingCase{"WebpLowest", FileTypeWebp, 40, smooth(64, 48), kWebpChunks, 60, 4.0},
                      EncodingCase{"WebpOddSize", FileTypeWebp, 100, smooth(13, 7), kWebpChunks, 64, 6.0},
                      EncodingCase{"WebpClampedBelow", FileTypeWebp, -5, smooth(32, 32), kWebpChunks, 90, 8.0},
                      EncodingCase{"WebpClampedAbove", FileTypeWebp, 32767, smooth(32, 32), kWebpChunks, 64, 2.5},
                      EncodingCase{"WebpLossless", FileTypeWebp, 40, patterned(61, 47), kLosslessWebpChunks, 0, 0.0,
                                   false, kLossless},
                      EncodingCase{"WebpLosslessOnePixel", FileTypeWebp, 100, patterned(1, 1), kLosslessWebpChunks, 0,
                                   0.0, false, kLossless},
                      EncodingCase{"AvifBest", FileTypeAvif, 100, smooth(64, 48), {}, 4, 0.6},
                      EncodingCase{"AvifLowest", FileTypeAvif, 40, smooth(64, 48), {}, 32, 3.0},
                      EncodingCase{"AvifOddSize", FileTypeAvif, 89, smooth(13, 7), {}, 16, 2.0},
                      EncodingCase{"JxlBest", FileTypeJpegXl, 100, smooth(64, 48), {}, 6, 0.3},
                      EncodingCase{"JxlLowest", FileTypeJpegXl, 40, smooth(64, 48), {}, 28, 3.0},
                      EncodingCase{"JxlOddSize", FileTypeJpegXl, 90, smooth(13, 7), {}, 48, 6.0},
                      EncodingCase{"JxlLossless", FileTypeJpegXl, 40, patterned(61, 47), {}, 0, 0.0, false, kLossless},
                      EncodingCase{"JxlLosslessOnePixel", FileTypeJpegXl, 100, patterned(1, 1), {}, 0, 0.0, false,
                                   kLossless},
                      EncodingCase{"BitmapStillExact", FileTypeBitmap, 100, patterned(13, 7), {}, 0, 0.0},
                      EncodingCase{"OutOfRangeIsJpeg", 6, 100, smooth(64, 48), {}, 64, 2.5},
                      EncodingCase{"NegativeIsJpeg", -1, 100, smooth(64, 48), {}, 64, 2.5},
                      EncodingCase{"PngEmpty", FileTypePng, 80, Picture(), {}, 0, 0.0, true},
                      EncodingCase{"WebpEmpty", FileTypeWebp, 80, Picture(), {}, 0, 0.0, true},
                      EncodingCase{"WebpWiderThanItsFormat", FileTypeWebp, 80, Picture(16384, 1), {}, 0, 0.0, true},
                      EncodingCase{"JpegEmpty", FileTypeJpeg, 80, Picture(), {}, 0, 0.0, true},
                      EncodingCase{"AvifEmpty", FileTypeAvif, 80, Picture(), {}, 0, 0.0, true},
                      EncodingCase{"JxlEmpty", FileTypeJpegXl, 80, Picture(), {}, 0, 0.0, true},
                      EncodingCase{"JxlLosslessEmpty", FileTypeJpegXl, 80, Picture(), {}, 0, 0.0, true, kLossless}),
    [](const ::testing::TestParamInfo<EncodingCase> &info) { return std::string(info.param.name); });

// AVIF halves its colour resolution below 90 as JPEG does, and says its
// colour is sRGB: nclx with BT.709 primaries (1), sRGB's transfer (13),
// BT.601's matrix (6), full range.
TEST(ThumbnailEncoding, AvifColourResolutionAndColourSpace)
{
    const std::pair<int, bool> cases[] = {{40, true}, {89, true}, {90, false}, {100, false}};
    for (const auto &[compression, halved] : cases) {
        ThumbSettings settings;
        settings.FileType = FileTypeAvif;
        settings.Compression = std::int16_t(compression);
        const EncodedThumbnail encoded = encodeThumbnail(smooth(32, 24), settings, QStringLiteral("t.avif"));
        ASSERT_TRUE(encoded.ok()) << compression;
        EXPECT_EQ(avifChromaHalved(encoded.bytes), std::optional<bool>(halved)) << compression;
        EXPECT_TRUE(encoded.bytes.contains(QByteArray("colrnclx\x00\x01\x00\x0D\x00\x06\x80", 15))) << compression;
    }
}

// BMP and PNG are lossless anyway: asking for it changes not a byte.
TEST(ThumbnailEncoding, LosslessLeavesTheLosslessKindsAsTheyAre)
{
    for (const int fileType : {FileTypeBitmap, FileTypePng}) {
        ThumbSettings settings;
        settings.FileType = std::int16_t(fileType);
        settings.Compression = 40;
        const EncodedThumbnail plain = encodeThumbnail(patterned(21, 9), settings, QStringLiteral("t"));
        const EncodedThumbnail lossless = encodeThumbnail(patterned(21, 9), settings, QStringLiteral("t"), kLossless);
        ASSERT_TRUE(plain.ok() && lossless.ok()) << fileType;
        EXPECT_EQ(plain.bytes, lossless.bytes) << fileType;
    }
}

TEST(ThumbnailEncoding, WebpCompressionOrdersFileSizes)
{
    ThumbSettings settings;
    settings.FileType = FileTypeWebp;
    qsizetype previous = 0;
    for (const int compression : {40, 70, 100}) {
        settings.Compression = std::int16_t(compression);
        const EncodedThumbnail encoded = encodeThumbnail(patterned(96, 64), settings, QStringLiteral("t.webp"));
        ASSERT_TRUE(encoded.ok());
        EXPECT_GT(encoded.bytes.size(), previous) << compression;
        previous = encoded.bytes.size();
    }
}

} // namespace
