#include "search/pattern_cost.h"

#include "partition/search_size.h"
#include "search/pattern_counts.h"

#include <algorithm>
#include <cmath>

namespace meru::search {

std::size_t pattern_cell_budget(std::size_t machine) { return machine > 0 ? machine / 16 : kPatternCellsUnknown; }

// Pattern cells within this many bytes per side take a lookup at the cost of
// a few words' counting; beyond, a lookup waits on memory.
constexpr std::size_t kCacheBytes = std::size_t{1} << 20;

bool patterns_pay(const stats::ExtentSettings& extent, int items, const PatternPlan& plan, std::size_t machine,
                  bool newest)
{
    const int m = plan.literals;
    if (m > PatternCounts::kMaxLiterals || plan.bytes > pattern_cell_budget(machine)) return false;
    const double width = static_cast<double>(plan.width);
    const double cells = std::ldexp(width, m);
    const double build = static_cast<double>(plan.units) * m / 16.0 + m * cells / 4.0 + 2.0 * cells;
    const double lookup = plan.bytes / 2 > kCacheBytes ? 16.0 : 1.0;
    const double words = std::ceil(static_cast<double>(plan.units) / 64.0);
    double saved = 0.0;
    stats::SizeWalk walk = extent.start;
    do {
        const double q = static_cast<double>(walk.p.size());
        const double each = words * q - lookup * std::exp2(q) * std::max(1.0, width / 2.0);
        double scored = static_cast<double>(partition::sizemult(items, walk.p).size);
        if (newest) scored -= static_cast<double>(partition::sizemult(items - 1, walk.p).size);
        saved += 2.0 * scored * each;
    } while (extent.upto && stats::nextsize(walk, extent.bounds, items));
    return saved > build;
}

} // namespace meru::search
