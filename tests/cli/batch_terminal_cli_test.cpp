// tessarolith-batch with its output on a terminal.
#include "support/batch_cli_support.h"
#include "support/file_bytes.h"
#include "codecs/picture_codecs.h"
#include "settings/settings_file.h"
#include "settings/thumb_settings.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <pty.h>
#include <unistd.h>

using namespace tess;
using namespace test_files;
using namespace batch_cli;

namespace {

struct Terminal {
    int master = -1;
    int slave = -1;
    Terminal() { EXPECT_EQ(::openpty(&master, &slave, nullptr, nullptr, nullptr), 0); }
    ~Terminal()
    {
        if (slave >= 0)
            ::close(slave);
        if (master >= 0)
            ::close(master);
    }
    // Everything written to the terminal so far.
    QByteArray drain()
    {
        ::close(slave); // so that reading ends once the program's copies are gone
        slave = -1;
        QByteArray all;
        char buffer[4096];
        for (;;) {
            const ssize_t n = ::read(master, buffer, sizeof buffer);
            if (n <= 0)
                break; // EIO once no one holds the other end
            all.append(buffer, n);
        }
        return all;
    }
};

class BatchTerminal : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(work.isValid());
        QDir(work.path()).mkpath("src");
        QDir(work.path()).mkpath("out");
        for (const char *name : {"a.bmp", "b.bmp", "c.bmp"})
            writeBytes(work.filePath(QStringLiteral("src/") + name), encodeBmp(Picture(30, 20, rgb(1, 2, 3))));
        writeBytes(work.filePath("src/bad.jpg"), "not a picture");
        ThumbSettings settings = defaultSettings(work.filePath("out"));
        settings.FileType = FileTypeBitmap;
        ASSERT_TRUE(SaveSettings(settings, work.filePath("t.ini")));
    }
    // Runs with stderr, and stdout too when asked, on the terminal.
    Outcome run(Terminal &terminal, bool stdoutToo)
    {
        QProcess p;
        const int slave = terminal.slave;
        p.setChildProcessModifier([slave, stdoutToo] {
            ::dup2(slave, STDERR_FILENO);
            if (stdoutToo)
                ::dup2(slave, STDOUT_FILENO);
        });
        p.start(batchProgram(), {"--settings", work.filePath("t.ini"), "--keep-going", work.filePath("src")});
        return finish(p);
    }
    QTemporaryDir work;
};

TEST_F(BatchTerminal, StderrOnATerminalShowsAStatusLineAndStdoutKeepsItsList)
{
    Terminal terminal;
    const Outcome o = run(terminal, false);
    EXPECT_EQ(o.exitCode, 1);
    const QString screen = QString::fromUtf8(terminal.drain());
    EXPECT_TRUE(screen.contains("\r\x1b[K4/4 files, ")) << screen.toStdString();
    EXPECT_TRUE(screen.contains(" pictures/s, ")) << screen.toStdString();
    EXPECT_TRUE(screen.contains("bad.jpg: ")) << "the failure is still told: " << screen.toStdString();
    EXPECT_TRUE(screen.endsWith("\r\x1b[K")) << "the status line is taken away at the end";
    EXPECT_EQ(o.out.split('\n', Qt::SkipEmptyParts).size(), 4) << o.out.toStdString();
    EXPECT_TRUE(o.out.startsWith("Thumb_a.bmp\n")) << o.out.toStdString();
}

TEST_F(BatchTerminal, OneTerminalForBothShowsTheStatusLineInsteadOfTheList)
{
    Terminal terminal;
    const Outcome o = run(terminal, true);
    EXPECT_EQ(o.exitCode, 1);
    const QString screen = QString::fromUtf8(terminal.drain()).replace("\r\n", "\n");
    EXPECT_TRUE(screen.contains("4/4 files")) << screen.toStdString();
    EXPECT_FALSE(screen.contains("Thumb_a.bmp")) << screen.toStdString();
    EXPECT_TRUE(screen.contains("written 3, skipped 0, failed 1")) << screen.toStdString();
}

} // namespace
