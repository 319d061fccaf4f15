#pragma once
// The log reports of reading the data and building the attributes: the
// percentile cuts, the value errors and empty lines, the data summary, the
// statistics of the variables and the attribute frequencies, and the report when
// there is no data. They are written from what files::readdata returns.
#include "files/readdata.h"

#include <span>

namespace meru::io {
class LogWriter;
}

namespace meru::ui {

// Every report that readdata's result calls for, in the order of the log: the
// notes of reading (reading_notes.h), then none more when reading was abandoned,
// the no-data report when `novalid` is set, else the
// permutation note, the percentile table, the value errors, the empty lines, the
// summary (which sets `novalid` when no record kept weight, and then the no-data
// report), the statistics of the variables and the attribute frequencies.
void data_reports(files::ControlTables& t, files::ReadDataResult& r, files::ReadDataContext& cx, bool& novalid);

// The percentile table: its header, one line's block (its name, the warning when
// all its values are alike, each cut asked and reached, the note on few distinct
// values) and its end (with the help note on percentile cuts of discrete data).
void percentile_header(io::LogWriter& log);
void percentile_report(const files::AttrLine& line, const files::LinePercentiles& lp, files::ReadDataContext& cx);
void percentile_footer(const files::ReadDataResult& r, files::ReadDataContext& cx);

// The value errors, in observation order: the first kMaxValueErrorsLogged, then
// "ERROR: More errors occurred. " when there were more.
void value_error_report(const files::ControlTables& t, std::span<const files::ValueError> errors, io::LogWriter& log);

// "NOTE: No data on" each line without a non-missing value, with the help notes.
void empty_lines_report(const files::ControlTables& t, const files::ReadDataResult& r, files::ReadDataContext& cx);

// The data summary in the log, its note and messages; sets `novalid` (with the help
// note "NOTE: No data") when the records carry no weight.
void summary_report(const files::ControlTables& t, files::ReadDataResult& r, files::ReadDataContext& cx,
                    bool& novalid);

// "Statistics of variables used in defining attributes": the interval and the
// nominal variables, counting the variables without variation in r.novariation.
void variable_statistics(const files::ControlTables& t, files::ReadDataResult& r, files::ReadDataContext& cx);

// The attribute frequency table with the note of each attribute (AttributeBuilder::ban).
void attribute_frequencies(const files::ControlTables& t, const files::ReadDataResult& r,
                           std::span<const files::AttrNote> notes, files::ReadDataContext& cx);

// The report written when there is no data to analyse; every sign byte becomes +1.
void no_data_report(files::ControlTables& t, files::ReadDataContext& cx);

} // namespace meru::ui
