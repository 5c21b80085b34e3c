#include "support/codec_test_support.h"
#include "support/decoded_picture.h"
#include "support/file_bytes.h"
#include "codecs/picture_turn.h"
#include "codecs/open_picture.h"
#include "codecs/picture_codecs.h"

#include <QColorSpace>
#include <QDir>
#include <QDirIterator>
#include <QImageReader>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csetjmp>
#include <cstdlib>
#include <sys/resource.h>
#include <cstdio>
#include <jpeglib.h>

using namespace tess;
using namespace tess::testing;

namespace {

const QString kCannotOpen = QStringLiteral("ファイルを開けません。");
const QString kNotAPicture = QStringLiteral("画像ファイルではありません。");
const QString kCorrupt = QStringLiteral("画像データが壊れています。");
const QString kTooLarge = QStringLiteral("画像が大きすぎます。");
const QString kUnsupported = QStringLiteral("この形式の画像には対応していません。");

struct GoodJpeg {
    QString file;
    QString reference; // a PNG or PPM, another JPEG with the same coefficients, or empty
    bool sameCoefficients = false;
};

std::vector<GoodJpeg> goodJpegs()
{
    std::vector<GoodJpeg> out;
    for (const QStringList &row : readManifest(QStringLiteral("jpeg/MANIFEST.tsv"))) {
        if (row.size() < 3 || !row[0].startsWith(QLatin1String("good/")) || !row[0].endsWith(QLatin1String(".jpg")))
            continue;
        if (!row[1].startsWith(QLatin1String("decode")))
            continue;
        GoodJpeg j{row[0], {}, false};
        static const QRegularExpression same(QStringLiteral("^same pixels as (\\S+\\.jpg)$"));
        if (const auto m = same.match(row[2]); m.hasMatch()) {
            j.reference = m.captured(1);
            j.sameCoefficients = true;
        } else if (row[2] != QLatin1String("-")) {
            j.reference = row[2];
        }
        out.push_back(j);
    }
    return out;
}

std::string testName(QString s)
{
    s.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9]")), QStringLiteral("_"));
    return s.toStdString();
}

class GoodJpegFile : public ::testing::TestWithParam<GoodJpeg> {};

TEST_P(GoodJpegFile, DecodesAtItsSizeAndMatchesItsReference)
{
    const GoodJpeg &j = GetParam();
    const QString path = corpus(QStringLiteral("jpeg/") + j.file);
    const DecodedPicture decoded = decodePictureFile(path);
    if (!decoded.ok()) {
        // Only 12-bit files may be refused, and only as unsupported.
        EXPECT_TRUE(j.file.contains(QLatin1String("12.jpg"))) << decoded.failure->message.toStdString();
        EXPECT_EQ(decoded.failure->message, kUnsupported);
        return;
    }
    // Size as Qt's own JPEG reader sees the header (none of these files is rotated).
    QImageReader header(path);
    EXPECT_EQ(decoded.picture.width(), header.size().width());
    EXPECT_EQ(decoded.picture.height(), header.size().height());
    if (j.reference.isEmpty())
        return;
    const Picture reference = j.sameCoefficients
        ? decodePictureFile(corpus(QStringLiteral("jpeg/") + j.reference)).picture
        : loadReference(corpus(QStringLiteral("jpeg/") + j.reference));
    ASSERT_FALSE(reference.isEmpty());
    const Difference d = compare(decoded.picture, reference);
    if (j.sameCoefficients) {
        EXPECT_EQ(d.maxChannel, 0);
    } else {
        // References come from other decoders (float DCT, other upsamplers).
        EXPECT_LE(d.maxChannel, 6);
        EXPECT_LE(d.meanChannel, 1.5);
    }
}

INSTANTIATE_TEST_SUITE_P(Corpus, GoodJpegFile, ::testing::ValuesIn(goodJpegs()),
                         [](const ::testing::TestParamInfo<GoodJpeg> &info) { return testName(info.param.file); });

TEST(GoodJpegFile, ManifestListsTheWholeGoodSet)
{
    EXPECT_EQ(goodJpegs().size(), 50u);
}

TEST(GoodJpegFile, TwelveBitIsUnsupported)
{
    const DecodedPicture decoded = decodePictureFile(corpus(QStringLiteral("jpeg/good/libjpeg-turbo/testorig12.jpg")));
    ASSERT_FALSE(decoded.ok());
    EXPECT_EQ(decoded.failure->message, kUnsupported);
}

// Warnings that leave every row decoded do not make a bad picture.
TEST(GoodJpegFile, RecoverableWarningsGiveThePicture)
{
    for (const char *name : {"good/pillow/jpeg_ff00_header.jpg", "good/jpeg-decoder/partial_progressive.jpg",
                             "bad/jpeg-decoder/extraneous-data.jpg", "bad/pillow/junk_jpeg_header.jpg"}) {
        SCOPED_TRACE(name);
        const DecodedPicture decoded = decodePictureFile(corpus(QStringLiteral("jpeg/") + QLatin1String(name)));
        ASSERT_TRUE(decoded.ok()) << decoded.failure->message.toStdString();
        EXPECT_FALSE(decoded.picture.isEmpty());
    }
    const DecodedPicture extraneous = decodePictureFile(corpus(QStringLiteral("jpeg/bad/jpeg-decoder/extraneous-data.jpg")));
    EXPECT_LE(compare(extraneous.picture, loadReference(corpus(QStringLiteral("jpeg/bad/jpeg-decoder/extraneous-data.png")))).maxChannel, 6);
}

TEST(BadJpegFile, EveryFileFailsWithMessageOrGivesAWellFormedPicture)
{
    QDirIterator it(corpus(QStringLiteral("jpeg/bad")), {QStringLiteral("*.jpg")}, QDir::Files,
                    QDirIterator::Subdirectories);
    int files = 0, failures = 0;
    while (it.hasNext()) {
        const QString path = it.next();
        SCOPED_TRACE(path.toStdString());
        ++files;
        const DecodedPicture decoded = decodePictureFile(path);
        if (decoded.ok()) {
            ASSERT_GT(decoded.picture.width(), 0);
            ASSERT_GT(decoded.picture.height(), 0);
            EXPECT_LE(static_cast<long long>(decoded.picture.width()) * decoded.picture.height(), kMaxPicturePixels);
            EXPECT_EQ(decoded.picture.byteCount(), std::size_t(decoded.picture.width()) * decoded.picture.height() * 4);
        } else {
            ++failures;
            EXPECT_EQ(decoded.failure->file, path);
            EXPECT_TRUE(decoded.failure->message == kCorrupt || decoded.failure->message == kTooLarge
                        || decoded.failure->message == kUnsupported || decoded.failure->message == kNotAPicture)
                << decoded.failure->message.toStdString();
            EXPECT_TRUE(decoded.picture.isEmpty());
        }
    }
    EXPECT_EQ(files, 114);
    EXPECT_GT(failures, 40);
}

TEST(BadJpegFile, KnownOutcomes)
{
    const struct {
        const char *file;
        QString message;
    } cases[] = {
        {"bad/jpeg-decoder/crashtest/imagetestsuite/6903d4538fd33c8fd0ded32cb30d618e.jpg", kTooLarge}, // 49157x27397
        {"bad/jpeg-decoder/crashtest/max_size.jpg", kTooLarge},
        {"bad/jpeg-decoder/crashtest/empty.jpg", kNotAPicture},
        {"bad/jpeg-decoder/crashtest/missing-sof.jpg", kCorrupt},
        {"bad/jpeg-decoder/crashtest/missing-sos.jpg", kCorrupt},
        {"bad/jpeg-decoder/crashtest/null_height.jpg", kCorrupt},
        {"bad/jpeg-decoder/crashtest/invalid-dimensions.jpg", kCorrupt},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.file);
        const DecodedPicture decoded = decodePictureFile(corpus(QStringLiteral("jpeg/") + QLatin1String(c.file)));
        ASSERT_FALSE(decoded.ok());
        EXPECT_EQ(decoded.failure->message, c.message);
    }
}

// Start-of-frame height and width patched into a small valid JPEG.
QByteArray withFrameSize(QByteArray jpeg, int width, int height, char frameMarker = '\xC0')
{
    const qsizetype sof = jpeg.indexOf(QByteArray("\xFF", 1) + frameMarker);
    if (sof < 0)
        return {};
    jpeg[sof + 5] = char(height >> 8);
    jpeg[sof + 6] = char(height & 0xFF);
    jpeg[sof + 7] = char(width >> 8);
    jpeg[sof + 8] = char(width & 0xFF);
    return jpeg;
}

TEST(BadJpegFile, HugeFrameRefusedBeforeAnyPixelIsAllocated)
{
    const auto small = encodeJpeg(photoLike(16, 16), {90, false, false}, QStringLiteral("s.jpg"));
    ASSERT_TRUE(small);
    for (auto [w, h] : {std::pair{20000, 20000}, {16385, 16384}, {65500, 65500}}) {
        SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
        const DecodedPicture decoded = decodePictureData(withFrameSize(*small, w, h), QStringLiteral("huge.jpg"));
        ASSERT_FALSE(decoded.ok());
        EXPECT_EQ(decoded.failure->message, kTooLarge);
        EXPECT_EQ(decoded.failure->file, QStringLiteral("huge.jpg"));
    }
}

TEST(BadJpegFile, CutCopiesOfGoodFilesFail)
{
    for (const char *name : {"good/pillow/hopper.jpg", "good/libjpeg-turbo/testorig.jpg",
                             "good/libjpeg-turbo/testimgp.jpg", "good/libjpeg-turbo/testimgari.jpg",
                             "good/jpeg-decoder/progressive3.jpg"}) {
        SCOPED_TRACE(name);
        const QByteArray whole = test_files::readBytes(corpus(QStringLiteral("jpeg/") + QLatin1String(name)));
        ASSERT_TRUE(decodePictureData(whole, QStringLiteral("x.jpg")).ok());
        for (qsizetype cut : {whole.size() / 2, whole.size() * 9 / 10}) {
            const DecodedPicture decoded = decodePictureData(whole.left(cut), QStringLiteral("x.jpg"));
            ASSERT_FALSE(decoded.ok()) << "cut at " << cut;
            EXPECT_EQ(decoded.failure->message, kCorrupt);
        }
    }
    // Also through a file, the path the batch takes.
    QTemporaryDir dir;
    const QString cutFile = dir.filePath(QStringLiteral("cut.jpg"));
    const QByteArray whole = test_files::readBytes(corpus(QStringLiteral("jpeg/good/pillow/hopper.jpg")));
    ASSERT_TRUE(writeAll(cutFile, whole.left(whole.size() / 2)));
    const DecodedPicture decoded = decodePictureFile(cutFile);
    ASSERT_FALSE(decoded.ok());
    EXPECT_EQ(decoded.failure->file, cutFile);
}

TEST(BadJpegFile, CutCopiesClosedWithAnEndMarkerFailToo)
{
    // The marker makes the decoder stop where the data does, without running
    // out of bytes; the rows below are just as missing.
    for (const char *name : {"good/pillow/hopper.jpg", "good/libjpeg-turbo/testorig.jpg",
                             "good/libjpeg-turbo/testimgp.jpg", "good/jpeg-decoder/progressive3.jpg",
                             "good/jpeg-decoder/restarts.jpg", "good/mozilla/jpg-progressive.jpg",
                             "good/libjpeg-turbo/testimgari.jpg"}) {
        SCOPED_TRACE(name);
        const QByteArray whole = test_files::readBytes(corpus(QStringLiteral("jpeg/") + QLatin1String(name)));
        ASSERT_TRUE(decodePictureData(whole, QStringLiteral("x.jpg")).ok());
        // The arithmetic decoder says nothing of the marker; a cut in the last
        // row of blocks goes unseen there.
        const bool arithmetic = QByteArray(name).contains("ari");
        std::vector<qsizetype> cuts = {whole.size() / 3, whole.size() / 2, whole.size() * 3 / 4};
        if (!arithmetic)
            cuts.push_back(whole.size() * 9 / 10);
        for (qsizetype cut : cuts) {
            const QByteArray closed = whole.left(cut) + QByteArray("\xFF\xD9", 2);
            const DecodedPicture decoded = decodePictureData(closed, QStringLiteral("x.jpg"));
            ASSERT_FALSE(decoded.ok()) << "cut at " << cut;
            EXPECT_EQ(decoded.failure->message, kCorrupt);
        }
    }
}

TEST(BadJpegFile, ASmallProgressiveFileClaimingTheLargestSizeTakesLittleMemory)
{
    // A progressive file keeps every coefficient of the picture until its last
    // scan; for 16384 x 16384 that store alone would outweigh the largest
    // picture's pixel buffer.
    const QByteArray small = test_files::readBytes(corpus(QStringLiteral("jpeg/good/mozilla/jpg-progressive.jpg")));
    const QByteArray huge = withFrameSize(small, 16384, 16384, '\xC2');
    ASSERT_FALSE(huge.isEmpty());
    EXPECT_EXIT(
        {
            const DecodedPicture decoded = decodePictureData(huge, QStringLiteral("huge.jpg"));
            struct rusage usage {};
            ::getrusage(RUSAGE_SELF, &usage);
            const bool refused = !decoded.ok() && decoded.failure->message == kTooLarge;
            std::exit(refused && usage.ru_maxrss < 400 * 1024 ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
    // A progressive picture of an ordinary size is still read.
    const DecodedPicture normal = decodePictureData(withFrameSize(small, 640, 480, '\xC2'), QStringLiteral("n.jpg"));
    EXPECT_TRUE(normal.ok() || normal.failure->message == kCorrupt) << "not refused as too large";
}

TEST(BadJpegFile, MissingEndMarkerAloneIsNotACut)
{
    // Every entropy-coded byte is there; only the final marker is gone.
    for (const char *name : {"good/pillow/hopper.jpg", "good/libjpeg-turbo/testimgp.jpg"}) {
        SCOPED_TRACE(name);
        const QByteArray whole = test_files::readBytes(corpus(QStringLiteral("jpeg/") + QLatin1String(name)));
        ASSERT_TRUE(whole.endsWith("\xFF\xD9"));
        const DecodedPicture decoded = decodePictureData(whole.chopped(2), QStringLiteral("x.jpg"));
        ASSERT_TRUE(decoded.ok());
        EXPECT_TRUE(decoded.picture == decodePictureData(whole, QStringLiteral("x.jpg")).picture);
    }
}

// --- EXIF orientation ------------------------------------------------------

struct Oriented {
    QString file;
    QString upright;
    double allowedMean;
};

std::vector<Oriented> orientedFiles()
{
    std::vector<Oriented> out;
    for (int tag = 0; tag <= 8; ++tag)
        out.push_back({QStringLiteral("exif/recurser/Portrait_%1.jpg").arg(tag), QStringLiteral("exif/recurser/Portrait_1.jpg"), 4.0});
    // Re-encoded after turning: a little further from the original.
    for (int tag = 2; tag <= 8; ++tag)
        out.push_back({QStringLiteral("exif/pillow/hopper_orientation_%1.jpg").arg(tag),
                       QStringLiteral("exif/pillow/hopper_orientation_none.jpg"), 8.0});
    return out;
}

class OrientedJpeg : public ::testing::TestWithParam<Oriented> {};

TEST_P(OrientedJpeg, TurnedUpright)
{
    const Oriented &o = GetParam();
    const DecodedPicture decoded = decodePictureFile(corpus(o.file));
    const DecodedPicture upright = decodePictureFile(corpus(o.upright));
    ASSERT_TRUE(decoded.ok());
    ASSERT_TRUE(upright.ok());
    ASSERT_EQ(decoded.picture.width(), upright.picture.width());
    ASSERT_EQ(decoded.picture.height(), upright.picture.height());
    EXPECT_LE(compare(decoded.picture, upright.picture).meanChannel, o.allowedMean);
    // The upright size is known at opening, before a pixel is decoded.
    const OpenedPicture opened = openPicture(corpus(o.file));
    ASSERT_TRUE(opened.ok());
    EXPECT_EQ(turnOf(opened.rows->orientation()).upright(QSize(opened.rows->width(), opened.rows->height())),
              QSize(upright.picture.width(), upright.picture.height()));
}

INSTANTIATE_TEST_SUITE_P(Corpus, OrientedJpeg, ::testing::ValuesIn(orientedFiles()),
                         [](const ::testing::TestParamInfo<Oriented> &info) { return testName(info.param.file); });

TEST(OrientedJpeg, WrongTurnWouldBeSeen)
{
    // The tolerance above separates right from wrong: a mirrored picture is far off.
    const DecodedPicture upright = decodePictureFile(corpus(QStringLiteral("exif/pillow/hopper_orientation_none.jpg")));
    const Picture mirrored = Picture::fromImage(upright.picture.toImage().mirrored(true, false));
    EXPECT_GT(compare(mirrored, upright.picture).meanChannel, 20.0);
}

TEST(OrientedJpeg, QuarterTurnSwapsTheSides)
{
    const DecodedPicture decoded = decodePictureFile(corpus(QStringLiteral("exif/pillow/orientation_rectangle.jpg")));
    ASSERT_TRUE(decoded.ok());
    EXPECT_EQ(decoded.picture.width(), 1);
    EXPECT_EQ(decoded.picture.height(), 2);
}

// --- colour profiles -------------------------------------------------------

// The JPEG without its ICC profile: the segments before the first scan that
// carry one left out.
QByteArray withoutProfile(const QByteArray &jpeg)
{
    QByteArray out = jpeg.left(2);
    qsizetype at = 2;
    while (at + 4 <= jpeg.size() && uchar(jpeg[at]) == 0xFF && uchar(jpeg[at + 1]) != 0xDA) {
        const qsizetype length = 2 + (uchar(jpeg[at + 2]) << 8 | uchar(jpeg[at + 3]));
        if (uchar(jpeg[at + 1]) != 0xE2 || !jpeg.mid(at + 4, 12).startsWith("ICC_PROFILE"))
            out += jpeg.mid(at, length);
        at += length;
    }
    return out + jpeg.mid(at);
}

enum class Expect {
    AsUntagged,      // an sRGB profile: the very pixels of the file without it
    AsQtConverts,    // what Qt's own colour conversion makes of it
    ChannelsRotated, // a profile that swaps channels: untagged (r, g, b) shown as (g, b, r)
};

struct TaggedJpeg {
    const char *file;
    Expect expect;
    int maxChannel;
    double meanChannel;
};

Picture rotatedChannels(const Picture &picture)
{
    Picture out = picture;
    for (int y = 0; y < out.height(); ++y)
        for (int x = 0; x < out.width(); ++x) {
            const Colour c = picture.row(y)[x];
            out.row(y)[x] = rgb(greenOf(c), blueOf(c), redOf(c));
        }
    return out;
}

class TaggedJpegFile : public ::testing::TestWithParam<TaggedJpeg> {};

TEST_P(TaggedJpegFile, ConvertedToSrgbThroughItsProfile)
{
    const TaggedJpeg &t = GetParam();
    const QString path = corpus(QLatin1String(t.file));
    const DecodedPicture decoded = decodePictureFile(path);
    ASSERT_TRUE(decoded.ok()) << decoded.failure->message.toStdString();
    const DecodedPicture untagged = decodePictureData(withoutProfile(test_files::readBytes(path)), QStringLiteral("u.jpg"));
    ASSERT_TRUE(untagged.ok());
    if (t.expect == Expect::AsUntagged) {
        EXPECT_TRUE(decoded.picture == untagged.picture);
        return;
    }
    Picture reference;
    if (t.expect == Expect::ChannelsRotated) {
        reference = rotatedChannels(untagged.picture);
    } else {
        QImageReader reader(path);
        reader.setAutoTransform(true);
        QImage image = reader.read();
        ASSERT_TRUE(image.colorSpace().isValid());
        image.convertToColorSpace(QColorSpace::SRgb);
        reference = Picture::fromImage(image);
    }
    const Difference d = compare(decoded.picture, reference);
    EXPECT_LE(d.maxChannel, t.maxChannel);
    EXPECT_LE(d.meanChannel, t.meanChannel);
    // The profile really mattered: the samples as they are lie far off.
    EXPECT_GT(compare(untagged.picture, reference).meanChannel, 5.0);
}

INSTANTIATE_TEST_SUITE_P(
    Corpus, TaggedJpegFile,
    ::testing::Values(TaggedJpeg{"formats/icc/good/libavif/paris_exif_xmp_icc.jpg", Expect::AsUntagged, 0, 0},
                      TaggedJpeg{"jpeg/good/pillow/pil_sample_rgb.jpg", Expect::AsUntagged, 0, 0},
                      TaggedJpeg{"jpeg/good/mozilla/jpg-srgb-icc.jpg", Expect::AsUntagged, 0, 0},
                      TaggedJpeg{"formats/icc/good/image-rs/portrait_2.jpg", Expect::AsQtConverts, 2, 0.1},
                      TaggedJpeg{"formats/icc/good/libjxl-testdata/sideways_bench.jpg", Expect::ChannelsRotated, 1,
                                 0.05}),
    [](const ::testing::TestParamInfo<TaggedJpeg> &info) { return testName(QLatin1String(info.param.file)); });

// --- files and content -----------------------------------------------------

TEST(PictureFile, DecodedByContentNotName)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const struct {
        const char *original;
        const char *renamed;
    } cases[] = {
        {"jpeg/good/pillow/hopper.jpg", "写真.bmp"},
        {"bmpsuite/g/rgb24.bmp", "really-a-bitmap.jpg"},
        {"formats/png/good/pngsuite/basn2c08.png", "screenshot.jpg"},
        {"formats/gif/good/image-gif/beacon.gif", "saved.webp"},
        {"formats/webp/good/image-webp/animated-random_lossy.webp", "from-the-web.png"},
        {"formats/tiff/good/image-tiff/BigTIFF.tif", "scan.heic"},
        {"formats/jxl/good/conformance/alpha_nonpremultiplied.jxl", "new.gif"},
        {"formats/heif/good/kimageformats/heic-rgb.heic", "IMG_0001.jpg"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.renamed);
        const QString renamed = dir.filePath(QString::fromUtf8(c.renamed));
        ASSERT_TRUE(QFile::copy(corpus(QString::fromUtf8(c.original)), renamed));
        const DecodedPicture decoded = decodePictureFile(renamed);
        ASSERT_TRUE(decoded.ok());
        EXPECT_TRUE(decoded.picture == decodePictureFile(corpus(QString::fromUtf8(c.original))).picture);
    }
    // A PNG a JPEG collection keeps as a broken JPEG.
    const DecodedPicture png = decodePictureFile(corpus(QStringLiteral("jpeg/bad/mozilla/jpg-size-6x6.jpg")));
    ASSERT_TRUE(png.ok());
    EXPECT_EQ(png.picture.width(), 6);
}

TEST(PictureFile, FailuresNameTheFile)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString text = dir.filePath(QStringLiteral("notes.jpg"));
    ASSERT_TRUE(writeAll(text, "just some words\n"));
    const QString empty = dir.filePath(QStringLiteral("empty.bmp"));
    ASSERT_TRUE(writeAll(empty, QByteArray()));
    // A kind's first bytes and nothing after: its reader's to refuse.
    const QString jpegStart = dir.filePath(QStringLiteral("start.jpg"));
    ASSERT_TRUE(writeAll(jpegStart, QByteArray("\xFF\xD8", 2)));
    const QString bmpStart = dir.filePath(QStringLiteral("start.bmp"));
    ASSERT_TRUE(writeAll(bmpStart, QByteArray("BM")));
    const QString oneByte = dir.filePath(QStringLiteral("one.jpg"));
    ASSERT_TRUE(writeAll(oneByte, QByteArray("\xFF", 1)));
    const struct {
        QString path;
        QString message;
    } cases[] = {
        {dir.filePath(QStringLiteral("missing.jpg")), kCannotOpen},
        {dir.path(), kCannotOpen},
        {text, kNotAPicture},
        {empty, kNotAPicture},
        {jpegStart, kCorrupt},
        {bmpStart, kCorrupt},
        {oneByte, kNotAPicture},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        const DecodedPicture decoded = decodePictureFile(c.path);
        ASSERT_FALSE(decoded.ok());
        EXPECT_EQ(decoded.failure->file, c.path);
        EXPECT_EQ(decoded.failure->message, c.message);
        EXPECT_TRUE(decoded.failure->text().startsWith(c.path));
    }
}

// --- writing ---------------------------------------------------------------

struct Sampling {
    int h = 0, v = 0;
};

// Luma sampling factors from the file's frame header, read with libjpeg itself.
Sampling lumaSampling(const QByteArray &jpeg)
{
    jpeg_decompress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char *>(jpeg.constData()), jpeg.size());
    jpeg_read_header(&info, TRUE);
    const Sampling s{info.comp_info[0].h_samp_factor, info.comp_info[0].v_samp_factor};
    jpeg_destroy_decompress(&info);
    return s;
}

Picture smoothPicture(int width, int height)
{
    Picture p(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            p.setPixel(x, y, rgb(40 + x * 2, 30 + y * 3, 220 - x - y));
    return p;
}

TEST(JpegWriting, QualityHundredReadsBackClose)
{
    const Picture smooth = smoothPicture(97, 61);
    const Picture edges = photoLike(97, 61);
    double edgeError[2] = {};
    for (bool fullChroma : {true, false}) {
        SCOPED_TRACE(fullChroma ? "4:4:4" : "4:2:0");
        const auto bytes = encodeJpeg(smooth, {100, fullChroma, true}, QStringLiteral("t.jpg"));
        ASSERT_TRUE(bytes);
        const Sampling s = lumaSampling(*bytes);
        EXPECT_EQ(s.h, fullChroma ? 1 : 2);
        EXPECT_EQ(s.v, fullChroma ? 1 : 2);
        const DecodedPicture back = decodePictureData(*bytes, QStringLiteral("t.jpg"));
        ASSERT_TRUE(back.ok());
        const Difference d = compare(back.picture, smooth);
        // Colour conversion and the DCT each round; quality 100 adds almost nothing.
        EXPECT_LE(d.maxChannel, 5);
        EXPECT_LE(d.meanChannel, 1.0);

        const auto edgeBytes = encodeJpeg(edges, {100, fullChroma, true}, QStringLiteral("t.jpg"));
        ASSERT_TRUE(edgeBytes);
        edgeError[fullChroma] = compare(decodePictureData(*edgeBytes, QStringLiteral("t.jpg")).picture, edges).meanChannel;
    }
    // Full-resolution colour keeps hard colour edges that 4:2:0 blurs.
    EXPECT_LT(edgeError[1], edgeError[0]);
    EXPECT_LE(edgeError[1], 1.0);
}

TEST(JpegWriting, QualityIsClampedAndOrdered)
{
    const Picture picture = photoLike(64, 48);
    const auto at = [&](int quality) { return *encodeJpeg(picture, {quality, false, false}, QStringLiteral("q.jpg")); };
    EXPECT_EQ(at(0), at(1));
    EXPECT_EQ(at(-20), at(1));
    EXPECT_EQ(at(101), at(100));
    EXPECT_EQ(at(1000), at(100));
    EXPECT_LT(at(1).size(), at(50).size());
    EXPECT_LT(at(50).size(), at(100).size());
    EXPECT_GT(compare(decodePictureData(at(1), QStringLiteral("q.jpg")).picture, picture).meanChannel,
              compare(decodePictureData(at(90), QStringLiteral("q.jpg")).picture, picture).meanChannel);
}

TEST(JpegWriting, OptimisedHuffmanIsSmallerWithTheSamePixels)
{
    const Picture picture = photoLike(80, 80);
    const auto plain = encodeJpeg(picture, {85, false, false}, QStringLiteral("h.jpg"));
    const auto optimised = encodeJpeg(picture, {85, false, true}, QStringLiteral("h.jpg"));
    ASSERT_TRUE(plain && optimised);
    EXPECT_LT(optimised->size(), plain->size());
    EXPECT_TRUE(decodePictureData(*plain, QStringLiteral("h.jpg")).picture
                == decodePictureData(*optimised, QStringLiteral("h.jpg")).picture);
}

TEST(JpegWriting, OddSizesAndOnePixel)
{
    for (auto [w, h] : {std::pair{1, 1}, {1, 17}, {17, 1}, {15, 9}}) {
        SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
        const Picture picture = photoLike(w, h);
        const auto bytes = encodeJpeg(picture, {100, true, true}, QStringLiteral("o.jpg"));
        ASSERT_TRUE(bytes);
        const DecodedPicture back = decodePictureData(*bytes, QStringLiteral("o.jpg"));
        ASSERT_TRUE(back.ok());
        EXPECT_EQ(back.picture.width(), w);
        EXPECT_EQ(back.picture.height(), h);
        EXPECT_LE(compare(back.picture, picture).maxChannel, 12);
    }
}

TEST(JpegWriting, EmptyPictureIsAFailureNamingTheFile)
{
    Failure failure;
    EXPECT_FALSE(encodeJpeg(Picture(), {}, QStringLiteral("out.jpg"), &failure));
    EXPECT_EQ(failure.file, QStringLiteral("out.jpg"));
    EXPECT_FALSE(failure.message.isEmpty());
}

} // namespace
