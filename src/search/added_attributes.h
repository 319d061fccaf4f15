#pragma once
// Added attributes: a partition stored as an attribute of its own. Making one
// takes the next attribute, attribute line and variable, fills its membership
// column and data column from the partition and stores its definition; making
// room deletes the oldest added attributes and renumbers everything that refers
// to the attributes, lines and variables after them.
//
// Added attributes are the last attributes and lines of the tables. Their
// variables are new variables, normally the last ones; a deletion moves down
// whatever variables follow them.
#include "files/dataset.h"
#include "files/tables.h"
#include "partition/expand.h"
#include "partition/termlist.h"
#include "stats/parallel_for.h"

#include <string>
#include <vector>

namespace meru::io {
class LogWriter;
}

namespace meru::search {

struct SearchResults;

// The deletion makes room for this many new added attributes at most.
inline constexpr int kDeleteOldest = 40;

// The parts of the open analysis the added attributes live in.
struct AddedContext {
    files::ControlTables& tables;
    files::DataArrays& data;
    partition::AddedAttributes& added;
    stats::ParallelFor parallel{}; // shares out the new attribute's column, a stretch of observations each
};

// A term list held elsewhere that must keep its meaning through a deletion;
// `sense` is its form (partition::kPlain or kFlipped).
struct HeldList {
    partition::TermList* list = nullptr;
    int sense = partition::kPlain;
};

// Everything outside the tables that refers to attribute, line or variable numbers.
struct HeldReferences {
    std::vector<HeldList> lists;                // the picked partition, the last iteration's A, ...
    SearchResults* results = nullptr;           // the best lists
    std::vector<int>* attribute_set = nullptr;  // attribute line numbers
    std::vector<std::string>* combos = nullptr; // stored combinations: name, then partition text
    std::vector<char>* usable = nullptr;        // per attribute number: may enter a search
    std::vector<int> kept;                      // added attributes a deletion must not take
};

// Old number -> new number (0: deleted) for attributes, lines and variables;
// index 0 unused. Numbers beyond a map's size are unchanged.
struct Renumbering {
    std::vector<int> attribute;
    std::vector<int> line;
    std::vector<int> variable;
    int deleted = 0; // added attributes deleted
    int lost = 0;    // held lists or best-list entries that could not be expanded and were dropped
    int attr(int a) const { return a >= 0 && static_cast<std::size_t>(a) < attribute.size() ? attribute[a] : a; }
    int lin(int l) const { return l >= 0 && static_cast<std::size_t>(l) < line.size() ? line[l] : l; }
    int var(int v) const { return v >= 0 && static_cast<std::size_t>(v) < variable.size() ? variable[v] : v; }
};

// True when another added attribute can be made as things stand: a free slot
// below the limit of held added attributes, and a free attribute, attribute line,
// variable name, attribute-matrix column and data column.
bool room_for_added(const AddedContext& c);
// True when the tables themselves (not the count of added attributes) are full.
bool tables_full(const AddedContext& c);

// Deletes the oldest min(40, held) added attributes that refs.kept does not
// name (the splits of a growing tree stand on those). Every remaining definition,
// held list, best-list entry and stored combination that refers to a deleted
// attribute is first expanded into what that attribute stands for, so each keeps
// its meaning; then every reference is renumbered in one pass (definitions, slots,
// held lists, best lists, the attribute set, the usable flags, the combinations,
// attribute lines, names, labels, matrix and data columns).
Renumbering deladded(AddedContext& c, HeldReferences& refs);

// The name of the added attribute of an iterative search: "+", the letter of
// counter `letter` (1..52 over a-z then A-Z) and the iteration number in two
// digits with "_" for a leading blank (+a_1, +a10); from 100 on every digit.
std::string iteration_name(int letter, int iteration);
// The name of the n-th added attribute made through the Process menu: "+" and
// the count in two digits padded with a zero (+01); from 100 on every digit.
std::string process_name(int count);

struct MadeAttribute {
    bool made = false;
    bool deleted_first = false; // room was made by deleting the oldest added attributes
    int attribute = 0;          // its attribute number
    int line = 0;               // its attribute line
    int variable = 0;           // its variable (and data column)
    Renumbering renumbering;    // of the deletion, when there was one
};

// Makes an added attribute of `pair` named `name`: when 48 are held or the
// tables are full, writes "NOTE:too many added attributes. Fix up deletions done"
// and deletes the oldest first; when there is still no room (nothing could be
// deleted) refuses with "NOTE: no room for another added attribute" in the log
// and changes nothing. Otherwise the next attribute, line and variable, labels
// "= 0" / "= 1", sign +1, usable; the membership column (skip: drop observations
// missing in the partition) and the data column; the definition, A- first.
MadeAttribute make_added(AddedContext& c, const partition::Partition& pair, const std::string& name, bool skip,
                         HeldReferences& refs, io::LogWriter& log);

} // namespace meru::search
