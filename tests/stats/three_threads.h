#pragma once
// A ParallelFor that shares the items out over three threads (item k on
// thread k mod 3), for tests of passes that must give what one thread gives.
#include "stats/parallel_for.h"

#include <functional>
#include <thread>
#include <vector>

namespace meru::test {

inline stats::ParallelFor three_threads()
{
    return [](std::size_t n, const std::function<void(std::size_t)>& f) {
        std::vector<std::thread> threads;
        for (std::size_t j = 0; j < 3; ++j)
            threads.emplace_back([&f, n, j] {
                for (std::size_t k = j; k < n; k += 3) f(k);
            });
        for (std::thread& t : threads) t.join();
    };
}

} // namespace meru::test
