#pragma once
// What a literal means, read from its attribute's labels and cut values, and how
// two literals of one variable relate (one covers the other, they never hold
// together, they are the same, they are complements).
//
// The label that describes a literal is the column that `litval` picks. Interval
// labels ("<=", ">$", "(]", "](", and "=$" / "^=" for an equality cut, which is the
// range (v - 0.01, v]) are read with the bounds taken from the attribute's two cut
// values, the smaller being the lower bound; a range whose second value is below
// its first is read as the other form. Nominal labels "=" and "^" are code sets.
// Named cuts carry a name in their display label; the relations read the
// operator-and-value labels kept beside them. A label of any other form is not
// compared: nothing is concluded from it except that a literal is itself.
//
// All relations are set relations over the values of the variable, so they hold
// for every observation whose attribute values are not missing.
#include "files/tables.h"
#include "partition/termlist.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>

namespace meru::partition {

// Label column (1 or 2) of a literal for the value v (0 or 1): v + 1 when the
// literal's sign agrees with the attribute's sign byte (or the literal is 0 or +1,
// or the sign byte is 0), 2 - v when they disagree. With v = 1 it is the column
// whose label describes the literal.
int litval(Literal lit, int v, signed char signbyte);
int litval(Literal lit, int v, const files::ControlTables& t);

// The text of a literal as lists of partitions show it: the attribute's
// variable-name field (8 characters) followed by the label (20 characters) of the
// column litval(lit, v) picks. Empty for an attribute outside the table.
std::string literal_text(Literal lit, int v, const files::ControlTables& t);

// What a term or a list says, for the diagrams: each literal's text
// (literal_text, squeezed, no trailing blank) joined by " & " within a term; the
// terms of a list joined by " or ", a term of several literals in parentheses
// when the list has more than one term.
std::string term_text(std::span<const Literal> term, int v, const files::ControlTables& t);
std::string list_text(const TermList& list, int v, const files::ControlTables& t);

// Sign byte of an attribute; +1 for a number outside the table.
signed char signbyte_of(int attribute, const files::ControlTables& t);

// True when every literal of `a` occurs in `b` (signs included); false when
// either is empty.
bool subterm(std::span<const Literal> a, std::span<const Literal> b);

struct LiteralRelation {
    bool covers = false;    // every observation satisfying b satisfies a
    bool disjoint = false;  // a and b never hold together
    bool identical = false; // a and b mean the same
};

// The kind of an attribute's line: 'i' for interval and ordinal lines, 'n' for
// nominal ones; 0 for an attribute outside the table.
char kind_of(int attribute, const files::ControlTables& t);
// Variable number of an attribute's line (0 outside the table).
int variable_of(int attribute, const files::ControlTables& t);
int line_of(int attribute, const files::ControlTables& t);

// The relation of literal a to literal b. Literals of different kinds, or whose
// labels cannot be read, relate only when they are equal (identical) or opposite
// (disjoint).
LiteralRelation covers(Literal a, Literal b, const files::ControlTables& t);

// True when x and y are complements: exactly one of them holds for every
// observation. Interval literals qualify only when their bounds are equal and their
// forms opposite; nominal literals when their code sets are disjoint and together
// hold every code of the lines' universes.
bool complements(Literal x, Literal y, const files::ControlTables& t);

// True when x and y together hold for every observation (x covers the complement
// of y).
bool cover_whole(Literal x, Literal y, const files::ControlTables& t);

// Remembers the relations asked about pairs of literals, so that the many
// reductions of one transposition decide each pair once. Valid only while the
// attribute tables it was used with stay unchanged.
class RelationCache {
public:
    LiteralRelation covers(Literal a, Literal b, const files::ControlTables& t);
    bool complements(Literal x, Literal y, const files::ControlTables& t);
    bool cover_whole(Literal x, Literal y, const files::ControlTables& t);
    // The attribute's variable number, or a key of its own when it has none:
    // two literals can relate only when their keys are equal.
    static long long variable_key(int attribute, const files::ControlTables& t);
    // Relations asked of the cache so far: a measure of the work of the
    // reductions that share it.
    long long lookups() const { return lookups_; }

private:
    struct Entry {
        LiteralRelation rel;
        signed char have_rel = 0, comp = -1, whole = -1;
    };
    Entry& entry(Literal a, Literal b);
    std::unordered_map<std::uint64_t, Entry> pairs_;
    long long lookups_ = 0;
};

} // namespace meru::partition
