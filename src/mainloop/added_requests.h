#pragma once
// What the Process and View handlers call for added attributes and entered
// partitions: making an added attribute from the chosen partition, offering it
// to the control file, and showing a partition entered by hand, taken from the
// control file's combinations or from View > Added attributes.
#include "partition/compat.h"
#include "partition/termlist.h"
#include "search/added_attributes.h"

#include <string>

namespace meru::mainloop {

struct Program;

// Process > Create added attribute, after the chosen partition has been evaluated
// and `cur` made from it (the by-group refusal is the handler's). The name is
// "+" and the Process count (+01, ...), or `combo_name` for a control-file
// combination; the log gets "  Added  attribute: NAME is created"; View > Added
// attributes is offered, and with the first one the progress window made active
// when no window is. Unless the partition is a combination or the
// control file's combinations are being made at an opening, the question
// "?Added attribute made. Write as a control file combination?" and, on Yes, the
// combination written. Returns what was made (nothing when there was no room).
search::MadeAttribute create_process_attribute(Program& p, const partition::Partition& cur,
                                               const std::string& combo_name = {});

// View > Added attributes is offered once an analysis holds an added attribute,
// whichever route (Process, an iteration, a tree split) made it.
void offer_added_view(Program& p);

// While View > Added attributes shows attribute `name` whose reduced form differs
// from its definition: unless the first literal of the first list is attribute 1,
// "?Write created attribute as a control file combination?" and the write.
void offer_combination(Program& p, const partition::Partition& cur, const std::string& name);

// G of pair `cur` of the given complexity, scored as a search scores one given
// partition over the sample a Process item works on (a by-group pass's group), on
// the Y that scored_y(p, y) names; 0 while no Y is chosen.
float score_partition(Program& p, const partition::Partition& cur, int complexity, int y = 0);

// The G that the Process items show for pair `cur` on the Y that scored_y(p, y)
// names: the one held for it while the criterion, that Y and the sample it was
// scored under are in force; otherwise, and in a pass over the by-groups, its own
// G under the settings (and group) in hand.
float shown_g(Program& p, const partition::Partition& cur, int y = 0);

// Where an entered partition comes from.
enum class EnteredFrom { manual, combination, added, tree };

struct EnteredPartition {
    partition::TermList list;       // as entered
    partition::TermList complement; // a tree's non-highlighted leaves: A- as a plain union of terms
    int repflag = 1;                // 1: the list is A; 0: it is A-
    bool simplify = true;           // the "Simplify/expand expression" box
    EnteredFrom from = EnteredFrom::manual;
    std::string combo_name; // a combination's 8-character name
    bool rectangle = false; // the Process item is Rectangle diagrams
};

// Shows an entered partition: the reduction options set from the box (saved
// first, put back when the Process work ends), the caption, the reduction with
// "NOTE: null set" / "NOTE: universal set", the complement, the compatibility
// repair. A tree partition brings its complement (the non-highlighted leaves)
// and repairs it by transposition. False when there is no valid current pair (an
// empty or constant partition); otherwise `cur` is the pair and `picked` the
// partition as entered.
bool show_entered(Program& p, const EnteredPartition& in, partition::Partition& cur, partition::TermList& picked,
                  const partition::PartitionWindow& show);

} // namespace meru::mainloop
