#pragma once
// The second half of reading a data file: "_r_" permutations, means and
// percentiles for the cuts that need them and the attribute matrix
// (attribute_matrix.h), with the progress shown. Nothing is written to the log:
// what the reports need is kept in the result's `found`.
#include "files/readdata.h"

namespace meru::files {

// Runs after the records are read and character data are coded.
void build_attributes(ControlTables& t, DataArrays& d, ReadDataResult& r, ReadDataContext& cx);

} // namespace meru::files
