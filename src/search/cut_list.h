#pragma once
// Which cuts of the attribute set's lines take part in a search: a line with one
// cut, or with a float level of 1, is fixed on its best cut; otherwise its L best
// cuts by the ranking's G "float" (the search tries each in place of the others).
// Writes the "Cuts are:" listing.
#include "files/tables.h"
#include "platform/io/logwriter.h"
#include "search/exclusions.h"
#include "search/ranking.h"

#include <string>
#include <vector>

namespace meru::search {

struct CutlistInput {
    std::vector<int> lines; // the attribute set
    const Ranking* ranking = nullptr;
    int levels = 1;           // float levels L (1..3)
    bool single_cuts = false; // no line of the set has more than one cut
    ExclusionContext exclusions;
};

struct CutList {
    std::vector<char> usable;              // [attribute]: the cut takes part in the search
    std::vector<int> levels;               // [line]: how many of its cuts take part
    std::vector<std::string> descriptions; // per set line: " ", name (8), two blanks, a 30-character text
};

// Fills `out` and sets each line's `inuse` (its best cut) and `firstattr` (it
// floats) for the candidates. Before any ranking, with lines of several cuts,
// nothing is decided: the message line gets "No search yet done to establish
// cuts $" and false is returned.
bool cutlist(files::ControlTables& t, const CutlistInput& in, CutList& out, std::string& msgline, io::LogWriter& log);

} // namespace meru::search
