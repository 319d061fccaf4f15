#pragma once
// Process > Tree: the kept tree of the open analysis worked out on its data,
// pruned by the stopping rules (shown first in their dialog), with its node table (and, for a categorical Y,
// the classification table) in the output log.
#include "mainloop/dispatch.h"

namespace meru::mainloop {

struct Program;

// "NOTE: no tree in memory" when no tree is kept.
Flow tree_request(Program& p);

} // namespace meru::mainloop
