#include "search/threads.h"

#include <algorithm>
#include <cstdlib>
#include <thread>

#if defined(__linux__)
#include <sched.h>
#endif

namespace meru::search {

int available_cores()
{
#if defined(__linux__)
    // The set is sized for as many processors as the kernel may report.
    for (int most = 1024; most <= (1 << 16); most *= 4) {
        cpu_set_t* set = CPU_ALLOC(static_cast<std::size_t>(most));
        if (!set) break;
        const std::size_t bytes = CPU_ALLOC_SIZE(static_cast<std::size_t>(most));
        CPU_ZERO_S(bytes, set);
        const bool read = sched_getaffinity(0, bytes, set) == 0;
        const int n = read ? CPU_COUNT_S(bytes, set) : 0;
        CPU_FREE(set);
        if (read) {
            if (n > 0) return n;
            break;
        }
    }
#endif
    return std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
}

int search_threads()
{
    if (const char* v = std::getenv("MERU_THREADS"); v && *v) {
        char* end = nullptr;
        const long n = std::strtol(v, &end, 10);
        if (end && *end == '\0' && n >= 1) return static_cast<int>(std::min(n, 256L));
    }
    return available_cores();
}

} // namespace meru::search
