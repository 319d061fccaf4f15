#pragma once
// Boolean reduction of a term list in place.
//
// The reduction works in cycles: each cycle applies the first simplification that
// its rules find, in a fixed order, and the cycles repeat until one leaves the list
// unchanged (at most 100). Every rule replaces the list by an equivalent one:
//   A  constants: a term holding the empty constant is dropped; the whole-set
//      constant is dropped from its term (a term of it alone makes the whole set);
//   B  terms of equal length (2 or more): duplicates are dropped, and x.R + x'.R
//      becomes R;
//   D  within a term: a repeated literal is dropped, x.x' (or two literals that
//      never hold together) empties the term, and of two literals where one covers
//      the other the wider one is dropped; across terms: absorption (a term that
//      implies another term is dropped), and, for complements x and y, x + x'B =
//      x + B, x.R + x'.R = R, x + x' = whole, consensus xA + x'B + ABC = xA + x'B,
//      and xa + x'b + ab'C = xa + x'b + aC; y + xA = y + A when x covers the
//      complement of y; ab + b'C = ab + aC when a and b together cover every value.
// Rules that look at labels and cut values (the relations of labels.h) apply only
// with `label_rules`; "Attributes are primitive" stops rule D after repeated
// literals. A flipped list (sense kFlipped) is reduced as the list of its negated
// literals, so that the relations are asked about the literals of A- themselves.
#include "core/notices.h"
#include "files/tables.h"
#include "partition/labels.h"
#include "partition/termlist.h"

namespace meru {
class Services;
}

namespace meru::partition {

struct ReduceOptions {
    const files::ControlTables* tables = nullptr; // attribute description (label rules)
    bool label_rules = false;                     // "Full Boolean reduction"
    bool primitive = false;                       // "Attributes are primitive"
    Services* services = nullptr;                 // progress text when the reduction does not settle
    Notices* told = nullptr;                      // the transposition's help topics, for the caller to show
    RelationCache* cache = nullptr;               // optional: relations kept across calls (same tables)
    bool trace = false;                           // the trace switch: the transposition dumps its steps to the log
};

inline constexpr int kMaxReduceCycles = 100;
inline constexpr const char* kReduceProblem = "Problem in Boolean algebra reduction (Search:End will terminate)";

// Reduces `list` (of form `sense`) in place. Status (termlist.h):
//   kOk          reduced; the list may have changed
//   kUnchanged   a single one-literal term, or nothing to simplify
//   kLimit       more than MAXP terms, or inconsistent term lengths; unchanged
//   kNoConvergence  no end within 100 cycles; the list holds the last cycle
//   kConstPlus / kConstMinus   the list is the single constant literal +1 / -1
// An empty list (q = 0) is the empty set; a term of no literals the whole set.
TermStatus reduce(TermList& list, int sense, const ReduceOptions& opt);

} // namespace meru::partition
