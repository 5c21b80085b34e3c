#include "thumbs/decode_ahead.h"

#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <new>
#include <thread>

using namespace tess;

namespace {

QStringList numbered(int count)
{
    QStringList paths;
    for (int i = 0; i < count; ++i)
        paths << QString::number(i);
    return paths;
}

// Pretends to decode: a 1 x 1 picture whose pixel is the file's number.
DecodedPicture fakeDecode(const QString &path)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
    Picture p(1, 1);
    p.setPixel(0, 0, Colour(path.toInt()));
    return {p, std::nullopt};
}

TEST(DecodeAhead, HandsOutPicturesInListOrderWhateverTheThreads)
{
    for (int threads : {1, 2, 5}) {
        DecodeAhead ahead(numbered(20), threads, fakeDecode);
        for (int i = 0; i < 20; ++i)
            EXPECT_EQ(ahead.take(i).picture.pixel(0, 0), Colour(i)) << threads << " threads";
    }
}

TEST(DecodeAhead, NeverHoldsMoreThanItsLookaheadOfDecodedPictures)
{
    std::atomic<int> started{0};
    auto counting = [&](const QString &path) {
        ++started;
        return fakeDecode(path);
    };
    const int threads = 3;
    DecodeAhead ahead(numbered(50), threads, counting);
    ahead.take(0);
    // Nobody takes file 1 for a while: the workers must stop after the lookahead.
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_LE(started.load(), 1 + threads);
    EXPECT_GE(started.load(), 2);
}

TEST(DecodeAhead, FailuresTravelWithTheirFile)
{
    auto failing = [](const QString &path) -> DecodedPicture {
        if (path == QLatin1String("2"))
            return {Picture(), Failure{path, QStringLiteral("壊れています。")}};
        return fakeDecode(path);
    };
    DecodeAhead ahead(numbered(4), 2, failing);
    EXPECT_TRUE(ahead.take(0).ok());
    EXPECT_TRUE(ahead.take(1).ok());
    const DecodedPicture bad = ahead.take(2);
    ASSERT_FALSE(bad.ok());
    EXPECT_EQ(bad.failure->file, QStringLiteral("2"));
}

TEST(DecodeAhead, AnAllocationFailureFailsOnlyItsFile)
{
    auto exhausted = [](const QString &path) -> DecodedPicture {
        if (path == QLatin1String("1"))
            throw std::bad_alloc();
        return fakeDecode(path);
    };
    DecodeAhead ahead(numbered(3), 2, exhausted);
    EXPECT_TRUE(ahead.take(0).ok());
    const DecodedPicture failed = ahead.take(1);
    ASSERT_FALSE(failed.ok());
    EXPECT_EQ(failed.failure->file, QStringLiteral("1"));
    EXPECT_TRUE(ahead.take(2).ok());
}

TEST(DecodeAhead, WaitingCallsBackAndCancelStopsTheWorkers)
{
    std::atomic<int> started{0};
    auto slow = [&](const QString &path) {
        ++started;
        std::this_thread::sleep_for(std::chrono::milliseconds(60));
        return fakeDecode(path);
    };
    DecodeAhead ahead(numbered(100), 2, slow);
    int waits = 0;
    EXPECT_TRUE(ahead.take(0, [&] { ++waits; }).ok());
    EXPECT_GT(waits, 0);
    ahead.cancel();
    const int afterCancel = started.load();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    // A worker may have claimed its next file just before the cancel and start
    // it after; nothing beyond that one per worker may start (uncancelled, the
    // two workers would start about ten more in this time).
    EXPECT_LE(started.load(), afterCancel + 2);
    EXPECT_FALSE(ahead.take(1).ok());
}

} // namespace
