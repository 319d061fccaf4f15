#pragma once
// The by-group state: whether the analysis runs group by group, how many groups
// there are, the current one and its label. Shared by the Y menu and the series
// driver; owned by the open analysis. No Qt here.
#include <string>

namespace meru::outcome {

inline constexpr int kMaxByGroups = 30;

struct ByGroup {
    bool mode = false; // by-group mode is on
    int ngroups = 0;   // at most kMaxByGroups
    int current = 0;
    std::string bylabel; // the current group's label (28 characters)
};

} // namespace meru::outcome
