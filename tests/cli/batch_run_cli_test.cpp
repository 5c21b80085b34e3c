// tessarolith-batch's options, keep-going, sharding and recursion, run for real.
#include "support/batch_cli_support.h"
#include "support/codec_test_support.h"
#include "support/decoded_picture.h"
#include "support/dng_writer.h"
#include "support/file_bytes.h"
#include "support/raw_names.h"
#include "support/thumbnail_files.h"
#include "codecs/picture_codecs.h"
#include "settings/settings_file.h"
#include "settings/thumb_settings.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

using namespace tess;
using namespace test_files;
using namespace batch_cli;

namespace {

class BatchRun : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(work.isValid());
        QDir(work.path()).mkpath("src");
        QDir(work.path()).mkpath("out");
        settings = defaultSettings(work.filePath("out"));
        settings.FileType = FileTypeBitmap;
        settings.Prefix = "file_";
        ASSERT_TRUE(SaveSettings(settings, ini()));
        iniBytes = readBytes(ini());
    }
    void picture(const QString &relative, int width = 40, int height = 30)
    {
        QDir().mkpath(QFileInfo(src(relative)).path());
        Picture p(width, height, rgb(200, 100, 50));
        p.fillBox(5, 5, 10, 10, rgb(0, 0, 255));
        writeBytes(src(relative), relative.endsWith("bmp") ? encodeBmp(p) : *encodeJpeg(p, {}, relative));
    }
    QString src(const QString &relative) const { return work.filePath("src/" + relative); }
    QString out(const QString &relative) const { return work.filePath("out/" + relative); }
    QString ini() const { return work.filePath("t.ini"); }
    // Every file below folder, relative to it, hidden ones included.
    QStringList filesUnder(const QString &folder) const
    {
        QStringList files;
        QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext())
            files.append(QDir(folder).relativeFilePath(it.next()));
        files.sort();
        return files;
    }
    // Emptied, not removed: a missing save folder would send the thumbnails beside the program.
    void emptyOut()
    {
        QDir(out("")).removeRecursively();
        QDir().mkpath(out(""));
    }
    Outcome run(QStringList args) { return runBatch(QStringList{"--settings", ini()} + args + QStringList{src("")}); }

    QTemporaryDir work;
    ThumbSettings settings;
    QByteArray iniBytes;
};

TEST_F(BatchRun, OptionsWinOverTheSettingsFileWhichStaysUnchanged)
{
    picture("a.jpg", 40, 30);
    const Outcome o = run({"--width", "80", "--height", "20", "--mode", "keep-width", "--format", "jpg",
                           "--compression", "40", "--prefix", "P_", "--margin-colour", "#00FF00", "--quality", "0"});
    ASSERT_EQ(o.exitCode, 0) << o.err.toStdString();
    EXPECT_EQ(filesUnder(out("")), QStringList{"P_a.jpg"});
    const DecodedPicture thumb = decodePictureFile(out("P_a.jpg"));
    ASSERT_TRUE(thumb.ok());
    EXPECT_EQ(thumb.picture.width(), 80) << "keep-width sizes by the width alone";
    EXPECT_EQ(thumb.picture.height(), 60);
    EXPECT_EQ(readBytes(ini()), iniBytes);
}

TEST_F(BatchRun, CoverCutsThePicturesCentreToTheThumbnailsProportions)
{
    // 40 x 30 at 20 x 30 keeps columns 10 to 29, drawn one to one: the blue
    // square's columns 10 to 14 (rows 5 to 14) show at the left edge.
    picture("a.bmp", 40, 30);
    for (const char *mode : {"6", "cover"}) {
        emptyOut();
        const Outcome o = run({"--mode", mode, "--width", "20", "--height", "30", "--quality", "0"});
        ASSERT_EQ(o.exitCode, 0) << mode << o.err.toStdString();
        const DecodedPicture thumb = decodePictureFile(out("file_a.bmp"));
        ASSERT_TRUE(thumb.ok()) << mode;
        EXPECT_EQ(thumb.picture.width(), 20) << mode;
        EXPECT_EQ(thumb.picture.height(), 30) << mode;
        EXPECT_EQ(thumb.picture.pixel(0, 5), rgb(0, 0, 255)) << mode;
        EXPECT_EQ(thumb.picture.pixel(4, 14), rgb(0, 0, 255)) << mode;
        EXPECT_EQ(thumb.picture.pixel(5, 5), rgb(200, 100, 50)) << mode;
        EXPECT_EQ(thumb.picture.pixel(0, 15), rgb(200, 100, 50)) << mode;
    }
}

struct FormatCase {
    QStringList options;
    const char *thumbnail;
    QByteArray magic;
    int at = 0; // where the magic lies in the file
};

TEST_F(BatchRun, EachFormatWritesItsKindUnderItsNameFromANewlyListedEnding)
{
    // ".jpeg" was not listed before; the file is a JPEG, read by its content.
    picture("a.jpeg", 40, 30);
    const std::vector<FormatCase> cases = {
        {{"--format", "jpg"}, "file_a.jpg", QByteArray("\xFF\xD8")},
        {{"--format", "bmp"}, "file_a.bmp", QByteArray("BM")},
        {{"--format", "png"}, "file_a.png", QByteArray("\x89PNG")},
        {{"--format", "webp"}, "file_a.webp", QByteArray("VP8 "), 12},
        {{"--format", "webp", "--lossless"}, "file_a.webp", QByteArray("VP8L"), 12},
        {{"--format", "avif"}, "file_a.avif", QByteArray("ftypavif"), 4},
        {{"--format", "jxl"}, "file_a.jxl", QByteArray("\xFF\x0A")},
        {{"--format", "jxl", "--lossless"}, "file_a.jxl", QByteArray("\xFF\x0A")},
        {{"--format", "png", "--lossless"}, "file_a.png", QByteArray("\x89PNG")},
    };
    std::map<std::string, Picture> read;
    for (const FormatCase &c : cases) {
        const std::string label = c.options.join(' ').toStdString();
        emptyOut();
        const Outcome o = run(c.options + QStringList{"--width", "48", "--height", "36"});
        ASSERT_EQ(o.exitCode, 0) << label << o.err.toStdString();
        EXPECT_EQ(filesUnder(out("")), QStringList{c.thumbnail}) << label;
        const QByteArray bytes = readBytes(out(c.thumbnail));
        EXPECT_EQ(bytes.mid(c.at, c.magic.size()), c.magic) << label;
        const Picture thumb = tess::testing::decodeThumbnail(bytes);
        EXPECT_EQ(thumb.width(), 48) << label;
        EXPECT_EQ(thumb.height(), 36) << label;
        read[label] = thumb;
    }
    // The same canvas each time: the lossless files hold exactly the PNG's pixels.
    for (const char *lossless : {"--format webp --lossless", "--format jxl --lossless"})
        EXPECT_EQ(tess::testing::compare(read[lossless], read["--format png"]).maxChannel, 0) << lossless;
}

// A camera raw whose preview and mosaic hold different colours: the default
// takes the preview, which covers the canvas; --raw develop the mosaic.
TEST_F(BatchRun, RawTakesThePreviewUnlessTheDevelopmentIsAsked)
{
    const Colour mosaic = rgb(60, 120, 200), preview = rgb(200, 120, 60);
    tess::testing::DngOptions options;
    options.preview = Picture(96, 64, preview);
    writeBytes(src("a.dng"), tess::testing::writeDng(Picture(96, 64, mosaic), options).bytes);
    const struct {
        QStringList args;
        Colour expected;
    } cases[] = {{{}, preview}, {{"--raw", "preview"}, preview}, {{"--raw", "develop"}, mosaic}};
    for (const auto &c : cases) {
        emptyOut();
        const Outcome o = run(c.args + QStringList{"--width", "48", "--height", "32"});
        ASSERT_EQ(o.exitCode, 0) << o.err.toStdString();
        const DecodedPicture thumb = decodePictureFile(out("file_a.bmp"));
        ASSERT_TRUE(thumb.ok());
        const Colour middle = thumb.picture.pixel(24, 16);
        for (const auto channel : {redOf, greenOf, blueOf})
            EXPECT_NEAR(channel(middle), channel(c.expected), 6) << c.args.join(' ').toStdString();
    }
}

TEST_F(BatchRun, OutIsCreatedAndSkipExistingKeepsWhatIsThere)
{
    picture("a.bmp");
    picture("b.bmp");
    const QString nested = work.filePath("new/deeper/thumbs");
    writeBytes(out("file_a.bmp"), "keep");
    Outcome o = run({"--out", nested});
    ASSERT_EQ(o.exitCode, 0) << o.err.toStdString();
    EXPECT_EQ(filesUnder(nested), (QStringList{"file_a.bmp", "file_b.bmp"}));
    EXPECT_EQ(filesUnder(out("")), QStringList{"file_a.bmp"}) << "the settings file's folder is not used";

    o = run({"--skip-existing"});
    ASSERT_EQ(o.exitCode, 0);
    EXPECT_EQ(readBytes(out("file_a.bmp")), QByteArray("keep"));
    EXPECT_TRUE(o.out.contains("written 1, skipped 1")) << o.out.toStdString();
    o = run({"--overwrite"});
    ASSERT_EQ(o.exitCode, 0);
    EXPECT_TRUE(decodePictureFile(out("file_a.bmp")).ok());
}

TEST_F(BatchRun, RefusedValuesExitTwoNamingTheOptionAndWriteNothing)
{
    picture("a.bmp");
    const QString newOut = work.filePath("never");
    const std::vector<QStringList> cases = {
        {"--width", "15"},       {"--height", "641"},          {"--mode", "7"},      {"--quality", "4"},
        {"--format", "gif"},     {"--compression", "39"},      {"--margin-colour", "red"},
        {"--prefix", "../x_"},   {"--shard", "3/2"},           {"--jobs", "0"},
    };
    for (const QStringList &bad : cases) {
        const Outcome o = run(QStringList{"--out", newOut} + bad);
        EXPECT_EQ(o.exitCode, 2) << bad.join(' ').toStdString();
        EXPECT_TRUE(o.err.contains(bad[0])) << o.err.toStdString();
        EXPECT_FALSE(QFileInfo::exists(newOut)) << bad.join(' ').toStdString();
        EXPECT_TRUE(filesUnder(out("")).isEmpty());
    }
}

TEST_F(BatchRun, ASettingsFileThatCannotBeReadExitsTwoAndWritesNothing)
{
    picture("a.bmp");
    // Without a settings file the defaults would write beside the program: so
    // the program runs from a folder of its own here.
    const QString programDir = work.filePath("program");
    QDir().mkpath(programDir);
    ASSERT_TRUE(QFile::copy(batchProgram(), programDir + "/tessarolith-batch"));
    for (const QString &settingsFile : {work.filePath("missing.ini"), work.filePath("src")}) {
        const Outcome o = runBatch({"--settings", settingsFile, src("")}, programDir + "/tessarolith-batch");
        EXPECT_EQ(o.exitCode, 2) << settingsFile.toStdString();
        EXPECT_TRUE(o.err.contains("--settings")) << o.err.toStdString();
        EXPECT_TRUE(o.err.contains(settingsFile)) << o.err.toStdString();
        EXPECT_EQ(filesUnder(programDir), QStringList{"tessarolith-batch"});
        EXPECT_TRUE(filesUnder(out("")).isEmpty());
    }
}

TEST_F(BatchRun, ASettingsFilePrefixThatNamesNoFileExitsTwoWithOneMessage)
{
    for (int i = 0; i < 16; ++i)
        picture(QStringLiteral("p%1.bmp").arg(i));
    settings.Prefix = QStringLiteral("sub/x_");
    ASSERT_TRUE(SaveSettings(settings, ini()));
    for (const QStringList &extra : {QStringList{}, QStringList{"--keep-going"}}) {
        const Outcome o = run(extra);
        EXPECT_EQ(o.exitCode, 2) << o.err.toStdString();
        EXPECT_EQ(o.err.count(QStringLiteral("ファイル名に「/」は使えません。")), 1) << o.err.toStdString();
        EXPECT_TRUE(o.err.contains(out("sub/x_"))) << o.err.toStdString();
        EXPECT_TRUE(filesUnder(out("")).isEmpty());
    }
}

TEST_F(BatchRun, KeepGoingReportsBadPicturesWhereverTheyAreAndExitsOne)
{
    struct Case {
        const char *where;
        QStringList bad;  // undecodable
        QStringList good;
    };
    // The listing is sorted, so the names place the bad files.
    const std::vector<Case> cases = {
        {"first", {"a.jpg"}, {"m.bmp", "z.bmp"}},
        {"middle", {"m.jpg"}, {"a.bmp", "z.bmp"}},
        {"last", {"z.jpg"}, {"a.bmp", "m.bmp"}},
        {"first and last", {"a.jpg", "z.jpg"}, {"m.bmp"}},
        {"none", {}, {"a.bmp", "m.bmp"}},
    };
    for (const Case &c : cases) {
        QDir(src("")).removeRecursively();
        emptyOut();
        QDir().mkpath(src(""));
        for (const QString &name : c.bad)
            writeBytes(src(name), "not a picture");
        for (const QString &name : c.good)
            picture(name);

        const Outcome o = run({"--keep-going"});
        EXPECT_EQ(o.exitCode, c.bad.isEmpty() ? 0 : 1) << c.where;
        QStringList expected;
        for (const QString &name : c.good)
            expected.append("file_" + QFileInfo(name).completeBaseName() + ".bmp");
        expected.sort();
        EXPECT_EQ(filesUnder(out("")), expected) << c.where;
        for (const QString &name : c.bad)
            EXPECT_TRUE(o.err.contains(src(name))) << c.where << ": " << o.err.toStdString();
        EXPECT_EQ(o.err.count('\n'), c.bad.size()) << c.where << ": one line per bad file: " << o.err.toStdString();
        EXPECT_TRUE(o.out.contains(QStringLiteral("written %1, skipped 0, failed %2,")
                                       .arg(c.good.size())
                                       .arg(c.bad.size())))
            << c.where << ": " << o.out.toStdString();

        // Without it the run ends at the first bad file.
        if (!c.bad.isEmpty()) {
            emptyOut();
            const Outcome stopped = run({});
            EXPECT_EQ(stopped.exitCode, 1) << c.where;
            QStringList before;
            for (const QString &name : c.good)
                if (name < c.bad.first())
                    before.append("file_" + QFileInfo(name).completeBaseName() + ".bmp");
            EXPECT_EQ(filesUnder(out("")), before) << c.where;
        }
    }
}

TEST_F(BatchRun, ShardsOfOneToFiveCoverTheFolderOnceBetweenThem)
{
    QStringList names;
    for (int i = 0; i < 7; ++i) {
        names.append(QStringLiteral("p%1.bmp").arg(i));
        picture(names.last(), 20, 20);
    }
    for (int count = 1; count <= 5; ++count) {
        std::multiset<QString> printed;
        std::set<QString> total;
        emptyOut();
        for (int index = 1; index <= count; ++index) {
            const QString shard = QStringLiteral("%1/%2").arg(index).arg(count);
            const Outcome o = run({"--shard", shard});
            ASSERT_EQ(o.exitCode, 0) << shard.toStdString() << o.err.toStdString();
            QStringList lines = o.out.split('\n', Qt::SkipEmptyParts);
            ASSERT_FALSE(lines.isEmpty());
            lines.removeLast(); // the summary
            for (const QString &line : lines)
                printed.insert(line);
        }
        for (const QString &name : filesUnder(out("")))
            total.insert(name);
        EXPECT_EQ(printed.size(), 7u) << count << " shards";
        EXPECT_EQ(std::set<QString>(printed.begin(), printed.end()).size(), 7u) << count << " shards overlap";
        EXPECT_EQ(total.size(), 7u) << count << " shards";
    }
}

TEST_F(BatchRun, RecursiveMirrorsTheTreeUnderOut)
{
    picture("top.bmp");
    picture("one/a.jpg");
    picture("one/two/b.bmp");
    picture("one/two/three/c.jpg");
    picture(".hidden/h.bmp");
    picture("one/.cache/h.bmp");
    QTemporaryDir elsewhere;
    writeBytes(elsewhere.filePath("e.bmp"), readBytes(src("top.bmp")));
    ASSERT_TRUE(QFile::link(elsewhere.path(), src("one/link")));
    ASSERT_TRUE(QFile::link(src("one"), src("loop")));

    const QString thumbs = work.filePath("thumbs");
    const Outcome o = run({"--recursive", "--out", thumbs});
    ASSERT_EQ(o.exitCode, 0) << o.err.toStdString();
    EXPECT_EQ(filesUnder(thumbs), (QStringList{"file_top.bmp", "one/file_a.bmp", "one/two/file_b.bmp",
                                               "one/two/three/file_c.bmp"}));
    EXPECT_TRUE(o.out.contains("one/two/three/file_c.bmp")) << o.out.toStdString();
    EXPECT_TRUE(o.out.contains("written 4, skipped 0, failed 0")) << o.out.toStdString();
    for (const QString &name : filesUnder(thumbs))
        EXPECT_TRUE(decodePictureFile(thumbs + "/" + name).ok()) << name.toStdString();

    // Without --recursive only the top folder counts.
    QDir(thumbs).removeRecursively();
    ASSERT_EQ(run({"--out", thumbs}).exitCode, 0);
    EXPECT_EQ(filesUnder(thumbs), QStringList{"file_top.bmp"});
}

TEST_F(BatchRun, RecursiveReachesSubfoldersNamedInOtherBytes)
{
    // "café" in Latin-1 and "写真" in Shift-JIS: neither is UTF-8.
    const QList<QByteArray> folders{QByteArray("caf\xE9"), QByteArray("\x8E\xCA\x90\x5E")};
    picture("top.bmp");
    const QByteArray bmp = readBytes(src("top.bmp"));
    for (const QByteArray &folder : folders) {
        ASSERT_EQ(::mkdir((nativePath(src("")) + folder).constData(), 0755), 0);
        ASSERT_TRUE(writeRaw(src("") + nameFromNative(folder), "a.bmp", bmp));
    }
    const QString thumbs = work.filePath("thumbs");
    const Outcome o = run({"--recursive", "--out", thumbs});
    EXPECT_EQ(o.exitCode, 0) << o.err.toStdString();
    EXPECT_TRUE(o.out.contains("written 3, skipped 0, failed 0")) << o.out.toStdString();
    EXPECT_TRUE(o.out.contains("caf\\xE9/file_a.bmp")) << o.out.toStdString();
    EXPECT_TRUE(o.out.contains(QStringLiteral("写真/file_a.bmp"))) << o.out.toStdString();
    for (const QByteArray &folder : folders) {
        const QString mirrored = thumbs + QLatin1Char('/') + nameFromNative(folder);
        EXPECT_EQ(rawNames(mirrored), QList<QByteArray>{"file_a.bmp"}) << folder.toHex().toStdString();
        EXPECT_EQ(readRaw(mirrored, "file_a.bmp").left(2), QByteArray("BM"));
        removeRawNames(mirrored);
        removeRawNames(src("") + nameFromNative(folder));
        ::rmdir(nativePath(mirrored).constData());
        ::rmdir((nativePath(src("")) + folder).constData());
    }
}

} // namespace

TEST_F(BatchRun, SeveralSizesGoIntoSizeFoldersEachAsItsOwnRunWritesIt)
{
    picture("top.jpg", 90, 60);
    picture("one/a.bmp", 33, 70);
    picture("one/b.jpg", 64, 64);
    const QString sized = work.filePath("sized");
    const Outcome o = run({"--recursive", "--format", "jpg", "--out", sized, "--size", "64x64", "--size", "100x40",
                           "--size", "64x64"});
    ASSERT_EQ(o.exitCode, 0) << o.err.toStdString();
    EXPECT_TRUE(o.out.contains("pictures 3, files written 6, skipped 0, failed 0")) << o.out.toStdString();
    // The lines name the files where they lie.
    EXPECT_TRUE(o.out.contains("100x40/one/file_a.jpg")) << o.out.toStdString();
    const QStringList names{"file_top.jpg", "one/file_a.jpg", "one/file_b.jpg"};
    QStringList all;
    for (const QString &size : {QStringLiteral("64x64"), QStringLiteral("100x40")}) {
        const QString alone = work.filePath("alone-" + size);
        const Outcome single = run({"--recursive", "--format", "jpg", "--out", alone, "--size", size});
        ASSERT_EQ(single.exitCode, 0) << single.err.toStdString();
        EXPECT_TRUE(single.out.contains("written 3, skipped 0, failed 0")) << single.out.toStdString();
        EXPECT_EQ(filesUnder(alone), names);
        for (const QString &name : names) {
            EXPECT_EQ(readBytes(sized + "/" + size + "/" + name), readBytes(alone + "/" + name))
                << (size + "/" + name).toStdString();
            all.append(size + "/" + name);
        }
    }
    all.sort();
    EXPECT_EQ(filesUnder(sized), all);
}
