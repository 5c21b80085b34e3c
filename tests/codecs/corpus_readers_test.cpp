// Every reader over the shared corpus, each file opened by its bytes as the
// engine opens it: what the manifest says must decode does, at its displayed
// size and, where a rendering is given, with its pixels over a coloured
// margin; hostile files are refused or read in part with a cause, never a
// crash.
#include "codecs/codec_messages.h"
#include "codecs/open_picture.h"

#include "support/codec_test_support.h"
#include "support/file_bytes.h"
#include "support/corpus_manifest.h"
#include "support/picture_reading.h"

#include <QCryptographicHash>

#include <gtest/gtest.h>

#include <map>

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

constexpr Colour kMatte = rgb(40, 150, 220); // no picture's own colour

const QStringList kOurFormats{QStringLiteral("png"), QStringLiteral("gif"), QStringLiteral("webp"), QStringLiteral("tiff"),
                              QStringLiteral("heic"), QStringLiteral("heif"), QStringLiteral("avif"), QStringLiteral("jxl")};

bool isStill(const QString &format)
{
    return format == QLatin1String("png") || format == QLatin1String("gif") || format == QLatin1String("webp");
}

// How far a decode may stray from its rendering: exact but for 16-bit samples
// rounded on either side, unless the rendering came another way.
struct Tolerance {
    int maxChannel;
    double meanChannel;
};

Tolerance toleranceFor(const CorpusRow &row)
{
    if (row.path.contains(QLatin1String("kimono.crop")))
        return {64, 4.0}; // the crop before AV1 coding
    if (row.path.startsWith(QLatin1String("jxl/good/conformance/")))
        return {8, 1.0}; // another colour path
    if (row.path.startsWith(QLatin1String("jxl/good/testdata/")))
        return {12, 2.0}; // splines drawn by another libjxl
    if (row.path.contains(QLatin1String("testcard_gray")))
        return {6, 0.1}; // a grey profile the rendering's reader leaves out
    if (row.reference.startsWith(QLatin1String("icc/")) && isStill(row.format))
        return {8, 8.0}; // another engine and intent
    return isStill(row.format) ? Tolerance{1, 1.0} : Tolerance{2, 0.5};
}

// dwebp's .ppm sums for the libwebp test pictures, by file name.
const std::map<QString, QByteArray> &ppmSums()
{
    static const std::map<QString, QByteArray> sums = [] {
        std::map<QString, QByteArray> m;
        const QList<QByteArray> lines
            = test_files::readBytes(corpusFormatsPath(QStringLiteral("webp/ref/libwebp-test-data/libwebp_tests.md5")))
                  .split('\n');
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

bool isPictureReference(const CorpusRow &row)
{
    return !row.note.contains(QLatin1String("later frame"))
        && (row.reference.endsWith(QLatin1String(".png")) || row.reference.endsWith(QLatin1String(".ppm"))
            || row.reference.endsWith(QLatin1String(".pgm")) || row.reference.endsWith(QLatin1String(".pbm")));
}

std::vector<CorpusRow> corpusRows()
{
    std::vector<CorpusRow> rows;
    for (const char *kind : {"png", "gif", "webp", "tiff", "heif", "jxl", "icc"}) {
        for (const CorpusRow &row : readCorpusManifest(QLatin1String(kind))) {
            if (row.expectation != QLatin1String("reference") && kOurFormats.contains(row.format))
                rows.push_back(row);
        }
    }
    return rows;
}

class Corpus : public ::testing::TestWithParam<CorpusRow> {};

TEST_P(Corpus, ReadsAsTheManifestSays)
{
    const CorpusRow &row = GetParam();
    const bool mustDecode = row.expectation == QLatin1String("decode");
    if (mustDecode && (long long)row.width * row.height > kLargestDecodedPixels)
        GTEST_SKIP() << "a big picture, decoded in the plain build";
    const QString path = corpusFormatsPath(row.path);
    const ReadOutcome out = readFile(openByContent, path, kMatte);
    if (!out.complete) {
        const QStringList causes{codecmessages::corrupt(), codecmessages::tooLarge(), codecmessages::unsupported(),
                                 codecmessages::notAPicture()};
        EXPECT_TRUE(causes.contains(out.message)) << out.message.toStdString();
        // A kind we can't read, not a broken file (libjxl tells the two apart by no cause).
        if (row.expectation == QLatin1String("decode-or-reject") && !isStill(row.format) && row.format != QLatin1String("jxl")) {
            EXPECT_EQ(out.message, codecmessages::unsupported());
        }
    }
    if (!mustDecode && !out.complete)
        return;
    ASSERT_TRUE(out.complete) << out.message.toStdString();
    if (row.width > 0 && row.expectation != QLatin1String("reject-safely")) {
        EXPECT_EQ(out.width, row.width);
        EXPECT_EQ(out.height, row.height);
    }
    if (isPictureReference(row)) {
        // Pillow's GIF decoder parts ways with giflib's on a few pixels, where
        // Qt's own GIF reader agrees with giflib: those are checked against Qt's.
        const QString rendering = row.reference.startsWith(QLatin1String("gif/ref/pillow/")) ? row.path : row.reference;
        // The still kinds' renderings are their samples as stored, whatever gamma they record.
        const Picture reference = referenceOver(corpusFormatsPath(rendering), kMatte, !isStill(row.format));
        if (reference.width() != out.width || reference.height() != out.height)
            return; // a rendering of one layer or frame at another size
        const Difference d = compare(out.picture, reference);
        const Tolerance t = toleranceFor(row);
        EXPECT_LE(d.maxChannel, t.maxChannel) << "mean " << d.meanChannel;
        EXPECT_LE(d.meanChannel, t.meanChannel) << "max " << d.maxChannel;
    } else if (row.reference.endsWith(QLatin1String(".md5"))) {
        // dwebp's RGB leaves alpha out: only an opaque picture can match it.
        const ReadOutcome black = readFile(openByContent, path, rgb(0, 0, 0));
        const QString name = row.path.section(QLatin1Char('/'), -1);
        if (black.picture == out.picture && ppmSums().count(name)) {
            EXPECT_EQ(ppmSum(out.picture), ppmSums().at(name));
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Manifest, Corpus, ::testing::ValuesIn(corpusRows()),
                         [](const ::testing::TestParamInfo<CorpusRow> &info) {
                             QString name = info.param.path;
                             for (QChar &c : name) {
                                 if (!c.isLetterOrNumber())
                                     c = QLatin1Char('_');
                             }
                             return name.toStdString();
                         });

} // namespace
