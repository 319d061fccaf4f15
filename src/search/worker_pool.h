#pragma once
// A fixed set of worker threads for one search: started once, given a task at a
// time (run on every worker at once), stopped when the pool is destroyed. No
// thread is started per batch of candidates.
//
// The pool's lock also guards whatever state its tasks share with the calling
// thread: update() changes it and wakes every waiter, wait_for() and
// wait_until() wait for a condition on it.
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
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

    // Runs f under the pool's lock, then wakes every waiter.
    template <class F> void update(F&& f)
    {
        {
            std::lock_guard lock(mutex_);
            f();
        }
        changed_.notify_all();
    }
    // Waits until pred() (checked under the lock) holds, at most `limit`; returns pred().
    template <class Pred> bool wait_for(Pred&& pred, std::chrono::milliseconds limit)
    {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, limit, pred);
    }
    // Waits until pred() holds; f() then runs under the same lock.
    template <class Pred, class F> void wait_until(Pred&& pred, F&& f)
    {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, pred);
        f();
    }

private:
    void serve(int k);

    std::vector<std::thread> threads_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::function<void(int)> task_;
    std::uint64_t posted_ = 0; // tasks posted so far
    int running_ = 0;          // workers still on the posted task
    bool stop_ = false;
};

} // namespace meru::search
