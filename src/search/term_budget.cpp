#include "search/term_budget.h"

#include <algorithm>
#include <limits>
#include <unistd.h>

namespace meru::search {

std::size_t stored_term_budget(std::size_t units, std::size_t machine)
{
    const std::size_t per_units = units > std::numeric_limits<std::size_t>::max() / kStoredTermBytesPerUnit
                                      ? std::numeric_limits<std::size_t>::max()
                                      : units * kStoredTermBytesPerUnit;
    const std::size_t want = std::max(kStoredTermFloor, per_units);
    return machine > 0 ? std::max(kStoredTermFloor, std::min(want, machine / 8)) : want;
}

std::size_t stored_term_budget(std::size_t units) { return stored_term_budget(units, machine_memory()); }

std::size_t machine_memory()
{
    const long pages = sysconf(_SC_PHYS_PAGES), page = sysconf(_SC_PAGESIZE);
    if (pages <= 0 || page <= 0) return 0;
    return static_cast<std::size_t>(pages) * static_cast<std::size_t>(page);
}

} // namespace meru::search
