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
    int maxChannel;     // largest per-channel error when read back
    double meanChannel;
    bool refused = false; // then named with the output and the cause
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
    const EncodedThumbnail encoded = encodeThumbnail(c.canvas, settings, path);
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
    if (c.fileType != FileTypePng && c.fileType != FileTypeWebp && c.fileType != FileTypeBitmap) {
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
                      EncodingCase{"BitmapStillExact", FileTypeBitmap, 100, patterned(13, 7), {}, 0, 0.0},
                      EncodingCase{"OutOfRangeIsJpeg", 4, 100, smooth(64, 48), {}, 64, 2.5},
                      EncodingCase{"NegativeIsJpeg", -1, 100, smooth(64, 48), {}, 64, 2.5},
                      EncodingCase{"PngEmpty", FileTypePng, 80, Picture(), {}, 0, 0.0, true},
                      EncodingCase{"WebpEmpty", FileTypeWebp, 80, Picture(), {}, 0, 0.0, true},
                      EncodingCase{"WebpWiderThanItsFormat", FileTypeWebp, 80, Picture(16384, 1), {}, 0, 0.0, true},
                      EncodingCase{"JpegEmpty", FileTypeJpeg, 80, Picture(), {}, 0, 0.0, true}),
    [](const ::testing::TestParamInfo<EncodingCase> &info) { return std::string(info.param.name); });

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
