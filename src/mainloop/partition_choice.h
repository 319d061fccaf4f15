#pragma once
// The partition a Process item works on: during Search:Go! the optimum of the
// best-at-each-complexity list, after a tree the current partition, otherwise the
// user's choice in the "Select partition" dialog (optimal, chosen from the best
// list, entered by hand, current, or a control-file combination).
#include "partition/termlist.h"
#include "settings/form.h"

#include <functional>
#include <string>

namespace meru::mainloop {

struct Program;

// Dialog 111 and its radio buttons.
namespace select_ids {
inline constexpr int kDialog = 111;
inline constexpr int kOptimal = 1000;
inline constexpr int kBest = 1001;
inline constexpr int kManual = 1002;
inline constexpr int kCurrent = 1003;
inline constexpr int kCombination = 8003;
} // namespace select_ids

// What the choice depends on.
struct ChoiceFacts {
    bool current_valid = false;
    bool top10_empty = true;
    bool best_empty = true;
    bool lodged = false; // a search lodged partitions in memory since the last one began
    int combinations = 0;
    bool nontree_search = false; // Search:Go! was chosen outside tree mode
};

// The radio button chosen when the dialog opens.
int initial_choice(const ChoiceFacts& facts);

// Shows dialog 111 until a choice with something behind it is made; each refused
// choice shows its note first. Returns the chosen id, settings::kCancel, or
// settings::kMissing (with "Error: dialog box 11 not found" in the log).
int select_partition(const ChoiceFacts& facts, settings::FormDialog& dialog,
                     const std::function<void(std::string&)>& note, const std::function<void(std::string)>& log);

// Where the partition chosen came from, as far as the Process items need to know.
struct ChosenFrom {
    bool search_end = false; // the winner of the search under way, or a tree's partition just made
    bool entered = false;    // entered by hand or taken from the control file's combinations
    std::string combo_name;  // a control-file combination's 8-character name
};

// The partition of a Process item as a pair: false when there is none (the request
// ends). `rectangle`: the item is Rectangle diagrams (entered partitions say so).
bool choose_partition(Program& p, bool rectangle, partition::Partition& out, ChosenFrom* from = nullptr);

} // namespace meru::mainloop
