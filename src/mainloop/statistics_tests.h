#pragma once
// What Statistics adds after the tables of a partition: the G of an impurity
// criterion worked out again from the count table, the F test of the split, the
// effect matrices between the parts of A and A-, and under the log-rank criterion
// the log-rank test, the rate ratio of A- to A and Harrell's c-index.
#include "partition/termlist.h"

#include <cstdint>
#include <span>
#include <string>

namespace meru::stats {
struct CountTable;
struct SampleView;
struct SubStat;
class CompiledList;
} // namespace meru::stats

namespace meru::mainloop {

struct Program;

// True when two values of G differ by more than 1e-9 of the larger magnitude.
bool g_differs(double held, double recomputed);

// G of Y k's count table under Gini diversity or Entropy, weighed as the search
// weighs it (the Y's weight, 0 for an empty side, the balancing factor) and kept in
// single precision as the search keeps it.
float impurity_g(const Program& p, const stats::CountTable& table, int nclasses, int k);

// Compares `held` (the G the search gave the partition) with impurity_g; when they
// differ, "check fail gstat, gstatest" and both values go to the log and the note
// "Internal check fail gstat ne gstatest. Tell Kelbo$" is shown. Returns false then.
bool impurity_check(Program& p, float held, const stats::CountTable& table, int nclasses, int k);

// The F test of the split of Y (the view's) over the pair, on 1 and N - 2 degrees
// of freedom, as one log line.
void split_f_line(Program& p, const stats::SampleView& view, const partition::Partition& cur);

// The effect matrices between the parts of A (rows) and of A- (columns) of Y k.
void effect_matrices(Program& p, const stats::SubStat& a, const stats::SubStat& aminus, int k);

// Under the log-rank criterion: the log-rank statistic of the split with its
// chi-square tail, the rate ratio of A- to A, then Harrell's c-index (progress
// text, the active window's mouse routine removed, stoppable by Search:End).
void survival_lines(Program& p, const stats::SampleView& view, const stats::CompiledList& list,
                    std::span<const std::int8_t> member, int k, const std::string& yname);

} // namespace meru::mainloop
