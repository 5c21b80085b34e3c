// tessarolith-thumbnailer run as file managers run it: straight, and inside
// GNOME's bubblewrap sandbox.
#include "support/desktop_thumbnail_support.h"
#include "support/file_bytes.h"
#include "support/picture_reading.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

using namespace desktop_thumbs;

namespace {

const QString kCorpus = QStringLiteral(TESS_CORPUS_DIR "/");

struct KindCase {
    const char *file; // in the corpus
    int size;         // -s
    QSize expected;
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
};

class ThumbnailerKinds : public ::testing::TestWithParam<KindCase> {};

TEST_P(ThumbnailerKinds, WritesAnUprightPngOfTheSizeAskedFor)
{
    const KindCase &c = GetParam();
    const QString input = kCorpus + c.file;
    QTemporaryDir dir;
    const QString output = dir.filePath("out.png");
    const Ran made = run(thumbnailerProgram(), {"-s", QString::number(c.size), input, output});
    ASSERT_EQ(made.exitCode, 0) << made.err.toStdString();
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

    // GNOME's sandbox: the same bytes, from a file:// URI of the input.
    if (!sandboxesWork())
        GTEST_SKIP() << "bubblewrap cannot make a sandbox here";
    QTemporaryDir sandboxOut;
    const Ran sandboxed = run("bwrap", gnomeSandbox(input, sandboxOut.path(), QFileInfo(input).suffix(), c.size));
    ASSERT_EQ(sandboxed.exitCode, 0) << sandboxed.err.toStdString();
    EXPECT_EQ(test_files::fileBytes(sandboxOut.filePath("gnome-desktop-thumbnailer.png")),
              test_files::fileBytes(output));
}

INSTANTIATE_TEST_SUITE_P(Corpus, ThumbnailerKinds, ::testing::ValuesIn(kKinds));

// Each ends with a non-zero status, one line on stderr (usage errors add the
// usage line), and no output file; "%x" stand for files made here.
TEST(ThumbnailerFailures, LeaveNoOutput)
{
    QTemporaryDir dir;
    const QByteArray good = *test_files::fileBytes(kCorpus + "formats/webp/good/image-webp/gallery2-1_webp_a.webp");
    QByteArray flipped = good;
    for (qsizetype i = 40; i < flipped.size(); i += 7)
        flipped[i] = char(flipped[i] ^ 0x5A);
    const std::pair<const char *, QByteArray> made[] = {
        {"%broken", flipped}, {"%cut", good.left(good.size() / 2)}, {"%text", "not a picture\n"}, {"%good", good}};
    QMap<QString, QString> files{{"%missing", dir.filePath("missing.heic")}, {"%out", dir.filePath("out.png")},
                                 {"%nowhere", dir.filePath("no/folder/out.png")}};
    for (const auto &[key, bytes] : made) {
        QFile f(dir.filePath(QString(key).mid(1)));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        files[key] = f.fileName();
    }
    const std::pair<QStringList, int> cases[] = {
        {{"-s", "128", "%broken", "%out"}, 1},   {{"-s", "128", "%cut", "%out"}, 1},
        {{"-s", "128", "%text", "%out"}, 1},     {{"-s", "128", "%missing", "%out"}, 1},
        {{"-s", "128", "%good", "%nowhere"}, 1}, {{"-s", "128", "sftp://h/a.jxl", "%out"}, 2},
        {{"%good", "%out"}, 2},                  {{"-s", "0", "%good", "%out"}, 2},
        {{"-s", "4097", "%good", "%out"}, 2},    {{"-s", "128", "%good"}, 2},
    };
    for (const auto &[pattern, status] : cases) {
        QStringList args;
        for (const QString &a : pattern)
            args << files.value(a, a);
        const Ran r = run(thumbnailerProgram(), args);
        SCOPED_TRACE(pattern.join(' ').toStdString());
        EXPECT_EQ(r.exitCode, status) << r.err.toStdString();
        const QStringList lines = r.err.split('\n', Qt::SkipEmptyParts);
        EXPECT_EQ(lines.size(), status == 2 ? 2 : 1);
        EXPECT_TRUE(lines.value(0).startsWith("tessarolith-thumbnailer: "));
        EXPECT_FALSE(QFile::exists(files["%out"]));
    }
}

TEST(ThumbnailerSandbox, BrokenFileFailsInsideTheSandboxToo)
{
    if (!sandboxesWork())
        GTEST_SKIP() << "bubblewrap cannot make a sandbox here";
    QTemporaryDir dir;
    QFile f(dir.filePath("broken.heic"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    const QByteArray whole = *test_files::fileBytes(kCorpus + "formats/heif/good/libheif/with-alpha-512x512.heic");
    f.write(whole.left(whole.size() / 2));
    f.close();
    QTemporaryDir out;
    const Ran r = run("bwrap", gnomeSandbox(f.fileName(), out.path(), "heic", 256));
    EXPECT_EQ(r.exitCode, 1) << r.err.toStdString();
    EXPECT_FALSE(QFile::exists(out.filePath("gnome-desktop-thumbnailer.png")));
}

} // namespace
