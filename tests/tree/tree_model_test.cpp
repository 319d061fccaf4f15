// The kept tree worked out on the kyphosis data with a hand-made split table.
// Attributes: 2 = start >= 9, 3 = age >= 100 (missing for the first observation),
// 4 = number >= 5. Splits: root +2, node 1 +3, node 2 -4, node 5 +3; nodes 3 and 4
// have none. Counts, chi-squares and t were worked out in R (table(),
// chisq.test(correct = FALSE), t.test(var.equal = TRUE)); with one degree of
// freedom |z| = sqrt(chi-square).
#include "stats/log_capture.h"
#include "tree/kyphosis_tree.h"
#include "tree/tree_model.h"

#include <gtest/gtest.h>

#include <cmath>

namespace meru::test {
namespace {

TEST(TreeModel, SlotsAndLevels)
{
    EXPECT_EQ(tree::node_slot(1, 1), 0);
    EXPECT_EQ(tree::node_slot(3, 1), 3);
    EXPECT_EQ(tree::node_slot(3, 4), 6);
    EXPECT_EQ(tree::inside_child(tree::node_slot(5, 16)), 62); // five full levels: counter 62
    const int levels[][2] = {{0, 1}, {2, 2}, {3, 3}, {6, 3}, {7, 4}, {30, 5}, {62, 6}};
    for (auto [n, k] : levels) EXPECT_EQ(tree::level_of(n), k) << n;
}

TEST(TreeModel, CountsAndTestsOnKyphosis)
{
    const Kyphosis k;
    ASSERT_EQ(k.n, 81);
    auto y = k.kyphosis;
    for (double& v : y) v *= 100; // a 0/100 Y takes two classes as 0/1 does
    const auto s = tree::evaluate(hand_tree(), k.data(y, true));
    ASSERT_EQ(s.classvalue, (std::vector<double>{0, 100}));
    const struct {
        int node, absent, present;
        double chi2;
    } nodes[] = {{0, 64, 17, 20.38954}, {1, 8, 11, 2.103896}, {2, 56, 6, 1.701961}, {3, 5, 4, 0}, {4, 2, 7, 0},
                 {5, 14, 3, 1.517857},  {6, 42, 3, 0},        {11, 9, 3, 0},        {12, 5, 0, 0}};
    for (const auto& c : nodes) {
        const auto& nd = s.node[c.node];
        EXPECT_EQ(nd.counts, (std::vector<std::int64_t>{c.absent, c.present})) << c.node;
        EXPECT_EQ(nd.n, c.absent + c.present);
        EXPECT_EQ(nd.tested, c.chi2 > 0) << c.node;
        EXPECT_EQ(nd.predicted, c.present > c.absent ? 1 : 0);
        if (!nd.tested) continue;
        EXPECT_NEAR(nd.stat, c.chi2, 1e-5) << c.node;
        EXPECT_NEAR(nd.z, std::sqrt(c.chi2), 1e-5) << c.node;
    }
    EXPECT_NEAR(s.node[0].p, 6.317404e-06, 1e-11);
    EXPECT_NEAR(s.node[1].p, 0.1469243, 1e-7);
    EXPECT_EQ(s.node[7].n + s.node[8].n, 0); // the children of node 3 stay empty

    // Priors weight the counts of node 5 (14 absent, 3 present).
    for (auto [fac, cls] : {std::pair{4.0, 0}, {5.0, 1}}) {
        const double priors[] = {1.0, fac};
        EXPECT_EQ(tree::evaluate(hand_tree(), k.data(k.kyphosis, true, priors)).node[5].predicted, cls) << fac;
    }
}

TEST(TreeModel, PooledTForContinuousY)
{
    const Kyphosis k;
    tree::KeptTree t;
    t.split = {{2, "Start9", "", ""}};
    const auto s = tree::evaluate(t, k.data(k.number, false));
    EXPECT_NEAR(s.node[0].mean, 328.0 / 81, 1e-12);
    EXPECT_NEAR(s.node[1].mean, 5.157895, 1e-6);
    EXPECT_NEAR(s.node[2].mean, 3.709677, 1e-6);
    EXPECT_NEAR(s.node[0].stat, -3.665951, 1e-6);
    EXPECT_NEAR(s.node[0].p, 0.0004448102, 1e-10);
    EXPECT_NEAR(s.node[0].z, 3.511963, 1e-6);
}

// Age as a survival time with an event where kyphosis is present: the log lists
// each node's events and Kaplan-Meier median, and each split's log-rank test over
// its children, as R's survival package gives them (survfit(Surv(age, kyphosis) ~
// 1) on the node's rows, survdiff(Surv(age, kyphosis) ~ side) on the children's;
// the root's chi-square 20.0545264402 and p 7.52651747304e-06 in full).
// An estimate of one half exactly puts the median midway to the next event time
// (R: 2.5 for four events at 1..4), or at its time when no event follows (2).
TEST(TreeModel, SurvivalTimeNodesAsRSurvival)
{
    const Kyphosis k;
    const std::vector<std::uint8_t> event(k.kyphosis.begin(), k.kyphosis.end());
    auto data = k.data(k.age, false);
    data.event = event;
    const auto s = tree::evaluate(hand_tree(), data);
    LogCapture cap;
    tree::TreeView v;
    tree::prune(s, tree::TreeRules{10, 5, 1.0, false}, false, v);
    tree::log_tree(cap.log, hand_tree(), s, v, false, "age");
    EXPECT_EQ(cap.lines,
              (std::vector<std::string>{
                  " Tree for Y=age", "  Node Level      N   Events    KM median  Split         Log-rank       p",
                  "     0     1     81       17           NR  Start9         20.0545  0.0000",
                  "              A= Start9start >=9",
                  "     1     2     19       11     120.0000  Age100          8.8073  0.0030",
                  "              A= Age100age >= 100",
                  "     2     2     62        6           NR  -Number5        2.9417  0.0863",
                  "              A= -Number5number < 5", "     3     3      9        4      73.0000",
                  "     4     3      9        7     128.0000",
                  "     5     3     17        3           NR  Age100          6.5840  0.0103",
                  "              A= Age100age >= 100", "     6     3     45        3           NR",
                  "    11     4     12        3      82.0000", "    12     4      5        0           NR"}));
    EXPECT_TRUE(close_rel(s.node[0].stat, 20.0545264402, 1e-9) && close_rel(s.node[0].p, 7.52651747304e-06, 1e-8));
    const std::vector<std::uint8_t> bytes(4, 0);
    const std::vector<double> t{1, 2, 3, 4};
    for (const auto& [events, median] : {std::pair{std::vector<std::uint8_t>{1, 1, 1, 1}, 2.5}, {{1, 1, 0, 0}, 2.0}})
        EXPECT_EQ(
            tree::evaluate({}, {stats::AttributeMatrix(bytes, 1, 4), {}, t, false, {}, {}, events}).node[0].median,
            median);
}

// A weight counts an observation that many times: weights 0, 1, 2 give the tree
// of the data with the weight-0 rows dropped and the weight-2 rows repeated.
TEST(TreeModel, WeightsCountAsRepeatedObservations)
{
    const Kyphosis k;
    std::vector<int> w(k.n);
    Kyphosis rep = k;
    rep.bytes.clear(), rep.kyphosis.clear(), rep.number.clear();
    for (int i = 0; i < k.n; ++i) {
        w[i] = i % 3;
        for (int r = 0; r < w[i]; ++r) {
            rep.bytes.insert(rep.bytes.end(), k.bytes.begin() + 4 * i, k.bytes.begin() + 4 * i + 4);
            rep.kyphosis.push_back(k.kyphosis[i]), rep.number.push_back(k.number[i]);
        }
    }
    rep.n = static_cast<int>(rep.kyphosis.size());
    for (bool ydisc : {true, false}) {
        auto weighted = k.data(ydisc ? k.kyphosis : k.number, ydisc);
        weighted.weight = w;
        const auto a = tree::evaluate(hand_tree(), weighted);
        const auto b = tree::evaluate(hand_tree(), rep.data(ydisc ? rep.kyphosis : rep.number, ydisc));
        for (std::size_t n = 0; n < a.node.size(); ++n) {
            EXPECT_EQ(a.node[n].n, b.node[n].n) << n;
            EXPECT_EQ(a.node[n].counts, b.node[n].counts) << n;
            EXPECT_NEAR(a.node[n].mean, b.node[n].mean, 1e-12) << n;
            EXPECT_NEAR(a.node[n].stat, b.node[n].stat, 1e-9) << n;
        }
        if (!ydisc) continue;
        tree::TreeView v;
        tree::prune(a, tree::TreeRules{10, 5, 1.0, false}, true, v);
        const auto ta = tree::predicted_by_actual(a, v), tb = tree::predicted_by_actual(b, v);
        for (int r = 0; r < 2; ++r)
            for (int c = 0; c < 2; ++c) EXPECT_EQ(ta.at(r, c), tb.at(r, c));
    }
}

// Shown leaves for each rule set and click; the classification table over the
// observations reaching a leaf (the first observation stops at node 1 when it is split).
TEST(TreeModel, PruningLeavesAndClassification)
{
    const Kyphosis k;
    const auto tr = hand_tree();
    const auto s = tree::evaluate(tr, k.data(k.kyphosis, true));
    const tree::TreeRules loose{10, 5, 1.0, false}, loose_same{10, 5, 1.0, true};
    const struct {
        tree::TreeRules rules;
        int click_node, click;
        std::vector<int> leaves;
        std::int64_t p0a0, p0a1, p1a0, p1a1;
    } cases[] = {
        {tree::TreeRules{}, 0, 0, {1, 2}, 56, 6, 8, 11},
        {tree::TreeRules{}, 2, +1, {1, 5, 6}, 56, 6, 8, 11},
        {tree::TreeRules{}, 0, -1, {0}, 64, 17, 0, 0},
        {tree::TreeRules{100, 10, 1.96, true}, 0, 0, {0}, 64, 17, 0, 0},
        {tree::TreeRules{20, 20, 1.96, true}, 0, 0, {0}, 64, 17, 0, 0},
        {tree::TreeRules{20, 10, 5.0, true}, 0, 0, {0}, 64, 17, 0, 0},
        {loose, 0, 0, {3, 4, 6, 11, 12}, 61, 10, 2, 7},
        {loose_same, 0, 0, {2, 3, 4}, 61, 10, 2, 7},
        {loose, 2, -1, {2, 3, 4}, 61, 10, 2, 7},
    };
    for (const auto& c : cases) {
        tree::TreeView v;
        v.hand.assign(s.node.size(), 0);
        v.hand[c.click_node] = static_cast<signed char>(c.click);
        tree::prune(s, c.rules, true, v);
        std::vector<int> leaves;
        for (int n = 0; n < static_cast<int>(s.node.size()); ++n)
            if (v.leaf(n)) leaves.push_back(n);
        EXPECT_EQ(leaves, c.leaves) << c.rules.parentmin << " " << c.click_node;
        const auto t = tree::predicted_by_actual(s, v);
        EXPECT_EQ(t.at(0, 0), c.p0a0);
        EXPECT_EQ(t.at(0, 1), c.p0a1);
        EXPECT_EQ(t.at(1, 0), c.p1a0);
        EXPECT_EQ(t.at(1, 1), c.p1a1);
    }

    LogCapture cap;
    tree::TreeView v;
    tree::prune(s, tree::TreeRules{}, true, v);
    EXPECT_NEAR(tree::log_tree(cap.log, tr, s, v, true, "kyphosis"), 100.0 * 14 / 81, 1e-9);
    ASSERT_GE(cap.lines.size(), 6u);
    EXPECT_EQ(cap.lines[0], " Tree for Y=kyphosis");
    EXPECT_EQ(cap.lines[2], "     0     1     81  64/17                0  Start9         20.3895  0.0000");
    EXPECT_EQ(cap.lines[3], "              A= Start9start >=9");
    EXPECT_EQ(cap.lines[4], "     1     2     19  8/11                 1");
    EXPECT_EQ(cap.lines[5], "     2     2     62  56/6                 0");
}

// The highlighted leaves' path terms and the others' are exact complements over
// the observations that reach a leaf.
TEST(TreeModel, LeafListsSplitTheObservations)
{
    const Kyphosis k;
    const auto tr = hand_tree();
    const auto s = tree::evaluate(tr, k.data(k.kyphosis, true));
    tree::TreeView v;
    tree::prune(s, tree::TreeRules{10, 5, 1.0, false}, true, v);
    std::vector<bool> hl(s.node.size(), false);
    hl[4] = hl[11] = true;
    const auto lists = tree::leaf_lists(tr, v, hl);
    EXPECT_EQ(lists.a.lp, (std::vector<int>{2, 3}));
    EXPECT_EQ(lists.a.lits, (std::vector<int>{-2, 3, 2, 4, -3}));
    EXPECT_EQ(lists.complement.lits, (std::vector<int>{-2, -3, 2, -4, 2, 4, 3}));

    const stats::AttributeMatrix m(k.bytes, 4, k.n);
    stats::CompiledList a, ac;
    a.compile(lists.a, partition::kPlain, {}, 4);
    ac.compile(lists.complement, partition::kPlain, {}, 4);
    const auto leaf = tree::leaf_of(s, v);
    int reached = 0, in_a = 0;
    for (int i = 0; i < k.n; ++i) {
        if (leaf[i] < 0) continue;
        ++reached;
        in_a += a.membership(m.row(i));
        EXPECT_EQ(a.membership(m.row(i)), hl[leaf[i]] ? 1 : 0) << i;
        EXPECT_EQ(ac.membership(m.row(i)), hl[leaf[i]] ? 0 : 1) << i;
    }
    EXPECT_EQ(reached, 80);
    EXPECT_EQ(in_a, 9 + 12); // leaves 4 and 11
    EXPECT_EQ(tree::path_term(tr, 0), (std::vector<int>{-1}));
}

} // namespace
} // namespace meru::test
