#include "search/worker_pool.h"

namespace meru::search {

WorkerPool::WorkerPool(int threads)
{
    threads_.reserve(static_cast<std::size_t>(threads));
    for (int k = 0; k < threads; ++k) threads_.emplace_back([this, k] { serve(k); });
}

WorkerPool::~WorkerPool()
{
    wait();
    update([&] { stop_ = true; });
    for (std::thread& t : threads_) t.join();
}

void WorkerPool::post(std::function<void(int)> task)
{
    wait();
    update([&] {
        task_ = std::move(task);
        running_ = size();
        ++posted_;
    });
}

void WorkerPool::wait()
{
    std::unique_lock lock(mutex_);
    for_caller_.wait(lock, [&] { return running_ == 0; });
}

void WorkerPool::serve(int k)
{
    std::uint64_t seen = 0;
    while (true) {
        bool stop = false;
        wait_until([&] { return stop_ || posted_ != seen; },
                   [&] {
                       seen = posted_;
                       stop = stop_;
                   });
        if (stop) return;
        task_(k);
        report([&] { --running_; });
    }
}

} // namespace meru::search
