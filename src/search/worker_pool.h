#pragma once
// A fixed set of worker threads: started once, given a task at a time (run on
// every worker at once), stopped and joined when the pool is destroyed. No
// thread is started per batch of candidates, nor per search: SearchThreads
// keeps one pool for a whole session.
//
// The pool's lock also guards whatever state its tasks share with the calling
// thread. The workers wait on one condition and the calling thread on another,
// so that handing one chunk to a worker wakes one worker, and a worker's result
// wakes only the calling thread:
//  - give() changes the state for the workers and wakes one of them;
//  - report() changes it for the calling thread and wakes it;
//  - update() changes it for everyone and wakes everyone (a stop, an end);
//  - locked() changes it and wakes no one;
//  - wait_until() (workers) and wait_for() (the calling thread) wait.
#include "stats/unit_columns.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace meru::search {

class WorkerPool {
public:
    explicit WorkerPool(int threads);
    ~WorkerPool();
    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;

    int size() const { return static_cast<int>(threads_.size()); }

    // Runs task(k) on every worker k (0 .. size() - 1) and returns at once. The
    // previous task must have ended (wait()).
    void post(std::function<void(int)> task);
    // Waits until every worker has ended the posted task.
    void wait();
    // The same, at most `limit`; true when they have.
    bool wait_for_idle(std::chrono::milliseconds limit)
    {
        return wait_for([&] { return running_ == 0; }, limit);
    }

    // Runs f(k) for every k below n on the workers, each taking the next k
    // until none is left, and returns when all have run; the calling thread
    // calls pump() every few milliseconds meanwhile. No task may be running.
    void for_each(std::size_t n, const std::function<void(std::size_t)>& f, const std::function<void()>& pump);

    template <class F> void give(F&& f)
    {
        locked(f);
        for_workers_.notify_one();
    }
    template <class F> void report(F&& f)
    {
        locked(f);
        for_caller_.notify_all();
    }
    template <class F> void update(F&& f)
    {
        locked(f);
        for_workers_.notify_all();
        for_caller_.notify_all();
    }
    template <class F> void locked(F&& f)
    {
        std::lock_guard lock(mutex_);
        f();
    }
    // The calling thread: waits until pred() (checked under the lock) holds, at
    // most `limit`; returns pred().
    template <class Pred> bool wait_for(Pred&& pred, std::chrono::milliseconds limit)
    {
        std::unique_lock lock(mutex_);
        return for_caller_.wait_for(lock, limit, pred);
    }
    // A worker: waits until pred() holds; f() then runs under the same lock.
    template <class Pred, class F> void wait_until(Pred&& pred, F&& f)
    {
        std::unique_lock lock(mutex_);
        for_workers_.wait(lock, pred);
        f();
    }

private:
    void serve(int k);

    std::vector<std::thread> threads_;
    std::mutex mutex_;
    std::condition_variable for_workers_, for_caller_;
    std::function<void(int)> task_;
    std::uint64_t posted_ = 0; // tasks posted so far
    int running_ = 0;          // workers still on the posted task
    bool stop_ = false;
};

// The worker threads of a session's searches: the pool starts with the first
// search that shares out its candidates and serves the searches after it;
// it is joined when this is destroyed (at exit).
class SearchThreads {
public:
    // The pool of `threads` workers (started again for another number).
    WorkerPool& pool(int threads)
    {
        if (!pool_ || pool_->size() != threads) {
            pool_.reset();
            pool_ = std::make_unique<WorkerPool>(threads);
        }
        return *pool_;
    }

    // The set-up tasks of a search or a ranking (stats::ParallelFor) on
    // `threads` workers, the calling thread calling `pump` while it waits;
    // empty (the calling thread alone) below two threads.
    stats::ParallelFor parallel(int threads, std::function<void()> pump)
    {
        if (threads < 2) return {};
        return [this, threads, pump = std::move(pump)](std::size_t n, const std::function<void(std::size_t)>& f) {
            pool(threads).for_each(n, f, pump);
        };
    }

private:
    std::unique_ptr<WorkerPool> pool_;
};

} // namespace meru::search
