#include "engine/parallel/QVThreadPool.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

namespace {

// Leaves the pool as the program has it, whatever a test set.
class ThreadPool : public testing::Test
{
protected:
    void TearDown() override
    {
        pool.SetThreadLimit(0);
        pool.SetMinChunkWork(0);
    }
    QVThreadPool& pool = QVThreadPool::Instance();
};

// Which thread ran each row, and how often each row ran.
struct Coverage
{
    explicit Coverage(int rows)
        : runs(size_t(rows)),
          threads(size_t(rows))
    {
    }
    std::vector<std::atomic<int>> runs;
    std::vector<std::thread::id> threads;
};

Coverage Cover(QVThreadPool& pool, int begin, int end, int64_t workPerRow)
{
    Coverage coverage(end > begin ? end - begin : 0);
    pool.ForRows(begin, end, workPerRow, [&](int from, int to) {
        EXPECT_LE(begin, from);
        EXPECT_LT(from, to);
        EXPECT_LE(to, end);
        for (int row = from; row < to; ++row) {
            ++coverage.runs[size_t(row - begin)];
            coverage.threads[size_t(row - begin)] = std::this_thread::get_id();
        }
    });
    return coverage;
}

TEST_F(ThreadPool, EveryRowRunsExactlyOnce)
{
    struct
    {
        int begin, end;
        int threads;
        int64_t minChunkWork, workPerRow;
    } const cases[] = {
        {0, 1, 0, 1, 1},          {0, 2, 0, 1, 1},       {0, 1000, 0, 1, 1},
        {-7, 93, 0, 1, 3},        {5, 6, 0, 0, 100000},  {0, 4000, 0, 0, 6000},
        {100, 4000, 0, 0, 7},     {0, 1000, 1, 1, 1},    {3, 3, 0, 1, 1},
        {10, 3, 0, 1, 1},
    };
    for (const auto& c : cases) {
        pool.SetThreadLimit(c.threads);
        pool.SetMinChunkWork(c.minChunkWork);
        const Coverage coverage = Cover(pool, c.begin, c.end, c.workPerRow);
        for (size_t i = 0; i < coverage.runs.size(); ++i)
            ASSERT_EQ(coverage.runs[i], 1) << "row " << c.begin + int(i) << " of [" << c.begin
                                           << ", " << c.end << ")";
    }
}

TEST_F(ThreadPool, SmallWorkAndOneThreadStayOnTheCallingThread)
{
    const std::thread::id caller = std::this_thread::get_id();
    // A few short rows: not worth waking anyone.
    Coverage small = Cover(pool, 0, 40, 20);
    for (const std::thread::id& id : small.threads)
        EXPECT_EQ(id, caller);

    pool.SetThreadLimit(1);
    pool.SetMinChunkWork(1);
    EXPECT_EQ(pool.ThreadCount(), 1);
    Coverage alone = Cover(pool, 0, 500, 6000);
    for (const std::thread::id& id : alone.threads)
        EXPECT_EQ(id, caller);
}

TEST_F(ThreadPool, TheCallerAndTheWorkersShareTheRows)
{
    if (pool.ThreadCount() < 2)
        GTEST_SKIP() << "one core: the calling thread works alone";
    pool.SetMinChunkWork(1);

    // The first two chunks wait for each other, so the job can only finish if
    // a second thread takes a chunk while the first is still running.
    std::mutex mutex;
    std::condition_variable arrived;
    std::set<std::thread::id> inside;
    std::set<std::thread::id> all;
    bool met = false;
    pool.ForRows(0, 64, 1, [&](int, int) {
        std::unique_lock lock(mutex);
        all.insert(std::this_thread::get_id());
        if (met)
            return;
        inside.insert(std::this_thread::get_id());
        if (inside.size() >= 2) {
            met = true;
            arrived.notify_all();
            return;
        }
        met = arrived.wait_for(lock, std::chrono::seconds(30), [&] { return met; });
    });
    EXPECT_TRUE(met) << "no second thread joined the job";
    EXPECT_GE(all.size(), 2u);
    if (pool.ThreadCount() == 2) {
        // One worker: the other thread inside was the caller.
        EXPECT_TRUE(all.count(std::this_thread::get_id()));
    }
}

TEST_F(ThreadPool, ACallFromInsideAChunkRunsOnItsOwnThread)
{
    pool.SetMinChunkWork(1);
    std::atomic<int> inner{0};
    std::atomic<int> outer{0};
    pool.ForRows(0, 16, 1, [&](int from, int to) {
        outer += to - from;
        const std::thread::id self = std::this_thread::get_id();
        pool.ForRows(0, 10, 1, [&](int a, int b) {
            EXPECT_EQ(std::this_thread::get_id(), self);
            inner += b - a;
        });
    });
    EXPECT_EQ(outer, 16);
    EXPECT_EQ(inner, 10 * 16);
}

TEST_F(ThreadPool, CallsFromSeveralThreadsAllFinish)
{
    pool.SetMinChunkWork(1);
    constexpr int kCallers = 4;
    constexpr int kRows = 300;
    std::vector<std::vector<std::atomic<int>>> runs(kCallers);
    for (auto& r : runs)
        r = std::vector<std::atomic<int>>(kRows);
    std::vector<std::thread> callers;
    for (int c = 0; c < kCallers; ++c)
        callers.emplace_back([&, c] {
            for (int repeat = 0; repeat < 20; ++repeat)
                pool.ForRows(0, kRows, 50, [&](int from, int to) {
                    for (int row = from; row < to; ++row)
                        ++runs[size_t(c)][size_t(row)];
                });
        });
    for (std::thread& caller : callers)
        caller.join();
    for (int c = 0; c < kCallers; ++c)
        for (int row = 0; row < kRows; ++row)
            ASSERT_EQ(runs[size_t(c)][size_t(row)], 20) << "caller " << c << ", row " << row;
}

} // namespace
