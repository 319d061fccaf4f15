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

// A position's label: the variable name followed by the cut's label, "$"
// dropped and blank runs collapsed, at most 28 characters, trailing blanks cut.
std::string rank_label(const std::string& attname, const std::string& label);

// The suffixes after a label: " " and P in F6.3 (below 0.0005 written as 0);
// the share of observations missing, 10 blanks when none is.
std::string p_suffix(double p);
std::string missing_suffix(long long used, long long nobsin);

// The note under a plot of s positions of which m are shown, blank when all are.
std::string unshown_note(int m, int s);

// The top of the y axis: 1.3 times the largest G shown, raised where a label
// would run above the plot's frame. Label i stands at G g[i], rises up to the
// right at 45 degrees from 10 pixels above its point, and is `reach[i]` pixels
// long (suffix included); `area` is the data area's height in pixels for the
// range ylow..top.
double rank_axis_top(std::span<const double> g, std::span<const int> reach, double ylow, double area);

// "P>F" for criteria 1 and 2, "P>chi^2" otherwise.
std::string p_label(int icrit);

// One ranked position as the ranking table at Esc writes it.
struct RankRow {
    int position = 0;
    std::string label;
    int ncuts = 1;
    double g = 0, p = 1;
    long long used = 0;
    bool banned = false;
};
std::string rank_table_heading(const std::string& critname, const std::string& plabel);
std::string rank_table_rule();
std::string rank_table_row(const RankRow& r);
// A cut's line under a row of several cuts: its label right-justified in 20
// columns, 28 blanks, its value in E11.5.
std::string rank_table_cut(const std::string& label, double g);

} // namespace meru::plots
