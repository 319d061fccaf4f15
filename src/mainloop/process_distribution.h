#pragma once
// Process > Distribution A v. A-: the Y tables of the observations of A and A-, then
// the distribution of Y in A and, as a second curve over it, in A-, drawn in
// the process distribution window.
#include "stats/quartab.h"

#include <cstdint>
#include <span>
#include <vector>

namespace meru::stats {
struct SubStat;
struct SampleView;
struct Censoring;
} // namespace meru::stats

namespace meru::mainloop {

struct Program;

// One side's sample for the distribution window: its distinct Y values
// ascending with their weights (censored weight negative), the missing values
// left out; `nobs` counts the observations with a value.
struct SideSample {
    std::vector<double> x;
    std::vector<long long> w;
    long long nobs = 0;
    double mean = 0.0;
};

// The sample of the observations whose membership is `side` (1: A, 0: A-),
// in the view's mask and with a weight other than 0.
SideSample side_sample(const stats::SampleView& view, std::span<const std::int8_t> member, int side,
                       const stats::Censoring& censoring);

// Writes the Y tables of A and of A- (YDATA over each side's subgroup statistics)
// and draws Y in A and in A-, each side's mean marked; `member` is each
// observation's membership of A; the view's Y is Y `ky`.
void distribution_sides(Program& p, const stats::SubStat& a, const stats::SubStat& aminus,
                        const stats::SampleView& view, std::span<const std::int8_t> member, int ky);

} // namespace meru::mainloop
