#include "support/decoded_picture.h"
#include "support/file_bytes.h"
#include "support/thumbnail_files.h"
#include "support/test_pictures.h"
#include "thumbs/output_writer.h"

#include "codecs/picture_codecs.h"
#include "thumbs/path_parts.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace tess;
using tess::testing::patterned;
using namespace test_files;

void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace {

class OutputWriter : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QDir(dir.path()).mkdir("out"));
        ASSERT_TRUE(QDir(dir.path()).mkdir("src"));
        settings.SaveFolder = dir.path() + "/out";
        settings.Prefix = "Thumb_";
        settings.FileType = FileTypeBitmap;
        settings.Compression = 100;
        settings.DuplicateMode = DuplicateOverwrite;
    }
    QString out(const QString &name) const { return settings.SaveFolder + QLatin1Char('/') + name; }
    QString src(const QString &name) const { return dir.path() + "/src/" + name; }
    QStringList outEntries() const
    {
        return QDir(settings.SaveFolder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    }
    WriteOutcome write(const Picture &canvas, const QString &base) const
    {
        return WriteThumbnail(canvas, base, settings, SourceFiles(sources));
    }

    QTemporaryDir dir;
    ThumbSettings settings;
    QStringList sources;
};

struct NameCase {
    const char *prefix;
    const char *source; // the listed source name; its base is what precedes the first "."
    int fileType;
    const char *expected;
};

class OutputName : public OutputWriter, public ::testing::WithParamInterface<NameCase> {};

TEST_P(OutputName, IsPrefixBaseAndTheTypesExtensionInTheSaveFolder)
{
    const NameCase &c = GetParam();
    settings.Prefix = QString::fromUtf8(c.prefix);
    settings.FileType = std::int16_t(c.fileType);
    QString base;
    QString extension;
    SplitName(QString::fromUtf8(c.source), base, extension);

    const WriteOutcome outcome = write(patterned(4, 3), base);
    ASSERT_EQ(outcome.kind, WriteOutcome::Written) << (outcome.failure ? outcome.failure->text().toStdString() : "");
    EXPECT_FALSE(outcome.failure.has_value());
    EXPECT_EQ(outcome.outputName, QString::fromUtf8(c.expected));
    EXPECT_EQ(outcome.outputPath, out(QString::fromUtf8(c.expected)));
    EXPECT_EQ(outEntries(), QStringList{QString::fromUtf8(c.expected)});
    const Picture decoded = tess::testing::decodeThumbnail(readBytes(outcome.outputPath));
    EXPECT_EQ(decoded.width(), 4);
    EXPECT_EQ(decoded.height(), 3);
}

INSTANTIATE_TEST_SUITE_P(
    OutputWriter, OutputName,
    ::testing::Values(NameCase{"Thumb_", "photo.jpg", 1, "Thumb_photo.bmp"},
                      NameCase{"Thumb_", "photo.jpg", 0, "Thumb_photo.jpg"},
                      NameCase{"Thumb_", "photo.BMP", 0, "Thumb_photo.jpg"},
                      NameCase{"", "photo.jpg", 1, "photo.bmp"},
                      NameCase{"t", "photo.2020.jpg", 0, "tphoto.jpg"},
                      NameCase{"t", "my.a.jpg", 1, "tmy.bmp"},
                      NameCase{"", "photo.png", 2, "photo.png"},
                      NameCase{"t_", "photo.tiff", 3, "t_photo.webp"},
                      NameCase{"t_", "写真.HEIC", 2, "t_写真.png"},
                      NameCase{"t_", "a.b.jxl", 0, "t_a.jpg"},
                      NameCase{"t_", "photo.heic", 4, "t_photo.avif"},
                      NameCase{"t_", "photo.avif", 5, "t_photo.jxl"},
                      NameCase{"x", "a.jpg", 6, "xa.jpg"},   // any type the window does not offer is JPEG
                      NameCase{"x", "a.jpg", 7, "xa.jpg"},
                      NameCase{"x", "a.jpg", -1, "xa.jpg"},
                      NameCase{"小_", "写真.jpg", 1, "小_写真.bmp"}));

TEST_F(OutputWriter, ABitmapThumbnailHoldsTheCanvasExactly)
{
    const Picture canvas = patterned(13, 7, 5); // odd width: rows need padding in the file
    ASSERT_EQ(write(canvas, "photo").kind, WriteOutcome::Written);
    const DecodedPicture decoded = decodePictureFile(out("Thumb_photo.bmp"));
    ASSERT_TRUE(decoded.ok());
    EXPECT_TRUE(decoded.picture == canvas);
}

TEST_F(OutputWriter, AJpegThumbnailHasTheCanvasSizeAndCompressionSetsItsQuality)
{
    settings.FileType = FileTypeJpeg;
    const Picture canvas = patterned(64, 48, 1);
    qint64 sizeAt[2] = {};
    const int compressions[2] = {40, 100};
    for (int i = 0; i < 2; ++i) {
        settings.Compression = std::int16_t(compressions[i]);
        settings.Prefix = QString("q%1_").arg(compressions[i]);
        const WriteOutcome outcome = write(canvas, "photo");
        ASSERT_EQ(outcome.kind, WriteOutcome::Written);
        const DecodedPicture decoded = decodePictureFile(outcome.outputPath);
        ASSERT_TRUE(decoded.ok());
        EXPECT_EQ(decoded.picture.width(), 64);
        EXPECT_EQ(decoded.picture.height(), 48);
        sizeAt[i] = QFileInfo(outcome.outputPath).size();
    }
    EXPECT_LT(sizeAt[0], sizeAt[1]) << "higher Compression values mean better quality, larger files";
}

TEST_F(OutputWriter, CompressionOutsideTheEncodersRangeIsClampedNotRefused)
{
    settings.FileType = FileTypeJpeg;
    for (const int compression : {0, -5, 101, 32767}) {
        settings.Compression = std::int16_t(compression);
        const WriteOutcome outcome = write(patterned(8, 8), "c");
        EXPECT_EQ(outcome.kind, WriteOutcome::Written) << compression;
        EXPECT_TRUE(decodePictureFile(outcome.outputPath).ok()) << compression;
    }
}

TEST_F(OutputWriter, SharedBaseNamesWithOverwriteLetTheLaterSourceWin)
{
    const Picture first = patterned(5, 5, 1);
    const Picture second = patterned(6, 4, 2);
    // a.jpg then a.bmp: both have the base "a".
    EXPECT_EQ(write(first, "a").kind, WriteOutcome::Written);
    const WriteOutcome again = write(second, "a");
    EXPECT_EQ(again.kind, WriteOutcome::Written);
    EXPECT_EQ(again.outputName, "Thumb_a.bmp");
    EXPECT_TRUE(decodePictureFile(out("Thumb_a.bmp")).picture == second);
    EXPECT_EQ(outEntries(), QStringList{"Thumb_a.bmp"}) << "no temporary file is left behind";
}

struct SkipCase {
    int duplicateMode;
};

class SkipExisting : public OutputWriter, public ::testing::WithParamInterface<SkipCase> {};

TEST_P(SkipExisting, KeepsTheFileByteForByteAndSaysSkipped)
{
    settings.DuplicateMode = std::int16_t(GetParam().duplicateMode);
    for (const int type : {int(FileTypeBitmap), int(FileTypeJpeg)}) {
        settings.FileType = std::int16_t(type);
        const QString name = type == FileTypeBitmap ? "Thumb_a.bmp" : "Thumb_a.jpg";
        writeBytes(out(name), "left over from an earlier run");
        const WriteOutcome outcome = write(patterned(5, 5), "a");
        EXPECT_EQ(outcome.kind, WriteOutcome::Skipped) << GetParam().duplicateMode;
        EXPECT_TRUE(outcome.ok());
        EXPECT_FALSE(outcome.failure.has_value());
        EXPECT_EQ(readBytes(out(name), kUnreadable), "left over from an earlier run");
    }
}

INSTANTIATE_TEST_SUITE_P(OutputWriter, SkipExisting,
                         ::testing::Values(SkipCase{1}, SkipCase{2}, SkipCase{-1}, SkipCase{32767}));

TEST_F(OutputWriter, SkipAppliesToTheSecondOfTwoSharedBaseNames)
{
    settings.DuplicateMode = DuplicateSkip;
    const Picture first = patterned(5, 5, 1);
    EXPECT_EQ(write(first, "a").kind, WriteOutcome::Written);
    const QByteArray written = readBytes(out("Thumb_a.bmp"), kUnreadable);
    EXPECT_EQ(write(patterned(6, 6, 2), "a").kind, WriteOutcome::Skipped);
    EXPECT_EQ(readBytes(out("Thumb_a.bmp"), kUnreadable), written);
}

TEST_F(OutputWriter, OverwriteReplacesAnExistingFileWhole)
{
    writeBytes(out("Thumb_a.bmp"), QByteArray(100000, 'x')); // longer than the new file
    const Picture canvas = patterned(3, 3);
    ASSERT_EQ(write(canvas, "a").kind, WriteOutcome::Written);
    EXPECT_EQ(readBytes(out("Thumb_a.bmp"), kUnreadable), encodeBmp(canvas));
    EXPECT_EQ(outEntries(), QStringList{"Thumb_a.bmp"});
}

struct GuardedCase {
    const char *what;
    mode_t mode;
    int duplicateMode;
    // Failed, or (for the superuser, who reads every file) Skipped.
    WriteOutcome::Kind asUser;
    WriteOutcome::Kind asRoot;
    const char *message; // when Failed
};

class GuardedExisting : public OutputWriter, public ::testing::WithParamInterface<GuardedCase> {};

TEST_P(GuardedExisting, IsNeitherReplacedNorDeleted)
{
    const GuardedCase &c = GetParam();
    settings.DuplicateMode = std::int16_t(c.duplicateMode);
    for (const int type : {int(FileTypeBitmap), int(FileTypeJpeg)}) {
        settings.FileType = std::int16_t(type);
        const QString name = type == FileTypeBitmap ? "Thumb_a.bmp" : "Thumb_a.jpg";
        const QByteArray target = QFile::encodeName(out(name));
        writeBytes(out(name), "the user's file");
        ASSERT_EQ(::chmod(target.constData(), c.mode), 0);
        const WriteOutcome outcome = write(patterned(3, 3), "a");
        const WriteOutcome::Kind expected = geteuid() == 0 ? c.asRoot : c.asUser;
        EXPECT_EQ(outcome.kind, expected) << c.what;
        if (expected == WriteOutcome::Failed) {
            ASSERT_TRUE(outcome.failure.has_value()) << c.what;
            EXPECT_EQ(outcome.failure->file, out(name));
            EXPECT_EQ(outcome.failure->message, QString::fromUtf8(c.message));
        }
        struct stat st {};
        ASSERT_EQ(::stat(target.constData(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, c.mode) << c.what;
        ::chmod(target.constData(), 0644);
        EXPECT_EQ(readBytes(out(name), kUnreadable), "the user's file") << c.what;
    }
    EXPECT_EQ(outEntries(), (QStringList{"Thumb_a.bmp", "Thumb_a.jpg"})) << "no temporary file is left behind";
}

INSTANTIATE_TEST_SUITE_P(
    OutputWriter, GuardedExisting,
    ::testing::Values(
        GuardedCase{"read-only, overwrite", 0444, DuplicateOverwrite, WriteOutcome::Failed, WriteOutcome::Failed,
                    "読み取り専用のファイルは上書きできません。"},
        GuardedCase{"no access, overwrite", 0000, DuplicateOverwrite, WriteOutcome::Failed, WriteOutcome::Failed,
                    "読み取り専用のファイルは上書きできません。"},
        GuardedCase{"group-only write bit, overwrite", 0464, DuplicateOverwrite, WriteOutcome::Failed,
                    WriteOutcome::Failed, "読み取り専用のファイルは上書きできません。"},
        GuardedCase{"no access, skip", 0000, DuplicateSkip, WriteOutcome::Failed, WriteOutcome::Skipped,
                    "既にあるファイルを読み取れません。"},
        GuardedCase{"write only, skip", 0200, DuplicateSkip, WriteOutcome::Failed, WriteOutcome::Skipped,
                    "既にあるファイルを読み取れません。"},
        GuardedCase{"read-only, skip", 0444, DuplicateSkip, WriteOutcome::Skipped, WriteOutcome::Skipped, ""}));

TEST_F(OutputWriter, AnUnreadableFileTheUserMayWriteIsStillOverwritten)
{
    // Overwriting asks only whether the old file may go; reading it is not needed.
    writeBytes(out("Thumb_a.bmp"), "old");
    ASSERT_EQ(::chmod(QFile::encodeName(out("Thumb_a.bmp")).constData(), 0200), 0);
    const Picture canvas = patterned(3, 3);
    EXPECT_EQ(write(canvas, "a").kind, WriteOutcome::Written);
    ::chmod(QFile::encodeName(out("Thumb_a.bmp")).constData(), 0644);
    EXPECT_EQ(readBytes(out("Thumb_a.bmp"), kUnreadable), encodeBmp(canvas));
}

// Replacing a source would destroy the picture being read, or one still to come.
TEST_F(OutputWriter, NeverWritesOverASourcePicture)
{
    settings.Prefix = "";
    settings.FileType = FileTypeJpeg;
    const QByteArray original = encodeBmp(patterned(4, 4, 9));
    writeBytes(src("photo.jpg"), original);
    writeBytes(src("other.bmp"), original);
    sources = {src("photo.jpg"), src("other.bmp")};

    struct Route {
        const char *what;
        QString saveFolder;
        QString base;
    };
    ASSERT_TRUE(QFile::link(dir.path() + "/src", dir.path() + "/srclink"));
    ASSERT_EQ(::link(QFile::encodeName(src("other.bmp")).constData(),
                     QFile::encodeName(out("hard.jpg")).constData()), 0);
    const Route routes[] = {
        {"the source folder itself", dir.path() + "/src", "photo"},
        {"a link to the source folder", dir.path() + "/srclink", "photo"},
        {"the same folder spelt differently", dir.path() + "/out/../src", "photo"},
        {"a hard link to another source", dir.path() + "/out", "hard"},
    };
    for (const Route &route : routes) {
        settings.SaveFolder = route.saveFolder;
        const WriteOutcome outcome = write(patterned(2, 2), route.base);
        EXPECT_EQ(outcome.kind, WriteOutcome::Failed) << route.what;
        ASSERT_TRUE(outcome.failure.has_value()) << route.what;
        EXPECT_EQ(outcome.failure->file, route.saveFolder + "/" + route.base + ".jpg");
        EXPECT_EQ(outcome.failure->message, QStringLiteral("元の画像に上書きするため中止しました。"));
    }
    EXPECT_EQ(readBytes(src("photo.jpg"), kUnreadable), original);
    EXPECT_EQ(readBytes(src("other.bmp"), kUnreadable), original);

    settings.SaveFolder = dir.path() + "/src";
    settings.DuplicateMode = DuplicateSkip;
    EXPECT_EQ(write(patterned(2, 2), "photo").kind, WriteOutcome::Skipped) << "skipping touches nothing";
    EXPECT_EQ(readBytes(src("photo.jpg"), kUnreadable), original);
}

TEST_F(OutputWriter, AThumbnailBesideItsSourcesIsFineWhenTheNamesDiffer)
{
    writeBytes(src("photo.jpg"), "source");
    sources = {src("photo.jpg")};
    settings.SaveFolder = dir.path() + "/src";
    EXPECT_EQ(write(patterned(2, 2), "photo").kind, WriteOutcome::Written);
    EXPECT_EQ(readBytes(src("photo.jpg"), kUnreadable), "source");
    EXPECT_TRUE(QFileInfo::exists(src("Thumb_photo.bmp")));
}

struct BadNameCase {
    const char *what;
    QString prefix;
    QString base;
    const char *message;
};

class RefusedName : public OutputWriter, public ::testing::WithParamInterface<BadNameCase> {};

TEST_P(RefusedName, WritesNothingAnywhere)
{
    settings.Prefix = GetParam().prefix;
    const WriteOutcome outcome = write(patterned(2, 2), GetParam().base);
    EXPECT_EQ(outcome.kind, WriteOutcome::Failed) << GetParam().what;
    ASSERT_TRUE(outcome.failure.has_value());
    EXPECT_EQ(outcome.failure->file, settings.SaveFolder + "/" + GetParam().prefix + GetParam().base + ".bmp");
    EXPECT_EQ(outcome.failure->message, QString::fromUtf8(GetParam().message)) << GetParam().what;
    EXPECT_TRUE(outEntries().isEmpty());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              (QStringList{"out", "src"}));
}

INSTANTIATE_TEST_SUITE_P(
    OutputWriter, RefusedName,
    ::testing::Values(
        BadNameCase{"a prefix climbing out", "../", "a", "ファイル名に「/」は使えません。"},
        BadNameCase{"a prefix naming a sub-folder", "sub/", "a", "ファイル名に「/」は使えません。"},
        BadNameCase{"a base with a separator", "", "x/y", "ファイル名に「/」は使えません。"},
        BadNameCase{"a NUL in the prefix", QString(QChar(0)), "a", "ファイル名に使えない文字があります。"},
        BadNameCase{"256 bytes", QString(252, 'p'), "", "ファイル名が長すぎます。"},
        BadNameCase{"256 bytes of UTF-8", QString(84, QChar(0x5199)), "", "ファイル名が長すぎます。"}));

struct NamesCase {
    const char *what;
    QString saveFolder;
    QString prefix;
    const char *message; // null: every picture's name is still judged on its own
};

class NamesBeforeTheRun : public ::testing::TestWithParam<NamesCase> {};

TEST_P(NamesBeforeTheRun, AreRefusedOnlyWhenNoPictureCouldBeNamed)
{
    const NamesCase &c = GetParam();
    ThumbSettings settings;
    settings.SaveFolder = c.saveFolder;
    settings.Prefix = c.prefix;
    settings.FileType = FileTypeBitmap;
    const std::optional<Failure> problem = outputNamesProblem(settings);
    if (!c.message) {
        EXPECT_FALSE(problem.has_value()) << c.what;
        return;
    }
    ASSERT_TRUE(problem.has_value()) << c.what;
    EXPECT_EQ(problem->file, c.saveFolder + "/" + c.prefix);
    EXPECT_EQ(problem->message, QString::fromUtf8(c.message)) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    OutputWriter, NamesBeforeTheRun,
    ::testing::Values(
        NamesCase{"the default", "/t", "Thumb_", nullptr},
        NamesCase{"no prefix", "/t", "", nullptr},
        NamesCase{"a dot prefix", "/t", ".", nullptr},
        NamesCase{"251 bytes and the extension", "/t", QString(251, 'p'), nullptr},
        NamesCase{"a prefix climbing out", "/t", "../", "ファイル名に「/」は使えません。"},
        NamesCase{"a prefix naming a sub-folder", "/t", "sub/", "ファイル名に「/」は使えません。"},
        NamesCase{"a NUL in the prefix", "/t", QString(QChar(0)), "ファイル名に使えない文字があります。"},
        NamesCase{"252 bytes and the extension", "/t", QString(252, 'p'), "ファイル名が長すぎます。"},
        NamesCase{"no save folder", "", "Thumb_", "保存フォルダが指定されていません。"}));

TEST_F(OutputWriter, TheLongestNameTheFileSystemTakesIsWritten)
{
    settings.Prefix = QString(251, 'p'); // 251 + ".bmp" = 255 bytes
    EXPECT_EQ(write(patterned(2, 2), "").kind, WriteOutcome::Written);
    settings.Prefix = QString(83, QChar(0x5199)); // 249 bytes of UTF-8 + 4
    EXPECT_EQ(write(patterned(2, 2), "x").kind, WriteOutcome::Written);
    EXPECT_EQ(outEntries().size(), 2);
}

struct FolderCase {
    const char *what;
    const char *saveFolder; // relative to the temporary folder; empty means the empty text
    const char *message;
};

class UnwritableFolder : public OutputWriter, public ::testing::WithParamInterface<FolderCase> {};

TEST_P(UnwritableFolder, IsAFailureNamingTheFileAndTheCause)
{
    writeBytes(dir.path() + "/afile", "not a folder");
    const QString relative = QString::fromUtf8(GetParam().saveFolder);
    settings.SaveFolder = relative.isEmpty() ? QString() : dir.path() + "/" + relative;
    for (const int type : {int(FileTypeBitmap), int(FileTypeJpeg)}) {
        settings.FileType = std::int16_t(type);
        const WriteOutcome outcome = write(patterned(3, 3), "photo");
        EXPECT_EQ(outcome.kind, WriteOutcome::Failed) << GetParam().what;
        EXPECT_FALSE(outcome.ok());
        ASSERT_TRUE(outcome.failure.has_value());
        EXPECT_EQ(outcome.failure->file, settings.SaveFolder + (type == FileTypeBitmap ? "/Thumb_photo.bmp"
                                                                                        : "/Thumb_photo.jpg"));
        EXPECT_EQ(outcome.failure->message, QString::fromUtf8(GetParam().message)) << GetParam().what;
    }
}

INSTANTIATE_TEST_SUITE_P(
    OutputWriter, UnwritableFolder,
    ::testing::Values(
        FolderCase{"missing", "gone", "ファイルを書き込めません。ファイルまたはフォルダが見つかりません。"},
        FolderCase{"a file, not a folder", "afile", "ファイルを書き込めません。パスの途中がフォルダではありません。"},
        FolderCase{"empty", "", "保存フォルダが指定されていません。"}));

TEST_F(OutputWriter, AFolderHoldingTheOutputNameIsAFailure)
{
    ASSERT_TRUE(QDir(settings.SaveFolder).mkdir("Thumb_photo.bmp"));
    const WriteOutcome outcome = write(patterned(3, 3), "photo");
    EXPECT_EQ(outcome.kind, WriteOutcome::Failed);
    ASSERT_TRUE(outcome.failure.has_value());
    EXPECT_EQ(outcome.failure->message, QStringLiteral("ファイルを書き込めません。同じ名前のフォルダがあります。"));
    EXPECT_TRUE(QFileInfo(out("Thumb_photo.bmp")).isDir());
}

TEST_F(OutputWriter, AnEmptyCanvasIsAFailureAndKeepsTheOldThumbnail)
{
    for (const int type : {int(FileTypeBitmap), int(FileTypeJpeg)}) {
        settings.FileType = std::int16_t(type);
        const WriteOutcome outcome = write(Picture(), "photo");
        EXPECT_EQ(outcome.kind, WriteOutcome::Failed) << type;
        ASSERT_TRUE(outcome.failure.has_value());
        EXPECT_EQ(outcome.failure->message, QStringLiteral("サムネイルの画像がありません。"));
    }
    writeBytes(out("Thumb_photo.jpg"), "old thumbnail");
    EXPECT_EQ(write(Picture(), "photo").kind, WriteOutcome::Failed);
    EXPECT_EQ(readBytes(out("Thumb_photo.jpg"), kUnreadable), "old thumbnail");
}

// A write cut short (by the file-size limit, which binds the superuser too)
// leaves the previous thumbnail as it was and no partial file.
TEST_F(OutputWriter, AFailedOverwriteLeavesTheOldThumbnailIntact)
{
    for (const int type : {int(FileTypeBitmap), int(FileTypeJpeg)}) {
        settings.FileType = std::int16_t(type);
        const QString name = type == FileTypeBitmap ? "Thumb_big.bmp" : "Thumb_big.jpg";
        writeBytes(out(name), "old thumbnail");
        struct rlimit saved {};
        ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
        auto *previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit limited = saved;
        limited.rlim_cur = 1024;
        ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
        const WriteOutcome outcome = write(patterned(200, 200), "big");
        ::setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, previousHandler);

        EXPECT_EQ(outcome.kind, WriteOutcome::Failed) << type;
        ASSERT_TRUE(outcome.failure.has_value());
        EXPECT_EQ(outcome.failure->file, out(name));
        EXPECT_EQ(outcome.failure->message, QStringLiteral("ファイルを書き込めません。ファイルが大きすぎます。"));
        EXPECT_EQ(readBytes(out(name), kUnreadable), "old thumbnail");
    }
    EXPECT_EQ(outEntries(), (QStringList{"Thumb_big.bmp", "Thumb_big.jpg"}));
}

TEST_F(OutputWriter, AnOverwriteInAReadOnlyFolderFailsAndKeepsTheOldThumbnail)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "folder permissions don't stop the superuser";
    writeBytes(out("Thumb_a.bmp"), "old thumbnail");
    ASSERT_EQ(::chmod(QFile::encodeName(settings.SaveFolder).constData(), 0555), 0);
    const WriteOutcome outcome = write(patterned(3, 3), "a");
    ::chmod(QFile::encodeName(settings.SaveFolder).constData(), 0755);
    EXPECT_EQ(outcome.kind, WriteOutcome::Failed);
    ASSERT_TRUE(outcome.failure.has_value());
    EXPECT_EQ(outcome.failure->message, QStringLiteral("ファイルを書き込めません。アクセスが拒否されました。"));
    EXPECT_EQ(readBytes(out("Thumb_a.bmp"), kUnreadable), "old thumbnail");
}

} // namespace
