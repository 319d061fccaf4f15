#pragma once
// The state of a tree grown by the search: the stratum counter, which counts the
// strata made since the analysis was opened (or since the last tree was formed or
// the limit was hit), and, while a tree grows, its strata variables, its split
// count and the splits recorded so far. Owned by the open analysis.
#include "tree/tree_model.h"

#include <vector>

namespace meru::mainloop {

inline constexpr int kMaxStrata = 100;

struct TreeGrowth {
    int strata = 0;        // strata made since the counter was last reset
    bool growing = false;  // a tree is being grown
    int first = 0;         // the stratum counter when the tree began
    int splits = 0;        // splits that needed an added attribute (they name them)
    std::vector<int> vars; // the tree's strata variables, level by level
    tree::KeptTree tree;   // the splits recorded so far, by node slot
    int level() const { return strata - first; }
};

} // namespace meru::mainloop
