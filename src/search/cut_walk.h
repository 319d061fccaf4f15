#pragma once
// The literals of one combination of items, one set after the other over the
// cuts of its floating lines (every cut of each such line, the last position
// fastest), and the check that every literal's attribute may enter.
#include "partition/termlist.h"
#include "search/search_loop.h"

#include <span>
#include <vector>

namespace meru::search {

class DirectScorer;

class CutWalk {
public:
    // Begins the items `index` (1-based positions in s.lines): each item's
    // literal (from `fixed` when it holds one literal per item, else from the
    // lines), every floating line at its first cut.
    void begin(const LoopSettings& s, std::span<const int> index, const DirectScorer* fixed);
    std::span<const partition::Literal> lits() const { return lits_; }
    // Moves to the next cuts; false after the last.
    bool next();
    // The sets of cuts the walk takes (1 without floating lines).
    std::size_t settings() const { return settings_; }
    // The sets of cuts of the floating positions from `position` on: the
    // walk's runs in which only those positions change.
    std::size_t settings_from(std::size_t position) const;
    // The first position whose literal the last next() changed.
    std::size_t changed() const { return changed_; }
    // The positions from here on keep the candidate's shape (its signs and
    // which of its attributes are equal) whatever their cuts, the items'
    // attribute ranges being apart (as on the direct path): each is fixed, or
    // its line's cuts share one sign and its item stands at no other position.
    std::size_t shape_fixed_from() const { return shape_fixed_from_; }

private:
    void apply();
    std::vector<int> chosen_;                  // attribute lines of the positions
    std::vector<partition::Literal> lits_;     // their literals
    std::vector<int> floating_;                // positions whose line floats its cuts
    std::vector<int> ncuts_;                   // per floating position: its cuts
    std::vector<int> at_;                      // per floating position: its first literal in cut_lits_
    std::vector<partition::Literal> cut_lits_; // the literal of every cut
    std::vector<int> cut_;                     // the odometer: current cut per floating position
    std::size_t changed_ = 0;
    std::size_t settings_ = 1;
    std::size_t shape_fixed_from_ = 0;
};

// The literal of an attribute: negative when its sign byte is.
partition::Literal signed_literal(int attribute, const files::ControlTables* t);

// Whether every literal's attribute may enter (always in the ranking and in
// single-partition mode).
bool usable(const LoopSettings& s, std::span<const partition::Literal> lits);

} // namespace meru::search
