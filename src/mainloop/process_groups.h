#pragma once
// The by-group pass of a Process item: in by-group mode Statistics, Lists,
// Rectangle diagrams, Distribution A v. A- and Random run once per group, the
// group counted by a number of its own (the Search:Go! series keeps the other).
// Each group's heading goes to the log; a group the user ignores at its quit
// dialog, or one without observations, is skipped with its line.
namespace meru::mainloop {

struct Program;

enum class GroupPass {
    none,    // not in by-group mode: the item runs once on all observations
    analyse, // the item runs on the group now set
    end,     // no group is left
};

// Steps the pass to the next group the item runs on.
GroupPass next_process_group(Program& p);

} // namespace meru::mainloop
