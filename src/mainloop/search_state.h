#pragma once
// What the stages of Search:Go! keep for the search between the poll rounds and
// from one search to the next: the attribute set and its cuts, the search's own
// copy of the forcing switch, the once-per-run notes, and the size-vector walk's tables. The iterative switch,
// the iteration and the letter counter are the program's IterationState.
#include "partition/search_size.h"
#include "partition/skiptally.h"
#include "plots/search_window.h"
#include "search/attribute_set.h"
#include "search/cut_list.h"
#include "search/search_loop.h"
#include "stats/extent.h"

#include <vector>

namespace meru::mainloop {

struct SearchState {
    search::AttributeSet set;             // the lines the search combines (room for an iteration's entry)
    search::CutList cuts;                 // the usable cuts, the float levels
    std::vector<int> allowed;             // attributes that may enter a search, by the exclusion rule
    bool related = false;                 // two attributes of the set belong to one variable
    bool iterative = false;               // the search's copy of the Strategy's iterative switch
    bool forcing = false;                 // the search's copy of "Force in attribute"
    bool treegrow = false;                // a tree is grown by the search
    int iteration = 0;                    // iteration number of the running search
    int letter = 0;                       // names the added attributes: 1..52
    bool attrition_noted = false;         // ">10% data attrition" shown in this run
    double attrition = 0.0;               // percentage lost by the last sample mask
    std::vector<int> primlines;           // the distinct primitive lines in use
    stats::ExtentBox box;
    partition::SubsizeMemory memory;
    partition::SkipTally skips;
    plots::WindowScale scale;
    Notices told;            // what the search's Boolean algebra has for the user
    search::LoopResult last; // what the last run of the loop did
};

} // namespace meru::mainloop
