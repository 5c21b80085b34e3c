// Every reader over a descriptor that hands out a few bytes at a time and is
// interrupted every other call: the same picture as read from a plain file.
// And over one that fails partway: a cause, not a crash or a picture.
#include "codecs/codec_messages.h"

#include "support/corpus_manifest.h"
#include "support/flaky_reads.h"
#include "support/picture_reading.h"

#include <QFileInfo>

#include <gtest/gtest.h>

using namespace tess;
using namespace tess::testing;

namespace {

constexpr Colour kMatte = rgb(40, 150, 220);

struct KindFile {
    const char *path; // under the corpus
    const char *how;  // the reader's path through it
};

const KindFile kFiles[] = {
    {"bmpsuite/g/rgb24.bmp", "bitmap streamed"},
    {"bmpsuite/g/pal8rle.bmp", "bitmap decoded by Qt"},
    {"jpeg/good/mozilla/jpg-size-32x32.jpg", "JPEG streamed"},
    {"jpeg/good/mozilla/jpg-progressive.jpg", "JPEG decoded whole"},
    {"exif/pillow/hopper_orientation_6.jpg", "JPEG turned"},
    {"formats/png/good/pngsuite/basn2c08.png", "PNG streamed"},
    {"formats/png/good/pngsuite/basi0g01.png", "PNG interlaced"},
    {"formats/gif/good/image-gif/interlaced.gif", "GIF"},
    {"formats/webp/good/libwebp-test-data/test-nostrong.webp", "WebP"},
    {"formats/tiff/good/libtiffpic/zackthecat.tif", "TIFF"},
    {"formats/tiff/good/image-tiff/seq/seq-1c-8b-tiled-lzw-20f3db0c.tiff", "TIFF tiled"},
    {"formats/heif/good/kimageformats/heic-rgb.heic", "HEIC"},
    {"formats/heif/good/kimageformats/avif-rotated270_left-to-right.avif", "AVIF"},
    {"formats/jxl/good/kimageformats/orientation6.jxl", "JPEG XL"},
};

void PrintTo(const KindFile &f, std::ostream *out) { *out << f.path; }

class ShortReads : public ::testing::TestWithParam<KindFile> {};

TEST_P(ShortReads, GiveThePicturePlainReadsGive)
{
    const QString path = QStringLiteral(TESS_CORPUS_DIR "/") + QLatin1String(GetParam().path);
    ASSERT_TRUE(QFileInfo::exists(path)) << GetParam().path;
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
    const QString path = QStringLiteral(TESS_CORPUS_DIR "/") + QLatin1String(GetParam().path);
    flakyCalls = 0;
    const ReadOutcome out = readFile(openByContent, path, kMatte, true, readFailingPastStart);
    EXPECT_GT(flakyCalls, 0);
    EXPECT_FALSE(out.complete);
    const QStringList causes{codecmessages::corrupt(), codecmessages::cannotOpen(), codecmessages::unsupported()};
    EXPECT_TRUE(causes.contains(out.message)) << out.message.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Kinds, ShortReads, ::testing::ValuesIn(kFiles), [](const auto &info) {
    std::string name = info.param.how;
    for (char &c : name) {
        if (!std::isalnum(static_cast<unsigned char>(c)))
            c = '_';
    }
    return name;
});

// Libraries that start threads of their own give the same pixels on one
// thread as on several.
TEST(ReaderThreads, SamePixelsOnOneThreadAsOnSeveral)
{
    for (const char *file : {"formats/jxl/good/kimageformats/orientation6.jxl",
                             "formats/heif/good/kimageformats/heic-rgb.heic",
                             "formats/heif/good/kimageformats/avif-rotated270_left-to-right.avif"}) {
        const QString path = QStringLiteral(TESS_CORPUS_DIR "/") + QLatin1String(file);
        ReadOptions one{kMatte};
        ReadOptions several{kMatte};
        several.threads = 3;
        const ReadOutcome single = readFile(openByContent, path, one);
        const ReadOutcome threaded = readFile(openByContent, path, several);
        ASSERT_TRUE(single.complete && threaded.complete) << file;
        EXPECT_TRUE(single.picture == threaded.picture) << file;
    }
}

} // namespace
