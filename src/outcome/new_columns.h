#pragma once
// A new variable or attribute made for the user: made as the data tables allow,
// and when there is no room the user is told so (and the log keeps the message).
#include "files/dataset.h"
#include "files/tables.h"

#include <span>
#include <string_view>
#include <vector>

namespace meru {
class Services;
}

namespace meru::outcome {

// Appends a variable (files::append_variable); without room shows
// "No room for a new variable$" and returns 0.
int add_variable(files::VariableTable& vars, files::DataArrays& data, std::vector<char>& varischar,
                 std::string_view name, std::span<const float> values, bool character, Services& sv);

// Appends the attribute made from the 0/1 variable `var` (stats::append_binary_attribute);
// without room shows "No room for a new attribute$" and returns 0.
int add_binary_attribute(files::ControlTables& t, files::DataArrays& data, int var, Services& sv);

} // namespace meru::outcome
