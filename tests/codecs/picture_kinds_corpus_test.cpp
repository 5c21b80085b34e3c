// The TIFF, HEIF/AVIF and JPEG XL readers over the shared corpus: every file
// the manifest says must decode does, at its displayed size and, where a
// reference rendering exists, with its pixels; hostile files are refused or
// read partly, never a crash. A few targeted cases follow the manifest rows.
#include "codecs/heif_reader.h"
#include "codecs/jxl_reader.h"
#include "codecs/picture_codecs.h"
#include "codecs/tiff_reader.h"

#include "support/codec_test_support.h"
#include "support/corpus_manifest.h"

#include <QColorSpace>
#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <tiffio.h>

#include <fcntl.h>
#include <unistd.h>

#include <functional>

using namespace tess;
using namespace tess::testing;

namespace {

// Not white, so that transparency laid over it shows.
constexpr Colour kMatte = rgb(40, 150, 220);

using Opener = std::function<OpenedPicture(int, const ReadOptions &)>;

Opener openerFor(const QString &format)
{
    if (format == QLatin1String("tiff"))
        return openTiffPicture;
    if (format == QLatin1String("heic") || format == QLatin1String("heif") || format == QLatin1String("avif"))
        return openHeifPicture;
    if (format == QLatin1String("jxl"))
        return openJxlPicture;
    return nullptr;
}

bool isTheirKind(const QString &format, const QByteArray &head)
{
    const auto *bytes = reinterpret_cast<const unsigned char *>(head.constData());
    const auto size = std::size_t(head.size());
    if (format == QLatin1String("tiff"))
        return isTiff(bytes, size);
    if (format == QLatin1String("jxl"))
        return isJxl(bytes, size);
    return isHeif(bytes, size);
}

struct Outcome {
    bool opened = false;
    bool complete = false; // every row read and finish() true
    QString message;
    int width = 0, height = 0;
    Picture picture; // the rows read, when kept
};

// Reads a file as the engine does, a band of rows at a time, checking the
// stream's contract on the way.
Outcome readThrough(const Opener &open, const QString &path, bool keep)
{
    Outcome out;
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    EXPECT_GE(fd, 0) << path.toStdString();
    if (fd < 0)
        return out;
    OpenedPicture opened = open(fd, ReadOptions{kMatte});
    if (!opened.ok()) {
        EXPECT_FALSE(opened.message.isEmpty()) << "refused without a cause";
        out.message = opened.message;
        return out;
    }
    RowStream &rows = *opened.rows;
    out.opened = true;
    out.width = rows.width();
    out.height = rows.height();
    EXPECT_GT(out.width, 0);
    EXPECT_GT(out.height, 0);
    EXPECT_LE((long long)out.width * out.height, kMaxPicturePixels);
    EXPECT_GT(rows.workingBytes(), 0u);
    if (out.width <= 0 || out.height <= 0)
        return out;
    constexpr int kBand = 16;
    Picture band(out.width, kBand);
    if (keep)
        out.picture = Picture(out.width, out.height);
    for (int y = 0; y < out.height; y += kBand) {
        const int count = std::min(kBand, out.height - y);
        std::vector<Colour *> pointers;
        for (int i = 0; i < count; ++i)
            pointers.push_back(keep ? out.picture.row(y + i) : band.row(i));
        if (!rows.readRows(pointers.data(), count)) {
            out.message = rows.message();
            EXPECT_FALSE(out.message.isEmpty()) << "broke without a cause";
            EXPECT_FALSE(rows.readRows(pointers.data(), 1)) << "rows after the stream broke";
            return out;
        }
    }
    out.complete = rows.finish();
    return out;
}

// The reference rendering, in sRGB, laid over the matte as the readers do.
Picture referencePicture(const QString &path)
{
    QImage image(path);
    if (image.colorSpace().isValid() && image.colorSpace() != QColorSpace(QColorSpace::SRgb))
        image.convertToColorSpace(QColorSpace::SRgb);
    image = image.convertToFormat(QImage::Format_ARGB32);
    Picture picture(image.width(), image.height());
    for (int y = 0; y < image.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const unsigned a = unsigned(qAlpha(line[x]));
            const auto over = [a](int value, int matte) { return int((unsigned(value) * a + unsigned(matte) * (255u - a) + 127u) / 255u); };
            picture.row(y)[x] = rgb(over(qRed(line[x]), redOf(kMatte)), over(qGreen(line[x]), greenOf(kMatte)),
                                    over(qBlue(line[x]), blueOf(kMatte)));
        }
    }
    return picture;
}

bool isPictureReference(const QString &reference)
{
    return reference.endsWith(QLatin1String(".png")) || reference.endsWith(QLatin1String(".ppm"))
        || reference.endsWith(QLatin1String(".pgm")) || reference.endsWith(QLatin1String(".pbm"));
}

// How far a decode may stray from its reference: lossy references are
// another decoder's output, or the coded picture before its loss.
struct Tolerance {
    int maxChannel = 2;
    double meanChannel = 0.5;
};

Tolerance toleranceFor(const CorpusRow &row)
{
    if (row.path.contains(QLatin1String("kimono.crop")))
        return {64, 4.0}; // the reference is the crop before AV1 coding
    if (row.path.startsWith(QLatin1String("jxl/good/conformance/")))
        return {8, 1.0}; // the reference went through another colour path
    if (row.path.startsWith(QLatin1String("jxl/good/testdata/")))
        return {12, 2.0}; // splines drawn by another libjxl
    if (row.path.contains(QLatin1String("testcard_gray")))
        return {6, 0.1}; // a grey profile the reference's reader leaves out
    return {};
}

std::vector<CorpusRow> corpusRows()
{
    std::vector<CorpusRow> rows;
    for (const QString &kind : {QStringLiteral("tiff"), QStringLiteral("heif"), QStringLiteral("jxl"), QStringLiteral("icc")}) {
        for (const CorpusRow &row : readCorpusManifest(kind)) {
            if (row.expectation != QLatin1String("reference") && openerFor(row.format))
                rows.push_back(row);
        }
    }
    return rows;
}

} // namespace

namespace tess::testing {
// Names the file when a row fails.
void PrintTo(const CorpusRow &row, std::ostream *out) { *out << row.path.toStdString(); }
} // namespace tess::testing

namespace {

class KindsCorpus : public ::testing::TestWithParam<CorpusRow> {};

TEST_P(KindsCorpus, ReadsAsTheManifestSays)
{
    const CorpusRow &row = GetParam();
    const QString path = corpusFormatsDir() + row.path;
    const bool mustDecode = row.expectation == QLatin1String("decode");
    if (mustDecode) {
        EXPECT_TRUE(isTheirKind(row.format, readAll(path).left(64))) << "magic test";
    }
    const bool compare = !row.reference.isEmpty() && isPictureReference(row.reference);
    const Outcome out = readThrough(openerFor(row.format), path, compare);
    if (mustDecode) {
        ASSERT_TRUE(out.opened) << out.message.toStdString();
        ASSERT_TRUE(out.complete) << out.message.toStdString();
    }
    if (!out.opened || !out.complete) {
        EXPECT_FALSE(out.message.isEmpty());
        return;
    }
    if (row.width > 0 && row.expectation != QLatin1String("reject-safely")) {
        EXPECT_EQ(out.width, row.width);
        EXPECT_EQ(out.height, row.height);
    }
    if (!compare)
        return;
    const Picture reference = referencePicture(corpusFormatsDir() + row.reference);
    if (reference.width() != out.width || reference.height() != out.height)
        return; // a reference of one layer or frame at another size
    const Difference d = tess::testing::compare(out.picture, reference);
    const Tolerance t = toleranceFor(row);
    EXPECT_LE(d.maxChannel, t.maxChannel) << "mean " << d.meanChannel;
    EXPECT_LE(d.meanChannel, t.meanChannel) << "max " << d.maxChannel;
}

std::string rowName(const ::testing::TestParamInfo<CorpusRow> &info)
{
    QString name = info.param.path;
    for (QChar &c : name) {
        if (!c.isLetterOrNumber())
            c = QLatin1Char('_');
    }
    return name.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Manifest, KindsCorpus, ::testing::ValuesIn(corpusRows()), rowName);

} // namespace
