#include "support/file_bytes.h"
#include "platform/file_services.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace tess;
using test_files::kUnreadable;
using test_files::readBytes;

namespace {

void writeText(const QString &path, const QByteArray &content)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
    f.write(content);
}

class FileServices : public ::testing::Test {
protected:
    QString at(const QString &name) const { return dir.path() + QLatin1Char('/') + name; }
    QTemporaryDir dir;
};

TEST_F(FileServices, AttributesMapEntriesToTheListingWord)
{
    writeText(at("plain.jpg"), "x");
    writeText(at("locked.jpg"), "x");
    ASSERT_EQ(::chmod(QFile::encodeName(at("locked.jpg")).constData(), 0444), 0);
    writeText(at(".hidden.jpg"), "x");
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder.jpg"));
    ASSERT_TRUE(QFile::link(at("plain.jpg"), at("link.jpg")));
    ASSERT_TRUE(QFile::link(at("folder.jpg"), at("dirlink.jpg")));
    ASSERT_TRUE(QFile::link(at("nowhere"), at("dangling.jpg")));
    ASSERT_EQ(::mkfifo(QFile::encodeName(at("pipe.jpg")).constData(), 0644), 0);

    EXPECT_EQ(fileAttributes(at("plain.jpg")), AttributeArchive);
    EXPECT_EQ(fileAttributes(at("locked.jpg")), AttributeReadOnly) << "decided by the mode bits, also for root";
    EXPECT_EQ(fileAttributes(at(".hidden.jpg")), AttributeHidden | AttributeArchive);
    EXPECT_EQ(fileAttributes(at("folder.jpg")), AttributeDirectory);
    EXPECT_EQ(fileAttributes(at("link.jpg")), AttributeArchive) << "a link to a file is the file";
    EXPECT_EQ(fileAttributes(at("dirlink.jpg")), AttributeDirectory);
    EXPECT_EQ(fileAttributes(at("pipe.jpg")), AttributeSystem);
    EXPECT_EQ(fileAttributes(at("dangling.jpg")), std::nullopt);
    EXPECT_EQ(fileAttributes(at("missing.jpg")), std::nullopt);
}

TEST_F(FileServices, FileExistsOnlyForFilesThatOpenForReading)
{
    writeText(at("a.jpg"), "x");
    ASSERT_TRUE(QDir(dir.path()).mkdir("sub.jpg"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(at("pipe.jpg")).constData(), 0644), 0);

    EXPECT_TRUE(FileExists(at("a.jpg")));
    EXPECT_TRUE(FileExists(at("a.jpg/"))) << "one trailing separator is removed first";
    EXPECT_FALSE(FileExists(at("a.jpg//")));
    EXPECT_FALSE(FileExists(at("sub.jpg")));
    EXPECT_FALSE(FileExists(at("sub.jpg/")));
    EXPECT_FALSE(FileExists(at("missing.jpg")));
    EXPECT_FALSE(FileExists(QString()));
    EXPECT_FALSE(FileExists(QStringLiteral("/")));
    EXPECT_TRUE(FileExists(at("pipe.jpg"))) << "opens without waiting for a writer";
    if (geteuid() != 0) {
        ASSERT_EQ(::chmod(QFile::encodeName(at("a.jpg")).constData(), 0200), 0);
        EXPECT_FALSE(FileExists(at("a.jpg"))) << "a file the user can't read counts as absent";
    }
}

TEST_F(FileServices, IdentityFollowsLinksAndHardLinks)
{
    writeText(at("a.jpg"), "x");
    writeText(at("b.jpg"), "x");
    ASSERT_TRUE(QFile::link(at("a.jpg"), at("sym.jpg")));
    ASSERT_EQ(::link(QFile::encodeName(at("a.jpg")).constData(), QFile::encodeName(at("hard.jpg")).constData()), 0);

    const auto a = fileIdentity(at("a.jpg"));
    ASSERT_TRUE(a.has_value());
    EXPECT_EQ(fileIdentity(at("sym.jpg")), a);
    EXPECT_EQ(fileIdentity(at("hard.jpg")), a);
    EXPECT_EQ(fileIdentity(dir.path() + "/./a.jpg"), a);
    EXPECT_NE(fileIdentity(at("b.jpg")), a);
    EXPECT_EQ(fileIdentity(at("missing.jpg")), std::nullopt);
}

TEST_F(FileServices, AtomicWriteCreatesAndReplacesWholeFiles)
{
    ASSERT_FALSE(writeFileAtomically(at("new.bin"), "first").has_value());
    EXPECT_EQ(readBytes(at("new.bin"), kUnreadable), "first");
    ASSERT_FALSE(writeFileAtomically(at("new.bin"), "second, longer").has_value());
    EXPECT_EQ(readBytes(at("new.bin"), kUnreadable), "second, longer");
    ASSERT_FALSE(writeFileAtomically(at("new.bin"), "3").has_value());
    EXPECT_EQ(readBytes(at("new.bin"), kUnreadable), "3") << "a shorter content leaves no tail of the old one";
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{"new.bin"})
        << "no temporary file is left behind";
}

TEST_F(FileServices, AtomicWriteKeepsTheModeOfTheFileItReplaces)
{
    writeText(at("kept.bin"), "old");
    ASSERT_EQ(::chmod(QFile::encodeName(at("kept.bin")).constData(), 0640), 0);
    ASSERT_FALSE(writeFileAtomically(at("kept.bin"), "new").has_value());
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(at("kept.bin")).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
}

struct WriteFailureCase {
    const char *what;
    const char *target; // relative to the temporary folder
    const char *cause;
};

class AtomicWriteFailure : public FileServices, public ::testing::WithParamInterface<WriteFailureCase> {};

TEST_P(AtomicWriteFailure, NamesTheFileAndTheCause)
{
    writeText(at("plain"), "file, not a folder");
    ASSERT_TRUE(QDir(dir.path()).mkdir("taken.bin"));
    const QString target = at(QString::fromUtf8(GetParam().target));
    const auto failure = writeFileAtomically(target, "data");
    ASSERT_TRUE(failure.has_value()) << GetParam().what;
    EXPECT_EQ(failure->file, target);
    EXPECT_EQ(failure->message, QStringLiteral("ファイルを書き込めません。") + QString::fromUtf8(GetParam().cause))
        << GetParam().what;
    EXPECT_TRUE(QFileInfo(at("taken.bin")).isDir());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).size(), 2)
        << "no temporary file is left behind";
}

INSTANTIATE_TEST_SUITE_P(
    FileServices, AtomicWriteFailure,
    ::testing::Values(WriteFailureCase{"missing folder", "nofolder/a.bin", "ファイルまたはフォルダが見つかりません。"},
                      WriteFailureCase{"folder is a file", "plain/a.bin", "パスの途中がフォルダではありません。"},
                      WriteFailureCase{"a folder holds the name", "taken.bin", "同じ名前のフォルダがあります。"}));

TEST_F(FileServices, AtomicWriteIntoAReadOnlyFolderFailsWithoutTouchingTheOldFile)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "folder permissions don't stop the superuser";
    writeText(at("old.bin"), "old content");
    ASSERT_EQ(::chmod(QFile::encodeName(dir.path()).constData(), 0555), 0);
    const auto failure = writeFileAtomically(at("old.bin"), "new content");
    ::chmod(QFile::encodeName(dir.path()).constData(), 0755);
    ASSERT_TRUE(failure.has_value());
    EXPECT_EQ(failure->message, QStringLiteral("ファイルを書き込めません。アクセスが拒否されました。"));
    EXPECT_EQ(readBytes(at("old.bin"), kUnreadable), "old content");
}

// A write cut short (here by the file-size limit, which binds the superuser
// too) must leave the old file whole and no partial file anywhere.
TEST_F(FileServices, AWriteCutShortLeavesTheOldFileWhole)
{
    writeText(at("old.bin"), "old content");
    const QByteArray big(64 * 1024, 'n');

    struct rlimit saved {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    auto *previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit limited = saved;
    limited.rlim_cur = 4096;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
    const auto failure = writeFileAtomically(at("old.bin"), big);
    const auto fresh = writeFileAtomically(at("fresh.bin"), big);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);

    ASSERT_TRUE(failure.has_value());
    EXPECT_EQ(failure->message, QStringLiteral("ファイルを書き込めません。ファイルが大きすぎます。"));
    EXPECT_EQ(readBytes(at("old.bin"), kUnreadable), "old content");
    ASSERT_TRUE(fresh.has_value());
    EXPECT_FALSE(QFileInfo::exists(at("fresh.bin"))) << "a new file never appears half-written";
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{"old.bin"});
}

TEST(SystemErrorText, IsJapaneseForCommonCausesAndNumberedOtherwise)
{
    EXPECT_EQ(systemErrorText(ENOENT), QStringLiteral("ファイルまたはフォルダが見つかりません。"));
    EXPECT_EQ(systemErrorText(EACCES), systemErrorText(EPERM));
    EXPECT_EQ(systemErrorText(ENOSPC), QStringLiteral("ディスクの空き容量が足りません。"));
    const QString other = systemErrorText(EPROTO);
    EXPECT_TRUE(other.startsWith(QStringLiteral("エラーが発生しました（"))) << other.toStdString();
    EXPECT_TRUE(other.contains(QString::number(EPROTO)));
}

TEST(MakeFolderPath, MakesMissingFoldersAndRefusesAFileInTheWay)
{
    QTemporaryDir dir;
    const QString root = dir.path();
    writeText(root + "/file", "x");
    struct Case {
        QString path;
        bool ok;
    } cases[] = {
        {root + "/a/b/c", true},  // three new levels
        {root + "/a/b/c", true},  // already there
        {root + "/a/b/", true},   // a trailing slash
        {root + "/file", false},  // a file of that name
        {root + "/file/d", false}, // a file on the way
        {QString(), false},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(makeFolderPath(c.path), c.ok) << c.path.toStdString();
        if (c.ok)
            EXPECT_TRUE(QFileInfo(c.path).isDir()) << c.path.toStdString();
    }
    EXPECT_EQ(readBytes(root + "/file", kUnreadable), "x");
}

} // namespace

