#pragma once
// Pure parts of the rank plots' variable dialogs and of the effectiveness v. cuts
// plot: the list of attribute lines offered (duplicate names numbered), the best
// cut of a line and the log table of its cuts.
#include <span>
#include <string>
#include <vector>

namespace meru::plots {

inline constexpr int kMaxListed = 1000;

struct ListedLine {
    int line = 0;     // attribute-line number
    std::string text; // the variable name, with its occurrence number (I2) when repeated
};

struct LineList {
    std::vector<ListedLine> entries;
    int refused = 0; // lines beyond kMaxListed, not listed
};

// The offered lines (1-based line numbers in `offered`) with at least `mincuts`
// cuts (`ncuts[L - 1]`, `names[L - 1]`): an entry is the 8-character name; a name
// listed more than once gets its occurrence number in two digits, from 1.
LineList line_list(std::span<const int> offered, std::span<const int> ncuts, std::span<const std::string> names,
                   int mincuts);

// The best cut (1-based): the first whose value is strictly greater than every
// earlier one and than 0; 0 when no value is above 0, `m` then 0.
struct BestCut {
    int cut = 0;
    double m = 0;
};
BestCut effectiveness_best(std::span<const double> values);

// The log of one effectiveness v. cuts plot: " Cuts v effectiveness plot drawn
// for " NAME, the heading, and per cut I6, 5 blanks, the label (A20), E13.6.
std::vector<std::string> effcuts_log(const std::string& name, std::span<const std::string> labels,
                                     std::span<const double> values);

} // namespace meru::plots
