#pragma once
// The tree controller and Process > Tree: the kept tree of the open analysis
// worked out on its data, pruned by the stopping rules (shown first in their
// dialog), its node table (and, for a categorical Y, the classification table)
// in the output log, and the "Tree diagram" window, from which a tree partition
// may come back as the current pair.
#include "mainloop/dispatch.h"

namespace meru::mainloop {

struct Program;

// The controller on the kept tree for Y number `ynumber`, whose categorical
// switch (a.outcome.ydisc) the caller has set; Search:Go! calls it once a tree is
// formed. It switches Full Boolean reduction on and Attributes are primitive off
// (the loop head puts them back), then shows the rules, logs the tree and opens
// the window. The window's message is left in p.msgline. True when the user made
// a tree partition: it has been shown as an entered partition and is now the
// current pair (p.process.current), and p.flags.treemade is raised. False on Esc,
// a missing dialog template, no kept tree, or a partition that reduces to the
// null or the universal set.
bool tree_controller(Program& p, int ynumber = 1);

// Process > Tree: "NOTE: no tree in memory" when no tree is kept; otherwise the
// Y chosen among several, whether it is categorical, the controller, and the
// statistics of a tree partition it returns.
Flow tree_request(Program& p);

} // namespace meru::mainloop
