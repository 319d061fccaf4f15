#pragma once
// The distinct attribute lines a search's data pass must hold: the attribute set
// in use, the forced attribute's line and the lines of the attributes a serial
// analysis joins to every candidate, each added attribute replaced by the lines
// of the attributes its A- definition is made of.
#include "files/tables.h"
#include "partition/expand.h"

#include <span>
#include <vector>

namespace meru::search {

struct PrimattrsInput {
    std::span<const int> lines; // the attribute set in use
    const files::ControlTables* tables = nullptr;
    const partition::AddedAttributes* added = nullptr; // the stored definitions (null: none)
    bool primattr = false;                             // "Attributes are primitive": added attributes stay whole
    bool rank = false;                                 // the Rank request is raised
    bool first_iteration = true;
    bool treegrow = false;
    bool forcein = false;
    int forcedattr = 0;          // the forced attribute times its sign
    std::span<const int> joined; // attributes joined to every candidate (signed)
};

struct PrimattrsResult {
    std::vector<int> lines; // first-seen order, each line once
    int replaced = 0;       // added attributes of the set and the forced line replaced by their definitions
    bool note = false;      // "NOTE: added attributes" is due
};

PrimattrsResult primattrs(const PrimattrsInput& in);

} // namespace meru::search
