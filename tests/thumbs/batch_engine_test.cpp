#include "support/decoded_picture.h"
#include "support/sanitizers.h"
#include "support/file_bytes.h"
#include "support/test_pictures.h"
#include "codecs/picture_codecs.h"
#include "settings/thumb_settings.h"
#include "thumbs/compose.h"
#include "thumbs/batch_engine.h"
#include "thumbs/thumbnail_workers.h"
#include "support/resample_test_support.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <new>
#include <stdexcept>
#include <sys/resource.h>

using namespace tess;
using namespace test_files;
using tess::testing::patterned;

namespace {

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
        const Picture p = patterned(width, height, seed);
        writeBytes(source(name), name.endsWith(QLatin1String(".bmp")) ? encodeBmp(p)
                                                                      : *encodeJpeg(p, {}, name));
    }

    BatchResult run(const QStringList &entries, BatchCallbacks callbacks = {}, int threads = 2)
    {
        BatchEngine engine(threads);
        engine.setKeepGoing(keepGoing);
        if (maker)
            engine.setThumbnailMaker(maker);
        engineInUse = &engine;
        auto fileDone = callbacks.fileDone;
        callbacks.fileDone = [&](int index, const QString &name, bool written) {
            done.push_back({index, name, written});
            if (fileDone)
                fileDone(index, name, written);
        };
        BatchResult result = engine.run(jobsForFolder(sourceDir.path(), entries), settings, callbacks);
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
    bool keepGoing = false;
    ThumbnailWorkers::Maker maker;
};

// The real maker, with file `slowIndex` held back until the later files are
// made (or a second has passed), and a record of what was made with which
// settings width.
struct SlowFirstMaker {
    int slowIndex = 0;
    int waitFor = 0; // files after the slow one to see finished first
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<std::pair<int, int>> made; // (index, Width) in the order finished

    ThumbnailWorkers::Maker maker()
    {
        return [this](ThumbnailWork &work, const WorkAdmission &admission) {
            // Slow once it has its memory, as a large picture being decoded is.
            WorkAdmission slowed = admission;
            slowed.admit = [&](const WorkCost &cost) {
                const bool admitted = admission.admit(cost);
                if (work.index == slowIndex) {
                    std::unique_lock lock(mutex);
                    changed.wait_for(lock, std::chrono::seconds(5), [&] { return finishedAfterSlow() >= waitFor; });
                }
                return admitted;
            };
            makeThumbnail(work, slowed, 1);
            std::lock_guard lock(mutex);
            made.emplace_back(work.index, work.settings.Width);
            changed.notify_all();
        };
    }
    int finishedAfterSlow() const
    {
        return int(std::count_if(made.begin(), made.end(), [&](const auto &m) { return m.first > slowIndex; }));
    }
    int timesMade(int index)
    {
        std::lock_guard lock(mutex);
        return int(std::count_if(made.begin(), made.end(), [&](const auto &m) { return m.first == index; }));
    }
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
        callbacks.fileDone = [&](int index, const QString &, bool) { currentFile = index + 1; };
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

TEST_F(BatchEngineTest, APrefixThatNamesNoFileEndsTheRunBeforeAnyPictureIsOpened)
{
    for (int i = 0; i < 16; ++i)
        addPicture(QStringLiteral("p%1.bmp").arg(i), 20, 20, i);
    QStringList entries;
    for (int i = 0; i < 16; ++i)
        entries << QStringLiteral("p%1.bmp").arg(i);
    std::atomic<int> opened{0};
    maker = [&](ThumbnailWork &work, const WorkAdmission &start) {
        ++opened;
        makeThumbnail(work, start, 1);
    };
    settings.Prefix = QStringLiteral("a/b_");
    int failures = 0;
    BatchCallbacks callbacks;
    callbacks.fileFailed = [&](int, const Failure &) { ++failures; };
    for (const bool going : {false, true}) {
        keepGoing = going;
        const BatchResult result = run(entries, callbacks);
        EXPECT_EQ(result.end, BatchEnd::Failed);
        ASSERT_TRUE(result.failure.has_value());
        EXPECT_EQ(result.failure->message, QStringLiteral("ファイル名に「/」は使えません。"));
        EXPECT_EQ(result.failure->file, settings.SaveFolder + QStringLiteral("/a/b_"));
        EXPECT_EQ(opened.load(), 0) << "no picture is opened";
        EXPECT_EQ(failures, 0) << "one message for the run, none per picture";
        EXPECT_TRUE(done.empty());
        EXPECT_TRUE(QDir(saveDir.path()).isEmpty());
    }
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
    callbacks.rowDone = [&](int, int) {
        if (!changed) {
            changed = true;
            ThumbSettings smaller = settings; // as the settings window would while the run yields
            smaller.Width = 64;
            smaller.Height = 32;
            engineInUse->changeSettings(smaller);
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

TEST_F(BatchEngineTest, OneRunOverSeveralFoldersWritesEachIntoItsOutputFolderMadeOnFirstWrite)
{
    ASSERT_TRUE(QDir(sourceDir.path()).mkpath(QStringLiteral("sub")));
    addPicture("a.bmp", 20, 30, 1);
    addPicture("sub/b.bmp", 30, 20, 2);
    std::vector<ThumbnailJob> jobs = jobsForFolder(sourceDir.path(), {"a.bmp"});
    for (ThumbnailJob &job : jobsForFolder(source("sub"), {"b.bmp"}, QStringLiteral("sub/deeper")))
        jobs.push_back(job);
    BatchEngine engine(2);
    const BatchResult result = engine.run(jobs, settings);
    ASSERT_EQ(result.end, BatchEnd::Completed);
    EXPECT_EQ(result.written, 2);
    EXPECT_TRUE(QFileInfo::exists(saved("Thumb_a.bmp")));
    const DecodedPicture deeper = decodePictureFile(saved("sub/deeper/Thumb_b.bmp"));
    ASSERT_TRUE(deeper.ok());
    EXPECT_EQ(deeper.picture.width(), 128);
}

// ---------------------------------------------------------------- workers composing ahead

TEST_F(BatchEngineTest, ASlowFirstFileIsStillWrittenFirstWhileLaterOnesAreMadeAhead)
{
    QStringList entries;
    for (int i = 0; i < 4; ++i) {
        entries << QStringLiteral("p%1.bmp").arg(i);
        addPicture(entries.back(), 60, 40, i);
    }
    SlowFirstMaker slow;
    slow.waitFor = 3;
    maker = slow.maker();
    int madeAheadWhenFirstWritten = -1;
    BatchCallbacks callbacks;
    callbacks.fileDone = [&](int index, const QString &, bool) {
        if (index == 0) {
            std::lock_guard lock(slow.mutex);
            madeAheadWhenFirstWritten = slow.finishedAfterSlow();
        }
    };
    const BatchResult result = run(entries, callbacks, 2);
    EXPECT_EQ(result.end, BatchEnd::Completed);
    EXPECT_EQ(madeAheadWhenFirstWritten, 3) << "the later files were made while the first was in hand";
    const std::vector<Done> expected = {
        {0, "Thumb_p0.bmp", true}, {1, "Thumb_p1.bmp", true}, {2, "Thumb_p2.bmp", true}, {3, "Thumb_p3.bmp", true}};
    EXPECT_EQ(done, expected);
}

TEST_F(BatchEngineTest, AFailureMadeAheadEndsTheRunOnlyWhenTheRunReachesIt)
{
    addPicture("a.bmp", 30, 30, 1);
    writeBytes(source("b.bmp"), "BM but nothing after it");
    addPicture("c.bmp", 30, 30, 3);
    addPicture("d.bmp", 30, 30, 4);
    SlowFirstMaker slow;
    slow.waitFor = 3; // b, c and d are made, b failing, before a is
    maker = slow.maker();
    const BatchResult result = run({"a.bmp", "b.bmp", "c.bmp", "d.bmp"}, {}, 2);
    EXPECT_EQ(result.end, BatchEnd::Failed);
    ASSERT_TRUE(result.failure.has_value());
    EXPECT_EQ(QFileInfo(result.failure->file).fileName(), QStringLiteral("b.bmp"));
    EXPECT_EQ(result.written, 1);
    EXPECT_TRUE(QFileInfo::exists(saved("Thumb_a.bmp")));
    EXPECT_FALSE(QFileInfo::exists(saved("Thumb_c.bmp"))) << "made ahead, but after the failure";
    EXPECT_FALSE(QFileInfo::exists(saved("Thumb_d.bmp")));
}

TEST_F(BatchEngineTest, ASettingsChangeMidRunRemakesWhatWasMadeAheadWithTheOldOnes)
{
    QStringList entries;
    for (int i = 0; i < 4; ++i) {
        entries << QStringLiteral("p%1.bmp").arg(i);
        addPicture(entries.back(), 60, 60, i);
    }
    settings.RatioMode = KeepRatioWithinBoth;
    SlowFirstMaker slow;
    slow.waitFor = 3;
    maker = slow.maker();
    BatchCallbacks callbacks;
    bool changed = false;
    callbacks.rowDone = [&](int, int) {
        if (!changed) {
            changed = true;
            ThumbSettings smaller = settings; // while the first file is on the canvas
            smaller.Width = 64;
            smaller.Height = 32;
            engineInUse->changeSettings(smaller);
        }
    };
    const BatchResult result = run(entries, callbacks, 2);
    ASSERT_EQ(result.end, BatchEnd::Completed);
    ASSERT_TRUE(changed);
    const DecodedPicture first = decodePictureFile(saved("Thumb_p0.bmp"));
    ASSERT_TRUE(first.ok());
    EXPECT_EQ(first.picture.width(), 128);
    for (int i = 1; i < 4; ++i) {
        const DecodedPicture later = decodePictureFile(saved(QStringLiteral("Thumb_p%1.bmp").arg(i)));
        ASSERT_TRUE(later.ok());
        EXPECT_EQ(later.picture.width(), 64) << i;
        EXPECT_EQ(later.picture.height(), 32) << i;
    }
    EXPECT_EQ(slow.timesMade(1), 2) << "made ahead with 128, then again with 64";
}

TEST_F(BatchEngineTest, KeepGoingReportsAFailedFileWritesNothingForItAndCompletes)
{
    addPicture("a.bmp", 20, 20, 1);
    writeBytes(source("b.jpg"), "not a picture");
    addPicture("c.bmp", 20, 20, 3);
    keepGoing = true;
    std::vector<std::pair<int, QString>> failures;
    BatchCallbacks callbacks;
    callbacks.fileFailed = [&](int index, const Failure &failure) {
        failures.emplace_back(index, QFileInfo(failure.file).fileName());
        EXPECT_FALSE(failure.message.isEmpty());
    };
    const BatchResult result = run({"a.bmp", "b.jpg", "c.bmp"}, callbacks);
    EXPECT_EQ(result.end, BatchEnd::Completed);
    EXPECT_FALSE(result.failure.has_value());
    EXPECT_EQ(result.written, 2);
    EXPECT_EQ(result.failed, 1);
    EXPECT_EQ(failures, (std::vector<std::pair<int, QString>>{{1, "b.jpg"}}));
    const std::vector<Done> expected = {{0, "Thumb_a.bmp", true}, {2, "Thumb_c.bmp", true}};
    EXPECT_EQ(done, expected);
    EXPECT_FALSE(QFileInfo::exists(saved("Thumb_b.bmp")));
}

TEST_F(BatchEngineTest, KeepGoingAlsoPassesAWriteFailureAndStillStops)
{
    addPicture("a.bmp", 20, 20, 1);
    addPicture("b.bmp", 20, 20, 2);
    addPicture("c.bmp", 20, 20, 3);
    // A folder where b's thumbnail should go: its write fails.
    ASSERT_TRUE(QDir(saveDir.path()).mkdir(QStringLiteral("Thumb_b.bmp")));
    keepGoing = true;
    int failuresSeen = 0;
    BatchCallbacks callbacks;
    callbacks.fileFailed = [&](int index, const Failure &) {
        ++failuresSeen;
        EXPECT_EQ(index, 1);
        engineInUse->requestStop(); // honoured after the failed file too
    };
    const BatchResult result = run({"a.bmp", "b.bmp", "c.bmp"}, callbacks);
    EXPECT_EQ(result.end, BatchEnd::Stopped);
    EXPECT_EQ(result.failed, 1);
    EXPECT_EQ(result.written, 1);
    EXPECT_FALSE(QFileInfo::exists(saved("Thumb_c.bmp")));
}

TEST_F(BatchEngineTest, AnExceptionInAWorkerFailsOnlyThatFile)
{
    for (const char *name : {"a.bmp", "b.bmp", "c.bmp"})
        addPicture(name, 20, 20, 1);
    maker = [](ThumbnailWork &work, const WorkAdmission &start) {
        if (work.index == 1)
            throw std::bad_alloc();
        makeThumbnail(work, start, 1);
    };
    const BatchResult failing = run({"a.bmp", "b.bmp", "c.bmp"});
    EXPECT_EQ(failing.end, BatchEnd::Failed);
    ASSERT_TRUE(failing.failure.has_value());
    EXPECT_EQ(QFileInfo(failing.failure->file).fileName(), QStringLiteral("b.bmp"));
    EXPECT_EQ(failing.failure->message, QStringLiteral("メモリが足りません。"));

    keepGoing = true;
    done.clear();
    const BatchResult going = run({"a.bmp", "b.bmp", "c.bmp"});
    EXPECT_EQ(going.end, BatchEnd::Completed);
    EXPECT_EQ(going.failed, 1);
    EXPECT_EQ(going.written, 2);
}

TEST_F(BatchEngineTest, AHugeJpegClaimOverAFewBytesFailsTheRun)
{
    QByteArray jpeg = *encodeJpeg(patterned(32, 32, 1), {}, QStringLiteral("x.jpg"));
    const int sof = jpeg.indexOf("\xFF\xC0");
    ASSERT_GT(sof, 0);
    for (int i : {5, 7}) {
        jpeg[sof + i] = char(0xFF);
        jpeg[sof + i + 1] = char(0xDC); // 65500
    }
    writeBytes(source("huge.jpg"), jpeg);
    const BatchResult result = run({"huge.jpg"});
    EXPECT_EQ(result.end, BatchEnd::Failed);
    ASSERT_TRUE(result.failure.has_value());
    EXPECT_EQ(QFileInfo(result.failure->file).fileName(), QStringLiteral("huge.jpg"));
}

TEST_F(BatchEngineTest, StreamedAndWholeFilesWriteWhatTheWholePathComposes)
{
    // A baseline JPEG and a plain bitmap stream through the workers; what they
    // write is the whole-picture composition, encoded.
    const Picture p = patterned(300, 200, 5);
    writeBytes(source("base.jpg"), *encodeJpeg(p, {}, QStringLiteral("base.jpg")));
    writeBytes(source("plain.bmp"), encodeBmp(p));
    const BatchResult result = run({"base.jpg", "plain.bmp"});
    ASSERT_EQ(result.end, BatchEnd::Completed);
    for (const char *name : {"base.jpg", "plain.bmp"}) {
        DecodedPicture decoded = decodePictureFile(source(name));
        ASSERT_TRUE(decoded.ok());
        Picture canvas;
        canvas.setBackground(Colour(settings.MarginColour));
        ASSERT_FALSE(tess::testing::composePicture(decoded.picture, canvas, settings));
        const QString base = QString::fromLatin1(name).section(QLatin1Char('.'), 0, 0);
        EXPECT_EQ(readBytes(saved(QStringLiteral("Thumb_") + base + QStringLiteral(".bmp"))), encodeBmp(canvas)) << name;
    }
}

enum class Thrower { CanvasSized, RowDone, FileDone, FileEnded };
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
        if (here != c.where || (file != 1 && here != Thrower::FileEnded))
            return;
        switch (c.what) {
        case Thrown::BadAlloc: throw std::bad_alloc();
        case Thrown::RuntimeError: throw std::runtime_error("boom");
        case Thrown::NotAnException: throw 42;
        }
    };
    BatchCallbacks callbacks;
    callbacks.canvasSized = [&](int, int, Colour) { maybeThrow(Thrower::CanvasSized); };
    callbacks.rowDone = [&](int, int) { maybeThrow(Thrower::RowDone); };
    callbacks.fileDone = [&](int, const QString &, bool) {
        maybeThrow(Thrower::FileDone);
        ++file;
    };
    // After the second file is written and reported.
    callbacks.fileEnded = [&](int index) {
        if (index == 1)
            maybeThrow(Thrower::FileEnded);
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
    ::testing::Values(ThrowCase{Thrower::CanvasSized, Thrown::BadAlloc, 1, "メモリが足りません。"},
                      ThrowCase{Thrower::RowDone, Thrown::RuntimeError, 1, "処理中にエラーが発生しました。"},
                      ThrowCase{Thrower::FileDone, Thrown::NotAnException, 2, "処理中にエラーが発生しました。"},
                      ThrowCase{Thrower::FileEnded, Thrown::BadAlloc, 2, "メモリが足りません。"}));

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
