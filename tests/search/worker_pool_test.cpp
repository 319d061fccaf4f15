#include "search/worker_pool.h"

#include <gtest/gtest.h>

#include <set>
#include <thread>

namespace meru::search {

// Every task runs once on each worker, on the same threads from task to task.
TEST(WorkerPool, RunsEachTaskOnEveryWorkerOnTheSameThreads)
{
    WorkerPool pool(3);
    std::vector<std::thread::id> first(3);
    std::vector<int> runs(3, 0);
    for (int task = 0; task < 50; ++task) {
        pool.post([&](int k) {
            const auto u = static_cast<std::size_t>(k);
            if (task == 0) first[u] = std::this_thread::get_id();
            else EXPECT_EQ(first[u], std::this_thread::get_id());
            ++runs[u];
        });
        pool.wait();
    }
    EXPECT_EQ(runs, std::vector<int>(3, 50));
    EXPECT_EQ(std::set<std::thread::id>(first.begin(), first.end()).size(), 3u);
    EXPECT_EQ(first[0] == std::this_thread::get_id(), false);
}

// A waiter sees what a worker published through update(); a worker waits for
// what the caller publishes.
TEST(WorkerPool, UpdateWakesWaitersOnBothSides)
{
    WorkerPool pool(2);
    int ready = 0, answered = 0;
    pool.post([&](int) {
        pool.update([&] { ++ready; });
        pool.wait_until([&] { return answered > 0; }, [] {});
    });
    while (!pool.wait_for([&] { return ready == 2; }, std::chrono::milliseconds(5))) {}
    pool.update([&] { answered = 1; });
    pool.wait();
    EXPECT_EQ(ready, 2);
}

} // namespace meru::search
