#pragma once
#include <cstddef>
#include <functional>

namespace meru::stats {

// Runs f(k) for every k below n, in any order and perhaps several at once on
// other threads, and returns when every one has run; empty: one after the
// other on the calling thread.
using ParallelFor = std::function<void(std::size_t n, const std::function<void(std::size_t)>& f)>;

} // namespace meru::stats
