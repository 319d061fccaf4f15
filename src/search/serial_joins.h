#pragma once
// What a serial ordinal or nominal analysis intersects every candidate A of the
// search for one Y with: the partitions found for the Ys before it, each kept as
// an added attribute.
#include "partition/termlist.h"

#include <span>
#include <vector>

namespace meru::search {

enum class SerialKind { none, ordinal, nominal };

// The literals A is intersected with in the search for Y `current` (1-based);
// `found[k - 1]` is the attribute of Y k, and entries that name no attribute
// 1..natt are left out. Ordinal: A lies within the partition of the latest Y
// before it that has one (which lies within those before it), so that the level
// partitions nest as the predicted level (one plus the number of partitions an
// observation is in) needs. Nominal: A lies outside each of them, so that the
// level partitions are disjoint and each is the level's own.
std::vector<partition::Literal> serial_joins(SerialKind kind, int current, std::span<const int> found, int natt);

} // namespace meru::search
