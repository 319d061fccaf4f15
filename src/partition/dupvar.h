#pragma once
// Whether a list of attributes holds two of one variable: then a term built from
// the list can hold two cuts of one variable, which the Boolean reductions relate.
#include "files/tables.h"

#include <span>
#include <vector>

namespace meru::partition {

// True when two attributes of `attributes` (signs ignored) belong to the same
// variable by `variable_of` (indexed by attribute number; numbers outside it
// belong to no variable); false for lists shorter than 2.
bool dupvar(std::span<const int> attributes, std::span<const int> variable_of);

// The map from attribute number to the variable of its attribute line (0 for
// attribute 0 and attributes without a line).
std::vector<int> attribute_variables(const files::ControlTables& t);

} // namespace meru::partition
