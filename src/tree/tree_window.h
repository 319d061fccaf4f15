#pragma once
// The "Tree diagram" window (unit 23, 600 by 520 pixels, wider when the leaves of
// a deep tree need it): the kept tree drawn as
// the stopping rules and the user's clicks leave it, with the bar
// "Esc Rules Part Help". A click on a leaf highlights it (a second click takes the
// highlight off), on a shown split collapses it, on a split collapsed by hand grows it again. Rules
// shows the stopping-rules dialog and draws the tree again under the new rules;
// Part with at least one highlighted leaf returns the highlighted leaves as a
// partition and the other leaves as its complement.
#include "tree/tree_diagram.h"
#include "tree/tree_model.h"

#include <functional>
#include <string>
#include <vector>

namespace meru::ui {
struct Context;
}

namespace meru::tree {

inline constexpr int kTreeUnit = 23;
inline constexpr int kTreeWidth = 600;
inline constexpr int kTreeHeight = 520;
inline constexpr const char* kTreeTitle = "Tree diagram";
inline constexpr const char* kTreeClosed = "Tree diagram closed";
inline constexpr const char* kTreePartition = "Tree partition, highlighted nodes";
inline constexpr const char* kTreeComplement = "Complement, non-highlighted nodes";
// The Partition window's caption while a formed tree has given no partition.
inline constexpr const char* kTreeNoPartition = "No tree partition: highlight leaves in the Tree diagram, then Part";
inline constexpr int kHighlight = 0x00ffff; // yellow (0xBBGGRR)

// What the diagram shows of one tree.
struct TreeDiagram {
    const KeptTree& tree;
    const TreeStats& stats;
    bool ydisc = false;
    const TreeRules& rules;             // read again after `rules_dialog`
    std::function<void()> rules_dialog; // the Rules button
};

struct TreeDiagramResult {
    std::string message;    // kTreeClosed or kTreePartition
    bool partition = false; // Part was pressed with a highlighted leaf
    LeafLists lists;        // then: A (highlighted leaves) and its complement
};

// Draws the diagram of `view` (highlighted leaves filled in kHighlight) on the
// window's canvas; returns the layout drawn.
DiagramLayout draw_tree(ui::Context& ctx, const TreeDiagram& d, const TreeView& view,
                        const std::vector<bool>& highlighted);

// A new tree starts: the window, when open, is cleared until the new tree is drawn.
void clear_tree_window(ui::Context& ctx);

// Opens the window and waits for the user; `view` keeps the clicks made.
TreeDiagramResult tree_window(ui::Context& ctx, const TreeDiagram& d, TreeView& view);

} // namespace meru::tree
