#include "tree/tree_diagram.h"

#include "files/textutil.h"

#include <algorithm>
#include <cstdio>

namespace meru::tree {

const NodeBox* DiagramLayout::find(int node) const
{
    for (const NodeBox& b : boxes)
        if (b.node == node) return &b;
    return nullptr;
}

namespace {

std::string number(const char* fmt, double v)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, fmt, v);
    return buf;
}

int text_width(const std::vector<std::string>& lines)
{
    std::size_t chars = 0;
    for (const std::string& line : lines) chars = std::max(chars, line.size());
    return static_cast<int>(chars) * kCharWidth;
}

// The shown nodes under node n: the leaves in walk order, outside child first,
// and for each node the first and last index of its leaves (its share).
void walk(const TreeView& view, int n, std::vector<int>& leaves, std::vector<std::pair<int, int>>& share)
{
    if (share.size() <= static_cast<std::size_t>(n)) share.resize(static_cast<std::size_t>(n) + 1, {-1, -1});
    if (static_cast<std::size_t>(n) < view.split.size() && view.split[n]) {
        walk(view, outside_child(n), leaves, share);
        walk(view, inside_child(n), leaves, share);
        share[n] = {share[outside_child(n)].first, share[inside_child(n)].second};
    } else {
        share[n] = {static_cast<int>(leaves.size()), static_cast<int>(leaves.size())};
        leaves.push_back(n);
    }
}

} // namespace

DiagramText diagram_text(const KeptTree& tree, const TreeStats& s, bool ydisc)
{
    DiagramText t;
    t.split = tree.split;
    for (const TreeNode& nd : s.node) {
        // A survival time shows its events of n and the Kaplan-Meier median ("NR":
        // not reached); a class, the predicted class; otherwise the mean.
        const bool survival = s.survival;
        t.box.push_back({survival ? std::to_string(nd.events) + "/" + std::to_string(nd.n) : std::to_string(nd.n),
                         ydisc      ? (nd.predicted >= 0 ? number("%g", s.classvalue[nd.predicted]) : "-")
                         : survival ? "med " + (nd.median ? number("%.4g", *nd.median) : std::string("NR"))
                                    : number("%.4g", nd.mean)});
    }
    return t;
}

DiagramLayout layout_diagram(const TreeView& view, int width, int height, const DiagramText& text)
{
    DiagramLayout out;
    std::vector<int> leaves;
    std::vector<std::pair<int, int>> share;
    walk(view, 0, leaves, share);
    const int count = static_cast<int>(leaves.size());
    out.leaves = count;
    auto shown = [&](int n) { return share[n].first >= 0; };
    auto split = [&](int n) { return static_cast<std::size_t>(n) < view.split.size() && view.split[n]; };
    auto collapsed = [&](int n) { return static_cast<std::size_t>(n) < view.hand.size() && view.hand[n] < 0; };
    auto box_lines = [&](int n) {
        return static_cast<std::size_t>(n) < text.box.size() ? text.box[n] : std::vector<std::string>{};
    };
    const int slots = static_cast<int>(share.size());
    int depth = 1;
    for (int n : leaves) depth = std::max(depth, level_of(n));

    // Down the window: the levels' boxes, and under a split at most as many lines
    // as leave the line above the next level free for the children's side marks.
    bool under_deepest = false;
    for (int n : leaves) under_deepest = under_deepest || (level_of(n) == depth && collapsed(n));
    const int bottom = kBoxHeight + 4 + (under_deepest ? kTextHeight : 0);
    const int step = depth > 1 ? std::min(kMaxLevelStep, (height - kDiagramTop - bottom) / (depth - 1)) : 0;
    const int max_lines = std::max(1, (step - kBoxHeight - 2 - kTextHeight) / kTextHeight);

    // Across: each leaf's share holds the widest box; each split's leaves together
    // hold its name.
    int widest = 0;
    for (int n = 0; n < slots; ++n)
        if (shown(n)) widest = std::max(widest, text_width(box_lines(n)));
    const int need_half = (widest + 1) / 2 + kBoxMargin;
    int leaf_share = 2 * need_half + 1 + kBoxGap;
    for (int n = 0; n < slots; ++n) {
        if (!shown(n) || !split(n) || static_cast<std::size_t>(n) >= text.split.size()) continue;
        const int leaves_under = share[n].second - share[n].first + 1;
        const int need = text_width(split_lines(text.split[n], 0, max_lines)) + kBoxGap + 1;
        leaf_share = std::max(leaf_share, (need + leaves_under - 1) / leaves_under);
    }
    const int w = std::max(width, count * leaf_share);
    out.width = w;
    out.height = height;
    auto left = [&](int i) { return w * i / count; };

    std::vector<int> cx(static_cast<std::size_t>(slots), -1);
    for (int i = 0; i < count; ++i) cx[leaves[i]] = w * (2 * i + 1) / (2 * count);
    // Children have larger slots than their parent: fill the parents from the bottom up.
    for (int n = slots - 1; n >= 0; --n)
        if (shown(n) && split(n)) cx[n] = (cx[outside_child(n)] + cx[inside_child(n)]) / 2;
    const int half = std::max(need_half, std::min(kMaxBoxHalf, w / (2 * count) - 2));
    for (int n = 0; n < slots; ++n) {
        if (!shown(n)) continue;
        NodeBox b;
        b.node = n;
        b.level = level_of(n);
        b.cx = cx[n];
        b.x1 = cx[n] - half;
        b.x2 = cx[n] + half;
        b.y1 = kDiagramTop + (b.level - 1) * step;
        b.y2 = b.y1 + kBoxHeight - 1;
        b.lines = box_lines(n);
        const int from = left(share[n].first), to = left(share[n].second + 1);
        if (split(n) && static_cast<std::size_t>(n) < text.split.size())
            b.under = split_lines(text.split[n], (to - from - kBoxGap) / kCharWidth, max_lines);
        else if (collapsed(n)) b.under = {"+"};
        // The lines under the box stay in its share, as near its centre as they can.
        const int tw = text_width(b.under);
        const int lo = from + kBoxGap / 2 + tw / 2, hi = to - kBoxGap / 2 - (tw - tw / 2);
        b.ux = std::clamp(cx[n], lo, std::max(lo, hi));
        out.boxes.push_back(b);
    }
    return out;
}

std::vector<std::string> split_lines(const TreeSplit& split, int chars, int max_lines)
{
    const std::string name = files::trim(files::squeeze(split.name));
    if (split.text.empty()) {
        const std::string label = files::trim(files::squeeze(split.label));
        if (label.empty()) return {name};
        return max_lines >= 2 ? std::vector<std::string>{name, label} : std::vector<std::string>{name + label};
    }
    std::vector<std::string> lines = joined_lines(split.text, chars);
    if (static_cast<int>(lines.size()) <= max_lines && text_width(lines) <= chars * kCharWidth) return lines;
    return {name};
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
