#pragma once
// The geometry of the tree diagram and what a click on it does: where each shown
// node's box lies in the window, which box a click falls in, and how a click
// changes the highlighted leaves and the splits collapsed or grown by hand.
// No Qt here.
#include "tree/tree_model.h"

#include <string>
#include <vector>

namespace meru::tree {

inline constexpr int kCharWidth = 7;   // a character of the diagram's fixed-pitch font
inline constexpr int kTextHeight = 15; // a line of it
inline constexpr int kDiagramTop = 24; // the first level's boxes start below the button bar
inline constexpr int kBoxHeight = 34;  // two lines of text and their margins
inline constexpr int kMaxBoxHalf = 30; // at most 60 pixels wide
inline constexpr int kMaxLevelStep = 90;

// One shown node: its slot, level, centre x and box (inclusive pixel edges).
struct NodeBox {
    int node = 0;
    int level = 1;
    int cx = 0;
    int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
};

// The boxes of the shown nodes in slot order. The shown leaves share the width
// equally, left to right as a walk visits them with the outside child first; a
// split node stands midway over its two children. Levels are spaced evenly down
// the window, at most kMaxLevelStep apart.
struct DiagramLayout {
    std::vector<NodeBox> boxes;
    int leaves = 0;
    const NodeBox* find(int node) const;
};

DiagramLayout layout_diagram(const TreeView& view, int width, int height);

// The lines written under a split's box: its name and label; for a combined
// split its text instead, cut at its " or " and " & " joins into lines of at most
// `chars` characters (a part longer than that keeps a line of its own), at most
// `max_lines` of them (at least one), the last ending in "..." when the text
// goes on.
std::vector<std::string> split_lines(const TreeSplit& split, int chars, int max_lines);

// The node whose box holds (x, y), or -1.
int node_at(const DiagramLayout& layout, int x, int y);

enum class ClickAction { none, highlight, unhighlight, collapse, grow };

// A click on node n: a leaf collapsed by hand whose split was recorded grows
// again; another leaf has its highlight turned on or off; a shown split is
// collapsed. The view is pruned again after a collapse or a growth, and
// highlights are kept only on shown leaves.
ClickAction click_node(int n, const TreeStats& s, const TreeRules& rules, bool ydisc, TreeView& view,
                       std::vector<bool>& highlighted);

// Drops the highlight of every node that is not a shown leaf (after the view changed).
void keep_leaf_highlights(const TreeView& view, std::vector<bool>& highlighted);

} // namespace meru::tree
