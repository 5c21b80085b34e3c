// tessarolith-batch told to stop by a signal in the middle of a run.
#include "support/batch_cli_support.h"
#include "support/decoded_picture.h"
#include "support/file_bytes.h"
#include "codecs/picture_codecs.h"
#include "settings/settings_file.h"
#include "settings/thumb_settings.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>
#include <thread>

using namespace tess;
using namespace test_files;
using namespace batch_cli;

namespace {

constexpr int kPictures = 40;

class BatchSignal : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(work.isValid());
        QDir(work.path()).mkpath("src");
        QDir(work.path()).mkpath("out");
        // Large enough that a run takes a while, so the signal lands in its middle.
        Picture p(1600, 1200, rgb(30, 60, 90));
        for (int y = 0; y < 1200; y += 7)
            p.fillBox(0, y, 1600, 3, rgb(y % 256, 200, 40));
        const QByteArray jpeg = *encodeJpeg(p, {}, "big.jpg");
        for (int i = 0; i < kPictures; ++i)
            writeBytes(work.filePath(QStringLiteral("src/p%1.jpg").arg(i, 2, 10, QLatin1Char('0'))), jpeg);
        ThumbSettings settings = defaultSettings(work.filePath("out"));
        settings.Width = 640;
        settings.Height = 640;
        settings.Quality = QualityHigh;
        ASSERT_TRUE(SaveSettings(settings, work.filePath("t.ini")));
    }

    // Starts a run and waits for its first thumbnail line.
    void startRun(QProcess &p)
    {
        p.start(batchProgram(), {"--settings", work.filePath("t.ini"), "--jobs", "1", work.filePath("src")});
        ASSERT_TRUE(p.waitForStarted());
        QElapsedTimer clock;
        clock.start();
        while (!p.canReadLine() && clock.elapsed() < 30000)
            p.waitForReadyRead(100);
        ASSERT_TRUE(p.canReadLine()) << "no thumbnail within 30 s";
    }

    // What a stopped run must leave: whole thumbnails only, as many as the summary says.
    void expectWholeThumbnailsOnly(const Outcome &o)
    {
        const QRegularExpressionMatch summary = QRegularExpression("written (\\d+), skipped 0, failed 0, .*, stopped\\n$").match(o.out);
        ASSERT_TRUE(summary.hasMatch()) << o.out.toStdString();
        const int written = summary.captured(1).toInt();
        EXPECT_LT(written, kPictures) << "the run stopped before its end";
        const QStringList left = QDir(work.filePath("out")).entryList(QDir::Files | QDir::Hidden);
        EXPECT_EQ(left.size(), written) << left.join(' ').toStdString();
        for (const QString &name : left) {
            EXPECT_FALSE(name.startsWith('.')) << "temporary file left: " << name.toStdString();
            const DecodedPicture thumb = decodePictureFile(work.filePath("out/" + name));
            EXPECT_TRUE(thumb.ok()) << name.toStdString();
            EXPECT_EQ(thumb.picture.width(), 640) << name.toStdString();
        }
    }

    QTemporaryDir work;
};

TEST_F(BatchSignal, TermOrIntStopsAfterTheFileInHandWithTheSummary)
{
    const std::vector<std::pair<int, int>> cases = {{SIGTERM, 143}, {SIGINT, 130}};
    for (const auto &[signal, exitCode] : cases) {
        QDir(work.filePath("out")).removeRecursively();
        QDir().mkpath(work.filePath("out"));
        QProcess p;
        startRun(p);
        ASSERT_EQ(::kill(pid_t(p.processId()), signal), 0);
        const Outcome o = finish(p);
        EXPECT_EQ(o.exitCode, exitCode) << "signal " << signal << ": " << o.err.toStdString();
        expectWholeThumbnailsOnly(o);
        // Every thumbnail it printed is there: the file in hand was finished.
        const QStringList lines = o.out.split('\n', Qt::SkipEmptyParts);
        EXPECT_EQ(lines.size() - 1, QDir(work.filePath("out")).entryList(QDir::Files).size());
    }
}

TEST_F(BatchSignal, ASecondSignalStopsAtOnceLeavingNoTemporaryFile)
{
    for (int attempt = 0; attempt < 3; ++attempt) {
        QDir(work.filePath("out")).removeRecursively();
        QDir().mkpath(work.filePath("out"));
        QProcess p;
        startRun(p);
        const pid_t pid = pid_t(p.processId());
        ASSERT_EQ(::kill(pid, SIGTERM), 0);
        // Some attempts land in a write, some in a decode.
        std::this_thread::sleep_for(std::chrono::milliseconds(attempt * 3));
        ::kill(pid, SIGTERM);
        const Outcome o = finish(p);
        EXPECT_EQ(o.exitCode, 143) << o.err.toStdString();
        expectWholeThumbnailsOnly(o);
    }
}

} // namespace
