#include "search/threads.h"

#include <algorithm>
#include <cstdlib>
#include <thread>

namespace meru::search {

int search_threads()
{
    if (const char* v = std::getenv("MERU_THREADS"); v && *v) {
        char* end = nullptr;
        const long n = std::strtol(v, &end, 10);
        if (end && *end == '\0' && n >= 1) return static_cast<int>(std::min(n, 256L));
    }
    return std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
}

} // namespace meru::search
