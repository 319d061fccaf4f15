// The rank stage over the program's state: the Go! chain on to the strategy
// stage, the Rank menu's Fix Positive attributes with the memory note and no
// question, the exclusions, and the refusals of the preparation.
#include "mainloop/rank_requests.h"
#include "platform/clock.h"
#include "platform/events.h"
#include "platform/script.h"
#include "platform/script_host.h"
#include "program_fixture.h"
#include "search/exclusions.h"
#include "search/rank_tables.h"
#include "support/scripted_forms.h"

#include <algorithm>

namespace meru::test {
namespace {

using mainloop::Flow;
using mainloop::Step;

class RankRequests : public ProgramTest {
protected:
    void SetUp() override
    {
        ProgramTest::SetUp();
        auto owned = std::make_unique<ScriptedForms>();
        forms = owned.get();
        program->forms = std::move(owned);
        program->ui.help = [this](std::string_view topic) { topics.emplace_back(topic); };
        program->analysis = make_analysis();
    }

    // Lines: 2 "y" (the Y), 3 "a" (equal to Y), 4 "b" (two cuts, the first
    // opposite to Y), 5 "_i_z". Six observations.
    static std::unique_ptr<mainloop::Analysis> make_analysis()
    {
        auto a = std::make_unique<mainloop::Analysis>();
        a->tables = rank_tables({{"y", 1}, {"a", 1}, {"b", 2}, {"_i_z", 1}});
        const auto& t = a->tables;
        files::allocate_data(a->data, 6, t.nlines, t.natt);
        const int y[6] = {1, 1, 1, 0, 0, 0};
        const int b1[6] = {0, 0, 1, 1, 1, 1};
        const int b2[6] = {1, 1, 0, 0, 0, 1};
        a->ymat.assign(6 * 5, 0.0f);
        a->xmask.assign(7, 1);
        for (int i = 1; i <= 6; ++i) {
            const auto k = static_cast<std::size_t>(i - 1);
            a->data.obswt[k] = 1;
            a->ymat[k] = static_cast<float>(y[k]);
            a->data.ab(2, i) = static_cast<std::uint8_t>(y[k]);
            a->data.ab(3, i) = static_cast<std::uint8_t>(y[k]);
            a->data.ab(4, i) = static_cast<std::uint8_t>(b1[k]);
            a->data.ab(5, i) = static_cast<std::uint8_t>(b2[k]);
            a->data.ab(6, i) = static_cast<std::uint8_t>(i % 2);
        }
        a->nobs = 6;
        a->stats.nread = 6;
        a->yset = true;
        outcome::Outcome& o = a->outcome;
        o.ny = 1;
        o.ycol[0] = 1;
        o.yname[0] = "y";
        o.ybin[0] = true;
        o.ymax[0] = 1.0;
        return a;
    }

    Flow run_search() { return program->dispatch.get(Step::search)(*program); }
    bool logged(std::string_view text)
    {
        const auto lines = log_lines();
        return std::find(lines.begin(), lines.end(), std::string(text)) != lines.end();
    }

    ScriptedForms* forms = nullptr;
    std::vector<std::string> topics;
};

TEST_F(RankRequests, GoRanksFixesDirectionsAndGoesOnToTheStrategyStage)
{
    auto& f = program->flags;
    f.sgo = f.qrank = f.rfixpos = true;
    program->crit.icrit = 5;
    EXPECT_EQ(run_search(), Flow::poll);
    EXPECT_FALSE(f.qrank);
    EXPECT_TRUE(f.strat);
    EXPECT_TRUE(forms->shown.empty());
    EXPECT_TRUE(logged("Optimised cuts set for search"));
    const auto& r = program->rank.ranking;
    // The Y's own line and the "_i_" line are never ranked.
    EXPECT_EQ(r.order, (std::vector<int>{3, 4}));
    EXPECT_TRUE(r.ranked);
    EXPECT_EQ(r.chosen[4], 1); // b's first cut (chi-square 3) beats its second (0.67)
    // b's cuts correlate -0.707 and +0.333: turned under Decide positivity.
    EXPECT_TRUE(program->analysis->tables.line[4].swapped);
    EXPECT_TRUE(logged(" Directions of    1 control file line has been swapped"));
}

TEST_F(RankRequests, FromTheMenuTheMemoryIsOverwrittenWithoutAQuestion)
{
    partition::TermList old;
    old.add_term({5, 6});
    program->results.bestlist.offer(2, 9.0f, 1, old);
    forms->steps.push_back(ScriptedForms::press(settings::kOk));
    auto& f = program->flags;
    f.qrank = f.rfixpos = true;
    EXPECT_EQ(run_search(), Flow::loop_head);
    EXPECT_TRUE(logged("NOTE: Rank item has over-written search partition memory stacks"));
    EXPECT_EQ(forms->shown, std::vector<int>{123});
    // The best single attribute alone, complexity 1.
    const auto& best = program->results.bestlist;
    ASSERT_EQ(best.count(), 1);
    EXPECT_EQ(best.entries()[0].complexity, 1);
    EXPECT_EQ(best.entries()[0].list.lits, std::vector<int>{3});
    EXPECT_EQ(program->rank.window_xmax, 10.0);
}

TEST_F(RankRequests, PreparationRefusals)
{
    auto& f = program->flags;
    f.qrank = f.rroc = true;
    program->analysis->outcome.ybin[0] = false;
    program->rank.hooks.rocplot = [](mainloop::Program&) {};
    EXPECT_EQ(run_search(), Flow::loop_head);
    EXPECT_EQ(topics.back(), "NOTE: non-binary Y");

    f.rroc = false;
    program->analysis->yset = false;
    EXPECT_EQ(run_search(), Flow::loop_head);
    EXPECT_EQ(topics.back(), "NOTE: No Y");

    // Every line left out.
    program->analysis->yset = true;
    for (int k = 3; k <= 4; ++k) program->analysis->tables.att[static_cast<std::size_t>(k)].added = true;
    program->analysis->tables.att[5].added = true;
    EXPECT_EQ(run_search(), Flow::loop_head);
    EXPECT_EQ(topics.back(), "NOTE: No attributes");
}

// The value a log line ends with (an E-form number).
double last_number(const std::string& line) { return std::stod(line.substr(line.find_last_of(' ') + 1)); }

TEST_F(RankRequests, RankPlotsReadEachCutsOwnValueAndBansHoldForTheNextSearch)
{
    platform::FakeClock clock;
    platform::set_clock(&clock);
    const auto scripted = [&](const std::string& text) {
        platform::FrameScriptHost host(frame, program->menus);
        host.set_exit([](int) {});
        auto parsed = platform::parse_script(text);
        ASSERT_TRUE(parsed.errors.empty());
        platform::Script script(std::move(parsed.actions), host);
        platform::install_script_hook(script);
        program->ui.host.script = &script;
        auto& f = program->flags;
        f.qrank = f.reffcuts = f.rrankplot = true;
        run_search();
        program->ui.host.script = nullptr;
        platform::remove_script_hook();
    };
    // Effectiveness v. cuts of b (the one line of two cuts), then the rank plot left by Esc.
    scripted("dialog 399\n  set 1004 = 1\n  press OK\ndialog 399\n  press Cancel\nclick 12 10 5\n");
    const auto& table = program->rank.ranking.table;
    double g[7] = {};
    for (const auto& e : table) g[std::abs(e.attribute)] = e.g;
    ASSERT_NE(g[4], g[5]);
    auto log = log_lines();
    const auto heading = std::find(log.begin(), log.end(), "    Cut   Defn                   Effectiveness");
    ASSERT_LT(heading + 2, log.end());
    EXPECT_NEAR(last_number(heading[1]), g[4], 1e-6 * g[4]);
    EXPECT_NEAR(last_number(heading[2]), g[5], 1e-6 * g[5]);
    const auto rule = std::find(log.begin(), log.end(), " " + std::string(82, '-'));
    ASSERT_LT(rule + 5, log.end());
    // a (equal to Y) first, then b's row and its two cuts with their own values.
    EXPECT_NE(rule[2].find("best over  2 cuts"), std::string::npos);
    EXPECT_NEAR(last_number(rule[3]), g[4], 1e-5 * g[4]);
    EXPECT_NEAR(last_number(rule[4]), g[5], 1e-5 * g[5]);

    // A click on b's point (rank 2) bans its line; the ban holds for the search.
    const ui::PlotFrame& pf = program->ui.plot;
    const double gb = program->rank.ranking.table[1].g;
    const int x = int(2 * pf.plotscale.x + pf.vieworg.x), y = int(pf.vieworg.y - pf.plotscale.y * gb);
    scripted("dialog 399\n  press Cancel\nclick 12 " + std::to_string(x) + " " + std::to_string(y) +
             "\nclick 12 10 5\n");
    EXPECT_TRUE(program->analysis->tables.line[4].banned);
    EXPECT_EQ(search::line_exclusion(program->analysis->tables, 4, mainloop::exclusion_context(*program)),
              search::Exclusion::Banned);
    log = log_lines();
    EXPECT_NE(std::find_if(log.begin(), log.end(),
                           [](const std::string& l) {
                               return l.starts_with(" Attribute clicked on is now banned in search: b");
                           }),
              log.end());
    EXPECT_EQ(program->menus.off_depth(), 0);
    platform::set_clock(nullptr);
}

} // namespace
} // namespace meru::test
