#include "support/codec_test_support.h"
#include "support/decoded_picture.h"
#include "support/file_bytes.h"
#include "codecs/picture_codecs.h"

#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstring>

using namespace tess;
using namespace tess::testing;

namespace {

const QString kCorrupt = QStringLiteral("画像データが壊れています。");
const QString kTooLarge = QStringLiteral("画像が大きすぎます。");

struct GoodBmp {
    QString file;
    QStringList references;
};

std::vector<GoodBmp> goodBmps()
{
    std::vector<GoodBmp> out;
    for (const QStringList &row : readManifest(QStringLiteral("bmpsuite/MANIFEST.tsv"))) {
        if (row.size() >= 4 && row[1] == QLatin1String("g"))
            out.push_back({row[0], row[3].split(QLatin1Char(';'))});
    }
    return out;
}

std::string nameOf(const ::testing::TestParamInfo<GoodBmp> &info)
{
    QString name = info.param.file;
    name.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9]")), QStringLiteral("_"));
    return name.toStdString();
}

class GoodBmpFile : public ::testing::TestWithParam<GoodBmp> {};

TEST_P(GoodBmpFile, DecodesToItsReference)
{
    const GoodBmp &bmp = GetParam();
    const DecodedPicture decoded = decodePictureFile(corpus(QStringLiteral("bmpsuite/") + bmp.file));
    ASSERT_TRUE(decoded.ok()) << decoded.failure->message.toStdString();
    // Qt widens 5- and 6-bit channels by shifting (31 -> 248), the reference
    // scales them to the full range (31 -> 255).
    const int allowed = bmp.file.contains(QLatin1String("rgb16")) ? 7 : 0;
    int best = 256;
    for (const QString &ref : bmp.references) {
        const Picture reference = loadReference(corpus(QStringLiteral("bmpsuite/") + ref));
        ASSERT_FALSE(reference.isEmpty()) << ref.toStdString();
        best = std::min(best, compare(decoded.picture, reference).maxChannel);
    }
    EXPECT_LE(best, allowed);
}

INSTANTIATE_TEST_SUITE_P(Corpus, GoodBmpFile, ::testing::ValuesIn(goodBmps()), nameOf);

TEST(GoodBmpFile, ManifestListsTheWholeGoodSet)
{
    EXPECT_EQ(goodBmps().size(), 27u);
}

// Questionable and bad files: a failure with a message, or a picture of the size
// the header announces; and the same picture every time (no stray heap content).
TEST(QuestionableAndBadBmp, FailWithMessageOrDecodeTheSameTwice)
{
    QStringList files;
    for (const QString &set : {QStringLiteral("bmpsuite/q"), QStringLiteral("bmpsuite/b"),
                               QStringLiteral("bmpsuite/x"), QStringLiteral("bmp-extra/bad/pillow")}) {
        for (const QString &name : QDir(corpus(set)).entryList({QStringLiteral("*.bmp")}, QDir::Files))
            files << set + QLatin1Char('/') + name;
    }
    ASSERT_GE(files.size(), 60);
    int decoded = 0;
    for (const QString &file : files) {
        SCOPED_TRACE(file.toStdString());
        const DecodedPicture first = decodePictureFile(corpus(file));
        if (!first.ok()) {
            EXPECT_FALSE(first.failure->message.isEmpty());
            EXPECT_EQ(first.failure->file, corpus(file));
            EXPECT_TRUE(first.picture.isEmpty());
            continue;
        }
        ++decoded;
        EXPECT_FALSE(first.picture.isEmpty());
        std::vector<char> churn(std::size_t(first.picture.byteCount()), '\x5A'); // dirty the heap
        const DecodedPicture second = decodePictureFile(corpus(file));
        ASSERT_TRUE(second.ok());
        EXPECT_TRUE(first.picture == second.picture);
    }
    EXPECT_GT(decoded, 20);
}

// Pixels an RLE stream skips, or never reaches, are palette entry 0.
TEST(QuestionableAndBadBmp, RleSkipsShowPaletteEntryZero)
{
    for (const char *name : {"pal4rletrns", "pal8rletrns", "pal4rlecut", "pal8rlecut"}) {
        SCOPED_TRACE(name);
        const DecodedPicture decoded = decodePictureFile(corpus(QStringLiteral("bmpsuite/q/%1.bmp").arg(QLatin1String(name))));
        ASSERT_TRUE(decoded.ok());
        const Picture reference = loadReference(corpus(QStringLiteral("bmpsuite/html/%1-0.png").arg(QLatin1String(name))));
        EXPECT_EQ(compare(decoded.picture, reference).maxChannel, 0);
    }
}

TEST(BadBmp, KnownRejections)
{
    const struct {
        const char *file;
        QString message;
    } cases[] = {
        {"bmpsuite/b/shortfile.bmp", kCorrupt},   // pixel data ends early
        {"bmpsuite/b/reallybig.bmp", kTooLarge},  // 3,000,000 x 2,000,000
        {"bmpsuite/b/badbitcount.bmp", kCorrupt},
        {"bmpsuite/b/badplanes.bmp", kCorrupt},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.file);
        const DecodedPicture decoded = decodePictureFile(corpus(QLatin1String(c.file)));
        ASSERT_FALSE(decoded.ok());
        EXPECT_EQ(decoded.failure->message, c.message);
    }
}

QByteArray bmpHeader(int width, int height, int bits, int payload)
{
    QByteArray b(54 + payload, '\0');
    auto put32 = [&](int at, quint32 v) { for (int i = 0; i < 4; ++i) b[at + i] = char((v >> (8 * i)) & 0xFF); };
    b[0] = 'B';
    b[1] = 'M';
    put32(2, quint32(b.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, quint32(width));
    put32(22, quint32(height));
    b[26] = 1;
    b[28] = char(bits);
    return b;
}

TEST(BadBmp, HugeHeaderRefusedBeforeAnyPixelIsAllocated)
{
    const struct {
        int width, height;
        QString message;
    } cases[] = {
        {20000, 20000, kTooLarge},
        {16385, 16384, kTooLarge},
        {16384, -16385, kTooLarge}, // top-down counts by its size too
        // At the limit the size is allowed, but 1 KB cannot hold the rows.
        {16384, 16384, kCorrupt},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height));
        const DecodedPicture decoded = decodePictureData(bmpHeader(c.width, c.height, 24, 1024), QStringLiteral("big.bmp"));
        ASSERT_FALSE(decoded.ok());
        EXPECT_EQ(decoded.failure->message, c.message);
        EXPECT_EQ(decoded.failure->file, QStringLiteral("big.bmp"));
    }
}

TEST(BadBmp, CutCopiesOfGoodFilesFail)
{
    for (const char *name : {"bmpsuite/g/rgb24.bmp", "bmpsuite/g/pal8.bmp", "bmpsuite/g/rgb32.bmp",
                             "bmpsuite/g/pal1.bmp", "bmpsuite/g/rgb16.bmp", "bmpsuite/g/pal8topdown.bmp",
                             "bmpsuite/g/pal8rle.bmp", "bmpsuite/g/pal4rle.bmp"}) {
        SCOPED_TRACE(name);
        const QByteArray whole = test_files::readBytes(corpus(QLatin1String(name)));
        ASSERT_FALSE(whole.isEmpty());
        ASSERT_TRUE(decodePictureData(whole, QStringLiteral("x.bmp")).ok());
        for (qsizetype cut : {whole.size() / 2, whole.size() - 1}) {
            const DecodedPicture decoded = decodePictureData(whole.left(cut), QStringLiteral("x.bmp"));
            ASSERT_FALSE(decoded.ok()) << "cut at " << cut;
            EXPECT_EQ(decoded.failure->message, kCorrupt);
        }
    }
}

// --- writing ---------------------------------------------------------------

struct BmpSize {
    int width, height;
};

class BmpRoundTrip : public ::testing::TestWithParam<BmpSize> {};

TEST_P(BmpRoundTrip, WriteThenReadIsLossless)
{
    const auto [width, height] = GetParam();
    const Picture picture = photoLike(width, height, unsigned(width * 31 + height));
    const QByteArray bytes = encodeBmp(picture);

    const int stride = (width * 3 + 3) / 4 * 4;
    ASSERT_EQ(bytes.size(), 54 + stride * height);
    const auto u32 = [&](int at) { quint32 v; std::memcpy(&v, bytes.constData() + at, 4); return v; };
    const auto u16 = [&](int at) { return quint16(uchar(bytes[at]) | uchar(bytes[at + 1]) << 8); };
    EXPECT_EQ(bytes.left(2), QByteArray("BM"));
    EXPECT_EQ(u32(2), quint32(bytes.size()));
    EXPECT_EQ(u32(10), 54u);
    EXPECT_EQ(u32(14), 40u);
    EXPECT_EQ(int(u32(18)), width);
    EXPECT_EQ(int(u32(22)), height) << "positive height: bottom-up rows";
    EXPECT_EQ(u16(26), 1);
    EXPECT_EQ(u16(28), 24);
    EXPECT_EQ(u32(30), 0u);
    // First stored pixel is the bottom-left one, as B, G, R.
    const Colour bottomLeft = picture.pixel(0, height - 1);
    EXPECT_EQ(uchar(bytes[54]), blueOf(bottomLeft));
    EXPECT_EQ(uchar(bytes[55]), greenOf(bottomLeft));
    EXPECT_EQ(uchar(bytes[56]), redOf(bottomLeft));
    for (int y = 0; y < height; ++y) // padding is zero
        for (int i = width * 3; i < stride; ++i)
            EXPECT_EQ(bytes[54 + y * stride + i], '\0');

    const DecodedPicture ours = decodePictureData(bytes, QStringLiteral("x.bmp"));
    ASSERT_TRUE(ours.ok());
    EXPECT_TRUE(ours.picture == picture);
    // Qt's own reader agrees, so the file is not merely self-consistent.
    EXPECT_TRUE(Picture::fromImage(QImage::fromData(bytes, "BMP")) == picture);
}

std::vector<BmpSize> bmpSizes()
{
    std::vector<BmpSize> sizes;
    for (int w = 1; w <= 5; ++w)
        for (int h : {1, 2, 3, 7})
            sizes.push_back({w, h});
    sizes.push_back({127, 64});
    return sizes;
}

INSTANTIATE_TEST_SUITE_P(Sizes, BmpRoundTrip, ::testing::ValuesIn(bmpSizes()),
                         [](const ::testing::TestParamInfo<BmpSize> &info) {
                             return std::to_string(info.param.width) + "x" + std::to_string(info.param.height);
                         });

} // namespace
