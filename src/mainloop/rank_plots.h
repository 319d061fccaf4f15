#pragma once
// The Rank plots called from the rank stage: their arguments built from the open
// analysis and the last ranking.
#include "plots/rank_windows.h"

#include <cstdint>
#include <vector>

namespace meru::mainloop {

struct Program;

// The ranked lines as the plots read them: offered in the ranking's order, the
// optimised cut of each its chosen cut.
plots::CutLines rank_cut_lines(const Program& p);

// The effectiveness of every attribute the ranking scored, by attribute number
// ([a - 1]); NaN for the others.
std::vector<double> attribute_effectiveness(const Program& p);

// Sets the rank stage's hooks of the four Rank plots. The rank plot's bans are
// copied back into the lines, so they hold for the next search.
void install_rank_plots(Program& p);

} // namespace meru::mainloop
