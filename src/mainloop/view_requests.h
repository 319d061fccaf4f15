#pragma once
// The main loop's View step: View > Output, Data, .MRC file and Other files, in
// that order, each in the text viewer; and the log viewer for the routines that
// show the log after their work.
#include "mainloop/dispatch.h"

#include <string>
#include <vector>

namespace meru::mainloop {

struct Program;
struct Analysis;

// The handler of the View step.
Flow view_requests(Program& program);

// Shows the output log in the text viewer, at the last time line (the log is
// flushed first and read through the viewer's own reader).
void show_log(Program& program);

// The data viewer's name row: the variable names in data-column order with
// "_id_" and "_freq_" at the columns of the identifier and the weight, or for
// fixed-format data "Fixed format, raw data. Format=" and the format.
std::string data_name_row(const Analysis& analysis);

} // namespace meru::mainloop
