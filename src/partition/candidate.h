#pragma once
// Building a search candidate: the chosen attribute lines become signed attribute
// numbers (`termcodes`), the candidate list is assembled with a forced attribute
// (`packcand`), and `mkpair` makes the reduced, expanded pair A / A- with its
// complexity, or reports the candidate skipped (counted in the skip tally).
#include "files/tables.h"
#include "partition/expand.h"
#include "partition/reduce.h"
#include "partition/skiptally.h"
#include "partition/termlist.h"

#include <span>
#include <vector>

namespace meru::io {
class LogWriter;
}

namespace meru::partition {

// Literal of each position: the line's first attribute when its `firstattr` flag
// is set, else its attribute in use (`inuse`), times the attribute's sign byte.
// `lits` is resized to lines.size(); q and lp of the work list are the caller's.
void termcodes(std::span<const int> lines, const files::ControlTables& t, std::vector<Literal>& lits);

// The candidate from the source list and the forced literal f: the join form
// (f)(source terms...) when repflag is 0 and join0 is set, or repflag is 1 and
// join1 is set; otherwise the meet form, f put at the front of every term.
// False when the result would exceed MAXP terms or MAXLITS literals: the
// candidate is then counted under skip reason 5 and `dest` is left empty.
bool packcand(int repflag, bool join0, bool join1, const TermList& src, Literal f, TermList& dest, SkipTally& tally);

// Can every entry of list1 be given a distinct entry of list2 not smaller than it
// (taken greedily in order)?
bool sizefit(std::span<const int> list1, std::span<const int> list2);

// Number of distinct attributes among the literals; true when none occurs twice.
bool ndistinct(std::span<const Literal> lits, int& count);

// What mkpair needs besides the lists.
struct PairSettings {
    const AddedAttributes* added = nullptr; // slots and definition sets (may be null: none)
    ReduceOptions reduce;                   // tables, primitive, services (label_rules is set from full_reduction)
    bool full_reduction = false;            // "Full Boolean reduction" (or the driver's copy of it)
    int measure = 1;                        // 1 "q + q' - 1", 2 "min(q, q')", 3 "# attributes"
    bool tree_partition = false;            // a tree made the partition ...
    bool rank_request = false;              // ... and Rank is not running: the complement is the caller's
    bool iterative = false;
    int iteration = 1;
    std::span<const int> upto; // the size list first given to an "Up to" extent
    bool debug = false;
};

struct PairResult {
    bool skip = false;
    int complexity = 0;
    TermStatus status = status::kOk; // of the last reduction, complement or expansion run
    // Expansions of the pair (0-2) stopped after kMaxExpandPasses passes: the
    // caller shows kExpandLoopMessage once for each, skipped or not.
    int cut_expansions = 0;
};

// Complexity of a pair by `measure` (1 "q + q' - 1", 2 "min(q, q')", 3 the number
// of distinct attributes of the first list); 0 when a side has no term.
int pair_complexity(const Partition& cur, int measure);

// Makes the pair of the candidate `cand` (of sense repflag; reduced in place) in
// `cur` (first list = the candidate's side, second = its complement), using
// `comp` as the complement work list. Skips count reasons 1, 4, 5 and 6.
// In tree mode without Rank the complement is not made: `comp` must then hold the
// complement of `cand`, which the driver supplies.
PairResult mkpair(TermList& cand, TermList& comp, int repflag, Partition& cur, const PairSettings& s,
                  SkipTally& tally, io::LogWriter& log);

} // namespace meru::partition
