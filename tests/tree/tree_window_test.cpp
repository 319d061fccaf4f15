// The "Tree diagram" window on the kyphosis data with the hand-made tree under
// loose rules (parent 10, terminal 5, z 1, classes may agree): shown leaves 3, 4,
// 11, 12 and 6, drawn left to right at x = 60, 180, 300, 420, 540; node 1 at 120,
// node 5 at 360, node 2 at 450, the root at 285; levels at y = 24, 114, 204, 294.
// Saves the acceptance picture with leaves 4 and 11 highlighted.
#include "files/textutil.h"
#include "platform/canvas.h"
#include "support/mouse_feed.h"
#include "tree/kyphosis_tree.h"
#include "tree/tree_window.h"
#include "ui/ui_fixture.h"

#include <QDir>
#include <algorithm>
#include <cstdlib>

namespace meru::test {
namespace {

QString shots()
{
    const char* env = std::getenv("MERU_E2E_SHOTS");
    const QString folder = env && *env ? QString(env) : QDir::tempPath();
    QDir().mkpath(folder);
    return folder;
}

class TreeWindowTest : public UiTest {
protected:
    void SetUp() override
    {
        UiTest::SetUp();
        ctx.help = [this](std::string_view topic) { topics.emplace_back(topic); };
    }
    int pixel(int x, int y)
    {
        const unsigned p = frame.canvas(tree::kTreeUnit)->image().pixel(x, y);
        return static_cast<int>(((p & 0xff) << 16) | (p & 0xff00) | ((p >> 16) & 0xff));
    }
    void menus_as_before()
    {
        EXPECT_EQ(menus.off_depth(), 0);
        for (int m = 3; m <= 12; ++m) EXPECT_TRUE(menus.usable(m, 1)) << m;
    }
    const Kyphosis k;
    const tree::KeptTree tr = hand_tree();
    const tree::TreeStats s = tree::evaluate(tr, k.data(k.kyphosis, true));
    tree::TreeRules rules{10, 5, 1.0, false};
    std::vector<std::string> topics;
};

TEST_F(TreeWindowTest, ClicksThenPartReturnTheHighlightedLeaves)
{
    const tree::TreeDiagram d{tr, s, true, rules, {}};
    tree::TreeView view;
    MouseFeed feed(frame, tree::kTreeUnit,
                   {{MouseStep::click, 450, 130}, // collapse node 2
                    {MouseStep::click, 500, 130}, // and grow it again (it stood at 500 collapsed)
                    {MouseStep::click, 100, 5},   // Part: nothing highlighted yet
                    {MouseStep::click, 180, 220}, // leaf 4
                    {MouseStep::click, 300, 310}, // leaf 11
                    {MouseStep::click, 10, 470},  // nowhere
                    {MouseStep::click, 150, 5},   // Help
                    {MouseStep::click, 100, 5}}); // Part
    feed.before_step = [&](const MouseStep& st) {
        platform::Canvas* c = frame.canvas(tree::kTreeUnit);
        if (st.x == 300) c->set_journaling(true); // the click on leaf 11 draws the tree again
        if (st.x == 150) c->image().save(shots() + "/tree_kyphosis.png");
    };
    const tree::TreeDiagramResult r = tree::tree_window(ctx, d, view);
    EXPECT_EQ(feed.overrun, 0);
    EXPECT_EQ(r.message, "Tree partition, highlighted nodes");
    ASSERT_TRUE(r.partition);
    // Leaf 4: start < 9 and age >= 100; leaf 11: start >= 9, number < 5, age < 100.
    EXPECT_EQ(r.lists.a.lp, (std::vector<int>{2, 3}));
    EXPECT_EQ(r.lists.a.lits, (std::vector<partition::Literal>{-2, 3, 2, 4, -3}));
    // Leaves 3, 6 and 12.
    EXPECT_EQ(r.lists.complement.lp, (std::vector<int>{2, 2, 3}));
    EXPECT_EQ(view.hand[2], 1);
    EXPECT_EQ(topics, std::vector<std::string>{"Tree diagram"});
    menus_as_before();

    // The drawing after the click on leaf 11: the bar, the split labels, each node's n
    // and predicted class, the highlighted leaves filled yellow, a split grey.
    const platform::Canvas& c = *frame.canvas(tree::kTreeUnit);
    std::vector<std::string> texts;
    for (const auto& call : c.journal())
        if (call.op == "text") texts.push_back(files::trim(call.text));
    for (const char* want :
         {"Rules", "Part", "Start9", "start >=9", "-Number5", "number < 5", "81", "19", "62", "17", "12"})
        EXPECT_NE(std::find(texts.begin(), texts.end(), want), texts.end()) << want;
    EXPECT_EQ(pixel(152, 235), tree::kHighlight); // leaf 4, left of its text
    EXPECT_EQ(pixel(272, 325), tree::kHighlight); // leaf 11
    EXPECT_EQ(pixel(32, 235), 0xffffff);          // leaf 3
    EXPECT_EQ(pixel(422, 145), 0xeeeeee);         // node 2, a shown split
    EXPECT_EQ(pixel(100, 114), 0);                // node 1's top border
}

// Rules draws the tree again under the rules the dialog leaves (the root alone
// under the start-up rules would keep its two children: tighten to z 5), and
// drops the highlight of a leaf no longer shown; Esc closes the window. A
// continuous Y shows the means, a survival time events and medians.
TEST_F(TreeWindowTest, RulesRedrawAndEscCloses)
{
    int asked = 0;
    const tree::TreeDiagram d{tr, s, true, rules, [&] {
                                  ++asked;
                                  rules.tcrit = 5.0;
                              }};
    tree::TreeView view;
    MouseFeed feed(frame, tree::kTreeUnit,
                   {{MouseStep::click, 60, 220}, // leaf 3
                    {MouseStep::click, 55, 5},   // Rules
                    {MouseStep::click, 100, 5},  // Part: leaf 3 is gone
                    {MouseStep::click, 10, 5}}); // Esc
    const tree::TreeDiagramResult r = tree::tree_window(ctx, d, view);
    EXPECT_EQ(feed.overrun, 0);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(r.message, "Tree diagram closed");
    EXPECT_FALSE(r.partition);
    const std::vector<bool> root_only{false, false, false, false, false, false, false,
                                      false, false, false, false, false, false};
    EXPECT_EQ(view.split, root_only);
    EXPECT_EQ(pixel(273, 55), 0xffffff); // the root, a leaf now
    menus_as_before();

    // A continuous Y (the number of vertebrae) shows each node's mean: 328 / 81; a
    // survival time (age, events where kyphosis is present) its events of n and the
    // Kaplan-Meier median (R's survfit: not reached, 120 for start < 9). The split's
    // side is marked on each child: A- at node 1 (left of its line's end), A at node 2.
    const tree::TreeStats cs = tree::evaluate(tr, k.data(k.number, false));
    const std::vector<std::uint8_t> event(k.kyphosis.begin(), k.kyphosis.end());
    tree::TreeData survival = k.data(k.age, false);
    survival.event = event;
    const tree::TreeStats ss = tree::evaluate(tr, survival);
    tree::TreeView loose;
    tree::prune(ss, tree::TreeRules{10, 5, 1.0, false}, false, loose);
    for (const auto& [stats, shown, wants] :
         {std::tuple{&cs, &view, std::vector<std::string>{"4.049"}},
          {&ss, &loose, {"17/81", "med NR", "11/19", "med 120", "A-@102", "A@454"}}}) {
        frame.canvas(tree::kTreeUnit)->set_journaling(true);
        frame.canvas(tree::kTreeUnit)->clear_journal();
        tree::draw_tree(ctx, {tr, *stats, false, rules, {}}, *shown, {});
        std::vector<std::string> texts; // each text, and with "@" its x
        for (const auto& call : frame.canvas(tree::kTreeUnit)->journal())
            if (call.op == "text")
                for (std::string t = files::trim(call.text);
                     const auto& v : {t, t + "@" + std::to_string(call.points.at(0).x())})
                    texts.push_back(v);
        for (const std::string& want : wants)
            EXPECT_NE(std::find(texts.begin(), texts.end(), want), texts.end()) << want;
    }
}

} // namespace
} // namespace meru::test
