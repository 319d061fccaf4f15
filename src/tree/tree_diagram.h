#pragma once
// The geometry of the tree diagram and what a click on it does: where each shown
// node's box lies in the window, which box a click falls in, and how a click
// changes the highlighted leaves and the splits collapsed or grown by hand.
// No Qt here.
#include "tree/tree_model.h"

#include <span>
#include <string>
#include <vector>

namespace meru::tree {

inline constexpr int kCharWidth = 7;   // a character of the diagram's fixed-pitch font
inline constexpr int kTextHeight = 15; // a line of it
inline constexpr int kDiagramTop = 24; // the first level's boxes start below the button bar
inline constexpr int kBoxHeight = 34;  // two lines of text and their margins
inline constexpr int kMaxBoxHalf = 30; // at most 60 pixels wide
inline constexpr int kMaxLevelStep = 90;
inline constexpr int kBoxMargin = 3; // between a box's border and its longest line
inline constexpr int kBoxGap = 4;    // at least between two leaves' boxes

// One shown node: its slot, level, centre x and box (inclusive pixel edges); the
// lines written in its box, centred on cx one under another, and those written
// under it (what its split is, or "+" on a split collapsed by hand), centred on ux.
struct NodeBox {
    int node = 0;
    int level = 1;
    int cx = 0;
    int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    std::vector<std::string> lines, under;
    int ux = 0;
};

// What the diagram writes, by slot: the lines in each node's box, and the
// recorded splits (KeptTree::split), which are written under the boxes.
struct DiagramText {
    std::vector<std::vector<std::string>> box;
    std::span<const TreeSplit> split;
};

// Each node's lines: its n (a survival time: its events of n) and its predicted
// class, its mean, or its Kaplan-Meier median ("med NR": not reached).
DiagramText diagram_text(const KeptTree& tree, const TreeStats& s, bool ydisc);

// The boxes of the shown nodes in slot order. The shown leaves share the width
// equally, left to right as a walk visits them with the outside child first; a
// split node stands midway over its two children, and its share is its leaves'.
// Levels are spaced evenly down the window, at most kMaxLevelStep apart. Every
// box is as wide as the longest line of any box needs, and 60 pixels where the
// shares allow. Under a split go its name and label, or for a combined split its
// definition cut at its joins when that fits its share in the lines the room
// above the next level holds, else the combination's name (the log's tree table
// defines it). When `width` is too narrow for every leaf's box and every split's
// name, the diagram is made as wide as they need: no box or text reaches into
// another node's share or out of the diagram (`width` by `height`).
struct DiagramLayout {
    std::vector<NodeBox> boxes;
    int leaves = 0;
    int width = 0, height = 0;
    const NodeBox* find(int node) const;
};

DiagramLayout layout_diagram(const TreeView& view, int width, int height, const DiagramText& text = {});

// The lines written under a split's box, at most `max_lines` of `chars`
// characters: its name and label (as one line when `max_lines` is 1); for a
// combined split its text instead, cut at its " or " and " & " joins
// (joined_lines), or, when that takes more lines or a part is longer than a
// line, its name.
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
