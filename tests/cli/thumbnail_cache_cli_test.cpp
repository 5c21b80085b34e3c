// tessarolith-batch --thumbnail-cache, checked by GLib itself: `gio info`
// finds each entry under the name it makes of the file, and calls it valid.
#include "support/batch_cli_support.h"
#include "support/desktop_thumbnail_support.h"
#include "support/file_bytes.h"
#include "thumbs/thumbnail_cache.h"

#include <QDir>
#include <QFile>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <fcntl.h>
#include <sys/stat.h>

#include <map>

using namespace desktop_thumbs;

namespace {

// Names as the file system spells them, and in the URI after the folder's:
// every byte GLib escapes, and those it leaves.
const std::pair<QByteArray, const char *> kNames[] = {
    {"a b.jpg", "a%20b.jpg"},
    {"100%.jpg", "100%25.jpg"},
    {"#1.jpg", "%231.jpg"},
    {"[x].jpg", "%5Bx%5D.jpg"},
    {"\xE5\x86\x99\xE7\x9C\x9F.jpg", "%E5%86%99%E7%9C%9F.jpg"},
    {"caf\xE9.jpg", "caf%E9.jpg"}, // Latin-1: not UTF-8
    {"a;b,c=d&e+f$g@h!~'().jpg", "a%3Bb,c=d&e+f$g@h!~'().jpg"},
    {"sub/deep (1).JPG", "sub/deep%20(1).JPG"},
};

struct stat statOf(const QByteArray &path)
{
    struct stat st {};
    ::stat(path.constData(), &st);
    return st;
}

long long modified(const QByteArray &path)
{
    const struct stat st = statOf(path);
    return st.st_mtim.tv_sec * 1000000000LL + st.st_mtim.tv_nsec;
}

std::map<QByteArray, QByteArray> textsOf(const std::vector<PngChunk> &chunks)
{
    std::map<QByteArray, QByteArray> texts;
    for (const PngChunk &c : chunks) {
        if (c.type == "tEXt")
            texts[c.data.left(c.data.indexOf('\0'))] = c.data.mid(c.data.indexOf('\0') + 1);
    }
    return texts;
}

class ThumbnailCacheRun : public ::testing::Test {
protected:
    void SetUp() override
    {
        source = QFile::encodeName(dir.filePath("photos"));
        cache = QFile::encodeName(dir.filePath("cache")) + "/thumbnails";
        const QByteArray photo = *test_files::fileBytes(QStringLiteral(TESS_CORPUS_DIR "/exif/recurser/Portrait_1.jpg"));
        for (const auto &[name, escaped] : kNames)
            put(name, photo);
        put(".hidden/inside.jpg", photo);
        put("broken.jpg", photo.left(2000));
        env = {"XDG_CACHE_HOME=" + dir.filePath("cache"), "HOME=" + dir.path(), "GIO_USE_VFS=local",
               "LC_ALL=C.UTF-8", "PATH=" + qEnvironmentVariable("PATH")};
    }

    void put(const QByteArray &name, const QByteArray &bytes)
    {
        const QByteArray path = source + '/' + name;
        QDir().mkpath(QFile::decodeName(path.left(path.lastIndexOf('/'))));
        const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        ASSERT_EQ(::write(fd, bytes.constData(), std::size_t(bytes.size())), bytes.size());
        ::close(fd);
    }

    batch_cli::Outcome runCache()
    {
        QProcess p;
        p.setEnvironment(env);
        p.start(batch_cli::batchProgram(), {"--quiet", "--thumbnail-cache", "--recursive", QFile::decodeName(source)});
        return batch_cli::finish(p);
    }

    QByteArray entry(const char *flavour, const QByteArray &name) const
    {
        return cache + '/' + flavour + '/' + tess::cacheFileName(tess::fileUri(source + '/' + name));
    }

    QTemporaryDir dir;
    QByteArray source, cache;
    QStringList env;
};

TEST_F(ThumbnailCacheRun, GlibFindsAndAcceptsEveryEntry)
{
    const batch_cli::Outcome run = runCache();
    EXPECT_EQ(run.exitCode, 1) << run.err.toStdString(); // the broken picture
    EXPECT_TRUE(run.out.contains("written 8, skipped 0, failed 1")) << run.out.toStdString();
    EXPECT_EQ(statOf(cache + "/large").st_mode & 0777, 0700u);

    for (const auto &[name, escaped] : kNames) {
        SCOPED_TRACE(escaped);
        const QByteArray path = source + '/' + name;
        const QByteArray uri = "file://" + source + '/' + escaped;
        EXPECT_EQ(tess::fileUri(path), uri);
        const GioView glib = gioInfo(path, env);
        EXPECT_EQ(glib.uri.toUtf8(), uri);
        EXPECT_TRUE(glib.thumbnailPath.endsWith(QFile::decodeName(tess::cacheFileName(uri))))
            << glib.thumbnailPath.toStdString();
        EXPECT_EQ(glib.valid, "TRUE");

        for (const auto &[flavour, longer] : {std::pair{"normal", 128}, std::pair{"large", 256}}) {
            const std::optional<QByteArray> png = test_files::fileBytes(entry(flavour, name));
            ASSERT_TRUE(png) << flavour;
            EXPECT_EQ(statOf(entry(flavour, name)).st_mode & 0777, 0600u);
            // 8-bit RGBA, not interlaced, every text before the pixels, upright
            // (the photo is 1200 x 1800).
            const std::vector<PngChunk> chunks = pngChunks(*png);
            ASSERT_GE(chunks.size(), 9u);
            EXPECT_EQ(chunks[0].data.mid(8, 5), QByteArray("\x08\x06\x00\x00\x00", 5));
            for (std::size_t i = 1; i < 8; ++i)
                EXPECT_EQ(chunks[i].type, "tEXt");
            EXPECT_EQ(QImage::fromData(*png, "PNG").size(), QSize(qRound(longer * 2.0 / 3), longer));
            const auto texts = textsOf(chunks);
            EXPECT_EQ(texts.at("Thumb::URI"), uri);
            EXPECT_EQ(texts.at("Thumb::MTime"), QByteArray::number(qint64(statOf(path).st_mtim.tv_sec)));
            EXPECT_EQ(texts.at("Thumb::Size"), QByteArray::number(qint64(statOf(path).st_size)));
            EXPECT_EQ(texts.at("Thumb::Mimetype"), "image/jpeg");
            EXPECT_EQ(texts.at("Thumb::Image::Width") + "x" + texts.at("Thumb::Image::Height"), "1200x1800");
            EXPECT_TRUE(texts.at("Software").startsWith("tessarolith-"));
        }
    }
    // Hidden folders are not walked; a broken picture gets a failure entry.
    EXPECT_FALSE(QFile::exists(QFile::decodeName(entry("normal", ".hidden/inside.jpg"))));
    const QStringList fails = QDir(QFile::decodeName(cache + "/fail")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    ASSERT_EQ(fails.size(), 1);
    const QByteArray brokenUri = tess::fileUri(source + "/broken.jpg");
    const auto failure = test_files::fileBytes(cache + "/fail/" + QFile::encodeName(fails[0]) + '/'
                                               + tess::cacheFileName(brokenUri));
    ASSERT_TRUE(failure);
    EXPECT_EQ(textsOf(pngChunks(*failure)).at("Thumb::URI"), brokenUri);
}

TEST_F(ThumbnailCacheRun, ATouchedPictureIsRemadeAndTheRestKept)
{
    ASSERT_EQ(runCache().exitCode, 1);
    const QByteArray touched = source + '/' + kNames[0].first;
    std::map<QByteArray, std::pair<QByteArray, long long>> before; // bytes and modification time
    for (const auto &[name, escaped] : kNames) {
        for (const char *flavour : {"normal", "large"})
            before[entry(flavour, name)] = {*test_files::fileBytes(entry(flavour, name)),
                                             modified(entry(flavour, name))};
    }
    const struct timespec later[2] = {{0, UTIME_OMIT}, {1700000000, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, touched.constData(), later, 0), 0);
    EXPECT_EQ(gioInfo(touched, env).valid, "FALSE");

    const batch_cli::Outcome second = runCache();
    EXPECT_TRUE(second.out.contains("written 1, skipped 7, failed 1")) << second.out.toStdString();
    EXPECT_EQ(gioInfo(touched, env).valid, "TRUE");
    for (const auto &[path, was] : before) {
        const bool remade = path.endsWith(tess::cacheFileName(tess::fileUri(touched)));
        EXPECT_EQ(modified(path) != was.second, remade) << path.constData();
        EXPECT_EQ(test_files::fileBytes(path) == was.first, !remade) << path.constData();
    }
}

} // namespace
