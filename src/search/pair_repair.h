#pragma once
// The repair of a winner whose A and A- do not match after the Boolean algebra:
// A is made again from A- and tested; failing that, A- is made again from the new
// A and tested once more. A pair that still does not match is left as it was.
#include "partition/termlist.h"

#include <functional>
#include <string>
#include <string_view>

namespace meru::io {
class LogWriter;
}

namespace meru::search {

struct RepairHooks {
    // True when the pair (first, second), held as `repflag` says, matches.
    std::function<bool(const partition::TermList& first, const partition::TermList& second, int repflag)> compat;
    // The complement of `in` (of form `sense`) in the other form; false when it failed.
    std::function<bool(const partition::TermList& in, int sense, partition::TermList& out)> complement;
    // The Partition window: `list` in the role `v` (1 A, 0 A-) under `caption`.
    std::function<void(const partition::TermList& list, int v, const std::string& caption)> show;
    std::function<void(std::string_view topic)> helpshow;
};

enum class Repair {
    none,         // the pair matched
    first_retry,  // fixed by making A again
    second_retry, // fixed by making A- again as well
    failed,       // still not matching: the pair is unchanged
};

// Checks `cur` and repairs it in place when it does not match.
Repair repair_pair(partition::Partition& cur, const RepairHooks& hooks, io::LogWriter& log);

} // namespace meru::search
