#pragma once
// The end of a search, after the size-vector loop: the winner through the
// complexity hull, the Partition window, the Boolean algebra of the winner with
// its repair, and, once the search is over, the repair count and the hull redrawn.
// The iterative stop rules, the added attribute and the next iteration run
// between the two halves (see search_end_result and search_end_close).
#include "partition/candidate.h"
#include "partition/termlist.h"
#include "plots/search_window.h"
#include "search/hull_step.h"
#include "search/search_loop.h"

#include <string>

namespace meru::mainloop {

struct Program;
enum class Flow;

struct SearchEnd {
    // The search that ended.
    bool combination = true;           // false: a single given partition was evaluated
    long long evaluated = 0;           // partitions evaluated by it (one iteration)
    long long evaluated_in_search = 0; // ... and by every iteration of its search
    int iteration = 1;                 // a search that does not iterate counts as iteration 1
    bool iterative = false;            // iterative mode is still running
    bool stopped = false;              // the iterations stopped on an identical partition or a cycle
    bool treegrow = false;             // the split of a tree node
    bool process_mode = false;
    bool cf_combination = false; // Process mode on a control file's combination
    bool bygroup = false;
    bool bootstrap = false;
    bool closing = false;     // the window-closing stage of Go!: no repair
    bool display = false;     // the search window was open while searching
    long long nobs_read = 0;  // Process mode: observations read ...
    long long nobs_used = 0;  // ... and in the sample
    plots::WindowScale scale; // the search window's scale
    partition::PairSettings pair;
    partition::TermList* work = nullptr; // the work partition (Process mode check; receives the winner)
    int* work_repflag = nullptr;

    // Results.
    bool no_partitions = false;   // nothing was evaluated: the request ends
    bool bygroup_dropped = false; // ... and the by-group series is dropped
    search::HullResult hull;
    int winner = 0; // best-list entry (combination search)
    int complexity = 0;
    float g = 0;
    partition::TermList lpmem; // the winner as found
    int repflag = 1;
    partition::Partition curpart; // the winner reduced, with its complement
    bool changed = false;         // the reduction changed A

    // Kept over the run (the caller resets them when a run starts).
    int repairs = 0;              // partitions whose pair needed the repair
    bool compat_note = true;      // the compatibility check's first-failure note is still due
    bool attrition_noted = false; // the attrition note was shown
};

// Steps after the loop up to the attrition report. False when nothing was
// evaluated (the request ends there).
bool search_end_result(Program& p, SearchEnd& s);

// The end of the search that `run` made, set up from the program's settings and
// its iterative search (iteration, switch, added attributes). Search:End stays
// raised for an iterative search, whose stop rules answer it.
SearchEnd search_end_for(Program& p, const search::LoopResult& run);

// The search stage's call once the loop has run its last size vector (or was
// ended by Search:End) and the extent box is printed: the end of a search that
// does not iterate, over the program's results and settings. Says where the main
// loop goes next.
Flow end_of_search(Program& p, const search::LoopResult& run);

// After the iterations stop: the repair count and, outside iterative mode, tree
// growing, Process mode, a by-group series and bootstrap mode, the message line
// in the progress window and the hull redrawn in the search window.
void search_end_close(Program& p, SearchEnd& s);

} // namespace meru::mainloop
