#pragma once
// What the nodes of a tree grown for a survival time show: the weight of the
// events among the node's observations, the Kaplan-Meier median of its time
// (none while the estimate stays above one half), and for each tested split the
// log-rank test of its two children in place of the t test of their means.
// No Qt here.
#include "tree/tree_model.h"

namespace meru::tree {

// Fills events and median of every node and the test of every tested split of
// `s`, which evaluate() has worked out on `d` (whose `event` is not empty).
// The median is the first event time where the estimate falls below one half;
// where it is one half exactly, the midpoint between that time and the next
// event time (that time itself when no event follows), as R's survfit takes it.
// Tied times take their events before their censorings; the log-rank test
// counts the events at time 0 in no risk set, as the search's does.
void survival_nodes(const TreeData& d, TreeStats& s);

} // namespace meru::tree
