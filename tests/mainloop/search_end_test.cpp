// The end of a search over the program's state: nothing evaluated; and a best
// list of two partitions whose hull window (reopened to hold them) is left with
// Esc, with the log's lines (count, automatic beta, the winner, its partition and
// complement), the Window menu's entry and the menus given back.
#include "mainloop/search_end.h"
#include "program_fixture.h"
#include "search/rank_tables.h"
#include "ui/ui_fixture.h"

#include "mainloop/dispatch.h"
#include "platform/clock.h"
#include "platform/events.h"
#include "platform/window.h"
#include "plots/search_window.h"

#include <algorithm>

namespace meru::test {
namespace {

class SearchEndTest : public ProgramTest {
protected:
    void SetUp() override
    {
        ProgramTest::SetUp();
        program->ui.help = [this](std::string_view topic) { topics.emplace_back(topic); };
        program->analysis = std::make_unique<mainloop::Analysis>();
        program->analysis->tables = rank_tables({{"y", 1}, {"a", 1}, {"b", 1}});
        platform::set_clock(&clock);
        // Every mouse wait of the search window is answered by Esc (the bar's first button).
        previous = platform::set_wait_hook([this](platform::WaitPoint point, int) {
            auto* w = frame.window(mainloop::kSearchUnit);
            if (point != platform::WaitPoint::mouse || w == nullptr) return;
            if (waits++ == 0) hull_xhi = program->ui.plot.xhi;
            w->mouse_event(platform::mouse_left_down, platform::mouse_ks_left, 20, 8);
            w->mouse_event(platform::mouse_left_up, 0, 20, 8);
        });
    }
    void TearDown() override
    {
        platform::set_wait_hook(previous);
        platform::set_clock(nullptr);
    }
    bool logged(std::string_view text)
    {
        const auto lines = log_lines();
        return std::find(lines.begin(), lines.end(), std::string(text)) != lines.end();
    }

    platform::FakeClock clock;
    platform::WaitHook previous;
    std::vector<std::string> topics;
    int waits = 0;
    double hull_xhi = 0; // the x axis's end at the first wait
};

TEST_F(SearchEndTest, NothingEvaluated)
{
    EXPECT_EQ(mainloop::end_of_search(*program, {}), mainloop::Flow::loop_head);
    // A topic is named by its first 40 characters.
    EXPECT_EQ(topics, (std::vector<std::string>{"NOTE: No partitions have been generated "}));
    EXPECT_FALSE(logged(" # Partitions generated 0"));
    EXPECT_EQ(frame.window(mainloop::kSearchUnit), nullptr);
}

TEST_F(SearchEndTest, HullLeftWithEscGivesTheWinnerAndItsComplement)
{
    // The search's axes end at complexity 1.5: the hull's at 2 + 3.
    program->options.dispgraph = true;
    program->search.scale = {4.0, 1.5, 1.0};
    ASSERT_TRUE(plots::open_search_window(program->ui, program->search.scale, plots::kSearchTitle));
    // (a) at complexity 1 with G 2; (a or b) at complexity 2 (q 2 + q' 1 - 1) with G 3.
    partition::TermList one, two;
    one.add_term({3});
    two.add_term({3});
    two.add_term({4});
    program->results.bestlist.offer(1, 2.0f, 1, one);
    program->results.bestlist.offer(2, 3.0f, 1, two);
    program->results.cplxhist[1] = 3;
    program->results.cplxhist[2] = 3;
    program->crit.auto_beta = true;
    // An iterative search that stopped at its third iteration came before.
    program->iteration.iteration = 3;
    program->iteration.stop = true;

    search::LoopResult run;
    run.evaluated = 6;
    // The winner's statistics are raised for the next poll round.
    EXPECT_EQ(mainloop::end_of_search(*program, run), mainloop::Flow::poll);
    EXPECT_TRUE(program->flags.qproc && program->flags.pstats && program->flags.qcont);
    EXPECT_TRUE(program->process.current_valid);
    EXPECT_GE(waits, 1);
    // Hull slopes 2 and 1 from the origin: beta 5 % of 2; G_beta 1.9 and 2.8.
    EXPECT_DOUBLE_EQ(program->crit.beta, 0.1);
    const std::vector<std::string> want{" # Partitions generated 6",
                                        " Penalty parameter beta automatically set to 0.1",
                                        " Best at complexity   2; G_beta=2.8",
                                        "Best of search",
                                        "   A= ( a >1 )",
                                        "   or ( b >1 )",
                                        "Complement:",
                                        "  A-= ( a <=1 & b <=1 )"};
    const auto lines = log_lines();
    auto it = std::search(lines.begin(), lines.end(), want.begin(), want.end());
    EXPECT_NE(it, lines.end()) << [&] {
        std::string all;
        for (const auto& l : lines) all += l + "\n";
        return all;
    }();
    EXPECT_TRUE(program->ui.windows.units.count(mainloop::kSearchUnit));
    EXPECT_EQ(hull_xhi, 5.0);
    EXPECT_EQ(program->menus.off_depth(), 0);
    EXPECT_TRUE(topics.empty());
}

} // namespace
} // namespace meru::test

namespace meru::test {
namespace {

TEST_F(SearchEndTest, AWinnerTheReductionChangesIsShownExpandedAndSimplified)
{
    // (a) or (a and b) is a: the reduced pair replaces the winner as found.
    partition::TermList found;
    found.add_term({3});
    found.add_term({3, 4});
    program->results.bestlist.offer(1, 2.0f, 1, found);
    program->results.cplxhist[1] = 1;
    search::LoopResult run;
    run.evaluated = 1;
    // The stop rules' text comes back in the progress window without its "$".
    program->msgline = "     ***Identical to partition on last iteration***   $";
    frame.set_journaling(true);
    mainloop::end_of_search(*program, run);
    const auto texts = progress_texts();
    EXPECT_NE(std::find(texts.begin(), texts.end(), "     ***Identical to partition on last iteration***   "),
              texts.end());
    const std::vector<std::string> want{"Expanded/Simplified", "   A= ( a >1 )", "Expanded complement",
                                        "  A-= ( a <=1 )"};
    const auto lines = log_lines();
    EXPECT_NE(std::search(lines.begin(), lines.end(), want.begin(), want.end()), lines.end());
    EXPECT_EQ(program->ptext.substr(0, 3), "(3)");
}

// In Process mode the partition chosen is the winner; a work partition that
// differs from it is reported and dumped, then takes the winner's place.
TEST_F(SearchEndTest, ProcessModeChecksTheWinnerAgainstTheWorkPartition)
{
    mainloop::SearchEnd s;
    s.combination = false;
    s.process_mode = true;
    s.evaluated = 1;
    s.pair.reduce.tables = &program->analysis->tables;
    s.lpmem.add_term({3});
    partition::TermList work;
    work.add_term({4});
    int work_flag = 1;
    s.work = &work;
    s.work_repflag = &work_flag;
    {
        ModalAnswerer answers({"OK"});
        ASSERT_TRUE(mainloop::search_end_result(*program, s));
        ASSERT_EQ(answers.shown.size(), 1u);
        EXPECT_NE(answers.shown[0].text.find("WARNING:Internal check fail. Fix invoked. Tell Kelbo"), std::string::npos);
    }
    const std::vector<std::string> dump{"lpmem", "(   3 1,", "work", "(   4 1,"};
    const auto lines = log_lines();
    EXPECT_NE(std::search(lines.begin(), lines.end(), dump.begin(), dump.end()), lines.end());
    EXPECT_EQ(work.lits, std::vector<int>{3});
    EXPECT_FALSE(logged("Total partitions evaluated=1"));
}

} // namespace
} // namespace meru::test
