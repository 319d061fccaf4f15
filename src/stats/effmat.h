#pragma once
// Effect matrices between the parts (each term, and the whole list) of the two
// lists of a partition, with Wald 95% intervals: relative risk, risk difference
// and odds ratio for a binary Y; incidence-rate ratio and difference in log-rank
// incidence mode; mean difference for a continuous Y.
#include "stats/subgroup_stats.h"

#include <string>

namespace meru::io {
class LogWriter;
}

namespace meru::stats {

struct EffmatOptions {
    bool binary = false;    // Y is binary
    bool incidence = false; // log-rank incidence mode (takes precedence)
    double ymin = 0.0;      // range that scales a binary Y to a proportion
    double ymax = 1.0;
};

// One cell of a matrix, as listed.
struct EffectCell {
    int row = 0, col = 0; // part numbers, q + 1 for a whole list
    double value = 0.0, lower = 0.0, upper = 0.0;
};

struct EffectMatrix {
    std::string name;
    std::vector<EffectCell> cells;
};

// Rows are the parts of `rows`, columns those of `cols`, from part 1 (part 2 when
// that list has one term) to the whole list, each only when its n > 1. Nothing
// unless both whole lists have n > 1. Each matrix starts with its name in 30
// columns and " with 95% CI "; `text` receives the last line written.
std::vector<EffectMatrix> effmat(const SubStat& rows, const SubStat& cols, const EffmatOptions& opt,
                                 std::string& text, io::LogWriter& log);

} // namespace meru::stats
