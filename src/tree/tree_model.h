#pragma once
// The kept tree of a grown classification or regression tree and what the tree's
// window and log show of it: the recorded split of every node slot, the node
// membership worked out again from the split literals on the attribute bytes, each
// split's two-sample test, the splits the stopping rules (or the user's clicks)
// leave shown, the predicted class of each node, and the term lists of the leaves.
// No Qt here.
#include "partition/termlist.h"
#include "stats/membership.h"
#include "tree/classtab.h"
#include "tree/tree_rules.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace meru::io {
class LogWriter;
}

namespace meru::tree {

// The fixed slot of the node of group g (1-based) at level k (1-based); the root
// is slot 0. A node's children are 2n + 1 (outside its split literal) and 2n + 2
// (inside it), so a node skipped while growing leaves later slots in place.
constexpr int node_slot(int level, int group) { return (1 << (level - 1)) - 1 + (group - 1); }
constexpr int outside_child(int n) { return 2 * n + 1; }
constexpr int inside_child(int n) { return 2 * n + 2; }
constexpr int parent_of(int n) { return (n - 1) / 2; }
int level_of(int n);

// The split recorded for one node: the literal that holds for its inside child
// (0: no split recorded), and the name and label the diagram shows; for a
// combination of attributes (an added attribute made for the split) also what
// it is, the definition of its inside child ("ptl>0 or ui=1"), which the
// diagram shows in their place.
struct TreeSplit {
    partition::Literal lit = 0;
    std::string name, label;
    std::string text;
};

// The tree kept for Process > Tree: the node split table and the node counter.
struct KeptTree {
    std::vector<TreeSplit> split; // by node slot
    int counter = 0;
    bool present() const { return !split.empty(); }
    const TreeSplit* at(int n) const
    {
        return n >= 0 && static_cast<std::size_t>(n) < split.size() && split[n].lit != 0 ? &split[n] : nullptr;
    }
};

// The observations the tree is worked out on. A Y below 0 is missing and leaves
// the observation out; with `ydisc` the classes are Y's distinct values in rising
// order; `priorfac` (empty when no priors are given), indexed by the integer class
// value, weights each class's count when the predicted class is chosen. Each
// observation counts `weight` times (empty: once each; 0 leaves it out). A Y
// that is a survival time has `event` (1 an event, 0 censored) per observation.
struct TreeData {
    stats::AttributeMatrix abyte;
    std::span<const std::int8_t> signbyte;
    std::span<const double> y;
    bool ydisc = false;
    std::span<const double> priorfac;
    std::span<const int> weight;
    std::span<const std::uint8_t> event;
};

struct TreeNode {
    std::int64_t n = 0;
    double mean = 0.0, ss = 0.0;      // Y's mean and sum of squared deviations
    std::vector<std::int64_t> counts; // by class (categorical Y)
    int predicted = -1;               // class of the node (categorical Y)
    bool tested = false;              // a split is recorded and both children hold observations
    double stat = 0.0;                // pooled t, chi-square of child by class, or log-rank of the children
    double p = 1.0, z = 0.0;          // its p and the normal deviate |z| of p/2
    std::int64_t events = 0;          // a survival time: the weight of the events
    std::optional<double> median;     // and its Kaplan-Meier median, where reached
};

// The tree worked out on the data: one node per slot of the split table and its
// two children, and for each observation the deepest node it reaches (-1: left
// out for a missing Y or no weight). Counts, means and sums of squares are weighted.
struct TreeStats {
    std::vector<TreeNode> node;
    std::vector<double> classvalue; // categorical Y: the value of each class
    std::vector<int> deepest;
    std::vector<int> cls;          // categorical Y: each observation's class (-1 missing)
    std::vector<int> weight;       // each observation's weight (0: left out)
    bool too_many_classes = false; // more than 36 distinct values of a categorical Y
    bool survival = false;         // Y is a survival time (node_survival.h)
};

TreeStats evaluate(const KeptTree& tree, const TreeData& data);

// What the diagram shows: `hand` holds the user's clicks per slot (-1 collapsed,
// +1 grown again, 0 as the rules say); `split[n]` is true for a shown split.
struct TreeView {
    std::vector<signed char> hand;
    std::vector<bool> split;
    bool shown(int n) const; // the node is drawn (the root, or a child of a shown split)
    bool leaf(int n) const { return shown(n) && !split[n]; }
};

// True when the rules let node n be shown split.
bool rules_split(const TreeStats& s, int n, const TreeRules& rules, bool ydisc);
// Works out view.split from the rules and the clicks (view.hand is kept, grown to size).
void prune(const TreeStats& s, const TreeRules& rules, bool ydisc, TreeView& view);
// The shown leaf each observation reaches; -1 when a missing Y or a missing byte
// of a shown split keeps it from any leaf.
std::vector<int> leaf_of(const TreeStats& s, const TreeView& view);

// The path term of node n: its ancestors' split literals, negated on the outside
// side. The root's term is the whole set (the constant -1 in a plain list).
std::vector<partition::Literal> path_term(const KeptTree& tree, int n);
// The union of the path terms of the shown leaves with `highlighted` true (A) and
// of the other shown leaves (A-), both as plain term lists.
struct LeafLists {
    partition::TermList a, complement;
};
LeafLists leaf_lists(const KeptTree& tree, const TreeView& view, const std::vector<bool>& highlighted);

// `text` cut before its " or " joins, and with `ands` its " & " joins too (each
// joiner starts the part it joins), and the parts put together into lines of at
// most `chars` characters; a part longer than that keeps a line of its own.
std::vector<std::string> joined_lines(const std::string& text, int chars, bool ands = true);

// The table of the shown nodes (level, n, mean or class counts, split, test, p),
// each shown split followed by its definition ("A= ", cut at its joins);
// for a categorical Y also the predicted (rows) against actual (columns) classes of
// the observations reaching a leaf, whose misclassification is returned (-1 for a
// continuous Y or no counts).
double log_tree(io::LogWriter& log, const KeptTree& tree, const TreeStats& s, const TreeView& view, bool ydisc,
                const std::string& yname);

// Predicted against actual class over the observations reaching a shown leaf.
CrossTab predicted_by_actual(const TreeStats& s, const TreeView& view);

} // namespace meru::tree
