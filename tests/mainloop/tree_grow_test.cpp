// Growing a tree with the search: the strata's names and limit, the node codes,
// the recorded literal of a one-literal winner, and the strata dropped when a
// tree ends while variables made after them stay with their columns.
#include "files/new_variable.h"
#include "mainloop/tree_grow.h"
#include "program_fixture.h"
#include "search/rank_tables.h"

namespace meru::test {
namespace {

TEST(TreeGrow, StratumNamesWidenThenFillWithAsterisks)
{
    const std::pair<int, const char*> cases[] = {{1, "*STR1"},  {9, "*STR9"},  {10, "*ST10"},
                                                 {42, "*ST42"}, {99, "*ST99"}, {100, "*ST**"}};
    for (const auto& [k, name] : cases) EXPECT_EQ(mainloop::stratum_name(k), name) << k;
}

TEST(TreeGrow, NodeCodesAreTwoPerGroupAndLeaveOthersAlone)
{
    // Group 3: outside A gets 5, inside 6; masked-off and undetermined stay -1.
    std::vector<float> column(6, -1.0f);
    const std::vector<std::uint8_t> mask{1, 1, 0, 1, 1, 1};
    const std::vector<std::int8_t> member{0, 1, 1, -1, 1, 0};
    mainloop::partcode(column, mask, member, 3);
    EXPECT_EQ(column, (std::vector<float>{5, 6, -1, -1, 6, 5}));
}

TEST(TreeGrow, OneLiteralWinnerIsItsOwnSplitInEitherForm)
{
    partition::Partition cur;
    cur.first.add_term({-7});
    for (int flag : {1, 0}) {
        cur.repflag = flag;
        EXPECT_EQ(mainloop::single_split(cur), -7) << flag;
    }
    cur.first.add_term({3});
    EXPECT_EQ(mainloop::single_split(cur), 0);
}

TEST(TreeGrow, DroppedStrataMoveLaterVariablesDown)
{
    // Variables 1-3 from the control file; 4 and 6 strata; 5 an added attribute's
    // variable read by line 5.
    files::ControlTables t = rank_tables({{"a", 1}, {"b", 1}, {"c", 1}});
    files::DataArrays d;
    files::allocate_data(d, 2, 10, t.natt);
    std::vector<char> chars;
    for (const char* name : {"*STR1", "+a_1", "*STR2"}) {
        const float v = name[0] == '+' ? 1.0f : 3.0f;
        ASSERT_GT(files::append_variable(t.vars, d, chars, name, std::vector<float>{v, v}, false), 0);
    }
    t.nlines = 5;
    t.line.resize(6);
    t.line[5].var = 5;
    const std::vector<int> gone{4, 6};
    const std::vector<int> map = files::drop_variables(t, d, chars, gone);
    EXPECT_EQ(map, (std::vector<int>{0, 1, 2, 3, 0, 4, 0}));
    EXPECT_EQ(t.vars.nvar, 4);
    EXPECT_EQ(t.vars.made, 1);
    EXPECT_EQ(t.vars.varname[4], "+a_1");
    EXPECT_EQ(t.line[5].var, 4);
    EXPECT_EQ(t.line[2].var, 1);
    EXPECT_EQ(d.x(2, 4), 1.0f);
    EXPECT_EQ(d.x(1, 5), -1.0f);
}

class TreeStrata : public ProgramTest {
protected:
    void SetUp() override
    {
        ProgramTest::SetUp();
        program->ui.help = [this](std::string_view topic) { topics.emplace_back(topic); };
        auto a = std::make_unique<mainloop::Analysis>();
        a->tables = rank_tables({{"a", 1}, {"b", 1}});
        files::allocate_data(a->data, 4, a->tables.nlines, a->tables.natt);
        program->analysis = std::move(a);
    }
    std::vector<std::string> topics;
};

TEST_F(TreeStrata, AbandonedTreesDropTheirStrataButKeepCountingThemUpToTheLimit)
{
    mainloop::Analysis& a = *program->analysis;
    a.tree.split.resize(3);
    a.tree.split[0].lit = 2; // an earlier tree stays kept
    a.growth.strata = 98;
    for (int k = 99; k <= 100; ++k) {
        ASSERT_TRUE(mainloop::tree_begin(*program));
        EXPECT_EQ(a.tables.vars.nvar, 3);
        EXPECT_EQ(a.tables.vars.varname[3], mainloop::stratum_name(k));
        EXPECT_EQ(a.data.x(4, 3), -1.0f);
        mainloop::tree_stop(*program);
        EXPECT_FALSE(a.growth.growing);
        EXPECT_EQ(a.tables.vars.nvar, 2);
        EXPECT_EQ(a.tables.vars.made, 0);
        EXPECT_EQ(a.growth.strata, k);
        EXPECT_EQ(a.tree.counter, 0);
        EXPECT_EQ(a.tree.split[0].lit, 2);
    }
    EXPECT_FALSE(mainloop::tree_begin(*program));
    EXPECT_EQ(topics, std::vector<std::string>{"ERROR: Number of strata exceeds limit"});
    EXPECT_EQ(a.growth.strata, 0);
    EXPECT_FALSE(a.growth.growing);
    EXPECT_EQ(a.tables.vars.nvar, 2);
}

} // namespace
} // namespace meru::test
