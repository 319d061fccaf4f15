#pragma once
// The fit report of a rectangle diagram: how well the fitted areas of its cells
// match their counts, how much the subgroups overlap, and Cohen's kappa of every
// pair of subgroups over the cells.
#include "stats/diagram_state.h"

#include <span>
#include <string_view>
#include <vector>

namespace meru::io {
class LogWriter;
}

namespace meru::stats {

struct PairKappa {
    int j = 0, l = 0; // subgroups (1-based), j < l
    double kappa = 0.0;
};

struct DiagramFit {
    int nonempty = 0;              // cells with a count above 0
    int absent = 0;                // count above 0, no area
    int surplus = 0;               // area above 0, no count
    double chisq = 0.0;            // sum of (f_i - a_i)^2 / a_i over the cells with area
    int k = 0;                     // cells with area
    double fit_p = 1.0;            // Q(k/2, X^2/2); 1 when X^2 = 0 or k = 0
    double e_max = 0.0;            // largest |a_i - f_i| / F
    double q_index = 0.0;          // count of the cell inside every subgroup / count of the union
    std::vector<double> overlap;   // per subgroup: 1 - (count of the cell of j alone) / S_j
    double mean_overlap = 0.0;     // weighted by S_j
    double group_error = 0.0;      // 100 sum |S_j - A_j| / sum S_j
    std::vector<PairKappa> kappas; // n > 1
};

// Fits report of the n subgroups (1..6) of `st` over cells st.first_cell .. 2^n - 1;
// `display[j - 1]` is the display digit of subgroup j and `start` the name of the
// start configuration. Writes the fit fields of `st` (F, A, E, S_j, A_j, the
// mismatched cells, the pattern of every cell and the status text); with `print`
// writes the cell table, the Q index, the subgroup table, the group-size message and
// the pairwise kappas to `log`. An n outside 1..6 gives an empty report.
DiagramFit kappas(DiagramState& st, int n, std::span<const int> display, std::string_view start, bool print,
                  io::LogWriter& log);

} // namespace meru::stats
