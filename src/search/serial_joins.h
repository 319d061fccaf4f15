#pragma once
// The attributes a serial ordinal or nominal analysis joins to every candidate A
// of the search for one Y: the partitions found for the Ys before it, each kept
// as an added attribute.
#include "partition/termlist.h"

#include <span>
#include <vector>

namespace meru::search {

struct SerialJoin {
    partition::Literal attribute = 0;
    bool by_union = false; // A united with the attribute; else A within it
};

enum class SerialKind { none, ordinal, nominal };

// Ordinal: A lies within the partition of every Y before `current` (1-based),
// so that each level's partition nests in the one before, as the predicted
// level (one plus the partitions an observation is in) requires. Nominal: A is
// united with the partition of the Y just before. `found[k - 1]` is the
// attribute of Y k; entries that name no attribute 1..natt are left out.
std::vector<SerialJoin> serial_joins(SerialKind kind, int current, std::span<const int> found, int natt);

} // namespace meru::search
