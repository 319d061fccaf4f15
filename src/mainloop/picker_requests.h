#pragma once
// The settings follow-ups that pick attributes (the X constraints and the
// forcing step after Strategy, the censoring set-up of the log-rank criterion)
// and the bootstrap draw of a series, set as Dispatch hooks.
#include <cstdint>
#include <vector>

namespace meru::mainloop {

struct Analysis;
struct Program;

// Recomputes each Y's range and the last Y's mean over the observations in X space.
void yranges(Analysis& a);

// X space as one byte per observation (observation i at i - 1): 1 for the
// observations read that lie in it.
std::vector<std::uint8_t> xspace_bytes(const Analysis& a);

// The weight read from the data file (1 without data): the count an analysis
// without X constraints uses.
long long weight_read(const Analysis& a);

void run_xconstr(Program& p);
void run_forceattr(Program& p);
void run_logrank_setup(Program& p);
// The draw of a bootstrap sample; the first of a series first names the series
// in the log (" Bootstrap series # 2 of this analysis").
void run_bootstrap_draw(Program& p);

void install_picker_hooks(Program& p);

} // namespace meru::mainloop
