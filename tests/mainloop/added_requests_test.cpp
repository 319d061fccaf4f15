// Added attributes made through the Process menu and partitions entered by hand,
// over the program's state.
#include "mainloop/added_requests.h"
#include "mainloop/iterative_search.h"
#include "mainloop/search_end.h"
#include "program_fixture.h"
#include "search/rank_tables.h"
#include "search/search_loop.h"
#include "three_attributes.h"

#include <algorithm>

namespace meru::test {
namespace {

class AddedRequests : public ProgramTest {
protected:
    void SetUp() override
    {
        ProgramTest::SetUp();
        program->ui.help = [this](std::string_view topic) { topics.emplace_back(topic); };
        program->analysis = three_attribute_analysis();
    }
    bool logged(std::string_view text)
    {
        const auto lines = log_lines();
        return std::find(lines.begin(), lines.end(), std::string(text)) != lines.end();
    }
    std::vector<std::string> topics;
};

TEST_F(AddedRequests, EnteredPartitionThatReducesToAConstantLeavesNoPair)
{
    struct Case {
        int repflag;
        const char* note;
    };
    for (const Case c : {Case{1, "NOTE: null set"}, Case{0, "NOTE: universal set"}}) {
        mainloop::EnteredPartition in;
        in.list.add_term({3, -3});
        in.repflag = c.repflag;
        partition::Partition cur;
        partition::TermList picked;
        std::vector<std::string> captions;
        EXPECT_FALSE(mainloop::show_entered(
            *program, in, cur, picked,
            [&](const partition::TermList&, int, std::string_view cap) { captions.emplace_back(cap); }));
        EXPECT_TRUE(logged(c.note)) << c.note;
        EXPECT_TRUE(cur.first.empty());
        EXPECT_EQ(captions, std::vector<std::string>{"Manual Process Partition"});
    }
    // The box set the reduction options, and the loop head will put them back.
    EXPECT_TRUE(program->reduction_saved);
    EXPECT_TRUE(program->options.fullred);
    EXPECT_FALSE(program->options.primattr);
}

TEST_F(AddedRequests, EnteredPartitionBecomesTheCurrentPair)
{
    mainloop::EnteredPartition in;
    in.list.add_term({2, 3});
    in.list.add_term({2, 3, 4});
    partition::Partition cur;
    partition::TermList picked;
    std::vector<std::string> captions;
    ASSERT_TRUE(
        mainloop::show_entered(*program, in, cur, picked, [&](const partition::TermList&, int, std::string_view cap) {
            captions.emplace_back(cap);
        }));
    EXPECT_EQ(picked.lits, in.list.lits);
    EXPECT_EQ(cur.first.lits, (std::vector<int>{2, 3})); // absorption
    EXPECT_EQ(captions.front(), "Manual Process Partition");
    EXPECT_EQ(captions[1], "Simplified partition:");
    EXPECT_FALSE(program->options.primattr);
    // Without the box the attributes are primitive: nothing is absorbed.
    in.simplify = false;
    ASSERT_TRUE(mainloop::show_entered(*program, in, cur, picked, {}));
    EXPECT_EQ(cur.first.lits, in.list.lits);
    EXPECT_TRUE(program->options.primattr);
}

TEST_F(AddedRequests, EnteredPartitionIsScoredForItsOwnGAndComplexity)
{
    // Y = 1 0 1 0 1 0 1 1 on lines 1..8; a and b are bits 0 and 1 of the line.
    // The last search's figures must not stand for the entered pair.
    program->analysis = three_attribute_analysis_with_y(1.0f);
    program->crit.icrit = static_cast<int>(stats::Criterion::ChiSquare);
    program->crit.complexity = 1;
    struct Case {
        std::vector<std::vector<int>> terms;
        int complexity; // q + q' - 1
        double g;       // chi-square of the 2 x 2 table, by hand
    };
    // A = a: A holds Y 1 four times, A- holds one 1 and three 0s: chi-square 4.8.
    // A = a or b (A- = not a and not b): 4/2 against 1/1: chi-square 0.177778.
    for (const Case& c : {Case{{{2}}, 1, 4.8}, Case{{{2}, {3}}, 2, 0.177778}}) {
        program->process.current_g = 99.0f;
        program->process.current_complexity = 9;
        mainloop::EnteredPartition in;
        for (const auto& t : c.terms) in.list.add_term(t);
        partition::Partition cur;
        partition::TermList picked;
        ASSERT_TRUE(mainloop::show_entered(*program, in, cur, picked, {}));
        EXPECT_EQ(program->process.current_complexity, c.complexity);
        EXPECT_NEAR(program->process.current_g, c.g, 1e-5);
    }
}

TEST_F(AddedRequests, ProcessAttributesAreNumberedFromOne)
{
    program->analysis->added_from_cf = true; // no question while the combinations are made
    partition::Partition cur;
    cur.first.add_term({2, 3});
    cur.second.add_term({2});
    cur.second.add_term({3});
    const search::MadeAttribute m = mainloop::create_process_attribute(*program, cur);
    ASSERT_TRUE(m.made);
    EXPECT_EQ(program->analysis->tables.line[static_cast<std::size_t>(m.line)].name, "+01");
    EXPECT_TRUE(logged("  Added  attribute: +01      is created"));
    EXPECT_TRUE(program->menus.enabled(mainloop::kViewMenu, 6));
    EXPECT_NE(program->frame.active(), platform::no_window);
    EXPECT_EQ(program->analysis->naddatt, 1);
    // Observations with a and b (bits 0 and 1 of i) are members.
    for (int i = 1; i <= 8; ++i) EXPECT_EQ(program->analysis->data.ab(m.attribute, i), (i & 3) == 3 ? 1 : 0) << i;
    const search::MadeAttribute c = mainloop::create_process_attribute(*program, cur, "+combo");
    EXPECT_EQ(program->analysis->tables.line[static_cast<std::size_t>(c.line)].name, "+combo");
    EXPECT_EQ(program->analysis->process_count, 1);
}

TEST_F(AddedRequests, IterationsMakeAddedAttributesUntilThePartitionRepeats)
{
    program->iteration.iterative = true;
    search::start_iterative(program->iteration, program->log);
    program->options.detailout = true;
    mainloop::SearchEnd e;
    e.curpart.first.add_term({2, 3});
    e.curpart.second.add_term({2});
    e.curpart.second.add_term({3});
    e.g = 0.5f;
    std::vector<int> set{2, 3, 4};
    std::vector<char> usable(10, 1);
    plots::WindowScale scale;
    ASSERT_TRUE(mainloop::continue_iterating(*program, e, set, usable, scale));
    EXPECT_EQ(set, (std::vector<int>{2, 3, 4, 5}));
    EXPECT_TRUE(logged(" Added attribute +a_1 created and included in attribute set"));
    EXPECT_TRUE(logged("New Iteration"));
    EXPECT_TRUE(logged(" a b c +a_1"));
    EXPECT_EQ(program->iteration.iteration, 2);
    // Iteration 2 finds the same partition: the search converges and the set
    // loses the iteration's entry.
    EXPECT_FALSE(mainloop::continue_iterating(*program, e, set, usable, scale));
    EXPECT_TRUE(e.stopped);
    EXPECT_FALSE(e.iterative);
    EXPECT_EQ(program->msgline, "     ***Identical to partition on last iteration***   $");
    EXPECT_TRUE(logged(" Convergence (same as last iteration partition) in    2 iterations"));
    EXPECT_EQ(set, (std::vector<int>{2, 3, 4}));
    EXPECT_EQ(program->analysis->added.count, 1);

    // With the tables full and nothing to delete, iteration 2 cannot make its
    // attribute: the search ends without the entry of iteration 1's attribute.
    program->iteration.iterative = true;
    program->analysis->added = {};
    program->analysis->tables.natt = program->analysis->tables.dims.lc;
    set.push_back(5);
    e.curpart.first.lits[0] = 4;
    EXPECT_FALSE(mainloop::continue_iterating(*program, e, set, usable, scale));
    EXPECT_EQ(set, (std::vector<int>{2, 3, 4}));
    EXPECT_TRUE(logged("NOTE: no room for another added attribute"));
}

} // namespace
} // namespace meru::test
