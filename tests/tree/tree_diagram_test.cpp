// The diagram's geometry and clicks. Positions worked out by hand: leaves share
// the 600 pixels equally (leaf i of L centred at 600 (2i + 1) / 2L), a split
// stands midway over its children, levels 90 pixels apart from y = 24.
#include "tree/tree_diagram.h"

#include <gtest/gtest.h>

#include <array>

namespace meru::test {
namespace {

tree::TreeView view_of(std::vector<bool> split)
{
    tree::TreeView v;
    v.split = std::move(split);
    v.hand.assign(v.split.size(), 0);
    return v;
}

TEST(TreeDiagram, BoxesOfAHandTreeAndTheClicksThatHitThem)
{
    // Root and node 1 split: leaves 3, 4 (under node 1) and 2.
    const auto v = view_of({true, true, false, false, false});
    const tree::DiagramLayout l = tree::layout_diagram(v, 600, 520);
    EXPECT_EQ(l.leaves, 3);
    const struct {
        int node, cx, y1;
    } boxes[] = {{0, 350, 24}, {1, 200, 114}, {2, 500, 114}, {3, 100, 204}, {4, 300, 204}};
    ASSERT_EQ(l.boxes.size(), std::size(boxes));
    for (std::size_t i = 0; i < l.boxes.size(); ++i) {
        const tree::NodeBox& b = l.boxes[i];
        EXPECT_EQ(b.node, boxes[i].node);
        EXPECT_EQ(b.cx, boxes[i].cx) << b.node;
        EXPECT_EQ(b.y1, boxes[i].y1) << b.node;
        EXPECT_EQ(b.x1, b.cx - 30);
        EXPECT_EQ(b.x2, b.cx + 30);
        EXPECT_EQ(b.y2, b.y1 + 33);
    }
    const struct {
        int x, y, node;
    } clicks[] = {{350, 24, 0},   {320, 57, 0},  {319, 40, -1},  {381, 40, -1}, {100, 237, 3},
                  {100, 238, -1}, {230, 114, 1}, {500, 150, -1}, {5, 5, -1}};
    for (const auto& c : clicks) EXPECT_EQ(tree::node_at(l, c.x, c.y), c.node) << c.x << "," << c.y;

    // The root alone stands in the middle of the window.
    const auto root = tree::layout_diagram(view_of({false}), 600, 520);
    ASSERT_EQ(root.boxes.size(), 1u);
    EXPECT_EQ(root.boxes[0].cx, 300);
    EXPECT_EQ(root.boxes[0].y1, 24);
}

// Six full levels (32 leaves): every box lies in the window, boxes of one level
// do not touch, and each split stands between its children.
TEST(TreeDiagram, AFullTreeFitsTheWindow)
{
    std::vector<bool> split(63, false);
    for (int n = 0; n < 31; ++n) split[n] = true;
    const auto v = view_of(split);
    const auto l = tree::layout_diagram(v, 600, 520);
    EXPECT_EQ(l.leaves, 32);
    ASSERT_EQ(l.boxes.size(), 63u);
    for (const tree::NodeBox& b : l.boxes) {
        EXPECT_GE(b.x1, 0);
        EXPECT_LT(b.x2, 600);
        EXPECT_LT(b.y2, 520);
        if (b.node < 31) {
            const auto* out = l.find(tree::outside_child(b.node));
            const auto* in = l.find(tree::inside_child(b.node));
            ASSERT_TRUE(out && in);
            EXPECT_LT(out->cx, b.cx);
            EXPECT_GT(in->cx, b.cx);
            EXPECT_EQ(out->y1 - b.y1, 90);
        }
        if (const auto* next = l.find(b.node + 1); next && next->level == b.level) {
            EXPECT_LT(b.x2, next->x1);
        }
        EXPECT_EQ(tree::node_at(l, b.cx, b.y1 + 1), b.node);
    }
}

// A full tree of six levels as a survival time shows it, every split the same
// combination of 88 characters: boxes holding 8 characters (56 pixels, a box of
// 2 x 31 + 1 with its margins) and a gap of 4 give each of the 32 leaves 67
// pixels. No box, nor a text in or under one, meets another or leaves the
// diagram. The root's definition fits its share in one line; node 15 of the
// fifth level (134 pixels: 18 characters, 8 lines) gets its name.
TEST(TreeDiagram, BoxesAndTextsOfADeepTreeNeverMeet)
{
    std::vector<bool> split(63, false);
    std::fill(split.begin(), split.begin() + 31, true);
    const std::string def =
        "(stage>2 & age>70) or (grade>1 & stage>3) or (score>50 & sex_male) or (age>60 & grade>2)";
    std::vector<tree::TreeSplit> splits;
    tree::DiagramText text;
    for (int n = 0; n < 63; ++n) {
        splits.push_back({1, "+a" + std::to_string(n + 10), "= 1", def});
        text.box.push_back(n < 31 ? std::vector<std::string>{"285/400", "med 1175"}
                                  : std::vector<std::string>{"5/9"});
    }
    text.split = std::span(splits).first(31);
    const auto l = tree::layout_diagram(view_of(split), 600, 520, text);
    EXPECT_EQ(l.width, 32 * 67);
    EXPECT_EQ(l.find(0)->under, std::vector<std::string>{def});
    EXPECT_EQ(l.find(15)->under, std::vector<std::string>{"+a25"});
    std::vector<std::array<int, 4>> rects; // x1, y1, x2, y2 of each box and of the lines under it
    for (const tree::NodeBox& b : l.boxes) {
        for (const std::string& line : b.lines) EXPECT_LE(int(line.size()) * 7 + 6, b.x2 - b.x1) << b.node;
        rects.push_back({b.x1, b.y1, b.x2, b.y2});
        int w = 0;
        for (const std::string& line : b.under) w = std::max(w, int(line.size()) * 7);
        if (w > 0)
            rects.push_back({b.ux - w / 2, b.y2 + 2, b.ux - w / 2 + w - 1, b.y2 + 1 + 15 * int(b.under.size())});
    }
    for (std::size_t i = 0; i < rects.size(); ++i) {
        const auto [x1, y1, x2, y2] = rects[i];
        EXPECT_TRUE(x1 >= 0 && y1 >= 0 && x2 < l.width && y2 < l.height) << i;
        for (std::size_t j = 0; j < i; ++j)
            EXPECT_TRUE(x2 < rects[j][0] || rects[j][2] < x1 || y2 < rects[j][1] || rects[j][3] < y1)
                << i << ", " << j;
    }
}

// A tree whose root and both its children pass the rules (node 2 only while the
// critical z is at most 2.5); every node holds 100 observations.
tree::TreeStats stats_of_three_splits()
{
    tree::TreeStats s;
    s.node.resize(7);
    for (auto& nd : s.node) nd.n = 100;
    for (int n : {0, 1, 2}) s.node[n].tested = true, s.node[n].z = 3.0;
    s.node[2].z = 2.5;
    return s;
}

TEST(TreeDiagram, ClicksHighlightCollapseAndGrowAgain)
{
    using tree::ClickAction;
    const auto s = stats_of_three_splits();
    tree::TreeRules rules{10, 5, 1.96, false};
    tree::TreeView v;
    tree::prune(s, rules, false, v);
    std::vector<bool> hl;
    auto leaves = [&] {
        std::vector<int> out;
        for (int n = 0; n < 7; ++n)
            if (v.leaf(n)) out.push_back(n);
        return out;
    };
    auto lit = [&] {
        std::vector<int> out;
        for (std::size_t n = 0; n < hl.size(); ++n)
            if (hl[n]) out.push_back(static_cast<int>(n));
        return out;
    };
    ASSERT_EQ(leaves(), (std::vector<int>{3, 4, 5, 6}));
    const struct {
        int node;
        ClickAction act;
        std::vector<int> leaves, highlighted;
    } steps[] = {
        {3, ClickAction::highlight, {3, 4, 5, 6}, {3}},   {5, ClickAction::highlight, {3, 4, 5, 6}, {3, 5}},
        {3, ClickAction::unhighlight, {3, 4, 5, 6}, {5}}, {4, ClickAction::highlight, {3, 4, 5, 6}, {4, 5}},
        {1, ClickAction::collapse, {1, 5, 6}, {5}}, // leaf 4 is gone, and its highlight
        {1, ClickAction::grow, {3, 4, 5, 6}, {5}},        {0, ClickAction::collapse, {0}, {}},
        {0, ClickAction::grow, {3, 4, 5, 6}, {}}, // the children's own states come back
        {6, ClickAction::highlight, {3, 4, 5, 6}, {6}},   {9, ClickAction::none, {3, 4, 5, 6}, {6}}, // not shown
        {-1, ClickAction::none, {3, 4, 5, 6}, {6}},
    };
    for (const auto& st : steps) {
        EXPECT_EQ(tree::click_node(st.node, s, rules, false, v, hl), st.act) << st.node;
        EXPECT_EQ(leaves(), st.leaves) << st.node;
        EXPECT_EQ(lit(), st.highlighted) << st.node;
    }

    // Stricter rules prune node 2 but keep node 1, grown by hand above; the
    // highlight of leaf 6 goes with it. A leaf the rules pruned is highlighted,
    // not grown: only a split collapsed by hand grows again.
    ASSERT_EQ(v.hand[1], 1);
    rules.tcrit = 2.8;
    tree::prune(s, rules, false, v);
    tree::keep_leaf_highlights(v, hl);
    EXPECT_EQ(leaves(), (std::vector<int>{2, 3, 4}));
    EXPECT_EQ(lit(), std::vector<int>{});
    EXPECT_EQ(tree::click_node(2, s, rules, false, v, hl), ClickAction::highlight);
    EXPECT_EQ(leaves(), (std::vector<int>{2, 3, 4}));
}

TEST(TreeDiagram, ACombinedSplitIsShownByWhatItIsCutAtItsJoins)
{
    tree::TreeSplit single{5, "lwt$$$$$", "<=110", ""};
    EXPECT_EQ(tree::split_lines(single, 20, 3), (std::vector<std::string>{"lwt", "<=110"}));
    tree::TreeSplit added{12, "+d_1", "= 1", "lwt<=110 or ui=1"};
    const struct {
        int chars, lines;
        std::vector<std::string> want;
    } cases[] = {
        {20, 3, {"lwt<=110 or ui=1"}},
        {10, 3, {"lwt<=110", "or ui=1"}},
        {10, 1, {"+d_1"}}, // too many lines, or a part longer than a line: the name
        {4, 3, {"+d_1"}},
    };
    for (const auto& c : cases) EXPECT_EQ(tree::split_lines(added, c.chars, c.lines), c.want) << c.chars;
    added.text = "(age>20 & smoke=1) or ui=1";
    EXPECT_EQ(tree::split_lines(added, 12, 3), (std::vector<std::string>{"(age>20", "& smoke=1)", "or ui=1"}));
}

} // namespace
} // namespace meru::test
