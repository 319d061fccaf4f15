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

// One text per term j of `list`, naming the set the diagram draws for it. The
// list is in the form s gives (`repflag`: 1 plain, A; 0 flipped, A-), so a literal
// stands for the set of literal_text(l, s) (partition/labels.h), whose label
// column follows the attribute's sign byte as every other list of the program
// does: after Fix Positive has turned a line, its labels and sign bytes are
// turned together and the literal still names the same observations.
//  - a term of one literal l: the attribute's variable name followed by the
//    label of that set, or of its complement when side[j] != 1, squeezed (the "$"
//    padding dropped, runs of blanks collapsed, trailing blanks removed); an
//    attribute outside the tables gives its number;
//  - a longer term: its number j (1-based) and its definition, the literals'
//    texts joined by " & "; its number alone, preceded by "^", when side[j] != 1
//    (the term's complement is shown).
// `side` holds one flag per term (a missing flag counts as 1).
std::vector<std::string> attrkey_lines(std::span<const int> side, const partition::TermList& list,
                                       const files::ControlTables& tables, int s);

} // namespace meru::stats
