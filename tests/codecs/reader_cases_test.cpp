// The readers on what the corpus can't give by itself: files cut short, an
// orientation added or taken away, bombs told by their cause.
#include "codecs/codec_messages.h"
#include "codecs/exif_orientation.h"
#include "codecs/gif_reader.h"
#include "codecs/jxl_reader.h"
#include "codecs/png_reader.h"
#include "codecs/open_picture.h"
#include "codecs/webp_reader.h"
#include "support/codec_test_support.h"
#include "support/file_bytes.h"
#include "support/corpus_manifest.h"
#include "support/picture_reading.h"

#include <QtEndian>

#include <gtest/gtest.h>

using namespace tess;
using tess::testing::corpusFormatsPath;
using tess::testing::ReadOutcome;

namespace {

constexpr Colour kMatte = rgb(40, 160, 220); // no picture's own colour

ReadOutcome readBytes(const QByteArray &bytes) { return tess::testing::readBytes(tess::testing::openByContent, bytes, kMatte); }

} // namespace

namespace {

QByteArray corpusFile(const char *relative) { return test_files::readBytes(corpusFormatsPath(QLatin1String(relative))); }

// The first share of a corpus file.
QByteArray cutFile(const char *relative, double share)
{
    const QByteArray whole = corpusFile(relative);
    return whole.left(qsizetype(double(whole.size()) * share));
}

// A 118-byte TIFF whose one strip claims 100000 x 100000 pixels.
QByteArray tiffClaimingTenGigapixels()
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
    return bytes;
}

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
    const ReadOutcome o = readBytes(GetParam().bytes());
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
    {"TiffLzwStripsCut", [] { return cutFile("tiff/good/libtiffpic/strike.tif", 0.5); }, codecmessages::corrupt},
    {"TiffTiledJpegCut", [] { return cutFile("tiff/good/image-tiff/tiled-jpeg-rgb-u8.tif", 0.4); }, codecmessages::corrupt},
    {"TiffClaimingTenGigapixels", tiffClaimingTenGigapixels, codecmessages::tooLarge},
    {"HeicCut", [] { return cutFile("heif/good/libheif/example.heic", 0.5); }, codecmessages::corrupt},
    {"AvifCut", [] { return cutFile("heif/good/libheif/example.avif", 0.7); }, codecmessages::corrupt},
    {"JxlVarDctCut", [] { return cutFile("jxl/good/conformance/bicycles.jxl", 0.5); }, codecmessages::corrupt},
    {"JxlContainerCut", [] { return cutFile("jxl/good/kimageformats/gimp_exif.jxl", 0.9); }, codecmessages::corrupt},
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
    const ReadOutcome turned = readBytes(GetParam().turned());
    ReadOutcome upright = readBytes(GetParam().upright());
    ASSERT_TRUE(turned.complete && upright.complete) << turned.message.toStdString() << upright.message.toStdString();
    applyOrientation(upright.picture, GetParam().transformation);
    EXPECT_TRUE(turned.picture == upright.picture);
}

QByteArray lossless() { return corpusFile("webp/good/libwebp-test-data/lossless1.webp"); }
QByteArray losslessTurned(quint16 orientation)
{
    const ReadOutcome plain = readBytes(lossless());
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

// A non-interlaced PNG holds a few rows, whatever its orientation; an
// interlaced one is decoded whole and declares all of it before a pixel is
// decoded.
TEST(PngMemory, StreamedRowsHoldLittleWholePicturesAll)
{
    for (const char *streams : {"png/good/image-png/issue_430.png", "png/good/image-png/F-exif-chunk-early.png"}) {
        const ReadOutcome o = readBytes(corpusFile(streams));
        ASSERT_TRUE(o.complete) << streams;
        EXPECT_LT(o.workingBytes, o.picture.byteCount() / 4) << streams;
    }
    const ReadOutcome whole = readBytes(corpusFile("png/good/pngsuite/basi6a16.png"));
    ASSERT_TRUE(whole.complete);
    EXPECT_GE(whole.workingBytes, whole.picture.byteCount());
}

TEST(Signatures, TellTheKindsApart)
{
    struct Head {
        QByteArray bytes;
        bool png, gif, webp, jxl = false;
    };
    const QByteArray container("\0\0\0\x0CJXL \r\n\x87\n", 12);
    const Head heads[] = {
        {corpusFile("png/good/pngsuite/basn2c08.png").left(16), true, false, false},
        {corpusFile("png/bad/pngsuite/xs7n0g01.png").left(16), false, false, false},
        {QByteArray("GIF87a\x01\0\x01\0", 10), false, true, false},
        {QByteArray("GIF89a"), false, true, false},
        {QByteArray("GIF88a\x01\0\x01\0", 10), false, false, false},
        {QByteArray("RIFF\x10\0\0\0WEBPVP8L", 16), false, false, true},
        {QByteArray("RIFF\x10\0\0\0WAVEfmt ", 16), false, false, false},
        {QByteArray("RIFF\x10\0\0\0WEB"), false, false, false},
        {QByteArray("\xFF\x0A"), false, false, false, true},
        {corpusFile("jxl/good/kimageformats/orientation1.jxl").left(16), false, false, false, true},
        {corpusFile("jxl/good/conformance/alpha_triangles.jxl").left(16), false, false, false, true},
        {container, false, false, false, true},
        {container.left(11), false, false, false, false},
        {QByteArray(container).replace('\x87', '\x88'), false, false, false, false},
        {QByteArray("\xFF"), false, false, false, false},
        {QByteArray("\xFF\xD8\xFF\xE0"), false, false, false, false},
    };
    for (const Head &h : heads) {
        const auto *b = reinterpret_cast<const unsigned char *>(h.bytes.constData());
        const std::size_t n = std::size_t(h.bytes.size());
        EXPECT_EQ(isPng(b, n), h.png) << h.bytes.toHex().toStdString();
        EXPECT_EQ(isGif(b, n), h.gif) << h.bytes.toHex().toStdString();
        EXPECT_EQ(isWebp(b, n), h.webp) << h.bytes.toHex().toStdString();
        EXPECT_EQ(isJxl(b, n), h.jxl) << h.bytes.toHex().toStdString();
    }
}

} // namespace
