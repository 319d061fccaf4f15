#pragma once
// The by-group dialog: the user picks a variable whose values, or whose cuts on
// one of its attribute lines, define the groups of a by-group analysis. Called
// while by-group mode is on it switches the mode off. In tree mode the groups are
// the node numbers 1..2^k held by a variable the caller names, without a dialog.
// No Qt here: the dialogs come through ModeDialogs.
#include "outcome/bygroup.h"
#include "outcome/mode_dialogs.h"

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace meru {
class Services;
}
namespace meru::io {
class LogWriter;
}
namespace meru::files {
struct ControlTables;
struct DataArrays;
} // namespace meru::files

namespace meru::outcome {

inline constexpr int kMaxGroupLines = 10; // attribute lines offered in "Attribute groups"

struct Sp4Input {
    const files::ControlTables& tables;
    const files::DataArrays& data;
    int nobs = 0;
    std::span<const char> obsmask; // [i - 1]: observation i is in use (empty: all are)
    std::string_view defyname;     // the current Y's name
};

// The attribute lines (2..nlines, in order) that cut variable `var`.
std::vector<int> variable_lines(const files::ControlTables& t, int var);

// The label of line `line` in "Attribute groups": the first five characters of
// the variable's name, then each attribute's shown label (its complement's when
// its sign is negative) after ": " or ", ", blank runs collapsed; 40 characters.
std::string group_line_label(const files::ControlTables& t, int line, std::string_view varname);

// The distinct values 0 or above of `values` over the observations in `mask`
// (all when empty), ascending, with their weighted counts.
struct ValueGroups {
    std::vector<double> values;
    std::vector<long long> counts;
};
ValueGroups value_groups(std::span<const float> values, std::span<const int> weights, std::span<const char> mask);

// Shows the dialogs and sets the by-group state; switches by-group mode off
// when it is on. Writes "Analysis by variable: NAME" once a variable is taken.
// `ngroups` is the true number of groups; at most kMaxByGroups values are kept.
void sp4(ByGroup& by, const Sp4Input& in, ModeDialogs& dialogs, Services& sv, io::LogWriter& log);

// Tree mode: groups 1..2^depth of the node numbers in variable `nodevar`.
void sp4_tree(ByGroup& by, const files::ControlTables& t, const files::DataArrays& data, int nobs, int nodevar,
              int depth);

} // namespace meru::outcome
