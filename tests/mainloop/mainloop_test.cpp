// The main loop: the dispatch order, the loop head, the idle poll's order and
// every menu request reaching a step with its handler.
#include "program_fixture.h"

#include "mainloop/recent.h"
#include "mainloop/step_handlers.h"
#include "platform/events.h"
#include "ui/ui_fixture.h"

namespace meru::test {
namespace {

using mainloop::Flow;
using mainloop::MenuFlags;
using mainloop::Step;

// Every step records its name and goes on.
std::vector<std::string> record_all(mainloop::Program& p, std::vector<std::string>& order, Step stop = Step::search,
                                    Flow stop_flow = Flow::next)
{
    for (int s = 0; s < mainloop::kSteps; ++s) {
        const Step step = static_cast<Step>(s);
        p.dispatch.set(step, [&order, step, stop, stop_flow](mainloop::Program&) {
            order.push_back(std::to_string(static_cast<int>(step) + 1));
            return step == stop ? stop_flow : Flow::next;
        });
    }
    return order;
}

void raise_all_groups(MenuFlags& f)
{
    f.qfile = f.qedit = f.qy = f.qcrit = f.qrank = f.strat = f.qext = f.qproc = f.qview = f.qopt = f.qhelp = true;
    f.searching = true;
}

TEST_F(ProgramTest, DispatchRunsTheRaisedStepsInTheirFixedOrder)
{
    std::vector<std::string> order;
    record_all(*program, order);
    raise_all_groups(program->flags);
    // Rank titles (1) run outside Search:Go!; the Go! driver (2) only with it.
    // While a run is under way the user's requests (4-9) wait.
    EXPECT_EQ(mainloop::dispatch(*program), Flow::loop_head);
    EXPECT_EQ(order, (std::vector<std::string>{"1", "3", "10", "11", "12"}));
    order.clear();
    program->flags.searching = false;
    EXPECT_EQ(mainloop::dispatch(*program), Flow::loop_head);
    EXPECT_EQ(order, (std::vector<std::string>{"1", "4", "5", "6", "7", "8", "9", "10", "11", "12"}));

    order.clear();
    program->flags = MenuFlags{};
    program->flags.sgo = program->flags.qrank = program->flags.qcrit = true;
    mainloop::dispatch(*program);
    EXPECT_EQ(order, (std::vector<std::string>{"2", "10", "12"}));

    order.clear();
    program->flags = MenuFlags{};
    program->flags.qext = true;  // Extent alone reaches the settings step
    program->flags.qcont = true; // a continuation by itself has no step of its own
    mainloop::dispatch(*program);
    EXPECT_EQ(order, (std::vector<std::string>{"10"}));
}

TEST_F(ProgramTest, AStepThatLeavesTheDispatchStopsTheLaterSteps)
{
    for (Flow flow : {Flow::loop_head, Flow::poll}) {
        std::vector<std::string> order;
        record_all(*program, order, Step::help, flow);
        program->flags = MenuFlags{};
        raise_all_groups(program->flags);
        program->flags.searching = false;
        EXPECT_EQ(mainloop::dispatch(*program), flow);
        EXPECT_EQ(order, (std::vector<std::string>{"1", "4", "5", "6", "7"}));
    }
}

TEST_F(ProgramTest, RankItemsWriteTheirHeadingTheLastRaisedWinning)
{
    program->flags.qrank = program->flags.rrankplot = program->flags.rroc = true;
    EXPECT_EQ(mainloop::rank_titles(*program), Flow::next);
    program->flags = MenuFlags{};
    program->flags.qrank = program->flags.reffcuts = true;
    mainloop::rank_titles(*program);
    std::vector<std::string> headings;
    for (const auto& l : log_lines())
        if (l[0] == '%' && l.rfind("%time", 0) != 0) headings.push_back(l);
    EXPECT_EQ(headings, (std::vector<std::string>{"%Rank:ROC curves", "%Rank:Cuts v effectiveness plot"}));

    // Fix Positive attributes: its heading, and in by-group mode its refusal alone.
    program->flags = MenuFlags{};
    program->flags.qrank = program->flags.rrankplot = program->flags.rfixpos = true;
    mainloop::rank_titles(*program);
    const auto lines = log_lines();
    EXPECT_EQ(lines[lines.size() - 2], "%Rank:Fix Positive attributes"); // its time line follows
    program->analysis = std::make_unique<mainloop::Analysis>();
    program->analysis->bygroup.mode = true;
    const std::size_t before = log_lines().size();
    {
        ModalAnswerer answers({"OK"});
        EXPECT_EQ(mainloop::rank_titles(*program), Flow::loop_head);
        ASSERT_EQ(answers.shown.size(), 1u);
        EXPECT_NE(answers.shown[0].text.find("NOTE: cannot Fix Positive attributes in By-group mode"),
                  std::string::npos);
    }
    EXPECT_EQ(log_lines().size(), before);
}

TEST_F(ProgramTest, EveryRequestItemReachesAStepThatHasExactlyOneHandler)
{
    std::array<int, mainloop::kSteps> handlers{};
    for (const mainloop::StepHandler& h : mainloop::step_handlers()) {
        EXPECT_NE(h.run, nullptr);
        ++handlers[static_cast<std::size_t>(h.step)];
    }
    for (int s = 0; s < mainloop::kSteps; ++s) {
        EXPECT_EQ(handlers[static_cast<std::size_t>(s)], 1) << "step " << s + 1;
        EXPECT_TRUE(program->dispatch.get(static_cast<Step>(s))) << "step " << s + 1;
    }
    ASSERT_EQ(program->item_names.size(), 39u); // every item that raises a request
    mainloop::Program& p = *program;
    for (const mainloop::ItemName& n : p.item_names) {
        const std::size_t colon = n.name.find(':');
        const std::string title = n.name.substr(0, colon);
        const std::string item = colon == std::string::npos ? "" : n.name.substr(colon + 1);
        const platform::MenuHandle handle = p.menus.find(title, item);
        ASSERT_NE(handle, 0) << n.name;
        const auto [menu, position] = p.menus.position(handle);
        p.menus.let_go(); // what Go! held
        p.menus.set_flags(menu, 0, platform::kMenuEnabled);
        p.menus.set_flags(menu, position, platform::kMenuEnabled);
        p.flags = MenuFlags{};
        choose(title, item);
        EXPECT_TRUE(p.flags.*n.flag) << n.name;
        EXPECT_TRUE(mainloop::step_raised(n.step, p.flags)) << n.name;
    }
}

TEST_F(ProgramTest, LoopHeadClearsEveryRequestButTheKeptOnes)
{
    MenuFlags& f = program->flags;
    raise_all_groups(f);
    f.fopen = f.vlog = f.sgo = f.searchend = f.hweb = true;
    f.scontinue = false;
    f.recentix = 4;
    f.nsearch = 7;
    f.treemade = f.nontree_search = f.esplit = f.eboot = f.yoffered = true;
    program->menus.set_flags(mainloop::kSearchMenu, 1, platform::kMenuGrey);
    program->menus.set_flags(mainloop::kSearchMenu, 2, platform::kMenuEnabled);
    program->ui.textcol1 = 31; // a viewer left scrolled sideways

    mainloop::loop_head(*program);
    EXPECT_EQ(program->ui.textcol1, 1);

    EXPECT_FALSE(f.qfile || f.qedit || f.qy || f.qcrit || f.qrank || f.strat || f.qext || f.qproc || f.qview ||
                 f.qopt || f.qhelp || f.searching);
    EXPECT_FALSE(f.fopen || f.vlog || f.sgo || f.searchend || f.hweb);
    EXPECT_TRUE(f.scontinue);
    EXPECT_EQ(f.recentix, 0);
    EXPECT_EQ(f.nsearch, 7);
    EXPECT_TRUE(f.treemade && f.nontree_search && f.esplit && f.eboot && f.yoffered);
    EXPECT_TRUE(program->menus.enabled(mainloop::kSearchMenu, 1));
    EXPECT_FALSE(program->menus.enabled(mainloop::kSearchMenu, 2));
}

TEST_F(ProgramTest, LoopHeadShowsTheIdleTextAndPutsBackTheOptionsAnOpeningChanged)
{
    frame.canvas(mainloop::kProgressUnit)->set_journaling(true);
    frame.open_window(mainloop::kBannerUnit, "MERU20110701");
    program->reduction_saved = true;
    program->saved_fullred = true;
    program->options.primattr = true;
    mainloop::loop_head(*program);
    EXPECT_FALSE(frame.is_open(mainloop::kBannerUnit));
    EXPECT_TRUE(program->options.fullred);
    EXPECT_FALSE(program->options.primattr);
    EXPECT_FALSE(program->reduction_saved);

    program->analysis = std::make_unique<mainloop::Analysis>();
    program->analysis->datapath = "/data/heart.csv";
    mainloop::loop_head(*program);
    EXPECT_EQ(progress_texts(), (std::vector<std::string>{"...expecting some data via File: menu!",
                                                          "... about nothing. Waiting. Data file: /data/heart.csv"}));
    EXPECT_EQ(frame.window_size(mainloop::kProgressUnit)->state, platform::SizeState::minimised);
}

TEST_F(ProgramTest, TheThirtiethBootstrapRunResetsTheCounterWithANote)
{
    program->bootmode = true;
    program->nauto_by = 29;
    mainloop::loop_head(*program);
    EXPECT_EQ(program->nauto_by, 29);
    program->nauto_by = 30;
    {
        ModalAnswerer answers({"OK"});
        mainloop::loop_head(*program);
        ASSERT_EQ(answers.shown.size(), 1u);
        // The note collapses the runs of blanks.
        EXPECT_NE(answers.shown[0].text.find(
                      "NOTE: # of bootstraps limited to maxbyg <= 30 Will reset accumulation arrays"),
                  std::string::npos)
            << answers.shown[0].text;
    }
    EXPECT_EQ(program->nauto_by, 0);
    program->bootmode = false;
    program->nauto_by = 12;
    mainloop::loop_head(*program);
    EXPECT_EQ(program->nauto_by, 0);
}

TEST_F(ProgramTest, PollFindsRequestsInItsOrder)
{
    MenuFlags& f = program->flags;
    // A mouse callback that the last request left registered goes with it.
    ASSERT_TRUE(program->frame.open_window(60, "graphics"));
    ASSERT_GE(program->frame.register_mouse(60, 1, [](int, int, int, int, int) {}), 0);
    EXPECT_FALSE(mainloop::poll_round(*program));
    EXPECT_EQ(program->frame.unregister_mouse(60), -1);
    f.qopt = true;
    EXPECT_TRUE(mainloop::poll_round(*program));

    f = MenuFlags{};
    int draws = 0;
    program->dispatch.bootstrap_draw = [&draws](mainloop::Program&) { ++draws; };
    f.qcont = true;
    EXPECT_TRUE(mainloop::poll_round(*program));
    EXPECT_EQ(draws, 0); // a bootstrap sample is drawn only in bootstrap mode
    program->bootmode = true;
    EXPECT_TRUE(mainloop::poll_round(*program));
    EXPECT_EQ(draws, 1);
    f.qfile = true; // the first tier goes before the continuation
    EXPECT_TRUE(mainloop::poll_round(*program));
    EXPECT_EQ(draws, 1);
}

TEST_F(ProgramTest, OnlyAPollWithNothingToDoWaitsForTheUser)
{
    MenuFlags& f = program->flags;
    std::vector<platform::WaitPoint> waits;
    bool choose = false;
    const auto previous = platform::set_wait_hook([&](platform::WaitPoint point, int) {
        waits.push_back(point);
        if (choose) f.qview = true; // the user chooses a View item during the wait
    });
    // A stage of Go! that handed over (Criteria to Rank, a continuation): the
    // next round runs it without waiting; so does a series' next statistics.
    for (bool* stage : {&f.qrank, &f.qcont, &f.qproc}) {
        f = MenuFlags{};
        *stage = true;
        EXPECT_TRUE(mainloop::poll_round(*program));
    }
    EXPECT_TRUE(waits.empty());
    f = MenuFlags{};
    EXPECT_FALSE(mainloop::poll_round(*program));
    choose = true;
    EXPECT_TRUE(mainloop::poll_round(*program));
    platform::set_wait_hook(previous);
    EXPECT_EQ(waits, (std::vector<platform::WaitPoint>{platform::WaitPoint::idle, platform::WaitPoint::idle}));
}

TEST_F(ProgramTest, ATreePartitionIsOfferedAsAnAddedAttribute)
{
    MenuFlags& f = program->flags;
    f.treemade = true;
    {
        ModalAnswerer answers({"No"});
        EXPECT_FALSE(mainloop::poll_round(*program));
        ASSERT_EQ(answers.shown.size(), 1u);
    }
    EXPECT_FALSE(f.treemade);
    EXPECT_FALSE(f.qproc);
    f.treemade = true;
    {
        ModalAnswerer answers({"Yes"});
        EXPECT_TRUE(mainloop::poll_round(*program));
    }
    EXPECT_TRUE(f.qproc && f.paddatt);
    EXPECT_EQ(mainloop::dispatch(*program), Flow::loop_head);
    EXPECT_TRUE(log_lines().empty()); // no analysis is open: nothing to make it from
}

TEST_F(ProgramTest, RecentFilesAreMenuItemsThatFollowTheList)
{
    auto& menus = program->menus;
    program->prefs.options_line = "FFTTFFF";
    program->options.fullred = true; // changed for an opening: not what the file keeps
    program->prefs.recent = {"/a/one.mrc", "/b/two  $x.mrc"};
    mainloop::append_recent_items(*program);
    ASSERT_EQ(menus.item_count(mainloop::kFileMenu), 10);
    EXPECT_EQ(menus.text(1, 9), "/a/one.mrc ");
    EXPECT_EQ(menus.text(1, 10), "/b/two x.mrc ");

    choose("File", "/b/two x.mrc");
    EXPECT_TRUE(program->flags.qfile);
    EXPECT_EQ(program->flags.recentix, 2);

    // Reopened: it moves to the top; the menu keeps its items.
    mainloop::note_recent_chosen(program->prefs, 2);
    mainloop::recentmenu(*program, false);
    EXPECT_EQ(menus.item_count(1), 10);
    EXPECT_EQ(menus.text(1, 9), "/b/two x.mrc ");
    EXPECT_EQ(menus.text(1, 10), "/a/one.mrc ");
    std::ifstream in(program->prefs_path);
    std::string l1, l2, l3;
    std::getline(in, l1);
    std::getline(in, l2);
    std::getline(in, l3);
    EXPECT_EQ(l1, "FFTTFFF");
    EXPECT_EQ(l2, "/b/two  $x.mrc");
    EXPECT_EQ(l3, "/a/one.mrc");

    // A new file: one more item, all texts shifted.
    int ix = 0;
    ASSERT_TRUE(mainloop::note_opened(program->prefs, "/c/three.mrc", ix));
    mainloop::recentmenu(*program, true);
    EXPECT_EQ(menus.item_count(1), 11);
    EXPECT_EQ(menus.text(1, 9), "/c/three.mrc ");
    EXPECT_EQ(menus.text(1, 11), "/a/one.mrc ");
}

TEST_F(ProgramTest, SavingTheOptionsRewritesTheFileWithTheirLine)
{
    program->prefs.leading = {"# kept"};
    program->prefs.recent = {"/a/one.mrc"};
    program->options.detailout = true;
    program->options.showtip = true;
    mainloop::prefwrite(*program);
    std::ifstream in(program->prefs_path);
    std::vector<std::string> lines;
    for (std::string l; std::getline(in, l);) lines.push_back(l);
    EXPECT_EQ(lines, (std::vector<std::string>{"# kept", "FFTTFFT", "/a/one.mrc"}));
}

TEST_F(ProgramTest, TheFirstRecentFileBringsItsSeparator)
{
    int ix = 0;
    ASSERT_TRUE(mainloop::note_opened(program->prefs, "/d/first.mrc", ix));
    mainloop::recentmenu(*program, true);
    ASSERT_EQ(program->menus.item_count(1), 9);
    std::string why;
    EXPECT_FALSE(program->menus.choose(program->menus.handle(1, 8), why)); // the separator
    EXPECT_EQ(program->menus.text(1, 9), "/d/first.mrc ");
}

TEST_F(ProgramTest, TipsDrawFromAGeneratorOfTheirOwn)
{
    // Tip mode seeds its generator from the clock; the analysis stream keeps its start.
    program->help_files.random.seed(-1);
    for (int i = 0; i < 5; ++i) program->help_files.random.next();
    EXPECT_NE(&program->help_files.random, &program->rng);
    EXPECT_EQ(program->rng.state(), 1u);
}

} // namespace
} // namespace meru::test
