#pragma once
// What the rank stage keeps between requests and the calls it makes into the
// modules that draw the Rank plots, show the log and run the series: each hook is
// empty until its owner sets it.
#include "search/fixpos.h"
#include "search/ranking.h"

#include <functional>
#include <vector>

namespace meru::mainloop {

struct Program;
enum class Flow;

struct RankHooks {
    std::function<void(Program&)> viewfile; // the log in the text viewer (Detailed output)
    std::function<void(Program&)> effcuts;  // Effectiveness v Cuts plot
    std::function<void(Program&)> rocplot;  // ROC curves
    std::function<void(Program&)> qrocplot; // QROC curves
    std::function<void(Program&)> rankplot; // attribute rank plot (may ban lines)
    std::function<Flow(Program&)> series;   // after the rank routines: the series driver
};

struct RankState {
    search::Ranking ranking;    // the last ranking's table, line order and chosen cuts
    search::FixposState fixpos; // the correlations collected for Fix Positive attributes
    double window_ymax = 1.0;   // the search window's scale after the ranking
    double window_xmax = 10.0;
    std::vector<int> rankpos; // [line - 1]: the line's rank as the rank plot left it
    bool onecut = false;      // the rank plot found no ranked line of several cuts
    bool go_noted = false;    // Fix Positive attributes showed a note earlier in this Go!
    RankHooks hooks;
};

} // namespace meru::mainloop
