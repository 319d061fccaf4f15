#pragma once
// Observations that no candidate of a search can tell apart counted once: those
// with the same bytes in every attribute the search reads and, for a count
// table, the same Y class form a group whose weight is the sum of theirs. Every
// count table over the groups equals the one over the observations, cell for
// cell, so a search over the groups gives the same results with fewer units.
//
// The search's engine groups on its own (see grouped_search.h); this is
// separate from the Turbo data compression the user switches, whose weights
// arrive here as the analysis weights.
#include "stats/membership.h"

#include <cstdint>
#include <span>
#include <vector>

namespace meru::search {

struct ObservationGroups {
    int lc = 0;
    std::vector<std::uint8_t> abyte; // per group: the bytes of its first observation (lc each)
    std::vector<float> y;            // per group: the Y of its first observation
    std::vector<int> weights;        // per group: the sum of its observations' weights
    std::vector<std::uint8_t> mask;  // 1 per group
    std::size_t units = 0;           // the observations grouped
    int groups() const { return static_cast<int>(weights.size()); }
};

// Groups the units of a count table: the observations in the mask with a weight
// other than 0 and a Y that is not missing; `key`: the attributes the search
// reads (1..lc); `nclasses`: the table's classes (a Y beyond them is a class of
// its own). Groups appear in the order of their first observations. False,
// with `out` left empty, when a weight is negative, a group's weight would
// leave the int range or the groups would be more than `share` of the units:
// the units are then best counted one by one.
bool group_observations(const stats::AttributeMatrix& abyte, std::span<const float> y,
                        std::span<const std::uint8_t> mask, std::span<const int> weights, std::span<const int> key,
                        int nclasses, double share, ObservationGroups& out);

} // namespace meru::search
