#pragma once
// Process mode: a partition chosen for a Process item (or shown by View > Added
// attributes) is taken through the steps that end a search, as the single
// partition evaluated: the Partition window, the internal check of the winner
// against the work partition, the Boolean algebra that reduces, complements and
// expands it (an added attribute is replaced by its definition unless "Attributes
// are primitive" is on), the compatibility repair, and the report of the
// observations lost to missing data.
#include "partition/termlist.h"

namespace meru::mainloop {

struct Program;

struct ProcessEnd {
    bool cf_combination = false; // the partition is a control file's combination: no internal check
    bool changed = false;        // out: the Boolean algebra changed A
};

// Takes pair `cur` (its first list is the winner and the work partition) through
// the steps. On success `cur` is the pair reduced and expanded and is the current
// partition, with the complexity of the expanded pair; its G is scored again when
// the Boolean algebra changed it. False when no pair could be made.
bool process_end(Program& p, partition::Partition& cur, ProcessEnd& end);

} // namespace meru::mainloop
