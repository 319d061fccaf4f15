#pragma once
// A series of searches made from the ordinary Search:Go! stages: after the
// statistics of each search the next step is raised (the test sample, the rest of
// a by-group, the next Y, the next bootstrap sample) and the loop returns to the
// idle poll, so the series' counters live on between its steps. Each finished
// search is recorded for the Search Summary.
#include "mainloop/dispatch.h"
#include "partition/termlist.h"

#include <string>

namespace meru::mainloop {

struct Program;

// An error in percent as the log shows it (7 characters, 2 decimals); a negative
// error, one the criterion does not define (log-rank), shows as "-".
std::string error_text(double error);

// The recording of a statistics step of Search:Go!: a new record for the search
// that found the partition, its error and size as the record's test columns, the
// generalised-error line, and the Search Summary when the search is complete.
void record_statistics(Program& p, const partition::Partition& cur, int complexity, long long n, double error);

// Where the loop goes after the statistics: the continuation rules of a series.
Flow continue_series(Program& p);

// After a later Y of a serial bootstrap pass was ranked on the weights its first
// Y was ranked on: the pass's sample comes back for the search.
void restore_boot_sample(Program& p);

} // namespace meru::mainloop
