#pragma once
// The attribute rank plot (window unit 12): each ranked line's best cut by rank,
// with overlays switched from its bar, clicks on points banning or unbanning
// their lines, and the ranking table written to the log at Esc.
#include "plots/rank_windows.h"

#include <span>
#include <string>
#include <vector>

namespace meru::io {
class RandomStream;
}

namespace meru::plots {

inline constexpr int kRankWindow = 12;

struct RankPlotCall {
    const CutLines* lines = nullptr;  // ncuts, attoff and labels by line and attribute
    std::vector<std::string> attname; // [a - 1]: the variable name, blanks as "$"
    std::vector<int> attcol;          // [a - 1]: the variable's data column
    std::span<const double> attg;     // [a - 1]: the ranking's value of the attribute, NaN when not scored
    std::span<const double> attcorr;  // [a - 1]: correlation with Y; empty before Fix Positive attributes
    std::vector<int> addedno;         // [a - 1]: above 0 for an added attribute
    int nadded = 0;
    // The ranking, position i at index i - 1, largest G first.
    std::vector<double> rankg, rankp;
    std::vector<int> rankline;
    std::vector<long long> rankn; // observations the position's statistic used
    long long nobsin = 0;         // observations read
    int icrit = 0;
    std::string critname;
    std::vector<std::string> ynames;
    std::vector<int> ycols;
    int current_y = 1;
    bool yserial = false;
    int censor_att = 0; // the censor attribute while censoring is in force
    bool bygroup = false;
    std::string bylabel;
    int yattline = 0; // the line whose attributes define Y, 0 when none
    bool posfixed = false;
    int maxatt = 0; // attribute dimension

    // In and out.
    std::vector<int> lpf;     // [k - 1]: best cut of line k, repaired when out of range
    std::vector<bool> banned; // [k - 1]
    std::vector<int> rankpos; // [k - 1]: written
    bool onecut = false;      // written
    bool ended = false;       // written: the plot was drawn and left by Esc
};

void rankplot(ui::Context& ctx, io::RandomStream& random, RankPlotCall& call);

} // namespace meru::plots
