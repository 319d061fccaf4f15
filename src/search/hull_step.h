#pragma once
// The computing half of the hull step after a search: the hull of the
// best-at-each-complexity list and the automatic penalty before the user sees
// the hull, the penalised table and its optimum at the penalty the user leaves.
// The drawing and the user's moves of the penalty line are the caller's.
#include "search/hull.h"

#include <cstdint>
#include <span>

namespace meru::io {
class LogWriter;
}

namespace meru::search {

struct HullInput {
    std::span<const StoredPartition> entries;
    std::span<const std::int64_t> cplxhist;
    int iteration = 1; // a search that does not iterate counts as iteration 1
    bool iterative = false;
    bool stopped = false;  // the iterations stopped on an identical partition or a cycle
    bool treegrow = false; // a tree node's split: compute only
    bool detailed = false; // "Detailed output": the penalised table goes to the log
    bool redraw = false;   // draw once without waiting, no automatic penalty, no table
};

struct Penalty {
    double beta = 0;
    bool automatic = true;
};

struct HullResult {
    Hull hull;
    int optimum = 0; // 1-based best-list entry of the largest G_beta; 0: empty list
    bool shown = false;
};

// The hull; on the first iteration of a search whose penalty is automatic (and
// whose iterations did not stop, and not for a redraw) the automatic penalty,
// written to the log.
HullResult hull_start(const HullInput& in, Penalty& penalty, io::LogWriter& log);

// The optimum of the penalised table at `penalty.beta`; but for a redraw the
// table goes to the log when detailed, and a penalty moved from `start` is no
// longer automatic. Returns true when the penalty moved (outside a redraw).
bool hull_finish(const HullInput& in, Penalty& penalty, double start, HullResult& r, io::LogWriter& log);

} // namespace meru::search
