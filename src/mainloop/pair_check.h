#pragma once
// The compatibility check of a pair A / A- as the user sees it: the partition
// engine's check, then what it has for the user on the first failure (its help
// topic and the Partition window on the second list).
#include "partition/compat.h"
#include "partition/reduce.h"
#include "partition/termlist.h"

namespace meru::mainloop {

struct Program;

// The complement of `in` (of form `sense`) in the other form, with what the
// Boolean algebra has for the user shown; false when it failed.
bool complement_of(Program& p, const partition::TermList& in, int sense, partition::TermList& out,
                   const partition::ReduceOptions& opt, bool debug = false);

// True when the pair (first, second), held as `repflag` says, matches.
bool compatible(Program& p, const partition::TermList& first, const partition::TermList& second, int repflag,
                bool& note_once, const partition::PartitionWindow& show);

} // namespace meru::mainloop
