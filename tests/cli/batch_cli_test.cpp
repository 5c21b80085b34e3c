#include "support/decoded_picture.h"
#include "support/sanitizers.h"
#include "support/batch_cli_support.h"
#include "support/file_bytes.h"
#include "codecs/picture_codecs.h"
#include "settings/settings_file.h"
#include "settings/thumb_settings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/resource.h>

using namespace tess;
using namespace test_files;
using namespace batch_cli;

namespace {

class BatchCli : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(work.isValid());
        QDir(work.path()).mkpath("src");
        QDir(work.path()).mkpath("out");
        for (const char *name : {"b.bmp", "a.jpg"}) {
            Picture p(40, 30, rgb(200, 100, 50));
            p.fillBox(5, 5, 10, 10, rgb(0, 0, 255));
            writeBytes(src(name), QByteArray(name).endsWith("bmp") ? encodeBmp(p) : *encodeJpeg(p, {}, name));
        }
        settings = defaultSettings(out(""));
        settings.SaveFolder = work.filePath("out");
        settings.FileType = FileTypeBitmap;
        saveIni();
    }
    void saveIni() { ASSERT_TRUE(SaveSettings(settings, ini())); }
    QString src(const QString &name) const { return work.filePath("src/" + name); }
    QString out(const QString &name) const { return work.filePath("out/" + name); }
    QString ini() const { return work.filePath("bench.ini"); }

    QTemporaryDir work;
    ThumbSettings settings;
};

TEST(BatchCliArguments, BadArgumentsExitTwoWithAUsageLine)
{
    QTemporaryDir dir;
    const std::vector<QStringList> cases = {
        {},
        {"--jobs"},
        {"--jobs", "0", dir.path()},
        {"--jobs", "many", dir.path()},
        {"--raw", "developed", dir.path()},
        {"--lossless", "--format", "jpg", dir.path()},
        {"--format", "avif", "--lossless", dir.path()},
        {"--bogus", dir.path()},
        {dir.path(), dir.path()},
        {dir.filePath("no-such-folder")},
    };
    for (const QStringList &args : cases) {
        const Outcome o = runBatch(args);
        EXPECT_EQ(o.exitCode, 2) << args.join(' ').toStdString();
        EXPECT_TRUE(o.err.contains("usage: tessarolith-batch")) << o.err.toStdString();
    }
}

const std::vector<const char *> kEveryOption = {
    "--settings", "--jobs",         "--quiet",   "SOURCE_FOLDER", "--width",         "--height",
    "--mode",     "--quality",      "--format",  "--compression", "--margin-colour", "--prefix",
    "--out",      "--skip-existing", "--overwrite", "--keep-going", "--recursive",    "--shard",
    "--raw",      "--lossless",     "--version", "--help",        "Examples",
};

TEST(BatchCliArguments, HelpDocumentsEveryOption)
{
    const Outcome o = runBatch({"--help"});
    EXPECT_EQ(o.exitCode, 0);
    for (const char *option : kEveryOption)
        EXPECT_TRUE(o.out.contains(option)) << option;
}

TEST(BatchCliArguments, TheManualPageDocumentsEveryOption)
{
    QString page = QString::fromUtf8(readBytes(TESS_SOURCE_DIR "/doc/man/tessarolith-batch.1"));
    ASSERT_FALSE(page.isEmpty());
    page.replace(QStringLiteral("\\-"), QStringLiteral("-"));
    for (const char *option : kEveryOption)
        EXPECT_TRUE(page.contains(QString::fromLatin1(option), Qt::CaseInsensitive)) << option;
    EXPECT_TRUE(page.contains("--shard {}/4")) << "the parallel example";
}

TEST(BatchCliArguments, VersionIsTheProjectsVersion)
{
    const Outcome o = runBatch({"--version"});
    EXPECT_EQ(o.exitCode, 0);
    EXPECT_TRUE(QRegularExpression("^tessarolith-batch [0-9]+\\.[0-9]+\\.[0-9]+\n$").match(o.out).hasMatch())
        << o.out.toStdString();
}

TEST_F(BatchCli, PrintsALinePerFileAndASummaryAndNeverWritesTheSettings)
{
    const QByteArray iniBefore = readBytes(ini());
    const Outcome o = runBatch({"--settings", ini(), src("")});
    ASSERT_EQ(o.exitCode, 0) << o.err.toStdString();
    const QStringList lines = o.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 3) << o.out.toStdString();
    EXPECT_EQ(lines[0], "Thumb_a.bmp");
    EXPECT_EQ(lines[1], "Thumb_b.bmp");
    EXPECT_TRUE(lines[2].startsWith("written 2, skipped 0, ")) << lines[2].toStdString();
    EXPECT_TRUE(lines[2].contains("ms/picture"));
    EXPECT_TRUE(decodePictureFile(out("Thumb_a.bmp")).ok());
    EXPECT_TRUE(decodePictureFile(out("Thumb_b.bmp")).ok());
    EXPECT_EQ(readBytes(ini()), iniBefore);
}

TEST_F(BatchCli, HonoursTheSettingsFile)
{
    settings.Prefix = "P_";
    settings.FileType = FileTypeJpeg;
    settings.RatioMode = KeepRatioByWidth;
    settings.Width = 80;
    saveIni();
    const Outcome o = runBatch({"--quiet", "--settings", ini(), src("")});
    ASSERT_EQ(o.exitCode, 0) << o.err.toStdString();
    EXPECT_FALSE(o.out.contains("P_a.jpg")) << "--quiet prints the summary alone";
    const DecodedPicture thumb = decodePictureFile(out("P_a.jpg"));
    ASSERT_TRUE(thumb.ok());
    EXPECT_EQ(thumb.picture.width(), 80);
    EXPECT_EQ(thumb.picture.height(), 60);
}

TEST_F(BatchCli, SkippedFilesAreSaidSo)
{
    settings.DuplicateMode = DuplicateSkip;
    saveIni();
    writeBytes(out("Thumb_a.bmp"), "keep me");
    const Outcome o = runBatch({"--settings", ini(), "--jobs", "1", src("")});
    ASSERT_EQ(o.exitCode, 0);
    EXPECT_TRUE(o.out.contains(QStringLiteral("Thumb_a.bmp (スキップ)")));
    EXPECT_TRUE(o.out.contains("written 1, skipped 1"));
    EXPECT_EQ(readBytes(out("Thumb_a.bmp")), QByteArray("keep me"));
}

TEST_F(BatchCli, AFailureExitsOneNamingTheFile)
{
    writeBytes(src("c.jpg"), "not a picture");
    const Outcome o = runBatch({"--settings", ini(), src("")});
    EXPECT_EQ(o.exitCode, 1);
    EXPECT_TRUE(o.err.contains("c.jpg")) << o.err.toStdString();
    EXPECT_TRUE(QFileInfo::exists(out("Thumb_a.bmp")));
}

// A --settings file naming none of the keys is warned about, with the names
// it has that are not known, and the run goes on with the defaults.
struct SettingsKeysCase {
    const char *name;
    QByteArray file;
    QString warning; // empty: none
    const char *written;
};

class BatchCliSettingsKeys : public BatchCli, public ::testing::WithParamInterface<SettingsKeysCase> {};

TEST_P(BatchCliSettingsKeys, AFileNamingNoKnownKeyIsWarnedAbout)
{
    writeBytes(ini(), GetParam().file);
    const Outcome o = runBatch({"--quiet", "--settings", ini(), "--out", out(""), src("")});
    ASSERT_EQ(o.exitCode, 0) << o.err.toStdString();
    const QString warning = GetParam().warning.isEmpty() ? QString() : u"tessarolith-batch: --settings "_qs + ini()
        + u": 知っている設定がないため、既定の設定で続けます。"_qs + GetParam().warning + u'\n';
    EXPECT_EQ(o.err, warning);
    EXPECT_TRUE(QFileInfo::exists(out(GetParam().written))) << GetParam().written;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BatchCliSettingsKeys,
    ::testing::Values(
        SettingsKeysCase{"EnglishKeys", "[Section]\nWidth=80\nPrefix=E_\n", u"不明なキー: Width、Prefix"_qs, "Thumb_a.jpg"},
        SettingsKeysCase{"OtherSection", cp932(u"[Settings]\r\n先頭文字=S_\r\n"_qs), u"不明なキー: [Settings]先頭文字"_qs, "Thumb_a.jpg"},
        SettingsKeysCase{"UnmarkedUtf8Keys", u"[Section]\n先頭文字=縮小_\n"_qs.toUtf8(), QString(), "縮小_a.jpg"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(BatchCli, WithoutSettingsOptionReadsTheFileBesideTheProgramAndLeavesNoneBehind)
{
    const QString programDir = work.filePath("program");
    QDir().mkpath(programDir);
    const QString program = programDir + "/tessarolith-batch";
    ASSERT_TRUE(QFile::copy(TESS_BIN_DIR "/tessarolith-batch", program));
    // No settings file: the defaults save JPEGs into the program folder.
    Outcome o = runBatch({src("")}, program);
    ASSERT_EQ(o.exitCode, 0) << o.err.toStdString();
    EXPECT_TRUE(QFileInfo::exists(programDir + "/Thumb_a.jpg"));
    EXPECT_FALSE(QFileInfo::exists(programDir + "/Tessarolith.ini"));
    // With one beside it, that one counts.
    ASSERT_TRUE(SaveSettings(settings, programDir + "/Tessarolith.ini"));
    o = runBatch({src("")}, program);
    ASSERT_EQ(o.exitCode, 0);
    EXPECT_TRUE(QFileInfo::exists(out("Thumb_a.bmp")));
}

TEST_F(BatchCli, ACanvasTooLargeForMemoryExitsOneNamingTheFile)
{
#ifdef TESS_UNDER_ASAN
    GTEST_SKIP() << "the address sanitizer needs more address space than the limit leaves";
#endif
    // A hand-edited 16384 x 16384 wants a gigabyte of canvas; with less address
    // space than that the allocation throws, and the run must end, not abort.
    settings.Width = 16384;
    settings.Height = 16384;
    settings.RatioMode = StretchToBoth;
    saveIni();
    QProcess p;
    p.setChildProcessModifier([] {
        struct rlimit limit {};
        limit.rlim_cur = limit.rlim_max = rlim_t(768) << 20;
        ::setrlimit(RLIMIT_AS, &limit);
    });
    p.start(QStringLiteral(TESS_BIN_DIR "/tessarolith-batch"), {"--settings", ini(), "--jobs", "1", work.filePath("src")});
    ASSERT_TRUE(p.waitForFinished(60000));
    const QString err = QString::fromUtf8(p.readAllStandardError());
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit) << err.toStdString();
    EXPECT_EQ(p.exitCode(), 1) << err.toStdString();
    EXPECT_TRUE(err.contains(src("a.jpg"))) << err.toStdString();
    EXPECT_TRUE(err.contains(QStringLiteral("メモリが足りません。"))) << err.toStdString();
    EXPECT_TRUE(QDir(work.filePath("out")).entryList(QDir::Files).isEmpty());
}

} // namespace
