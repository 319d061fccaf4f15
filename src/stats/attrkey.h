#pragma once
// The texts of a rectangle diagram's attribute key: one line per term of the
// diagram, saying which term each set of rectangles stands for. The drawing is
// done by the diagram window (rectdiag/attrkey_draw.h).
#include "files/tables.h"
#include "partition/termlist.h"

#include <span>
#include <string>
#include <vector>

namespace meru::stats {

// One text per term j of `list`:
//  - a term of one literal l (attribute a = |l|): the attribute's variable name
//    followed by its label in column s + 1 when (l > 0) agrees with (side[j] == 1),
//    in column 2 - s otherwise, squeezed (the "$" padding dropped, runs of blanks
//    collapsed, trailing blanks removed); an attribute outside the tables gives its
//    number;
//  - a longer term: its number j (1-based), preceded by "^" when side[j] != 1 (the
//    term's complement is shown).
// `side` holds one flag per term (a missing flag counts as 1); s is `repflag`.
std::vector<std::string> attrkey_lines(std::span<const int> side, const partition::TermList& list,
                                       const files::ControlTables& tables, int s);

} // namespace meru::stats
