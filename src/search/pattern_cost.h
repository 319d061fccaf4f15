#pragma once
// Whether a search counts each pattern of its literals once (pattern_counts.h)
// or counts each candidate over the units' words: told from what each costs
// over the search's size vectors, and from the memory the cells take against
// what the machine has. Counting's cost grows with the units by one pass,
// the words' by a pass per candidate, so where counting pays on some units
// it pays on more: a smaller data set never takes the dearer route.
#include "stats/extent.h"

#include <cstddef>

namespace meru::search {

// The pattern cells of a search: over `literals` literals (m), of `width`
// words of the units' counting per lookup, `bytes` for both sides, counted
// over `units` units.
struct PatternPlan {
    int literals = 0;
    std::size_t width = 1;
    std::size_t bytes = 0;
    std::size_t units = 0;
};

// The bytes the pattern cells may take on a machine of `machine` bytes: a
// sixteenth of it (0: unknown, then kPatternCellsUnknown).
inline constexpr std::size_t kPatternCellsUnknown = std::size_t{256} << 20;
std::size_t pattern_cell_budget(std::size_t machine);

// Whether counting the cells of `plan` once pays over the size vectors of
// `extent` on `items` items (its walk from extent.start), of whose
// candidates only those holding the last item are scored where `newest` (a
// later iteration's): a candidate's table costs a pass over the units' words
// per term, or a few lookups in the cells (each dearer once the cells
// outgrow the cache), against one pass over the units and the sums over the
// cells. Never for cells beyond the machine's budget.
bool patterns_pay(const stats::ExtentSettings& extent, int items, const PatternPlan& plan, std::size_t machine,
                  bool newest = false);

} // namespace meru::search
