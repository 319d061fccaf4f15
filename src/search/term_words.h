#pragma once
// The search's snapshots count over the sample's bit columns (stats/unit_columns.h),
// padded to blocks of UnitColumns::kBlock words, which their kernels take whole;
// a list's terms are kept as term words.
#include "stats/unit_columns.h"

#include <cstdint>

namespace meru::search {

using stats::membership_block;
using stats::UnitColumns;

// A list's membership words kept as the OR over its terms of: the term holds
// (no literal fails or is missing), the term is undetermined (none fails, some
// is missing), and (only with the skip flag) some literal is missing.
struct TermWords {
    const std::uint64_t* any_true;
    const std::uint64_t* any_und;
    const std::uint64_t* skip_m;
};

} // namespace meru::search
