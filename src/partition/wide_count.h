#pragma once
// 128-bit intermediates of the 64-bit counts (combinatorics.h).
#include "partition/combinatorics.h"

#include <limits>

namespace meru::partition::detail {

using Wide = __int128;
inline constexpr Count kMaxCount = std::numeric_limits<Count>::max();

inline bool fits(Wide v) { return v >= 0 && v <= static_cast<Wide>(kMaxCount); }

} // namespace meru::partition::detail
