// The search window's scale, a mark past its x axis drawn inside the plot, the
// progress text painted at most every tenth of a second.
// Search:Go! through every stage over the program's state: no dialog while the
// settings are valid, the attribute set and cuts in the log, the size vectors
// of the extent never set ("2 2"), the box, the sizes a later iteration expects
// to exclude; an empty set; the attrition note once per run; a request raised
// during a stage handled at the next poll round; a forced attribute joined to A
// on both sides.
#include "mainloop/menubar.h"
#include "mainloop/search_host.h"
#include "mainloop/search_stage.h"
#include "platform/clock.h"
#include "platform/events.h"
#include "platform/window.h"
#include "program_fixture.h"
#include "search/rank_tables.h"
#include "search/worker_pool.h"
#include "stats/membership.h"
#include "support/scripted_forms.h"
#include "ui/ui_fixture.h"

#include <algorithm>

namespace meru::test {
namespace {

using mainloop::Flow;

// The distinct Y values Turbo groups by: ascending, once each, whole numbers
// and others mixed; missing values and those off the mask left out; counting
// stops past ten.
TEST(DistinctY, AscendingOnceEachAndNoMoreThanEleven)
{
    const std::vector<float> y{3.0f, 0.5f, 300.0f, 3.0f, -1.0f, 255.0f, 0.5f, 9.0f, 0.0f};
    const std::vector<std::uint8_t> mask{1, 1, 1, 1, 1, 1, 1, 0, 1};
    EXPECT_EQ(mainloop::distinct_y(y, mask), (std::vector<float>{0.0f, 0.5f, 3.0f, 255.0f, 300.0f}));
    std::vector<float> many;
    for (int k = 0; k < 30; ++k) many.push_back(static_cast<float>(k % 2 ? k : k + 0.25));
    EXPECT_EQ(mainloop::distinct_y(many, std::vector<std::uint8_t>(many.size(), 1)).size(), 11u);
    // Over four stretches of observations, on three threads as alone: the
    // first eleven values in observation order (7, then 19.5 down to 10.5).
    std::vector<float> spread(200000, 7.0f);
    for (int k = 0; k < 20; ++k) spread[static_cast<std::size_t>(199999 - 9000 * k)] = 0.5f + static_cast<float>(k);
    std::vector<float> want{7.0f};
    for (int k = 10; k < 20; ++k) want.push_back(0.5f + static_cast<float>(k));
    const std::vector<std::uint8_t> all(spread.size(), 1);
    search::SearchThreads threads;
    EXPECT_EQ(mainloop::distinct_y(spread, all, threads.parallel(3, {})), want);
    EXPECT_EQ(mainloop::distinct_y(spread, all), want);
}

TEST(SearchWindowScale, GrowsWithTheSearchAndBetweenIterations)
{
    plots::WindowScale s{1.0, 10.0, 2.0};
    EXPECT_FALSE(mainloop::widen_for(s, 1.0f, 4)); // not above the top
    EXPECT_TRUE(mainloop::widen_for(s, 1.5f, 3));  // y-max 2 x 1.5, x-max 3 x 3, step 9/4 down
    EXPECT_EQ(s.ymax, 3.0);
    EXPECT_EQ(s.xmax, 9.0);
    EXPECT_EQ(s.xstep, 2.0);
    EXPECT_TRUE(mainloop::widen_for(s, 4.0f, 0)); // complexity 0 keeps an x range of 1
    EXPECT_EQ(s.xmax, 1.0);
    EXPECT_EQ(s.xstep, 1.0);

    // Stored complexities up to 7: x-max 10; y-max 2 is above 4 x G = 1.6: 2 x G.
    std::vector<search::StoredPartition> stored(2);
    stored[0].complexity = 4;
    stored[1].complexity = 7;
    plots::WindowScale t{2.0, 5.0, 1.0};
    mainloop::room_for_stored(t, stored, 0.4);
    EXPECT_EQ(t.xmax, 10.0);
    EXPECT_DOUBLE_EQ(t.ymax, 0.8);
    mainloop::room_for_stored(t, stored, 0.3); // 0.8 lies within 2 x 0.3 .. 4 x 0.3
    EXPECT_DOUBLE_EQ(t.ymax, 0.8);
}

TEST_F(ProgramTest, AMarkPastTheXAxisEndWidensTheAxisAndStaysInsideThePlot)
{
    plots::WindowScale scale{1.0, 10.0, 2.0};
    mainloop::SearchWindow window(*program, scale, true);
    window.open("Searching");
    window.window_mark(11, 0.5f, '>');
    EXPECT_EQ(scale.xmax, 14.0); // 11 + 3, y kept
    EXPECT_EQ(scale.ymax, 1.0);
    // By hand: x 0..14 over 375 pixels from x 75, so c = 11 at 75 + int(294.6) = 369
    // (the outline starts 2 pixels left); G 0..1 over 252 pixels up from y 336.
    const QImage& image = frame.canvas(mainloop::kSearchUnit)->image();
    EXPECT_EQ(image.pixel(367, 210) & 0xffffff, 0u);
    // Right of the frame line (10 pixels past the data area's end, x 460) all is white.
    for (int x = 462; x < image.width(); ++x)
        for (int y = 100; y < 340; ++y) ASSERT_EQ(image.pixel(x, y) & 0xffffff, 0xffffffu) << x << "," << y;
}

TEST_F(ProgramTest, TheProgressTextIsPaintedAtMostEveryTenthOfASecond)
{
    // Texts at 0, 40, 99, 100, 150 and 230 ms: those at 0, 100 and 230 are painted.
    platform::FakeClock clock;
    platform::set_clock(&clock);
    plots::WindowScale scale{1.0, 10.0, 2.0};
    mainloop::SearchWindow window(*program, scale, false);
    frame.canvas(mainloop::kProgressUnit)->set_journaling(true);
    for (int step : {0, 40, 59, 1, 50, 80}) {
        clock.advance(step);
        window.progress(std::to_string(clock.elapsed_ms()));
    }
    platform::set_clock(nullptr);
    EXPECT_EQ(progress_texts(), (std::vector<std::string>{"0", "100", "230"}));
}

class SearchGo : public ProgramTest {
protected:
    void SetUp() override
    {
        ProgramTest::SetUp();
        auto owned = std::make_unique<ScriptedForms>();
        forms = owned.get();
        program->forms = std::move(owned);
        program->ui.help = [this](std::string_view topic) {
            topics.emplace_back(topic);
            if (on_help) on_help(topic);
        };
        answer("dismiss\n");
        platform::set_clock(&clock);
        // The complexity hull after a search waits for the mouse: Esc, the bar's first button.
        previous = platform::set_wait_hook([this](platform::WaitPoint point, int) {
            auto* w = frame.window(mainloop::kSearchUnit);
            if (point != platform::WaitPoint::mouse || w == nullptr) return;
            w->mouse_event(platform::mouse_left_down, platform::mouse_ks_left, 20, 8);
            w->mouse_event(platform::mouse_left_up, 0, 20, 8);
        });
        program->analysis = make_analysis();
        program->crit.icrit = 5; // chi-square
        program->strategy.iterative = false;
        program->options.detailout = true;
    }
    void TearDown() override
    {
        platform::set_wait_hook(previous);
        platform::set_clock(nullptr);
        program->ui.host.script = nullptr;
        ProgramTest::TearDown();
    }

    // Lines: 2 "y" (the Y), 3 "a", 4 "b" (two cuts), 5 "c", 6 "d". Twelve observations.
    // With `room`, the tables are sized as a control file sizes them, which leaves
    // room for added attributes.
    static std::unique_ptr<mainloop::Analysis> make_analysis(bool room = false)
    {
        auto a = std::make_unique<mainloop::Analysis>();
        a->tables = rank_tables({{"y", 1}, {"a", 1}, {"b", 2}, {"c", 1}, {"d", 1}});
        auto& t = a->tables;
        if (room) {
            files::ScanCounts counts;
            counts.attbound = t.natt;
            counts.varbound = t.nlines;
            files::ControlTables sized;
            files::allocate(sized, counts);
            t.dims = sized.dims;
            t.att.resize(sized.att.size());
            t.line.resize(sized.line.size());
            t.vars.varname.resize(sized.vars.varname.size());
        }
        files::allocate_data(a->data, 12, room ? t.dims.nv : t.nlines, room ? t.dims.lc : t.natt);
        a->ymat.assign(12 * 5, 0.0f);
        a->xmask.assign(13, 1);
        for (int i = 1; i <= 12; ++i) {
            const auto k = static_cast<std::size_t>(i - 1);
            const int y = i <= 6 ? 1 : 0;
            a->data.obswt[k] = 1;
            a->ymat[k] = static_cast<float>(y);
            a->data.ab(2, i) = static_cast<std::uint8_t>(y);
            a->data.ab(3, i) = static_cast<std::uint8_t>(i % 3 == 0 ? 1 - y : y);
            a->data.ab(4, i) = static_cast<std::uint8_t>(i % 2);
            a->data.ab(5, i) = static_cast<std::uint8_t>(i <= 8 ? 1 : 0);
            a->data.ab(6, i) = static_cast<std::uint8_t>(i % 4 == 0 ? 1 : 0);
            a->data.ab(7, i) = static_cast<std::uint8_t>(i >= 5 ? 1 : 0);
        }
        a->nobs = 12;
        a->stats.nread = 12;
        a->yset = true;
        outcome::Outcome& o = a->outcome;
        o.ny = 1;
        o.ycol[0] = 1;
        o.yname[0] = "y";
        o.ybin[0] = true;
        o.ymax[0] = 1.0;
        return a;
    }

    // Answers the program's message boxes and notes from `text` (script actions).
    void answer(const std::string& text)
    {
        script = make_script(text, ender);
        program->ui.host.script = script.get();
    }

    // Chooses Search:Go! and dispatches poll round after poll round as the main
    // loop does, until a request ends at the loop head.
    // Runs the Go! chain to its end, or with `to_statistics` until the search has
    // handed its winner to the statistics.
    void go(bool to_statistics = false)
    {
        program->menus.set_flags(mainloop::kSearchMenu, 0, platform::kMenuEnabled);
        program->menus.set_flags(mainloop::kSearchMenu, 1, platform::kMenuEnabled);
        choose("Search", "Go!");
        for (int round = 0; round < 20; ++round) {
            if (mainloop::dispatch(*program) == Flow::loop_head) break;
            if (to_statistics && program->flags.pstats) return;
        }
        // As the loop head does when the run ends.
        mainloop::clear_requests(program->flags);
        program->menus.let_go();
    }
    int logged_prefix(std::string_view prefix)
    {
        const auto lines = log_lines();
        return static_cast<int>(
            std::count_if(lines.begin(), lines.end(), [&](const std::string& l) { return l.starts_with(prefix); }));
    }
    bool logged(std::string_view text) { return logged_prefix(text) > 0; }

    ScriptedForms* forms = nullptr;
    std::vector<std::string> topics;
    std::function<void(std::string_view)> on_help;
    EndRecorder ender;
    std::unique_ptr<platform::Script> script;
    platform::FakeClock clock;
    platform::WaitHook previous;
};

TEST_F(SearchGo, EveryStageRunsWithoutDialogsToTheLastSizeVector)
{
    frame.canvas(mainloop::kProgressUnit)->set_journaling(true);
    go();
    EXPECT_TRUE(forms->shown.empty());
    const mainloop::Analysis& a = *program->analysis;
    EXPECT_TRUE(a.critdone && a.stratdone && a.extdone);
    // The Y's own line never enters; b is fixed on one cut.
    std::vector<int> set = program->search.set.lines;
    std::sort(set.begin(), set.end());
    EXPECT_EQ(set, (std::vector<int>{3, 4, 5, 6}));
    EXPECT_TRUE(logged(" Current positive attribute set of  m=  4 attributes is:"));
    EXPECT_TRUE(logged("Cuts are:"));
    EXPECT_TRUE(logged(" Up to size p_1,..p_q=2 2"));
    // (1), (2), (1,1) and (2,1) skipped, (2,2): one side for single attributes.
    const auto& run = program->search.last;
    ASSERT_EQ(run.per_vector.size(), 5u);
    EXPECT_EQ(run.per_vector[0].evaluated, 4);
    EXPECT_TRUE(run.per_vector[2].skipped && run.per_vector[3].skipped);
    EXPECT_FALSE(run.ended_by_user);
    EXPECT_TRUE(logged("                     SEARCH EXTENT BOX"));
    const auto texts = progress_texts();
    EXPECT_NE(std::find(texts.begin(), texts.end(), "Conducting non-iterative Search"), texts.end());
    EXPECT_GT(program->results.bestlist.count(), 0);
}

TEST_F(SearchGo, LaterIterationsAnticipateTheSizesTheFirstIterationCounted)
{
    // The first iteration counts, over the four attributes, C(4,1) = 4, C(4,2) = 6,
    // C(4,2) = 6 pairs of singles, 6 x (4 - 2) = 12 and C(6,2) = 15 candidates for
    // (1), (2), (1,1), (2,1) and (2,2); the second iteration expects to exclude
    // those already covered, each counted on both sides.
    program->analysis = make_analysis(true);
    program->strategy.iterative = true;
    program->strategy.maxiter = 2;
    go();
    ASSERT_TRUE(logged("New Iteration"));
    std::vector<std::string> anticipated;
    for (const std::string& line : log_lines())
        if (line.starts_with(" Anticipate excluding ")) anticipated.push_back(line.substr(22, 4));
    EXPECT_EQ(anticipated, (std::vector<std::string>{"   4", "   6", "   6", "  12", "  15"}));
}

TEST_F(SearchGo, TheByGroupVariableAndTheForcedAttributeDefinition)
{
    // By-groups of d's values: d never enters; a forced added attribute makes
    // the attributes of its definition usable.
    auto& a = *program->analysis;
    a.bygroup.mode = true;
    a.bygroup.byindex = 5; // d's variable
    program->strategy.forcein = true;
    program->forcing.forcedattr = 5; // b's second cut, not usable on its own
    a.added.slotmap.assign(8, 0);
    a.added.slotmap[5] = 1; // taken as an added attribute defined by d
    a.added.aminus_set[1].add_term({-7});
    a.added.a_set[1].add_term({7});
    program->rank.ranking.order = {6, 5, 4, 3, 2};
    program->rank.ranking.ranked = true;
    program->flags.sgo = true;
    mainloop::go_strategy(*program);
    mainloop::go_extent(*program);
    std::vector<int> set = program->search.set.lines;
    std::sort(set.begin(), set.end());
    EXPECT_EQ(set, (std::vector<int>{3, 4, 5}));
    const auto& usable = program->search.cuts.usable;
    ASSERT_GE(usable.size(), 8u);
    EXPECT_EQ(std::vector<char>(usable.begin(), usable.begin() + 8), (std::vector<char>{0, 0, 0, 1, 1, 1, 1, 1}));
}

// A forced attribute f: by union every partition the search keeps holds f's
// observations, by intersection none reaches past them, whichever side (A or
// A-) the candidate was built as.
TEST_F(SearchGo, TheForcedAttributeJoinsAOnBothSides)
{
    const mainloop::Analysis& a = *program->analysis;
    std::vector<std::int8_t> sign(static_cast<std::size_t>(a.tables.natt) + 1, 1);
    program->strategy.forcein = true;
    program->forcing.forcedattr = 6; // c
    for (const bool by_union : {true, false}) {
        SCOPED_TRACE(by_union ? "union" : "intersection");
        program->forcing.forceunion = by_union;
        program->forcing.forceinter = !by_union;
        go();
        std::vector<int> sides;
        std::vector<search::StoredPartition> kept(program->results.top10.entries().begin(),
                                                  program->results.top10.entries().end());
        for (const auto& e : program->results.bestlist.entries()) kept.push_back(e);
        for (const search::StoredPartition& e : kept) {
            stats::CompiledList list;
            list.compile(e.list, e.flag, sign, a.data.lc);
            sides.push_back(e.flag);
            for (int i = 1; i <= 12; ++i) {
                const int m = list.membership(a.data.row(i));
                EXPECT_TRUE(by_union ? m == 1 || a.data.ab(6, i) == 0 : m == 0 || a.data.ab(6, i) == 1)
                    << "observation " << i << " side " << e.flag;
            }
        }
        EXPECT_NE(std::find(sides.begin(), sides.end(), 0), sides.end()); // some entry was built as A-
    }
}

TEST_F(SearchGo, AnEmptySetStopsWithNoAttributesAndNoSearchWindow)
{
    program->options.dispgraph = true;
    for (int k = 3; k <= 6; ++k) program->analysis->tables.line[static_cast<std::size_t>(k)].banned = true;
    go();
    EXPECT_TRUE(program->search.set.lines.empty());
    ASSERT_FALSE(topics.empty());
    EXPECT_EQ(topics.back(), "NOTE: No attributes");
    EXPECT_FALSE(frame.is_open(mainloop::kSearchUnit));
    EXPECT_FALSE(logged("                     SEARCH EXTENT BOX"));

    // With lines again the window opens under Display graphics (the statistics'
    // round closes it).
    for (int k = 3; k <= 6; ++k) program->analysis->tables.line[static_cast<std::size_t>(k)].banned = false;
    go(true);
    EXPECT_TRUE(frame.is_open(mainloop::kSearchUnit));
    mainloop::clear_requests(program->flags);
}

// Under "Display graphics while searching" the search window stands while a
// tree grows, captioned "Constructing tree!", with no candidate marked in it.
TEST_F(SearchGo, ATreeCaptionsTheSearchWindowAndMarksNothing)
{
    program->options.dispgraph = true;
    program->strategy.treemode = true;
    frame.set_journaling(true);
    go(true); // the root node's search, up to its statistics
    ASSERT_TRUE(frame.is_open(mainloop::kSearchUnit));
    std::vector<std::string> texts;
    int marks = 0;
    for (const platform::DrawCall& c : frame.canvas(mainloop::kSearchUnit)->journal()) {
        if (c.op == "text") texts.push_back(c.text);
        marks += c.op == "ellipse" || c.op == "polygon";
    }
    EXPECT_NE(std::find(texts.begin(), texts.end(), "Constructing tree!"), texts.end());
    EXPECT_EQ(std::find(texts.begin(), texts.end(), "Searching"), texts.end());
    EXPECT_EQ(marks, 0);
    mainloop::loop_head(*program);
}

TEST_F(SearchGo, AttritionNoteOncePerRun)
{
    program->options.skipset = true;
    // c is missing for 3 of 12 observations: 25% lost.
    for (int i = 1; i <= 3; ++i) program->analysis->data.ab(6, i) = 255;
    go();
    go();
    EXPECT_EQ(logged_prefix("NOTE: >10% data attrition due to missing obs"), 1);
    EXPECT_EQ(logged_prefix("NOTE: attrition by discarding incomplete obs="), 2);
}

TEST_F(SearchGo, ARequestRaisedDuringARunWaitsForItsEndAndIsDropped)
{
    // a and c are partners: the strategy stage shows the duplication note, and
    // About is chosen while it shows: the run goes on without it.
    auto& t = program->analysis->tables;
    t.att[6].dupmark = 3;
    on_help = [this](std::string_view topic) {
        if (topic == "NOTE:Duplication in attribute set") program->flags.qhelp = program->flags.habout = true;
    };
    go();
    EXPECT_EQ(std::count(topics.begin(), topics.end(), "M E R U"), 0);
    EXPECT_TRUE(program->analysis->extdone); // the run went on to its later stages
}

TEST_F(SearchGo, ContinuationWithoutAYAndTheResultsOfANewY)
{
    program->analysis->yset = false;
    program->flags.sgo = program->flags.qcont = true;
    EXPECT_EQ(mainloop::series_step(*program), Flow::loop_head);
    EXPECT_EQ(topics.back(), "NOTE: must have Y specified");
    program->analysis->yset = true;
    EXPECT_EQ(mainloop::series_step(*program), Flow::next);

    // A new Y empties the results the searches left.
    partition::TermList list;
    list.add_term({3});
    program->results.bestlist.offer(1, 2.0f, 1, list);
    program->results.splithist[7] = 4;
    program->results.searchg_count = 9;
    program->dispatch.empty_results(*program);
    program->dispatch.clear_saved_g(*program);
    EXPECT_EQ(program->results.bestlist.count(), 0);
    EXPECT_EQ(program->results.splithist[7], 0);
    EXPECT_EQ(program->results.searchg_count, 0);
}

} // namespace
} // namespace meru::test
