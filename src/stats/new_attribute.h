#pragma once
// An attribute made from a 0/1 variable: one more attribute (byte 1 where the
// value is 1, 0 where it is 0, missing otherwise) with an attribute line of its
// own that cuts the variable once, nominal, labelled "=0" and "=1". The room
// for both is checked first.
#include "files/dataset.h"
#include "files/tables.h"

namespace meru::stats {

// Whether one more attribute and one more attribute line fit the tables and the
// attribute matrix.
bool attribute_room(const files::ControlTables& t, const files::DataArrays& data);

struct NewAttribute {
    int att = 0;          // the new attribute's number; 0 when none was made
    bool no_room = false; // none was made for want of room (or of a variable `var`)
};

// Appends the attribute made from variable `var`'s values and its line.
NewAttribute append_binary_attribute(files::ControlTables& t, files::DataArrays& data, int var);

} // namespace meru::stats
