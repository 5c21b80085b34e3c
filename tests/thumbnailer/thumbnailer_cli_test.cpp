// tessarolith-thumbnailer run as file managers run it: straight, and inside
// GNOME's bubblewrap sandbox.
#include "support/desktop_thumbnail_support.h"
#include "support/file_bytes.h"
#include "support/picture_reading.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QUrl>

using namespace desktop_thumbs;

namespace {

const QString kCorpus = QStringLiteral(TESS_CORPUS_DIR "/");

struct KindCase {
    const char *file; // in the corpus
    int size;         // -s
    QSize expected;   // none: the file is refused
    bool transparent; // some pixel not opaque
};

// One picture of each kind the thumbnailer entry names, and a JPEG: the
// longer side brought to the size (never above the picture's own), upright.
const KindCase kKinds[] = {
    {"raw/good/portrait_turned8_preview.dng", 256, {171, 256}, false}, // the stored preview, turned
    {"raw/good/portrait_rggb14.dng", 256, {171, 256}, false},          // developed at half size
    {"formats/jxl/good/conformance/alpha_triangles.jxl", 256, {256, 256}, true},
    {"formats/heif/good/libheif/with-alpha-512x512.heic", 200, {200, 200}, true},
    {"formats/heif/good/libheif/colors-with-alpha-thumbnail.heic", 256, {72, 72}, true}, // kept smaller
    {"formats/heif/good/av1-avif/Microsoft/bbb_alpha_inverted.avif", 256, {256, 144}, true},
    {"formats/webp/good/image-webp/gallery2-1_webp_a.webp", 128, {128, 96}, true},
    {"exif/recurser/Portrait_6.jpg", 128, {85, 128}, false}, // DCT-scaled, then turned
    {"formats/heif/bad/libheif/clap-overflow-divide-zero.heic", 256, {}, false},
};

class ThumbnailerKinds : public ::testing::TestWithParam<KindCase> {};

TEST_P(ThumbnailerKinds, WritesAnUprightPngOfTheSizeAskedFor)
{
    const KindCase &c = GetParam();
    const bool refused = c.expected.isEmpty();
    const QString input = kCorpus + c.file;
    QTemporaryDir dir;
    const QString output = dir.filePath("out.png");
    const Ran made = run(thumbnailerProgram(), {"-s", QString::number(c.size), input, output});
    ASSERT_EQ(made.exitCode, refused ? 1 : 0) << made.err.toStdString();
    EXPECT_EQ(QFile::exists(output), !refused);
    if (!refused) {
        const QImage thumbnail(output, "PNG");
        EXPECT_EQ(thumbnail.size(), c.expected);
        EXPECT_TRUE(thumbnail.hasAlphaChannel()); // RGBA, opaque or not
        const PixelSummary got = summaryOf(thumbnail);
        EXPECT_GT(got.highAlpha, 0);
        EXPECT_EQ(got.lowAlpha < 255, c.transparent);
        if (!c.transparent) {
            // The same colours, on average, as the whole picture the batch
            // run's reader decodes.
            const auto whole = tess::testing::readFile(tess::testing::openByContent, input, tess::rgb(0, 0, 0));
            const PixelSummary expected = summaryOf(whole.picture.toImage());
            for (std::size_t i = 0; i < 3; ++i)
                EXPECT_NEAR(got.mean[i], expected.mean[i], 3.0) << "channel " << i;
        }
    }

    // GNOME's sandbox: the same bytes (or none), from a file:// URI of the input.
    if (!sandboxesWork())
        GTEST_SKIP() << "bubblewrap cannot make a sandbox here";
    QTemporaryDir sandboxOut;
    const Ran sandboxed = run("bwrap", gnomeSandbox(input, sandboxOut.path(), QFileInfo(input).suffix(), c.size));
    EXPECT_EQ(sandboxed.exitCode, refused ? 1 : 0) << sandboxed.err.toStdString();
    EXPECT_EQ(test_files::fileBytes(sandboxOut.filePath("gnome-desktop-thumbnailer.png")),
              test_files::fileBytes(output));
}

INSTANTIATE_TEST_SUITE_P(Corpus, ThumbnailerKinds, ::testing::ValuesIn(kKinds));

// A failure ends with a non-zero status, one line on stderr (usage errors
// add the usage line), and no output file; "%x" stand for files made here.
TEST(ThumbnailerRuns, StatusMessageAndOutput)
{
    QTemporaryDir dir;
    const QByteArray good = *test_files::fileBytes(kCorpus + "formats/webp/good/image-webp/gallery2-1_webp_a.webp");
    QByteArray flipped = good;
    for (qsizetype i = 40; i < flipped.size(); i += 7)
        flipped[i] = char(flipped[i] ^ 0x5A);
    const std::pair<const char *, QByteArray> made[] = {{"broken", flipped}, {"cut", good.left(good.size() / 2)},
                                                        {"text", "not a picture\n"}, {"good #%[x] \xE5\x86\x99", good}};
    QMap<QString, QString> files{{"%missing", dir.filePath("missing.heic")}, {"%out", dir.filePath("out.png")},
                                 {"%nowhere", dir.filePath("no/folder/out.png")}};
    for (const auto &[name, bytes] : made) {
        QFile f(dir.filePath(QString::fromUtf8(name)));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        files["%" + QString::fromUtf8(name).section(' ', 0, 0)] = f.fileName();
    }
    // The good file as the desktop names it: a URI, every byte but / escaped.
    files["%uri"] = "file://localhost" + QString::fromLatin1(QUrl::toPercentEncoding(files["%good"], "/"));
    const std::pair<QStringList, int> cases[] = {
        {{"-s", "128", "%uri", "%out"}, 0},      {{"-s128", "%good", "%out"}, 0},
        {{"-s", "128", "%broken", "%out"}, 1},   {{"-s", "128", "%cut", "%out"}, 1},
        {{"-s", "128", "%text", "%out"}, 1},     {{"-s", "128", "%missing", "%out"}, 1},
        {{"-s", "128", "%good", "%nowhere"}, 1}, {{"-s", "128", "sftp://h/a.jxl", "%out"}, 2},
        {{"-s", "128", "file:///a%zz", "%out"}, 2}, {{"-s", "128", "file://h/a.webp", "%out"}, 2},
        {{"%good", "%out"}, 2},                  {{"-s", "0", "%good", "%out"}, 2},
        {{"-s", "4097", "%good", "%out"}, 2},    {{"-s", "128", "%good"}, 2},
    };
    for (const auto &[pattern, status] : cases) {
        QStringList args;
        for (const QString &a : pattern)
            args << files.value(a, a);
        QFile::remove(files["%out"]);
        const Ran r = run(thumbnailerProgram(), args);
        SCOPED_TRACE(pattern.join(' ').toStdString());
        EXPECT_EQ(r.exitCode, status) << r.err.toStdString();
        const QStringList lines = r.err.split('\n', Qt::SkipEmptyParts);
        EXPECT_EQ(lines.size(), status == 2 ? 2 : status);
        EXPECT_TRUE(status == 0 || lines.value(0).startsWith("tessarolith-thumbnailer: "));
        EXPECT_EQ(QFile::exists(files["%out"]), status == 0);
        EXPECT_EQ(QImage(files["%out"], "PNG").size(), status == 0 ? QSize(128, 96) : QSize(0, 0));
    }
}

} // namespace
