#pragma once
// The stopping rules of tree growing, with their start values; the tree's
// stopping-rules dialog changes them.
namespace meru::tree {

struct TreeRules {
    int parentmin = 20;   // parent-node minimum n
    int terminalmin = 10; // minimum terminal node n
    double tcrit = 1.96;  // critical t or z
    bool samestop = true; // don't split if same class
};

} // namespace meru::tree
