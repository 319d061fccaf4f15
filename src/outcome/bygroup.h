#pragma once
// The by-group state: whether the analysis runs group by group, how many groups
// there are, the current one and its label, and what defines the groups (the
// values of a variable or the attributes of one of its attribute lines). Shared
// by the Y menu and the series driver; owned by the open analysis. No Qt here.
#include <string>
#include <vector>

namespace meru::outcome {

inline constexpr int kMaxByGroups = 30;

struct ByGroup {
    bool mode = false;   // by-group mode is on
    int ngroups = 0;     // groups found; the Y menu caps it at kMaxByGroups
    int current = 0;     // 0 before the first group
    std::string bylabel; // the current group's label (28 characters)
    std::string notetxt; // the current group's attribute label (groups by attribute)

    std::string byvar;             // the by-group variable's name
    int byindex = 0;               // its variable number (by value), or its attribute line (by attribute)
    bool byvalues = true;          // groups are values of the variable, else attributes of line byindex
    std::vector<double> values;    // by value: the group values, ascending, at most kMaxByGroups
    std::vector<long long> counts; // by value: the weighted count of each group value
    std::vector<float> obsvalues;  // by value: the variable's value for each observation
};

} // namespace meru::outcome
