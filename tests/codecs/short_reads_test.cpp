// Every reader over a descriptor that hands out a few bytes at a time and is
// interrupted every other call: the same picture as read from a plain file.
// And over one that fails partway: a cause, not a crash or a picture.
#include "codecs/codec_messages.h"

#include "support/codec_test_support.h"
#include "support/flaky_reads.h"
#include "support/picture_reading.h"

#include <QFileInfo>

#include <gtest/gtest.h>

using namespace tess;
using namespace tess::testing;

namespace {

constexpr Colour kMatte = rgb(40, 150, 220);

// Each file takes its reader down a path of its own: named after that path.
const std::pair<const char *, const char *> kFiles[] = {
    {"BitmapStreamed", "bmpsuite/g/rgb24.bmp"},
    {"BitmapDecodedByQt", "bmpsuite/g/pal8rle.bmp"},
    {"JpegStreamed", "jpeg/good/mozilla/jpg-size-32x32.jpg"},
    {"JpegDecodedWhole", "jpeg/good/mozilla/jpg-progressive.jpg"},
    {"JpegTurned", "exif/pillow/hopper_orientation_6.jpg"},
    {"PngStreamed", "formats/png/good/pngsuite/basn2c08.png"},
    {"PngInterlaced", "formats/png/good/pngsuite/basi0g01.png"},
    {"Gif", "formats/gif/good/image-gif/interlaced.gif"},
    {"Webp", "formats/webp/good/libwebp-test-data/test-nostrong.webp"},
    {"Tiff", "formats/tiff/good/libtiffpic/zackthecat.tif"},
    {"TiffTiled", "formats/tiff/good/image-tiff/seq/seq-1c-8b-tiled-lzw-20f3db0c.tiff"},
    {"Heic", "formats/heif/good/kimageformats/heic-rgb.heic"},
    {"Avif", "formats/heif/good/kimageformats/avif-rotated270_left-to-right.avif"},
    {"JpegXl", "formats/jxl/good/kimageformats/orientation6.jxl"},
};

class ShortReads : public ::testing::TestWithParam<std::pair<const char *, const char *>> {};

TEST_P(ShortReads, GiveThePicturePlainReadsGive)
{
    const QString path = corpus(QLatin1String(GetParam().second));
    ASSERT_TRUE(QFileInfo::exists(path)) << path.toStdString();
    const ReadOutcome plain = readFile(openByContent, path, kMatte);
    ASSERT_TRUE(plain.complete) << plain.message.toStdString();
    flakyCalls = 0;
    const ReadOutcome flaky = readFile(openByContent, path, kMatte, true, shortAndInterruptedRead);
    EXPECT_GT(flakyCalls, 4) << "the stand-in was not read through";
    ASSERT_TRUE(flaky.complete) << flaky.message.toStdString();
    EXPECT_EQ(flaky.width, plain.width);
    EXPECT_EQ(flaky.height, plain.height);
    EXPECT_TRUE(flaky.picture == plain.picture);
}

TEST_P(ShortReads, AFailingDiskGivesACause)
{
    flakyCalls = 0;
    const ReadOutcome out = readFile(openByContent, corpus(QLatin1String(GetParam().second)), kMatte, true,
                                     readFailingPastStart);
    EXPECT_GT(flakyCalls, 0);
    EXPECT_FALSE(out.complete);
    const QStringList causes{codecmessages::corrupt(), codecmessages::cannotOpen(), codecmessages::unsupported()};
    EXPECT_TRUE(causes.contains(out.message)) << out.message.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Kinds, ShortReads, ::testing::ValuesIn(kFiles),
                         [](const auto &info) { return std::string(info.param.first); });

// Libraries that start threads of their own give the same pixels on one
// thread as on several.
TEST(ReaderThreads, SamePixelsOnOneThreadAsOnSeveral)
{
    for (const char *file : {"formats/jxl/good/kimageformats/orientation6.jxl",
                             "formats/heif/good/kimageformats/heic-rgb.heic",
                             "formats/heif/good/kimageformats/avif-rotated270_left-to-right.avif"}) {
        ReadOptions several{kMatte};
        several.threads = 3;
        const ReadOutcome single = readFile(openByContent, corpus(QLatin1String(file)), kMatte);
        const ReadOutcome threaded = readFile(openByContent, corpus(QLatin1String(file)), several);
        ASSERT_TRUE(single.complete && threaded.complete) << file;
        EXPECT_TRUE(single.picture == threaded.picture) << file;
    }
}

} // namespace
