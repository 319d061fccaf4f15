#include "search/worker_pool.h"

#include "search/threads.h"
#include "stats/sample_kernels.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdlib>
#include <mutex>
#include <numeric>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <thread>

#if defined(__linux__)
#include <sched.h>
#endif

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

// for_each() runs every index once, spread over the workers, and pumps the
// calling thread while they run.
TEST(WorkerPool, ForEachRunsEveryIndexOnceAndPumpsWhileItWaits)
{
    WorkerPool pool(3);
    std::vector<std::atomic<int>> runs(500);
    std::atomic<bool> pumped{false};
    std::set<std::thread::id> threads;
    std::mutex m;
    pool.for_each(
        runs.size(),
        [&](std::size_t k) {
            ++runs[k];
            {
                std::lock_guard lock(m);
                threads.insert(std::this_thread::get_id());
            }
            // The last index waits for a pump, so the caller must pump.
            if (k + 1 == runs.size())
                while (!pumped) std::this_thread::yield();
        },
        [&] { pumped = true; });
    for (const auto& r : runs) EXPECT_EQ(r.load(), 1);
    EXPECT_FALSE(threads.contains(std::this_thread::get_id()));
}

// A sample of several stretches of words whose columns the session's workers
// build has the columns of one pass on the calling thread.
TEST(SearchThreads, ColumnsBuiltOnTheWorkersEqualThoseOfOnePass)
{
    std::mt19937 rng(6402);
    const int lc = 5, n = 300000;
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(lc) * n);
    for (auto& b : bytes) b = std::array<std::uint8_t, 4>{0, 1, 255, 3}[rng() % 4];
    const stats::AttributeMatrix m(bytes, lc, n);
    stats::UnitArray<int> obs(n);
    std::iota(obs.begin(), obs.end(), 0);
    std::shuffle(obs.begin(), obs.end(), rng);
    const std::vector<int> attributes{1, 3, 4, 5};
    const std::vector<std::int8_t> sign(lc + 1, 1);
    SearchThreads threads;
    const stats::ParallelFor parallel = threads.parallel(3, [] {});
    stats::UnitColumns shared(m, obs, stats::sample_kernels(cpu_level())),
        alone(m, obs, stats::sample_kernels(cpu_level()));
    ASSERT_GT(shared.words(), 2048u); // more than one stretch
    shared.prepare(attributes, parallel);
    alone.prepare(attributes);
    for (const int a : attributes) {
        bool ms = false, ma = false;
        const auto s = shared.literal(a, partition::kPlain, sign, ms),
                   l = alone.literal(a, partition::kPlain, sign, ma);
        EXPECT_TRUE(std::equal(s.fail, s.fail + shared.words(), l.fail)) << a;
        EXPECT_TRUE(std::equal(s.miss, s.miss + shared.words(), l.miss)) << a;
        EXPECT_EQ(ms, ma);
    }
    EXPECT_FALSE(SearchThreads().parallel(1, {})); // one thread: the calling thread alone
}

#if defined(__linux__)
// The workers follow the CPU set the process runs in (as taskset narrows it),
// not the machine's core count; MERU_THREADS overrides both.
TEST(SearchThreads, FollowTheCpuSetUnlessMeruThreadsSaysOtherwise)
{
    cpu_set_t all;
    ASSERT_EQ(sched_getaffinity(0, sizeof all, &all), 0);
    std::vector<int> cpus;
    for (int c = 0; c < CPU_SETSIZE; ++c)
        if (CPU_ISSET(c, &all)) cpus.push_back(c);
    const char* was = std::getenv("MERU_THREADS");
    const std::optional<std::string> saved = was ? std::optional<std::string>(was) : std::nullopt;
    struct Case {
        std::size_t cpus;     // the set narrowed to the first this many
        const char* variable; // MERU_THREADS, null: unset
        int threads;          // 0: as many as the set's cpus
    };
    for (const Case c : {Case{1, nullptr, 0}, Case{2, nullptr, 0}, Case{cpus.size(), nullptr, 0}, Case{1, "3", 3},
                         Case{2, "0", 0}, Case{2, "two", 0}, Case{1, "", 0}}) {
        if (c.cpus > cpus.size()) continue;
        cpu_set_t set;
        CPU_ZERO(&set);
        for (std::size_t k = 0; k < c.cpus; ++k) CPU_SET(cpus[k], &set);
        ASSERT_EQ(sched_setaffinity(0, sizeof set, &set), 0);
        if (c.variable) setenv("MERU_THREADS", c.variable, 1);
        else unsetenv("MERU_THREADS");
        EXPECT_EQ(search_threads(), c.threads ? c.threads : static_cast<int>(c.cpus))
            << c.cpus << " cpus, MERU_THREADS " << (c.variable ? c.variable : "unset");
        EXPECT_EQ(available_cores(), static_cast<int>(c.cpus));
    }
    sched_setaffinity(0, sizeof all, &all);
    if (saved) setenv("MERU_THREADS", saved->c_str(), 1);
    else unsetenv("MERU_THREADS");
}
#endif

} // namespace meru::search
