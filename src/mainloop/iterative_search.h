#pragma once
// The iterative search between two iterations, as the search driver calls it:
// after the end-of-search steps have made the current pair, the stop rules; then
// the iteration's added attribute and the next iteration, or the end.
#include "partition/compat.h"
#include "partition/termlist.h"
#include "plots/search_window.h"
#include "search/added_attributes.h"

#include <vector>

namespace meru::mainloop {

struct Program;
struct SearchEnd;

// What the driver holds that these steps read and change.
struct IterativeRun {
    std::vector<int>& attribute_set;       // attribute line numbers; gains the iteration's entry
    std::vector<char>& usable;             // per attribute: may enter a search
    plots::WindowScale& scale;             // the search window's scale
    const partition::Partition& cur;       // the current pair made from the winner
    double g = 0.0;                        // the winner's G
    partition::TermList* picked = nullptr; // the picked-partition store, kept through deletions
};

enum class IterativeStep {
    off,     // not an iterative search: the driver ends the search as usual
    stopped, // the iterative search has ended: the driver ends the search as usual
    next,    // restart the search for the next iteration (set-up step 14 on)
};

// The stop rules after the winner of an iteration. The message line gets the
// stop text; the Partition window shows a single-attribute winner.
IterativeStep iterative_stop(Program& p, IterativeRun& run, const partition::PartitionWindow& show = {});

// The iteration's added attribute (" Added attribute NAME created and included in
// attribute set") and the next iteration. An attribute that cannot be made ends
// the iterative search.
IterativeStep iterative_next(Program& p, IterativeRun& run);

// The steps between two iterations over the end of a search `e` (its current pair
// and winner's G): the stop rules, then the added attribute and the next
// iteration. True when the search is to run again for the next iteration; false
// when it ends (an iterative search that stopped has `e.iterative` cleared and
// `e.stopped` set when a stop test fired), and the end-of-search close follows.
bool continue_iterating(Program& p, SearchEnd& e, std::vector<int>& attribute_set, std::vector<char>& usable,
                        plots::WindowScale& scale);

// The references outside the tables that a deletion of added attributes must
// renumber: the picked partition, the last iteration's partition, the best lists,
// the stored combinations, and the given attribute set and usable flags.
search::HeldReferences held_references(Program& p, std::vector<int>* attribute_set, std::vector<char>* usable,
                                       partition::TermList* picked);

// Carries a deletion's renumbering into the program's other references to
// attributes and variables (the forced attribute, attributes and columns of Ys).
void apply_renumbering(Program& p, const search::Renumbering& r);

} // namespace meru::mainloop
