#include "support/file_bytes.h"
#include "platform/file_services.h"
#include "platform/writes_in_flight.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <thread>
#include <unistd.h>

using namespace tess;
using namespace test_files;

namespace {

QStringList everything(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

TEST(WritesInFlight, CommitReplacesTheTargetAndDiscardRemovesTheFile)
{
    QTemporaryDir dir;
    const QByteArray first = QFile::encodeName(dir.filePath(".one.tmp"));
    const QByteArray second = QFile::encodeName(dir.filePath(".two.tmp"));
    const int fd1 = openTemporaryFile(first, 0644);
    ASSERT_GE(fd1, 0);
    ASSERT_EQ(::write(fd1, "new", 3), 3);
    ::close(fd1);
    EXPECT_LT(openTemporaryFile(first, 0644), 0) << "a temporary name is never shared";
    const int fd2 = openTemporaryFile(second, 0644);
    ASSERT_GE(fd2, 0);
    ::close(fd2);

    writeBytes(dir.filePath("target"), "old");
    ASSERT_TRUE(commitTemporaryFile(first, QFile::encodeName(dir.filePath("target"))));
    EXPECT_EQ(readBytes(dir.filePath("target")), QByteArray("new"));
    discardTemporaryFile(second);
    EXPECT_EQ(everything(dir.path()), QStringList{"target"});
    EXPECT_FALSE(commitTemporaryFile(second, QFile::encodeName(dir.filePath("target"))));
}

// Ends the process the way a second interrupt does, with writes half done.
[[noreturn]] void abandonAndExit(const QString &folder)
{
    const int fd = openTemporaryFile(QFile::encodeName(folder + "/.half.tmp"), 0644);
    if (fd < 0 || ::write(fd, "half", 4) != 4)
        ::_exit(1);
    // A writer that has just finished its file and tries to commit it.
    const int late = openTemporaryFile(QFile::encodeName(folder + "/.late.tmp"), 0644);
    if (late < 0)
        ::_exit(1);
    abandonWritesInFlight();
    std::thread writer([&] {
        commitTemporaryFile(QFile::encodeName(folder + "/.late.tmp"), QFile::encodeName(folder + "/late"));
        ::_exit(3); // the commit went through: wrong
    });
    writer.detach();
    ::usleep(100 * 1000);
    ::_exit(143);
}

TEST(WritesInFlightDeathTest, AbandonDeletesEveryTemporaryFileAndCommitsNothingAfterwards)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    QTemporaryDir dir;
    writeBytes(dir.filePath("earlier"), "whole");
    EXPECT_EXIT(abandonAndExit(dir.path()), ::testing::ExitedWithCode(143), "");
    EXPECT_EQ(everything(dir.path()), QStringList{"earlier"});
}

TEST(WritesInFlight, AtomicWritesLeaveNothingInFlight)
{
    QTemporaryDir dir;
    ASSERT_FALSE(writeFileAtomically(dir.filePath("a"), "aaaa").has_value());
    // A failed write (the target is a folder) takes its temporary file away too.
    QDir().mkpath(dir.filePath("b"));
    EXPECT_TRUE(writeFileAtomically(dir.filePath("b"), "bbbb").has_value());
    EXPECT_EQ(everything(dir.path()), (QStringList{"a", "b"}));
}

} // namespace
