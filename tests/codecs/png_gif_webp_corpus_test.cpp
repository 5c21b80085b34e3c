// The PNG, GIF and WebP readers over the shared corpus: every file the
// manifest says must decode comes out at its size and, where a rendering is
// given, with its pixels; every hostile file is refused or read in part,
// never a crash. Then a few cases the corpus can't give by itself: files cut
// short, an orientation added or taken away, bombs told by their cause.
#include "codecs/codec_messages.h"
#include "codecs/exif_orientation.h"
#include "codecs/gif_reader.h"
#include "codecs/png_reader.h"
#include "codecs/webp_reader.h"
#include "support/codec_test_support.h"
#include "support/corpus_manifest.h"

#include <QCryptographicHash>
#include <QFile>
#include <QImage>
#include <QtEndian>
#include <QTemporaryDir>

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <map>

using namespace tess;
using tess::testing::compare;
using tess::testing::readAll;
using tess::testing::CorpusRow;
using tess::testing::corpusFormatsPath;

namespace {

constexpr Colour kMatte = rgb(40, 160, 220); // no picture's own colour

struct Outcome {
    bool opened = false;
    bool complete = false; // every row read and the stream finished
    QString message;
    Picture picture;
    std::size_t workingBytes = 0;
};

Outcome readBytes(const QByteArray &bytes, Colour matte = kMatte)
{
    Outcome o;
    const int fd = ::memfd_create("picture", MFD_CLOEXEC);
    if (fd < 0 || ::write(fd, bytes.constData(), std::size_t(bytes.size())) != ssize_t(bytes.size()))
        return o;
    const auto *head = reinterpret_cast<const unsigned char *>(bytes.constData());
    const std::size_t size = std::size_t(bytes.size());
    OpenedPicture opened = isPng(head, size) ? openPngPicture(fd, {matte})
        : isGif(head, size)                  ? openGifPicture(fd, {matte})
        : isWebp(head, size)                 ? openWebpPicture(fd, {matte})
                                             : (::close(fd), OpenedPicture::refused(codecmessages::notAPicture()));
    if (!opened.ok()) {
        o.message = opened.message;
        return o;
    }
    o.opened = true;
    RowStream &rows = *opened.rows;
    o.workingBytes = rows.workingBytes();
    o.picture = Picture(rows.width(), rows.height());
    bool ok = true;
    constexpr int kBand = 7; // bands that don't divide the pictures evenly
    for (int y = 0; ok && y < rows.height(); y += kBand) {
        const int count = std::min(kBand, rows.height() - y);
        Colour *band[kBand];
        for (int i = 0; i < count; ++i)
            band[i] = o.picture.row(y + i);
        ok = rows.readRows(band, count);
    }
    o.complete = ok && rows.finish();
    if (!o.complete)
        o.message = rows.message();
    return o;
}

// A rendering with its transparent parts laid over the matte, by the same
// rounding the readers use.
Picture reference(const QString &path, Colour matte)
{
    const QImage image = QImage(path).convertToFormat(QImage::Format_ARGB32);
    Picture p(image.width(), image.height());
    const auto over = [](int v, int a, int m) { return (v * a + m * (255 - a) + 127) / 255; };
    for (int y = 0; y < image.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const int a = qAlpha(line[x]);
            p.row(y)[x] = rgb(over(qRed(line[x]), a, redOf(matte)), over(qGreen(line[x]), a, greenOf(matte)),
                              over(qBlue(line[x]), a, blueOf(matte)));
        }
    }
    return p;
}

// dwebp's .ppm sums for the libwebp test pictures, by file name.
const std::map<QString, QByteArray> &ppmSums()
{
    static const std::map<QString, QByteArray> sums = [] {
        std::map<QString, QByteArray> m;
        const QList<QByteArray> lines
            = readAll(corpusFormatsPath(QStringLiteral("webp/ref/libwebp-test-data/libwebp_tests.md5"))).split('\n');
        for (const QByteArray &line : lines) {
            const QList<QByteArray> f = line.simplified().split(' ');
            if (f.size() == 2 && f[1].endsWith(".webp.ppm"))
                m[QString::fromLatin1(f[1].chopped(4))] = f[0];
        }
        return m;
    }();
    return sums;
}

QByteArray ppmSum(const Picture &p)
{
    QByteArray ppm = QStringLiteral("P6\n%1 %2\n255\n").arg(p.width()).arg(p.height()).toLatin1();
    for (int y = 0; y < p.height(); ++y) {
        for (int x = 0; x < p.width(); ++x) {
            const Colour c = p.row(y)[x];
            ppm.append(char(redOf(c))).append(char(greenOf(c))).append(char(blueOf(c)));
        }
    }
    return QCryptographicHash::hash(ppm, QCryptographicHash::Md5).toHex();
}

// Largest difference a rendering may show: converted through a profile, the
// references were made with another engine and intent; otherwise exact but
// for 16-bit samples rounded to 8 on either side.
int toleranceFor(const CorpusRow &e)
{
    return e.reference.startsWith(QLatin1String("icc/")) ? 8 : 1;
}

std::vector<CorpusRow> corpusRows()
{
    std::vector<CorpusRow> rows;
    for (const char *kind : {"png", "gif", "webp", "icc"}) {
        for (const CorpusRow &e : tess::testing::readCorpusManifest(QLatin1String(kind))) {
            const bool ours = e.format == QLatin1String("png") || e.format == QLatin1String("gif")
                || e.format == QLatin1String("webp");
            if (ours && e.expectation != QLatin1String("reference"))
                rows.push_back(e);
        }
    }
    return rows;
}

} // namespace

namespace {

class CorpusTest : public ::testing::TestWithParam<CorpusRow> {};

TEST_P(CorpusTest, ReadsAsTheManifestSays)
{
    const CorpusRow &e = GetParam();
    const Outcome o = readBytes(readAll(corpusFormatsPath(e.path)));
    if (!o.complete) {
        const QStringList causes{codecmessages::corrupt(), codecmessages::tooLarge(), codecmessages::unsupported(),
                                 codecmessages::notAPicture()};
        EXPECT_TRUE(causes.contains(o.message)) << o.message.toStdString();
    }
    if (e.expectation != QLatin1String("decode")) {
        if (o.opened) // a refusal may come late, but never after a huge allocation
            EXPECT_LE((long long)o.picture.width() * o.picture.height(), 1LL << 24);
        return;
    }
    ASSERT_TRUE(o.complete) << o.message.toStdString();
    EXPECT_EQ(o.picture.width(), e.width);
    EXPECT_EQ(o.picture.height(), e.height);
    EXPECT_GE(o.workingBytes, 1u);
    if (e.reference.endsWith(QLatin1String(".png")) && !e.note.contains(QLatin1String("later frame"))) {
        // Pillow's decoder parts ways with giflib's on a few pixels of
        // missing_background.gif, where Qt's own GIF reader agrees with
        // giflib: its renderings are checked against Qt's.
        const QString rendering = e.reference.startsWith(QLatin1String("gif/ref/pillow/")) ? e.path : e.reference;
        EXPECT_LE(compare(o.picture, reference(corpusFormatsPath(rendering), kMatte)).maxChannel, toleranceFor(e));
    } else if (e.reference.endsWith(QLatin1String(".md5"))) {
        // dwebp's RGB leaves alpha out: only an opaque picture can match it.
        const Outcome black = readBytes(readAll(corpusFormatsPath(e.path)), rgb(0, 0, 0));
        const QString name = e.path.section(QLatin1Char('/'), -1);
        if (black.picture == o.picture && ppmSums().count(name))
            EXPECT_EQ(ppmSum(o.picture), ppmSums().at(name));
    }
}

INSTANTIATE_TEST_SUITE_P(Formats, CorpusTest, ::testing::ValuesIn(corpusRows()),
                         [](const ::testing::TestParamInfo<CorpusRow> &info) {
                             QString name = info.param.path;
                             for (QChar &c : name) {
                                 if (!c.isLetterOrNumber())
                                     c = QLatin1Char('_');
                             }
                             return name.toStdString();
                         });

} // namespace

namespace {

QByteArray corpusFile(const char *relative) { return readAll(corpusFormatsPath(QLatin1String(relative))); }

// The PNG's bytes up to the middle of its first chunk of `type`, or with
// every chunk of that type left out.
QByteArray pngCutIn(const QByteArray &png, const char *type)
{
    for (qsizetype at = 8; at + 8 <= png.size();) {
        const qsizetype length = qFromBigEndian<quint32>(png.constData() + at);
        if (png.mid(at + 4, 4) == type)
            return png.left(at + 8 + length / 2);
        at += 12 + length;
    }
    return png;
}

QByteArray pngWithout(const QByteArray &png, const char *type)
{
    QByteArray kept = png.left(8);
    for (qsizetype at = 8; at + 8 <= png.size();) {
        const qsizetype length = qFromBigEndian<quint32>(png.constData() + at);
        if (png.mid(at + 4, 4) != type)
            kept += png.mid(at, 12 + length);
        at += 12 + length;
    }
    return kept;
}

QByteArray withScreen(QByteArray gif, quint16 width, quint16 height)
{
    qToLittleEndian(width, gif.data() + 6);
    qToLittleEndian(height, gif.data() + 8);
    return gif;
}

QByteArray riffChunk(const char *type, const QByteArray &payload)
{
    QByteArray chunk(type, 4);
    chunk.resize(8);
    qToLittleEndian(quint32(payload.size()), chunk.data() + 4);
    chunk += payload;
    if (payload.size() % 2)
        chunk += '\0';
    return chunk;
}

// A still lossless WebP in an extended container with an EXIF chunk that
// records `orientation` (1 to 8).
QByteArray webpWithOrientation(const QByteArray &simple, int width, int height, quint16 orientation)
{
    QByteArray vp8x(11, '\0');
    vp8x[0] = char(0x08 | 0x10); // EXIF, alpha
    qToLittleEndian(quint32(width - 1), vp8x.data() + 4); // 24 bits each; the top byte is overwritten next
    qToLittleEndian(quint32(height - 1), vp8x.data() + 7);
    vp8x.resize(10);
    QByteArray exif("MM\0*\0\0\0\x08\0\x01\x01\x12\0\x03\0\0\0\x01\0\0\0\0\0\0\0\0", 26);
    qToBigEndian(orientation, exif.data() + 18);
    const QByteArray body = QByteArray("WEBP") + riffChunk("VP8X", vp8x) + simple.mid(12) + riffChunk("EXIF", exif);
    QByteArray riff("RIFF\0\0\0\0", 8);
    qToLittleEndian(quint32(body.size()), riff.data() + 4);
    return riff + body;
}

struct CauseCase {
    const char *name;
    QByteArray (*bytes)();
    QString (*cause)();
};

class CauseTest : public ::testing::TestWithParam<CauseCase> {};

// Every file here is refused, or breaks while its rows are read, for the cause given.
TEST_P(CauseTest, RefusesWithItsCause)
{
    const Outcome o = readBytes(GetParam().bytes());
    EXPECT_FALSE(o.complete);
    EXPECT_EQ(o.message, GetParam().cause());
}

const CauseCase kCauses[] = {
    {"PngCutInImageData", [] { return pngCutIn(corpusFile("png/good/pngsuite/basn2c08.png"), "IDAT"); },
     codecmessages::corrupt},
    {"PngInterlacedCutInImageData", [] { return pngCutIn(corpusFile("png/good/pngsuite/basi6a16.png"), "IDAT"); },
     codecmessages::corrupt},
    {"PngEndingBeforeIEND", [] { return pngWithout(corpusFile("png/good/pngsuite/basn2c08.png"), "IEND"); },
     codecmessages::corrupt},
    {"PngSignatureAlone", [] { return corpusFile("png/good/pngsuite/basn2c08.png").left(8); }, codecmessages::corrupt},
    {"PngSidesOverTheLimit", [] { return corpusFile("png/bad/made-here/png-bomb-100000x100000.png"); },
     codecmessages::tooLarge},
    {"GifCutInFrame", [] { const QByteArray g = corpusFile("gif/good/pillow/hopper.gif"); return g.left(g.size() * 3 / 5); },
     codecmessages::corrupt},
    {"GifScreenOverTheLimit", [] { return withScreen(corpusFile("gif/good/image-gif/2x2.gif"), 65535, 65535); },
     codecmessages::tooLarge},
    {"GifHugeScreenTinyFile", [] { return withScreen(corpusFile("gif/good/image-gif/2x2.gif"), 8000, 8000); },
     codecmessages::corrupt},
    {"GifNoFrame", [] { return corpusFile("gif/good/image-gif/2x2.gif").left(13) + ';'; }, codecmessages::corrupt},
    {"WebpCut", [] { const QByteArray w = corpusFile("webp/good/image-webp/gallery1-1.webp"); return w.left(w.size() / 2); },
     codecmessages::corrupt},
    {"WebpHugeHeaderTinyFile", [] { return corpusFile("webp/bad/made-here/webp-lossless-bomb-16384x16384.webp"); },
     codecmessages::corrupt},
};

INSTANTIATE_TEST_SUITE_P(Files, CauseTest, ::testing::ValuesIn(kCauses),
                         [](const ::testing::TestParamInfo<CauseCase> &info) { return std::string(info.param.name); });

struct TurnCase {
    const char *name;
    QByteArray (*turned)();
    QByteArray (*upright)(); // the same picture, no orientation recorded
    QImageIOHandler::Transformations transformation;
};

class TurnTest : public ::testing::TestWithParam<TurnCase> {};

TEST_P(TurnTest, AppliesTheRecordedOrientation)
{
    const Outcome turned = readBytes(GetParam().turned());
    Outcome upright = readBytes(GetParam().upright());
    ASSERT_TRUE(turned.complete && upright.complete) << turned.message.toStdString() << upright.message.toStdString();
    applyOrientation(upright.picture, GetParam().transformation);
    EXPECT_TRUE(turned.picture == upright.picture);
}

QByteArray lossless() { return corpusFile("webp/good/libwebp-test-data/lossless1.webp"); }
QByteArray losslessTurned(quint16 orientation)
{
    const Outcome plain = readBytes(lossless());
    return webpWithOrientation(lossless(), plain.picture.width(), plain.picture.height(), orientation);
}

const TurnCase kTurns[] = {
    {"PngExifRotate90", [] { return corpusFile("png/good/image-png/F-exif-chunk-early.png"); },
     [] { return pngWithout(corpusFile("png/good/image-png/F-exif-chunk-early.png"), "eXIf"); },
     QImageIOHandler::TransformationRotate90},
    {"WebpExifRotate270", [] { return losslessTurned(8); }, lossless, QImageIOHandler::TransformationRotate270},
    {"WebpExifMirror", [] { return losslessTurned(2); }, lossless, QImageIOHandler::TransformationMirror},
    {"WebpExifUpright", [] { return losslessTurned(1); }, lossless, QImageIOHandler::TransformationNone},
};

INSTANTIATE_TEST_SUITE_P(Files, TurnTest, ::testing::ValuesIn(kTurns),
                         [](const ::testing::TestParamInfo<TurnCase> &info) { return std::string(info.param.name); });

// A non-interlaced PNG holds a few rows; a picture decoded whole declares all
// of it before a pixel is decoded.
TEST(PngMemory, StreamedRowsHoldLittleWholePicturesAll)
{
    const Outcome streamed = readBytes(corpusFile("png/good/image-png/issue_430.png"));
    ASSERT_TRUE(streamed.complete);
    EXPECT_LT(streamed.workingBytes, streamed.picture.byteCount() / 4);
    for (const char *whole : {"png/good/pngsuite/basi6a16.png", "png/good/image-png/F-exif-chunk-early.png"}) {
        const Outcome o = readBytes(corpusFile(whole));
        ASSERT_TRUE(o.complete) << whole;
        EXPECT_GE(o.workingBytes, o.picture.byteCount()) << whole;
    }
}

TEST(Signatures, TellTheKindsApart)
{
    struct Head {
        QByteArray bytes;
        bool png, gif, webp;
    };
    const Head heads[] = {
        {corpusFile("png/good/pngsuite/basn2c08.png").left(16), true, false, false},
        {corpusFile("png/bad/pngsuite/xs7n0g01.png").left(16), false, false, false},
        {QByteArray("GIF87a\x01\0\x01\0", 10), false, true, false},
        {QByteArray("GIF89a"), false, true, false},
        {QByteArray("GIF88a\x01\0\x01\0", 10), false, false, false},
        {QByteArray("RIFF\x10\0\0\0WEBPVP8L", 16), false, false, true},
        {QByteArray("RIFF\x10\0\0\0WAVEfmt ", 16), false, false, false},
        {QByteArray("RIFF\x10\0\0\0WEB"), false, false, false},
    };
    for (const Head &h : heads) {
        const auto *b = reinterpret_cast<const unsigned char *>(h.bytes.constData());
        const std::size_t n = std::size_t(h.bytes.size());
        EXPECT_EQ(isPng(b, n), h.png) << h.bytes.toHex().toStdString();
        EXPECT_EQ(isGif(b, n), h.gif) << h.bytes.toHex().toStdString();
        EXPECT_EQ(isWebp(b, n), h.webp) << h.bytes.toHex().toStdString();
    }
}

} // namespace
