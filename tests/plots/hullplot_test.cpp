// The whole hull step with a recording view: the automatic penalty, Beta+,
// clicks, Esc messages, the table and the note.
#include "partition/captured_log.h"
#include "plots/hullplot.h"
#include "support/best_entries.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>
#include <vector>

using namespace meru::plots;
using meru::search::HullInput;
using meru::search::HullResult;
using meru::search::Penalty;
using meru::search::StoredPartition;
using meru::test::best_entries;

namespace {

// The hull step's log lines.
struct LogLines : meru::partition::test::CapturedLog {
    bool has(const std::string& s) const { return std::find(lines.begin(), lines.end(), s) != lines.end(); }
};

} // namespace

namespace {

// Records what the hull step shows and answers each drawing from a script.
struct FakeView : HullView {
    std::vector<HullAnswer> answers; // in order; Esc with the height unchanged after them
    std::vector<HullDrawing> drawings;
    std::vector<std::string> shown, boxes, notes;
    int begins = 0, ends = 0;
    void begin() override { ++begins; }
    void show_partition(const StoredPartition* entry, const std::string& caption) override
    {
        shown.push_back(caption + (entry ? ":" + std::to_string(entry->complexity) : ":origin"));
    }
    HullAnswer draw(const HullDrawing& d) override
    {
        drawings.push_back(d);
        const size_t k = drawings.size() - 1;
        return k < answers.size() ? answers[k] : HullAnswer{0, d.height};
    }
    void end() override { ++ends; }
    void msgbox(const std::string& t) override { boxes.push_back(t); }
    void note(const std::string& t) override { notes.push_back(t); }
};

const auto kFive = best_entries({{1, 10}, {2, 15}, {3, 18}, {4, 19}, {5, 19.5f}});
const std::array<std::int64_t, 101> kHist = [] {
    std::array<std::int64_t, 101> h{};
    for (int c = 1; c <= 5; ++c) h[static_cast<size_t>(c)] = 10 * c;
    return h;
}();

} // namespace

TEST(HullPlot, AutomaticBetaOnTheFirstIterationOnly)
{
    struct Case {
        int iteration;
        bool iterative, automatic, stopped;
        double beta_after;
        bool logged;
    };
    const Case cases[] = {
        {1, false, true, false, 0.5, true},  // a search that does not iterate counts as iteration 1
        {1, true, true, false, 0.5, true},   // the first iteration
        {2, true, true, false, 0.2, false},  // later iterations keep the penalty
        {1, true, true, true, 0.2, false},   // the iterations stopped
        {1, false, false, false, 0.2, false} // a penalty the user set
    };
    for (const Case& k : cases) {
        LogLines out;
        FakeView view;
        Penalty pen{0.2, k.automatic};
        HullInput in{kFive, kHist, k.iteration, k.iterative, k.stopped};
        const HullResult r = hullplot(in, pen, &view, out.log);
        EXPECT_DOUBLE_EQ(pen.beta, k.beta_after);
        EXPECT_EQ(out.has(" Penalty parameter beta automatically set to 0.5"), k.logged);
        EXPECT_EQ(pen.automatic, k.automatic); // unchanged without a Beta press
        EXPECT_TRUE(view.notes.empty());
        ASSERT_EQ(view.drawings.size(), 1u);
        EXPECT_EQ(view.drawings[0].caption,
                  k.iterative ? "Hull on iteration " + std::string(1, ' ') + std::to_string(k.iteration)
                              : "Complexity hull");
        // beta 0.5: G_beta 9.5 14 16.5 17 17; beta 0.2: 9.8 14.6 17.4 18.2 18.5.
        const int red = k.beta_after == 0.5 ? 4 : 5;
        EXPECT_EQ(view.drawings[0].selected, red);
        EXPECT_EQ(view.drawings[0].label, "=" + std::to_string(red));
        EXPECT_DOUBLE_EQ(view.drawings[0].height, k.beta_after * 5);
        EXPECT_EQ(view.shown, (std::vector<std::string>{"Partition at red point on hull:" + std::to_string(red)}));
        EXPECT_EQ(r.optimum, red);
        EXPECT_TRUE(view.boxes.empty());
    }
}

TEST(HullPlot, BetaPressClickAndEsc)
{
    LogLines out;
    FakeView view;
    // Beta+ raised the line to 10 at c = 5 and a click chose hull point 2 (position 1);
    // then Esc.
    view.answers = {{2, 10.0}, {0, 10.0}};
    Penalty pen{0.0, true};
    HullInput in{kFive, kHist};
    in.detailed = true;
    const HullResult r = hullplot(in, pen, &view, out.log);
    EXPECT_DOUBLE_EQ(pen.beta, 2.0);
    EXPECT_FALSE(pen.automatic);
    ASSERT_EQ(view.drawings.size(), 2u);
    EXPECT_DOUBLE_EQ(view.drawings[1].height, 10.0);
    EXPECT_EQ(view.drawings[1].selected, 1);
    EXPECT_EQ(view.shown, (std::vector<std::string>{"Partition at red point on hull:4", "Selected hull point:1"}));
    EXPECT_EQ(view.notes,
              (std::vector<std::string>{"NOTE: new penalty parameter beta = 2.0 Re-do Search for new optimal$"}));
    // beta 2: G_beta 8 11 12 11 9.5.
    EXPECT_EQ(r.optimum, 3);
    EXPECT_TRUE(out.has(" Complexities generated"));
    EXPECT_EQ(view.ends, 1);
    EXPECT_TRUE(view.boxes.empty());
}

TEST(HullPlot, OriginChosenOrNoHull)
{
    {
        LogLines out;
        FakeView view;
        Penalty pen{50.0, false};
        HullInput in{kFive, kHist};
        in.detailed = true;
        const HullResult r = hullplot(in, pen, &view, out.log);
        EXPECT_EQ(view.drawings.at(0).selected, 0);
        EXPECT_EQ(view.drawings.at(0).label, "=0");
        EXPECT_EQ(view.shown, (std::vector<std::string>{"Partition at red point on hull:origin"}));
        EXPECT_EQ(view.boxes, (std::vector<std::string>{"All penalised partitions have G_beta<0$"}));
        EXPECT_TRUE(out.has(" Complexities generated"));
        EXPECT_EQ(r.optimum, 1); // the winner is still an entry
    }
    {
        LogLines out;
        FakeView view;
        view.answers = {{1, 0.0}}; // a click on the origin alone does not go on
        Penalty pen{0.0, true};
        const auto flat = best_entries({{2, 0}});
        HullInput in{flat, kHist};
        const HullResult r = hullplot(in, pen, &view, out.log);
        EXPECT_FALSE(r.hull.exists());
        ASSERT_EQ(view.drawings.size(), 1u);
        EXPECT_EQ(view.drawings[0].caption, "Hull does not exist");
        EXPECT_EQ(view.drawings[0].label, " ");
        EXPECT_TRUE(view.shown.empty());
        EXPECT_EQ(view.boxes, (std::vector<std::string>{"Hull does not exist. All G <=0$"}));
        EXPECT_EQ(r.optimum, 1);
        EXPECT_TRUE(out.has(" Penalty parameter beta automatically set to 0.0"));
        EXPECT_FALSE(out.has(" Complexities generated")); // not detailed
    }
}

TEST(HullPlot, TreeNodeComputesAndRedrawDrawsOnce)
{
    LogLines out;
    Penalty pen{0.0, true};
    HullInput tree{kFive, kHist};
    tree.treegrow = true;
    const HullResult r = hullplot(tree, pen, nullptr, out.log);
    EXPECT_FALSE(r.shown);
    EXPECT_EQ(r.optimum, 4);
    EXPECT_DOUBLE_EQ(pen.beta, 0.5);

    LogLines again;
    FakeView view;
    view.answers = {{3, 99.0}}; // ignored: nothing waits
    HullInput redraw{kFive, kHist};
    redraw.redraw = true;
    redraw.detailed = true;
    hullplot(redraw, pen, &view, again.log);
    ASSERT_EQ(view.drawings.size(), 1u);
    EXPECT_FALSE(view.drawings[0].interactive);
    EXPECT_TRUE(again.lines.empty()); // no second automatic line, no table
    EXPECT_TRUE(view.boxes.empty());
    EXPECT_EQ(view.ends, 0);
}
