#pragma once
// New variables and attributes made by the program from its data: a variable is
// one more column of the data matrix with one more name, an attribute one more
// byte per observation with an attribute line of its own. Each routine checks
// the room first and changes nothing when there is none, so nothing is ever
// written past an array.
#include "files/dataset.h"
#include "files/tables.h"

#include <span>
#include <string_view>
#include <vector>

namespace meru::files {

// Variables the program may make beyond those of the control file.
inline constexpr int kMadeVariables = kExtraColumns;

// Whether one more variable fits: fewer than kMadeVariables made so far and a
// data-matrix column free.
bool variable_room(const VariableTable& vars, const DataArrays& data);

// Appends variable nvar + 1 named `name` with `values` (one per observation, the
// rest of the column -1) and its character flag; grows the name table and the
// flags as needed. Returns the new variable's number, or 0 without room.
int append_variable(VariableTable& vars, DataArrays& data, std::vector<char>& varischar, std::string_view name,
                    std::span<const float> values, bool character);

// Drops the made variables in `gone` (numbers 1..nvar): the variables after each
// move down over it with their names, character flags, sources and data columns,
// the attribute lines follow their variables, and the count of made variables
// falls by the number dropped. Returns old number -> new number (0: dropped),
// index 0 unused, for the caller's own references.
std::vector<int> drop_variables(ControlTables& t, DataArrays& data, std::vector<char>& varischar,
                                std::span<const int> gone);

// Source of a made variable (0 when none or out of range).
int source_variable(const VariableTable& vars, int var, int which);
void set_source_variable(VariableTable& vars, int var, int which, int source);
// The sources of `var` and the sources of those, each once: what a search that
// has `var` as Y leaves out with it.
std::vector<int> source_variables(const VariableTable& vars, int var);

} // namespace meru::files
