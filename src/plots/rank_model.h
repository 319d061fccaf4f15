#pragma once
// The attribute rank plot's selection: the best attribute of each ranked line
// (an out-of-range best cut repaired to cut 1), the lines hidden from the plot
// and the number of positions shown with labels.
#include <span>
#include <string>
#include <vector>

namespace meru::plots {

inline constexpr int kRankShown = 50;

struct RankInputs {
    std::span<const int> rankline;        // line of list position i (index i - 1)
    std::span<const int> ncuts;           // cuts of line k (index k - 1)
    std::span<const int> attoff;          // attoff[k]: attributes of lines 1..k; attoff[0] = 0
    std::span<const std::string> attname; // variable name of attribute a (index a - 1)
    std::span<const int> attcol;          // data column of attribute a's variable (index a - 1)
    std::span<const std::string> ynames;  // the Ys' names
    std::span<const int> ycols;           // the Ys' data columns
    std::span<const int> addedno;         // > 0: attribute a was added by the search (index a - 1)
    int censor_att = 0;                   // the censor attribute, 0 without censoring
    int maxatt = 0;                       // attribute dimension (attributes + 50)
    bool add_on = true;                   // the Add overlay
};

struct RankSelection {
    std::vector<int> best;      // best attribute of each position
    std::vector<bool> hidden;   // per position
    std::vector<int> repaired;  // lines whose best cut was out of range (now 1)
    std::vector<int> bad_value; // the out-of-range attribute number of each repair
    int s = 0;                  // positions not hidden
    int m = 0;                  // min(s, 50): positions shown with labels
};

// The selection; `lpf` (best cut of line k at index k - 1) is repaired to 1 for a
// line whose best cut lies outside 1..ncuts(k) or whose attribute is outside
// 1..maxatt. A position is hidden when its variable is one of the Ys (by name,
// trailing blanks and "$" ignored, or by data column), is the censor attribute, or
// was added by the search while the Add overlay is off.
RankSelection rank_selection(const RankInputs& in, std::span<int> lpf);

// The repair message: "N.B.ARRAY BOUND LPF DETECTED LPF=" and the value in two columns.
std::string lpf_message(int value);

} // namespace meru::plots
