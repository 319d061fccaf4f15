#pragma once
// The repair of a winner whose A and A- do not match after the Boolean algebra:
// A is made again from A- and tested; failing that, A- is made again from the new
// A and tested once more. A pair that still does not match is left as it was.
#include "core/notices.h"
#include "files/tables.h"
#include "partition/termlist.h"

#include <functional>
#include <string>

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
};

enum class Repair {
    none,         // the pair matched
    first_retry,  // fixed by making A again
    second_retry, // fixed by making A- again as well
    failed,       // still not matching: the pair is unchanged
};

// The caption under which the caller shows the repaired A, once it has shown the
// notices of the repair.
inline constexpr const char* kRepairedCaption = "Alternative back-transposed partition";

inline bool repaired(Repair r) { return r == Repair::first_retry || r == Repair::second_retry; }

// Checks `cur` and repairs it in place when it does not match. What the user is
// told is left in `told`: after a second retry "NOTE: Boolean algebra seems
// fixed", after a failure "NOTE: Fix not working" and its log line; and after any
// repair, when A mixes positive and negative attributes (by the attributes' signs
// in `t`), the log line "NOTE: this partition is not regular: positive and
// negative attributes mixed".
Repair repair_pair(partition::Partition& cur, const RepairHooks& hooks, const files::ControlTables& t, Notices& told,
                   io::LogWriter& log);

} // namespace meru::search
