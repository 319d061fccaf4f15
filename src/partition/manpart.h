#pragma once
// The partition engine's part in entering a partition by hand: the numbered list
// of attributes the Manual partition dialog offers, the text that selecting them
// adds, and where each literal of a list lies among its line's cuts. The dialogs
// themselves are in src/ui (partition_dialogs.h).
#include "files/tables.h"
#include "partition/termlist.h"

#include <string>
#include <vector>

namespace meru::partition {

// The attribute list of the Manual partition dialog: one 45-character entry per
// attribute of the listed lines (in list order, then cut order): the attribute
// number in 5 columns, ": ", and the variable name joined to the label of the
// attribute's own side, squeezed to at most 28 characters.
struct AttributeList {
    std::vector<std::string> entries;
    std::vector<int> attribute; // the attribute number of each entry
};
AttributeList attribute_entries(const files::ControlTables& t, const std::vector<int>& linelist);

// Appends " (n)" for every selected entry, in list order, after the text's last
// non-blank column (a blank text gets it from column 1). When an entry does not
// fit the 200 columns it stops there and returns false.
bool add_selected(std::string& text, const std::vector<bool>& selected, const AttributeList& list);

// Per literal of `list`: its attribute line and its cut index within that line.
// False when the attribute of a literal has no line.
bool literal_places(const TermList& list, const files::ControlTables& t, std::vector<int>& litline,
                    std::vector<int>& litcut);

} // namespace meru::partition
