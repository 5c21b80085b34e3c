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
#include "support/corpus_manifest.h"

#include <QCryptographicHash>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <map>

using namespace tess;
using tess::testing::CorpusEntry;
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

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
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

int maxDifference(const Picture &a, const Picture &b)
{
    if (a.width() != b.width() || a.height() != b.height())
        return 256;
    int most = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const Colour p = a.row(y)[x], q = b.row(y)[x];
            most = std::max({most, std::abs(redOf(p) - redOf(q)), std::abs(greenOf(p) - greenOf(q)),
                             std::abs(blueOf(p) - blueOf(q))});
        }
    }
    return most;
}

// dwebp's .ppm sums for the libwebp test pictures, by file name.
const std::map<QString, QByteArray> &ppmSums()
{
    static const std::map<QString, QByteArray> sums = [] {
        std::map<QString, QByteArray> m;
        const QList<QByteArray> lines
            = fileBytes(corpusFormatsPath(QStringLiteral("webp/ref/libwebp-test-data/libwebp_tests.md5"))).split('\n');
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
int toleranceFor(const CorpusEntry &e)
{
    return e.reference.startsWith(QLatin1String("icc/")) ? 8 : 1;
}

std::vector<CorpusEntry> corpusRows()
{
    std::vector<CorpusEntry> rows;
    for (const char *kind : {"png", "gif", "webp", "icc"}) {
        for (const CorpusEntry &e : tess::testing::readCorpusManifest(QLatin1String(kind))) {
            const bool ours = e.format == QLatin1String("png") || e.format == QLatin1String("gif")
                || e.format == QLatin1String("webp");
            if (ours && e.expectation != QLatin1String("reference"))
                rows.push_back(e);
        }
    }
    return rows;
}

} // namespace

namespace tess::testing {
void PrintTo(const CorpusEntry &e, std::ostream *out) { *out << e.path.toStdString(); }
} // namespace tess::testing

namespace {

class CorpusTest : public ::testing::TestWithParam<CorpusEntry> {};

TEST_P(CorpusTest, ReadsAsTheManifestSays)
{
    const CorpusEntry &e = GetParam();
    const Outcome o = readBytes(fileBytes(corpusFormatsPath(e.path)));
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
        EXPECT_LE(maxDifference(o.picture, reference(corpusFormatsPath(rendering), kMatte)), toleranceFor(e));
    } else if (e.reference.endsWith(QLatin1String(".md5"))) {
        // dwebp's RGB leaves alpha out: only an opaque picture can match it.
        const Outcome black = readBytes(fileBytes(corpusFormatsPath(e.path)), rgb(0, 0, 0));
        const QString name = e.path.section(QLatin1Char('/'), -1);
        if (black.picture == o.picture && ppmSums().count(name))
            EXPECT_EQ(ppmSum(o.picture), ppmSums().at(name));
    }
}

INSTANTIATE_TEST_SUITE_P(Formats, CorpusTest, ::testing::ValuesIn(corpusRows()),
                         [](const ::testing::TestParamInfo<CorpusEntry> &info) {
                             QString name = info.param.path;
                             for (QChar &c : name) {
                                 if (!c.isLetterOrNumber())
                                     c = QLatin1Char('_');
                             }
                             return name.toStdString();
                         });

} // namespace
