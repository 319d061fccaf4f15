#pragma once
// The second half of reading a data file: "_r_" permutations, means and
// percentiles for the cuts that need them, the attribute matrix (attribute_matrix.h),
// and the data summary, variable statistics and attribute frequencies in the log
// (attribute_report.h).
#include "files/attribute_report.h"
#include "files/percentiles.h"
#include "files/readdata.h"

namespace meru::files {

// Runs after the records are read and character data are coded. Sets `novalid`
// when the records carry no weight at all.
void make_attributes(ControlTables& t, DataArrays& d, ReadDataResult& r, ReadDataContext& cx, int ndata,
                     bool& novalid);

} // namespace meru::files
