#pragma once
#include <algorithm>
#include <cstddef>
#include <functional>

namespace meru::stats {

// Runs f(k) for every k below n, in any order and perhaps several at once on
// other threads, and returns when every one has run; empty: one after the
// other on the calling thread.
using ParallelFor = std::function<void(std::size_t n, const std::function<void(std::size_t)>& f)>;

// Runs f(k, from, to) for each stretch k, [from, to), of `stretch` items of
// [0, n): shared out by `parallel` where there are several, else in order.
template <class F> void for_stretches(const ParallelFor& parallel, std::size_t n, std::size_t stretch, F&& f)
{
    const std::size_t count = (n + stretch - 1) / stretch;
    const auto one = [&](std::size_t k) { f(k, k * stretch, std::min(n, (k + 1) * stretch)); };
    if (parallel && count > 1) parallel(count, one);
    else
        for (std::size_t k = 0; k < count; ++k) one(k);
}

} // namespace meru::stats
