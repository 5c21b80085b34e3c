// tessarolith-batch over names that are not UTF-8: every picture is written
// under its own bytes and every line names it escaped, on one line.
#include "support/file_bytes.h"
#include "platform/file_names.h"
#include "support/raw_names.h"
#include "settings/settings_file.h"
#include "settings/thumb_settings.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using namespace tess;
using namespace test_files;

namespace {

struct Outcome {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

// Runs the program with arguments taken byte for byte (QProcess would pass
// them through UTF-8), its output caught in files.
Outcome runBatch(const QString &scratch, const QList<QByteArray> &args)
{
    const QByteArray program = TESS_BIN_DIR "/tessarolith-batch";
    const QByteArray outPath = QFile::encodeName(scratch) + "/stdout";
    const QByteArray errPath = QFile::encodeName(scratch) + "/stderr";
    std::vector<char *> argv;
    argv.push_back(const_cast<char *>(program.constData()));
    for (const QByteArray &arg : args)
        argv.push_back(const_cast<char *>(arg.constData()));
    argv.push_back(nullptr);

    const pid_t pid = ::fork();
    if (pid == 0) {
        const int out = ::open(outPath.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int err = ::open(errPath.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ::dup2(out, 1);
        ::dup2(err, 2);
        ::execv(program.constData(), argv.data());
        ::_exit(127);
    }
    Outcome outcome;
    int status = 0;
    if (pid > 0 && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status))
        outcome.exitCode = WEXITSTATUS(status);
    outcome.out = readBytes(scratch + QStringLiteral("/stdout"));
    outcome.err = readBytes(scratch + QStringLiteral("/stderr"));
    return outcome;
}

struct Source {
    QByteArray name;
    const char *corpusFile;
    QByteArray base;
    const char *line; // what the program prints for its thumbnail
};

const QList<Source> kSources = {
    {"plain.jpg", "jpeg/good/mozilla/jpg-size-32x32.jpg", "plain", "T_plain.bmp"},
    {"\xE5\x86\x99\xE7\x9C\x9F.bmp", "bmpsuite/g/rgb24.bmp", "\xE5\x86\x99\xE7\x9C\x9F", "T_写真.bmp"},
    {"\x8E\xCA\x90\x5E.x.jpg", "jpeg/good/mozilla/jpg-size-16x16.jpg", "\x8E\xCA\x90\x5E", "T_写真.bmp"},
    {"caf\xE9.jpg", "jpeg/good/mozilla/jpg-gray.jpg", "caf\xE9", "T_caf\\xE9.bmp"},
    {"\xE5\x86\x99\xE7\x9C\x9F\xE9.bmp", "bmpsuite/g/pal8.bmp", "\xE5\x86\x99\xE7\x9C\x9F\xE9", "T_写真\\xE9.bmp"},
    {"two\nlines.jpg", "jpeg/good/mozilla/jpg-size-5x5.jpg", "two\nlines", "T_two\\nlines.bmp"},
    {"a\ttab.bmp", "bmpsuite/g/rgb32.bmp", "a\ttab", "T_a\\ttab.bmp"},
};

class NativeNamesCli : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(work.isValid());
        ASSERT_EQ(::mkdir(QFile::encodeName(outFolder()).constData(), 0755), 0);
        for (const Source &source : kSources) {
            const QByteArray picture = readBytes(QStringLiteral(TESS_CORPUS_DIR "/") + QLatin1String(source.corpusFile));
            ASSERT_FALSE(picture.isEmpty()) << source.corpusFile;
            pictures.append(picture);
        }
        settings = defaultSettings(outFolder());
        settings.Prefix = QStringLiteral("T_");
        settings.FileType = FileTypeBitmap;
        ASSERT_TRUE(SaveSettings(settings, ini()));
    }
    void TearDown() override
    {
        for (const QByteArray &folder : madeFolders) {
            removeRawNames(nameFromNative(folder));
            ::rmdir(folder.constData());
        }
        removeRawNames(outFolder());
    }

    // A source folder named by bytes, holding every picture of the table.
    QByteArray sourceFolder(const QByteArray &name)
    {
        const QByteArray folder = QFile::encodeName(work.path()) + '/' + name;
        EXPECT_EQ(::mkdir(folder.constData(), 0755), 0);
        madeFolders.append(folder);
        for (qsizetype i = 0; i < kSources.size(); ++i)
            EXPECT_TRUE(writeRaw(nameFromNative(folder), kSources[i].name, pictures[i]));
        return folder;
    }

    QString outFolder() const { return work.filePath(QStringLiteral("out")); }
    QString ini() const { return work.filePath(QStringLiteral("t.ini")); }

    QTemporaryDir work;
    QList<QByteArray> pictures;
    QList<QByteArray> madeFolders;
    ThumbSettings settings;
};

TEST_F(NativeNamesCli, WritesEveryPictureUnderItsOwnBytesAndPrintsEachNameOnOneLine)
{
    const QByteArray folder = sourceFolder("src");
    const Outcome run = runBatch(work.path(), {"--jobs", "2", "--settings", QFile::encodeName(ini()), folder});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();

    QList<QByteArray> expected;
    for (const Source &source : kSources)
        expected.append("T_" + source.base + ".bmp");
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(rawNames(outFolder()), expected);

    // One line per picture, in the order the list shows them, then the summary.
    const QList<QByteArray> lines = run.out.split('\n');
    ASSERT_EQ(lines.size(), kSources.size() + 2) << run.out.toStdString(); // the last line ends in "\n"
    const QList<QByteArray> shown = {"T_a\\ttab.bmp", "T_caf\\xE9.bmp", "T_plain.bmp", "T_two\\nlines.bmp",
                                     "T_\xE5\x86\x99\xE7\x9C\x9F.bmp", "T_\xE5\x86\x99\xE7\x9C\x9F.bmp",
                                     "T_\xE5\x86\x99\xE7\x9C\x9F\\xE9.bmp"};
    EXPECT_EQ(lines.mid(0, kSources.size()), shown);
    for (const Source &source : kSources)
        EXPECT_TRUE(lines.contains(QString::fromUtf8(source.line).toUtf8())) << source.line;
    EXPECT_TRUE(lines[kSources.size()].startsWith("written 7, skipped 0,")) << lines[kSources.size()].toStdString();
}

TEST_F(NativeNamesCli, ASourceFolderNamedInShiftJisIsListedAndRun)
{
    // 写真 as Japanese Windows names a folder, with a Latin-1 byte besides.
    const QByteArray folder = sourceFolder("\x8E\xCA\x90\x5E\xE9");
    const Outcome run = runBatch(work.path(), {"--quiet", "--settings", QFile::encodeName(ini()), folder});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.startsWith("written 7, skipped 0,")) << run.out.toStdString();
    EXPECT_EQ(rawNames(outFolder()).size(), kSources.size());
}

TEST_F(NativeNamesCli, AFailureNamesTheFileEscapedOnOneLine)
{
    const QByteArray folder = sourceFolder("src");
    // A folder in the thumbnail's way makes the write fail at the first file.
    ASSERT_EQ(::mkdir((QFile::encodeName(outFolder()) + "/T_a\ttab.bmp").constData(), 0755), 0);
    const Outcome run = runBatch(work.path(), {"--settings", QFile::encodeName(ini()), folder});
    ::rmdir((QFile::encodeName(outFolder()) + "/T_a\ttab.bmp").constData());
    EXPECT_EQ(run.exitCode, 1);
    const QList<QByteArray> lines = run.err.split('\n');
    ASSERT_GE(lines.size(), 2) << run.err.toStdString();
    EXPECT_TRUE(lines[0].endsWith("/out/T_a\\ttab.bmp")) << run.err.toStdString();
}

TEST_F(NativeNamesCli, AMissingFolderIsNamedEscaped)
{
    const QByteArray missing = QFile::encodeName(work.path()) + "/none\xE9";
    const Outcome run = runBatch(work.path(), {"--settings", QFile::encodeName(ini()), missing});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(run.err.contains("/none\\xE9\n")) << run.err.toStdString();
}

} // namespace
