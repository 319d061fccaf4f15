#include "tree/tree_diagram.h"

#include "files/textutil.h"

#include <algorithm>

namespace meru::tree {

const NodeBox* DiagramLayout::find(int node) const
{
    for (const NodeBox& b : boxes)
        if (b.node == node) return &b;
    return nullptr;
}

namespace {

// The shown leaves under node n, outside child first.
void collect_leaves(const TreeView& view, int n, std::vector<int>& leaves)
{
    if (static_cast<std::size_t>(n) < view.split.size() && view.split[n]) {
        collect_leaves(view, outside_child(n), leaves);
        collect_leaves(view, inside_child(n), leaves);
    } else {
        leaves.push_back(n);
    }
}

} // namespace

DiagramLayout layout_diagram(const TreeView& view, int width, int height)
{
    DiagramLayout out;
    std::vector<int> leaves;
    collect_leaves(view, 0, leaves);
    const int count = static_cast<int>(leaves.size());
    out.leaves = count;
    int slots = 1;
    int depth = 1;
    for (int n : leaves) {
        slots = std::max(slots, n + 1);
        depth = std::max(depth, level_of(n));
    }
    std::vector<int> cx(static_cast<std::size_t>(slots), -1);
    for (int i = 0; i < count; ++i) cx[leaves[i]] = width * (2 * i + 1) / (2 * count);
    // Children have larger slots than their parent: fill the parents from the bottom up.
    for (int n = slots - 1; n >= 0; --n)
        if (static_cast<std::size_t>(n) < view.split.size() && view.split[n] && view.shown(n))
            cx[n] = (cx[outside_child(n)] + cx[inside_child(n)]) / 2;
    const int half = std::max(3, std::min(kMaxBoxHalf, width / (2 * count) - 2));
    const int step = depth > 1 ? std::min(kMaxLevelStep, (height - kDiagramTop - kBoxHeight - 4) / (depth - 1)) : 0;
    for (int n = 0; n < slots; ++n) {
        if (cx[n] < 0) continue;
        NodeBox b;
        b.node = n;
        b.level = level_of(n);
        b.cx = cx[n];
        b.x1 = cx[n] - half;
        b.x2 = cx[n] + half;
        b.y1 = kDiagramTop + (b.level - 1) * step;
        b.y2 = b.y1 + kBoxHeight - 1;
        out.boxes.push_back(b);
    }
    return out;
}

std::vector<std::string> split_lines(const TreeSplit& split, int chars, int max_lines)
{
    if (split.text.empty())
        return {files::trim(files::squeeze(split.name)), files::trim(files::squeeze(split.label))};
    // The parts: the text cut before each " or " and " & ", the joiner kept at
    // the start of the part that follows it.
    std::vector<std::string> parts;
    std::size_t from = 0;
    for (;;) {
        const std::size_t or_at = split.text.find(" or ", from + 1), and_at = split.text.find(" & ", from + 1);
        const std::size_t cut = std::min(or_at, and_at);
        parts.push_back(split.text.substr(from, cut == std::string::npos ? std::string::npos : cut - from));
        if (cut == std::string::npos) break;
        from = cut + 1;
    }
    std::vector<std::string> lines;
    for (const std::string& part : parts) {
        if (!lines.empty() && static_cast<int>(lines.back().size() + 1 + part.size()) <= chars)
            lines.back() += " " + part;
        else lines.push_back(part);
    }
    const auto keep = static_cast<std::size_t>(std::max(1, max_lines));
    if (lines.size() > keep) {
        lines.resize(keep);
        lines.back() += " ...";
    }
    return lines;
}

int node_at(const DiagramLayout& layout, int x, int y)
{
    for (const NodeBox& b : layout.boxes)
        if (x >= b.x1 && x <= b.x2 && y >= b.y1 && y <= b.y2) return b.node;
    return -1;
}

void keep_leaf_highlights(const TreeView& view, std::vector<bool>& highlighted)
{
    for (std::size_t n = 0; n < highlighted.size(); ++n)
        if (highlighted[n] && (n >= view.split.size() || !view.leaf(static_cast<int>(n)))) highlighted[n] = false;
}

ClickAction click_node(int n, const TreeStats& s, const TreeRules& rules, bool ydisc, TreeView& view,
                       std::vector<bool>& highlighted)
{
    if (n < 0 || static_cast<std::size_t>(n) >= view.split.size() || !view.shown(n)) return ClickAction::none;
    highlighted.resize(view.split.size(), false);
    ClickAction act = ClickAction::none;
    if (view.split[n]) {
        view.hand[n] = -1;
        act = ClickAction::collapse;
    } else if (view.hand[n] < 0 && s.node[n].tested) {
        view.hand[n] = 1;
        act = ClickAction::grow;
    } else {
        highlighted[n] = !highlighted[n];
        return highlighted[n] ? ClickAction::highlight : ClickAction::unhighlight;
    }
    prune(s, rules, ydisc, view);
    keep_leaf_highlights(view, highlighted);
    return act;
}

} // namespace meru::tree
