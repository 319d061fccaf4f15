#pragma once
// Added attributes: partitions stored as attributes of their own, and their
// expansion into the attributes they are made of.
//
// Each added attribute has a definition slot (1..kAddedSlots) holding its A list
// (plain) in the A set and its A- list (flipped) in the A- set. `slotmap` gives
// the slot of each attribute, 0 for an ordinary one.
//
// `expand` replaces added-attribute literals by their definitions, one literal per
// term and pass, reducing after every pass, until nothing is left to expand. A
// positive literal takes its definition from set1 as stored; a negative one takes
// set2's with every sign reversed. A plain list (an A list) is expanded with
// (A set, A- set), a flipped list with (A- set, A set).
#include "partition/reduce.h"
#include "partition/skiptally.h"
#include "partition/termlist.h"

#include <array>
#include <functional>
#include <vector>

namespace meru::partition {

inline constexpr int kAddedSlots = 50;
inline constexpr int kMaxAdded = 48; // two slots above the last stay free
inline constexpr int kMaxExpandPasses = 22;
inline constexpr const char* kExpandLoopMessage = "loop>20 in EXPAND exit expansion$";

using DefinitionSet = std::array<TermList, kAddedSlots + 1>; // [slot]; [0] unused

struct AddedAttributes {
    DefinitionSet aminus_set; // A- of each definition, flipped form
    DefinitionSet a_set;      // A of each definition, plain form
    std::vector<int> slotmap; // [attribute] -> slot, 0 for an ordinary attribute
    int count = 0;            // added attributes in slots 1..count

    int slot_of(int attribute) const
    {
        return attribute >= 0 && static_cast<size_t>(attribute) < slotmap.size()
                   ? slotmap[static_cast<size_t>(attribute)]
                   : 0;
    }
    // The sets a list of form `sense` is expanded with: (A set, A- set) for a
    // plain list, (A- set, A set) for a flipped one.
    const DefinitionSet& positive_set(int sense) const { return sense == kPlain ? a_set : aminus_set; }
    const DefinitionSet& negative_set(int sense) const { return sense == kPlain ? aminus_set : a_set; }
};

// Stores list 1 as slot k of the first set and list 2 as slot k of the second.
// False (nothing stored) for a slot outside 1..kAddedSlots.
bool addstore(const TermList& list1, const TermList& list2, int k, DefinitionSet& first, DefinitionSet& second);

// Expands every added attribute of `in` (of form `sense`) into `out`. Status:
//   the reduction's status when nothing (more) was expanded;
//   kOk when the result is a constant;
//   kPassLimit after kMaxExpandPasses passes, the list as the last pass left it
//       (a usable list: the caller shows kExpandLoopMessage);
//   kLimit when a pass would exceed MAXP terms or MAXLITS literals, or the
//       reduction reported its limit (then counted under skip reason 1);
//   kNoConvergence when the reduction did not settle (counted under reason 1).
// On every return `out` is a consistent list within the limits.
TermStatus expand(const TermList& in, const DefinitionSet& set1, const DefinitionSet& set2,
                  const std::vector<int>& slotmap, TermList& out, int sense, const ReduceOptions& opt,
                  SkipTally& tally);

// The definition a literal expands to, and whether its signs are reversed; null
// when the literal is not expanded.
struct Definition {
    const TermList* list = nullptr;
    bool reversed = false;
};
using DefinitionLookup = std::function<Definition(Literal)>;

// The expansion with its own choice of which literals expand (the complement uses
// it with two working attributes).
TermStatus expand_with(const TermList& in, const DefinitionLookup& lookup, TermList& out, int sense,
                       const ReduceOptions& opt, SkipTally& tally);

} // namespace meru::partition
