#pragma once
// The log reports of building the attributes: the percentile cuts, the value
// errors and empty lines, the data summary, the statistics of the variables and
// the attribute frequencies, and the report when there is no data.
#include "files/attribute_matrix.h"

#include <span>

namespace meru::io {
class LogWriter;
}

namespace meru::files {

// The percentile table: its header, one line's block (its name, the warning when
// all its values are alike, each cut asked and reached, the note on few distinct
// values) and its end (with the help note on percentile cuts of discrete data).
void percentile_header(io::LogWriter& log);
void percentile_report(const AttrLine& line, const LinePercentiles& lp, ReadDataContext& cx);
void percentile_footer(const ReadDataResult& r, ReadDataContext& cx);

// The value errors, in observation order: the first kMaxValueErrorsLogged, then
// "ERROR: More errors occurred. " when there were more.
void value_error_report(const ControlTables& t, std::span<const ValueError> errors, io::LogWriter& log);

// "NOTE: No data on" each line without a non-missing value, with the help notes.
void empty_lines_report(const ControlTables& t, const ReadDataResult& r, ReadDataContext& cx);

// The data summary in the log, its note and messages; sets `novalid` (with the help
// note "NOTE: No data") when the records carry no weight.
void summary_report(const ControlTables& t, ReadDataResult& r, ReadDataContext& cx, int ndata, bool& novalid);

// "Statistics of variables used in defining attributes": the interval and the
// nominal variables, counting the variables without variation in r.novariation.
void variable_statistics(const ControlTables& t, ReadDataResult& r, ReadDataContext& cx);

// The attribute frequency table with the note of each attribute (AttributeBuilder::ban).
void attribute_frequencies(const ControlTables& t, const ReadDataResult& r, std::span<const AttrNote> notes,
                           ReadDataContext& cx);

// The report written when there is no data to analyse; every sign byte becomes +1.
void no_data_report(ControlTables& t, ReadDataContext& cx);

} // namespace meru::files
