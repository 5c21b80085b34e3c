#include "settings/thumb_settings.h"
#include "thumbs/thumbnail_workers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

using namespace tess;

namespace {

std::vector<ThumbnailJob> numbered(int count)
{
    std::vector<ThumbnailJob> jobs;
    for (int i = 0; i < count; ++i)
        jobs.push_back({QStringLiteral("f%1").arg(i), QString(), QStringLiteral("f%1").arg(i)});
    return jobs;
}

// A maker that asks for a fixed cost, then takes a little while; it counts
// how many are making at once.
struct CostMaker {
    WorkCost cost;
    std::size_t loweredTo = SIZE_MAX; // called again with this much once under way
    std::atomic<int> making{0};
    std::atomic<int> mostAtOnce{0};
    std::atomic<int> madeCount{0};

    ThumbnailWorkers::Maker maker()
    {
        return [this](ThumbnailWork &work, const WorkAdmission &admission) {
            admission.admit(cost);
            if (loweredTo != SIZE_MAX)
                admission.lower({loweredTo, cost.holding});
            const int now = ++making;
            int seen = mostAtOnce.load();
            while (now > seen && !mostAtOnce.compare_exchange_weak(seen, now)) {
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(15));
            --making;
            ++madeCount;
            work.canvas = Picture(1, 1, Colour(work.index));
            work.finished = true;
        };
    }
};

// Follows every file in order as a run does; the indexes the canvases carry.
std::vector<int> followAll(ThumbnailWorkers &workers, int count)
{
    std::vector<int> seen;
    for (int i = 0; i < count; ++i) {
        const auto work = workers.follow(i);
        workers.wait(*work, std::nullopt);
        seen.push_back(int(work->canvas.pixel(0, 0)));
        workers.done(*work);
    }
    return seen;
}

struct BudgetCase {
    const char *name;
    std::size_t making, holding, budget;
    int threads;
    int mostAtOnce; // files made at the same time, at most
    std::size_t loweredTo = SIZE_MAX;
    int leastAtOnce = 1; // and at least, at some moment
};

class WorkerBudget : public ::testing::TestWithParam<BudgetCase> {};

TEST_P(WorkerBudget, FilesInFlightFitTheBudgetAndAllAreMadeInOrder)
{
    const BudgetCase &c = GetParam();
    CostMaker maker;
    maker.cost = {c.making, c.holding};
    maker.loweredTo = c.loweredTo;
    constexpr int kFiles = 12;
    std::vector<int> expected(kFiles);
    for (int i = 0; i < kFiles; ++i)
        expected[std::size_t(i)] = i;
    ThumbnailWorkers workers(numbered(kFiles), defaultSettings(QString()), c.threads, c.budget,
                             maker.maker());
    EXPECT_EQ(followAll(workers, kFiles), expected) << c.name;
    EXPECT_LE(maker.mostAtOnce.load(), c.mostAtOnce) << c.name;
    EXPECT_GE(maker.mostAtOnce.load(), c.leastAtOnce) << c.name;
    EXPECT_EQ(maker.madeCount.load(), kFiles) << c.name;
    const std::size_t one = c.making + c.holding;
    // Over the budget only by the one file the run waits for.
    EXPECT_LE(workers.peakCost(), std::max(c.budget, one)) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Table, WorkerBudget,
    ::testing::Values(BudgetCase{"two fit", 100, 0, 250, 3, 2}, BudgetCase{"all fit", 10, 0, 1000, 3, 3},
                      BudgetCase{"larger than the budget runs alone", 1000, 0, 250, 3, 1},
                      BudgetCase{"results waiting count too", 50, 50, 250, 4, 2},
                      // A decoder let go while composing makes room for the next file.
                      BudgetCase{"lowered cost lets the next in", 200, 0, 250, 2, 2, 20, 2}),
    [](const auto &info) {
        std::string name = info.param.name;
        std::replace(name.begin(), name.end(), ' ', '_');
        return name;
    });

TEST(ThumbnailWorkers, NewSettingsRemakeTheFilesFromThereOn)
{
    std::atomic<int> made{0};
    auto maker = [&](ThumbnailWork &work, const WorkAdmission &admission) {
        admission.admit({});
        ++made;
        work.canvas = Picture(1, 1, Colour(work.settings.Width));
        work.finished = true;
    };
    ThumbSettings settings = defaultSettings(QString());
    settings.Width = 10;
    ThumbnailWorkers workers(numbered(6), settings, 2, kDefaultMemoryBudget, maker);
    std::vector<int> widths;
    for (int i = 0; i < 6; ++i) {
        if (i == 3) {
            // Let the workers run ahead first, so there is old work to drop.
            std::this_thread::sleep_for(std::chrono::milliseconds(30));
            settings.Width = 20;
            workers.changeSettings(i, settings);
        }
        const auto work = workers.follow(i);
        workers.wait(*work, std::nullopt);
        widths.push_back(int(work->canvas.pixel(0, 0)));
        workers.done(*work);
    }
    EXPECT_EQ(widths, (std::vector<int>{10, 10, 10, 20, 20, 20}));
    EXPECT_GT(made.load(), 6) << "some files were made twice";
}

TEST(ThumbnailWorkers, AFileWaitingForItsTurnStartsOnceTheOneBeforeItIsLetIn)
{
    // File 0 is slow to read its header, then slow to make: file 1 asks for
    // its memory first and must not wait for file 0 to finish.
    std::mutex mutex;
    std::condition_variable changed;
    bool secondDone = false;
    bool secondDoneWhileFirstMade = false;
    auto maker = [&](ThumbnailWork &work, const WorkAdmission &admission) {
        if (work.index == 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(40));
        admission.admit({10, 0});
        std::unique_lock lock(mutex);
        if (work.index == 0) {
            secondDoneWhileFirstMade = changed.wait_for(lock, std::chrono::seconds(3), [&] { return secondDone; });
        } else {
            secondDone = true;
            changed.notify_all();
        }
        work.finished = true;
    };
    ThumbnailWorkers workers(numbered(2), defaultSettings(QString()), 2, kDefaultMemoryBudget, maker);
    const auto first = workers.follow(0);
    workers.wait(*first, std::nullopt);
    EXPECT_TRUE(secondDoneWhileFirstMade);
}

TEST(ThumbnailWorkers, CancelStopsWorkUnderWayAtItsNextRow)
{
    std::atomic<bool> sawAbandon{false};
    std::atomic<bool> underWay{false};
    auto maker = [&](ThumbnailWork &work, const WorkAdmission &admission) {
        admission.admit({});
        underWay = true;
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (!work.abandoned && std::chrono::steady_clock::now() < until)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        sawAbandon = work.abandoned.load();
        work.finished = true;
    };
    const auto begun = std::chrono::steady_clock::now();
    {
        ThumbnailWorkers workers(numbered(3), defaultSettings(QString()), 1, kDefaultMemoryBudget,
                                 maker);
        workers.follow(0);
        while (!underWay)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        workers.cancel();
    }
    EXPECT_TRUE(sawAbandon.load());
    EXPECT_LT(std::chrono::steady_clock::now() - begun, std::chrono::seconds(4));
}

} // namespace
