#include "file_bytes.h"
#include "platform/picture_codecs.h"
#include "settings/thumb_settings.h"
#include "thumbs/batch_engine.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <new>
#include <stdexcept>
#include <sys/resource.h>

using namespace tess;
using namespace test_files;

namespace {

// A picture whose pixels differ from file to file, so a mixed-up order shows.
Picture testPicture(int width, int height, int seed)
{
    Picture p(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            p.setPixel(x, y, rgb((x * 7 + seed * 40) & 0xFF, (y * 5 + seed * 13) & 0xFF, (x + y + seed) & 0xFF));
    return p;
}

class BatchEngineTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(sourceDir.isValid() && saveDir.isValid());
        settings = defaultSettings(saveDir.path());
        settings.FileType = FileTypeBitmap; // lossless, so pixels can be compared
    }

    QString source(const QString &name) const { return sourceDir.filePath(name); }
    QString saved(const QString &name) const { return saveDir.filePath(name); }

    void addPicture(const QString &name, int width, int height, int seed)
    {
        const Picture p = testPicture(width, height, seed);
        writeBytes(source(name), name.endsWith(QLatin1String(".bmp")) ? encodeBmp(p)
                                                                      : *encodeJpeg(p, {}, name));
    }

    BatchResult run(const QStringList &entries, BatchCallbacks callbacks = {}, int threads = 2)
    {
        BatchEngine engine(settings, threads);
        engineInUse = &engine;
        Picture canvas;
        auto fileDone = callbacks.fileDone;
        callbacks.fileDone = [&](int index, const QString &name, bool written) {
            done.push_back({index, name, written});
            if (fileDone)
                fileDone(index, name, written);
        };
        BatchResult result = engine.run(entries, sourceDir.path(), canvas, callbacks);
        engineInUse = nullptr;
        return result;
    }

    struct Done {
        int index;
        QString name;
        bool written;
        friend bool operator==(const Done &, const Done &) = default;
    };

    QTemporaryDir sourceDir;
    QTemporaryDir saveDir;
    ThumbSettings settings;
    std::vector<Done> done;
    BatchEngine *engineInUse = nullptr;
};

TEST_F(BatchEngineTest, EmptyListCompletesWithoutWriting)
{
    const BatchResult result = run({});
    EXPECT_EQ(result.end, BatchEnd::Completed);
    EXPECT_EQ(result.written + result.skipped, 0);
    EXPECT_TRUE(QDir(saveDir.path()).entryList(QDir::Files).isEmpty());
}

TEST_F(BatchEngineTest, WritesEveryFileInListOrder)
{
    addPicture("b.bmp", 40, 30, 1);
    addPicture("a.jpg", 30, 40, 2);
    addPicture("c.x.bmp", 64, 64, 3);
    const BatchResult result = run({"a.jpg", "b.bmp", "c.x.bmp"});
    EXPECT_EQ(result.end, BatchEnd::Completed);
    EXPECT_EQ(result.written, 3);
    const std::vector<Done> expected = {{0, "Thumb_a.bmp", true}, {1, "Thumb_b.bmp", true}, {2, "Thumb_c.bmp", true}};
    EXPECT_EQ(done, expected);
    for (const Done &d : expected) {
        const DecodedPicture thumb = decodePictureFile(saved(d.name));
        ASSERT_TRUE(thumb.ok()) << d.name.toStdString();
        EXPECT_EQ(thumb.picture.width(), 128);
        EXPECT_EQ(thumb.picture.height(), 128);
    }
}

TEST_F(BatchEngineTest, StopRequestTakesEffectAfterTheFileInHand)
{
    for (int i = 0; i < 4; ++i)
        addPicture(QStringLiteral("p%1.bmp").arg(i), 50, 50, i);
    const QStringList entries = {"p0.bmp", "p1.bmp", "p2.bmp", "p3.bmp"};
    for (int stopAt : {0, 3}) {
        done.clear();
        int currentFile = 0;
        BatchCallbacks callbacks;
        callbacks.rowDone = [&](int rowsDone, int) {
            if (currentFile == stopAt && rowsDone == 10)
                engineInUse->requestStop();
        };
        callbacks.afterFile = [&] { ++currentFile; };
        const BatchResult result = run(entries, callbacks);
        EXPECT_EQ(result.end, BatchEnd::Stopped) << "stop in file " << stopAt;
        EXPECT_EQ(result.written, stopAt + 1) << "the file in hand is still written";
        ASSERT_EQ(int(done.size()), stopAt + 1);
        EXPECT_EQ(done.back().name, QStringLiteral("Thumb_p%1.bmp").arg(stopAt));
    }
}

TEST_F(BatchEngineTest, SkipWithEveryNamePresentWritesNothingAndCompletes)
{
    addPicture("a.bmp", 20, 20, 1);
    addPicture("b.bmp", 20, 20, 2);
    writeBytes(saved("Thumb_a.bmp"), "old a");
    writeBytes(saved("Thumb_b.bmp"), "old b");
    settings.DuplicateMode = DuplicateSkip;
    const BatchResult result = run({"a.bmp", "b.bmp"});
    EXPECT_EQ(result.end, BatchEnd::Completed);
    EXPECT_EQ(result.written, 0);
    EXPECT_EQ(result.skipped, 2);
    EXPECT_EQ(readBytes(saved("Thumb_a.bmp")), QByteArray("old a"));
    EXPECT_EQ(readBytes(saved("Thumb_b.bmp")), QByteArray("old b"));
    ASSERT_EQ(done.size(), 2u);
    EXPECT_FALSE(done[0].written);
    EXPECT_FALSE(done[1].written);
}

TEST_F(BatchEngineTest, UndecodableFileEndsTheRunThereKeepingEarlierThumbnails)
{
    addPicture("a.bmp", 20, 20, 1);
    writeBytes(source("b.jpg"), "this is not a picture");
    addPicture("c.bmp", 20, 20, 3);
    const BatchResult result = run({"a.bmp", "b.jpg", "c.bmp"});
    EXPECT_EQ(result.end, BatchEnd::Failed);
    ASSERT_TRUE(result.failure.has_value());
    EXPECT_EQ(QFileInfo(result.failure->file).fileName(), QStringLiteral("b.jpg"));
    EXPECT_FALSE(result.failure->message.isEmpty());
    EXPECT_TRUE(QFileInfo::exists(saved("Thumb_a.bmp")));
    EXPECT_FALSE(QFileInfo::exists(saved("Thumb_c.bmp")));
    EXPECT_EQ(result.written, 1);
}

TEST_F(BatchEngineTest, SettingsChangedDuringAFileApplyFromTheNextComposition)
{
    addPicture("a.bmp", 60, 60, 1);
    addPicture("b.bmp", 60, 60, 2);
    settings.RatioMode = KeepRatioWithinBoth;
    BatchCallbacks callbacks;
    bool changed = false;
    callbacks.beforeRow = [&] {
        if (!changed) {
            changed = true;
            settings.Width = 64; // as the settings window would while the run yields
            settings.Height = 32;
        }
    };
    const BatchResult result = run({"a.bmp", "b.bmp"}, callbacks);
    ASSERT_EQ(result.end, BatchEnd::Completed);
    const DecodedPicture first = decodePictureFile(saved("Thumb_a.bmp"));
    const DecodedPicture second = decodePictureFile(saved("Thumb_b.bmp"));
    ASSERT_TRUE(first.ok() && second.ok());
    EXPECT_EQ(first.picture.width(), 128);
    EXPECT_EQ(second.picture.width(), 64);
    EXPECT_EQ(second.picture.height(), 32);
}

TEST_F(BatchEngineTest, NeverWritesOverASourcePicture)
{
    addPicture("a.bmp", 20, 20, 1);
    const QByteArray original = readBytes(source("a.bmp"));
    settings.SaveFolder = sourceDir.path();
    settings.Prefix.clear();
    const BatchResult result = run({"a.bmp"});
    EXPECT_EQ(result.end, BatchEnd::Failed);
    ASSERT_TRUE(result.failure.has_value());
    EXPECT_EQ(readBytes(source("a.bmp")), original);
}

TEST_F(BatchEngineTest, OutputDoesNotDependOnTheNumberOfDecodeThreads)
{
    QStringList entries;
    for (int i = 0; i < 7; ++i) {
        const QString name = QStringLiteral("p%1.%2").arg(i).arg(i % 2 ? "jpg" : "bmp");
        addPicture(name, 30 + i * 11, 70 - i * 5, i);
        entries << name;
    }
    std::vector<QByteArray> reference;
    for (int threads : {1, 3}) {
        done.clear();
        ASSERT_EQ(run(entries, {}, threads).end, BatchEnd::Completed);
        std::vector<QByteArray> outputs;
        for (const Done &d : done)
            outputs.push_back(readBytes(saved(d.name)));
        if (reference.empty())
            reference = outputs;
        else
            EXPECT_EQ(outputs, reference) << threads << " threads";
    }
}

enum class Thrower { CanvasPlaced, RowDone, FileDone, AfterFile };
enum class Thrown { BadAlloc, RuntimeError, NotAnException };

struct ThrowCase {
    Thrower where;
    Thrown what;
    int written; // thumbnails counted before the throw
    const char *message;
};

class ExceptionInARun : public BatchEngineTest, public ::testing::WithParamInterface<ThrowCase> {};

TEST_P(ExceptionInARun, EndsTheRunAsAFailureNamingTheFile)
{
    const ThrowCase &c = GetParam();
    for (int i = 0; i < 3; ++i)
        addPicture(QStringLiteral("p%1.bmp").arg(i), 20, 20, i);
    int file = 0;
    const auto maybeThrow = [&](Thrower here) {
        if (here != c.where || file != 1)
            return;
        switch (c.what) {
        case Thrown::BadAlloc: throw std::bad_alloc();
        case Thrown::RuntimeError: throw std::runtime_error("boom");
        case Thrown::NotAnException: throw 42;
        }
    };
    BatchCallbacks callbacks;
    callbacks.canvasPlaced = [&](int, int) { maybeThrow(Thrower::CanvasPlaced); };
    callbacks.rowDone = [&](int, int) { maybeThrow(Thrower::RowDone); };
    callbacks.fileDone = [&](int, const QString &, bool) { maybeThrow(Thrower::FileDone); };
    callbacks.afterFile = [&] {
        maybeThrow(Thrower::AfterFile);
        ++file;
    };
    BatchResult result;
    EXPECT_NO_THROW(result = run({"p0.bmp", "p1.bmp", "p2.bmp"}, callbacks));
    EXPECT_EQ(result.end, BatchEnd::Failed);
    ASSERT_TRUE(result.failure.has_value());
    EXPECT_EQ(result.failure->file, source("p1.bmp"));
    EXPECT_EQ(result.failure->message, QString::fromUtf8(c.message));
    EXPECT_EQ(result.written, c.written);
    EXPECT_FALSE(QFileInfo::exists(saved("Thumb_p2.bmp"))) << "the run ended at the file";
}

INSTANTIATE_TEST_SUITE_P(
    BatchEngineTest, ExceptionInARun,
    ::testing::Values(ThrowCase{Thrower::CanvasPlaced, Thrown::BadAlloc, 1, "メモリが足りません。"},
                      ThrowCase{Thrower::RowDone, Thrown::RuntimeError, 1, "処理中にエラーが発生しました。"},
                      ThrowCase{Thrower::FileDone, Thrown::NotAnException, 2, "処理中にエラーが発生しました。"},
                      ThrowCase{Thrower::AfterFile, Thrown::BadAlloc, 2, "メモリが足りません。"}));

#if defined(__SANITIZE_ADDRESS__)
#define TESS_UNDER_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TESS_UNDER_ASAN 1
#endif
#endif

TEST_F(BatchEngineTest, AHugeCanvasThatCannotBeAllocatedFailsTheFile)
{
#ifdef TESS_UNDER_ASAN
    GTEST_SKIP() << "the address sanitizer needs more address space than the limit leaves";
#else
    // 16384 x 16384 pixels want a gigabyte; the address space left is smaller.
    addPicture("p.bmp", 20, 20, 1);
    settings.Width = 16384;
    settings.Height = 16384;
    settings.RatioMode = StretchToBoth;
    QFile status("/proc/self/status");
    ASSERT_TRUE(status.open(QIODevice::ReadOnly));
    long long vmKb = 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmSize:"))
            vmKb = line.mid(7).trimmed().split(' ').first().toLongLong();
    }
    ASSERT_GT(vmKb, 0);
    struct rlimit saved {};
    ASSERT_EQ(::getrlimit(RLIMIT_AS, &saved), 0);
    struct rlimit limited = saved;
    limited.rlim_cur = rlim_t(vmKb + 512 * 1024) * 1024;
    ASSERT_EQ(::setrlimit(RLIMIT_AS, &limited), 0);
    BatchResult result;
    EXPECT_NO_THROW(result = run({"p.bmp"}, {}, 1));
    ::setrlimit(RLIMIT_AS, &saved);
    EXPECT_EQ(result.end, BatchEnd::Failed);
    ASSERT_TRUE(result.failure.has_value());
    EXPECT_EQ(result.failure->file, source("p.bmp"));
    EXPECT_EQ(result.failure->message, QStringLiteral("メモリが足りません。"));
#endif
}

} // namespace

namespace {

TEST_F(BatchEngineTest, KeepGoingReportsEachBadFileAndWritesTheRest)
{
    struct Case {
        const char *what;
        QStringList entries;
        std::vector<int> badIndexes;
    };
    addPicture("a.bmp", 20, 20, 1);
    addPicture("b.bmp", 20, 20, 2);
    addPicture("c.jpg", 20, 20, 3);
    writeBytes(source("x.jpg"), "this is not a picture");
    writeBytes(source("y.bmp"), "BM cut short");
    const std::vector<Case> cases = {
        {"first", {"x.jpg", "a.bmp", "b.bmp"}, {0}},
        {"middle", {"a.bmp", "x.jpg", "b.bmp"}, {1}},
        {"last", {"a.bmp", "b.bmp", "x.jpg"}, {2}},
        {"two together", {"a.bmp", "x.jpg", "y.bmp", "c.jpg"}, {1, 2}},
        {"all", {"x.jpg", "y.bmp"}, {0, 1}},
    };
    for (const Case &c : cases) {
        QDir(saveDir.path()).removeRecursively();
        QDir().mkpath(saveDir.path());
        done.clear();
        std::vector<int> failedIndexes;
        QStringList failedFiles;
        BatchCallbacks callbacks;
        callbacks.fileFailed = [&](int index, const Failure &failure) {
            failedIndexes.push_back(index);
            failedFiles.append(QFileInfo(failure.file).fileName());
            EXPECT_FALSE(failure.message.isEmpty()) << c.what;
        };
        BatchEngine engine(settings, 2);
        engine.setKeepGoing(true);
        Picture canvas;
        callbacks.fileDone = [&](int index, const QString &name, bool written) { done.push_back({index, name, written}); };
        const BatchResult result = engine.run(c.entries, sourceDir.path(), canvas, callbacks);

        EXPECT_EQ(result.end, BatchEnd::Completed) << c.what;
        EXPECT_FALSE(result.failure.has_value()) << c.what;
        EXPECT_EQ(failedIndexes, c.badIndexes) << c.what;
        EXPECT_EQ(result.failed, int(c.badIndexes.size())) << c.what;
        EXPECT_EQ(result.written, int(c.entries.size() - c.badIndexes.size())) << c.what;
        for (int bad : c.badIndexes)
            EXPECT_TRUE(failedFiles.contains(c.entries[bad])) << c.what;
        QStringList expectedOutputs;
        for (const Done &d : done)
            expectedOutputs.append(d.name);
        QStringList written = QDir(saveDir.path()).entryList(QDir::Files | QDir::Hidden);
        written.sort();
        expectedOutputs.sort();
        EXPECT_EQ(written, expectedOutputs) << c.what << ": nothing for the bad files, nothing left over";
    }
}

TEST_F(BatchEngineTest, KeepGoingAlsoCoversWriteFailuresAndStillHonoursAStop)
{
    addPicture("a.bmp", 20, 20, 1);
    addPicture("b.bmp", 20, 20, 2);
    addPicture("c.bmp", 20, 20, 3);
    // A folder where b's thumbnail should go: its write fails.
    QDir().mkpath(saved("Thumb_b.bmp"));
    BatchEngine engine(settings, 1);
    engine.setKeepGoing(true);
    Picture canvas;
    int failures = 0;
    BatchCallbacks callbacks;
    callbacks.fileFailed = [&](int index, const Failure &) {
        EXPECT_EQ(index, 1);
        ++failures;
        engine.requestStop();
    };
    const BatchResult result = engine.run({"a.bmp", "b.bmp", "c.bmp"}, sourceDir.path(), canvas, callbacks);
    EXPECT_EQ(result.end, BatchEnd::Stopped);
    EXPECT_EQ(failures, 1);
    EXPECT_EQ(result.failed, 1);
    EXPECT_EQ(result.written, 1);
    EXPECT_FALSE(QFileInfo::exists(saved("Thumb_c.bmp"))) << "the stop after the failed file holds";
}

} // namespace
