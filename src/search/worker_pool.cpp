#include "search/worker_pool.h"

#include <atomic>

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

void WorkerPool::for_each(std::size_t n, const std::function<void(std::size_t)>& f, const std::function<void()>& pump)
{
    std::atomic<std::size_t> next{0};
    post([&](int) {
        for (std::size_t k = next.fetch_add(1); k < n; k = next.fetch_add(1)) f(k);
    });
    while (!wait_for_idle(std::chrono::milliseconds(5)))
        if (pump) pump();
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
