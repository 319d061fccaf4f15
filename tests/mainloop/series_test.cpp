// Series of searches over a stub search stage: the criteria stage hands over at
// once and the search "finds" A = a, so the driver's choreography, counters and
// log lines are seen apart from the real search.
#include "files/textutil.h"
#include "mainloop/bygroup_series.h"
#include "mainloop/process.h"
#include "mainloop/search_end.h"
#include "platform/script_host.h"
#include "program_fixture.h"
#include "three_attributes.h"
#include "ui/partwin.h"
#include "ui/ui_fixture.h"

#include <algorithm>

namespace meru::test {
namespace {

using mainloop::Flow;

class SeriesTest : public ProgramTest {
protected:
    void SetUp() override
    {
        ProgramTest::SetUp();
        program->ui.help = [this](std::string_view topic) { topics.emplace_back(topic); };
        // Y is a except on line 8 (a = 0, Y = 1).
        program->analysis = three_attribute_analysis_with_y(1.0f);
        // The stub's G stands for any search's: a criterion whose statistics do not
        // work it out again.
        program->crit.icrit = static_cast<int>(stats::Criterion::ChiSquare);
        program->crit.critname = "Chi-square";
        program->dispatch.set(mainloop::Step::settings, [](mainloop::Program& p) {
            p.flags.qcrit = false;
            p.flags.qcont = true;
            return Flow::poll;
        });
        program->dispatch.set(mainloop::Step::search, [this](mainloop::Program& p) {
            if (!p.flags.qcont) {
                // The rank stage of a pass that starts there hands over at once.
                if (!p.flags.qrank) return Flow::loop_head;
                p.flags.qrank = false;
                p.flags.qcont = true;
                return Flow::poll;
            }
            p.flags.qcont = p.flags.qrank = false;
            ++searches;
            searched_on.push_back(p.analysis->data.obswt);
            mainloop::SearchEnd end;
            end.curpart.first.add_term({2});
            end.curpart.second.add_term({-2});
            end.g = 0.5f;
            end.complexity = 1;
            end.evaluated = 7;
            return mainloop::search_statistics(p, end);
        });
    }
    // Search:Go! until the loop head with the script's answers (the quit dialog,
    // the log viewer).
    void go(const std::string& answers = "")
    {
        run(answers, [this] { mainloop::gomenu(*program); });
    }
    // A request from the menus (`raise` sets its flags) until the loop head.
    template <typename Raise> void run(const std::string& answers, Raise raise)
    {
        platform::FrameScriptHost host(frame, program->menus);
        auto script = make_script(answers, host);
        platform::install_script_hook(*script);
        program->ui.host.script = script.get();
        raise();
        for (int round = 0; round < 100; ++round)
            if (mainloop::dispatch(*program) == Flow::loop_head) break;
        program->ui.host.script = nullptr;
        platform::remove_script_hook();
        // Every action taken (a dialog block is one action).
        std::size_t actions = 0;
        for (std::size_t at = 0; at < answers.size(); at = answers.find('\n', at) + 1)
            if (answers[at] != ' ') ++actions;
        EXPECT_EQ(script->position(), actions) << answers;
        mainloop::loop_head(*program);
    }
    std::vector<std::string> lines_with(std::string_view part)
    {
        std::vector<std::string> out;
        for (const auto& l : log_lines())
            if (l.find(part) != std::string::npos) out.push_back(l);
        return out;
    }
    // Groups by value of g: lines 1-4 are 0, 5-7 are 1, line 8 is 2.
    void groups_by_value()
    {
        outcome::ByGroup& by = program->analysis->bygroup;
        by.mode = true;
        by.byvar = "g";
        by.byvalues = true;
        by.values = {0, 1, 2};
        by.ngroups = 3;
        by.obsvalues = {0, 0, 0, 0, 1, 1, 1, 2};
    }
    // Groups by value of g among `values`: lines 1-4 are 0, 5-8 are 1; the current
    // partition is A = a.
    void halves_with_current_a(std::vector<double> values)
    {
        outcome::ByGroup& by = program->analysis->bygroup;
        by.mode = true;
        by.byvar = "g";
        by.byvalues = true;
        by.ngroups = static_cast<int>(values.size());
        by.values = std::move(values);
        by.obsvalues = {0, 0, 0, 0, 1, 1, 1, 1};
        mainloop::ProcessState& ps = program->process;
        ps.current.first.add_term({2});
        ps.current.second.add_term({-2});
        ps.current_valid = true;
    }
    std::vector<std::string> topics;
    int searches = 0;
    std::vector<std::vector<int>> searched_on; // the weights each search saw
};

TEST_F(SeriesTest, GroupHeadingsTableOfValuesAttributesAndMissing)
{
    outcome::ByGroup by;
    by.byvar = "age";
    by.byvalues = true;
    by.values = {-1, 40};
    EXPECT_EQ(mainloop::group_heading(by, program->analysis->tables, 1, 12),
              "Analysis of BY group 1: age =missing n= 12");
    const std::string value = mainloop::group_heading(by, program->analysis->tables, 2, 123456);
    EXPECT_TRUE(value.starts_with("Analysis of BY group 2: age =")) << value;
    EXPECT_TRUE(value.ends_with(" n=123456")) << value;
    EXPECT_EQ(value.find('$'), std::string::npos);
    EXPECT_EQ(value.find("  "), std::string::npos);
    // A value coded from a character shows the character: 11 is "B".
    by.values = {11};
    EXPECT_EQ(mainloop::group_heading(by, program->analysis->tables, 1, 7, true),
              "Analysis of BY group 1: age =B n= 7");
}

TEST_F(SeriesTest, ByValueSeriesCrossValidatesEachGroupOnTheRest)
{
    groups_by_value();
    // Group 1's dialog: "Yes to all", so group 2 runs without one; group 3 has one line.
    go("dialog 141\n  press Yes to all\nkey 57 Esc\n");
    EXPECT_EQ(searches, 2);
    EXPECT_EQ(program->nauto_by, 0); // the loop head clears the count outside bootstrap mode
    EXPECT_EQ(lines_with(" Sub-sample NOT in BY group now being analysed:").size(), 2u);
    EXPECT_EQ(lines_with("NOTE: N=1 only! By group ignored").size(), 1u);
    EXPECT_EQ(lines_with("%Search Summary").size(), 1u);
    const auto headings = lines_with("Analysis of BY group");
    ASSERT_GE(headings.size(), 3u);
    EXPECT_TRUE(headings[0].ends_with("n=     4") || headings[0].ends_with("n= 4")) << headings[0];
    // Each group's own lines are fitted exactly; on the rest, line 8 (A-, Y = 1) is
    // wrong: 1 of 4 lines for group 1, 1 of 5 for group 2.
    EXPECT_EQ(lines_with(" Remainder sample generalised error is    0.00%").size(), 2u);
    EXPECT_EQ(lines_with(" Remainder sample generalised error is   25.00%").size(), 1u);
    EXPECT_EQ(lines_with(" Remainder sample generalised error is   20.00%").size(), 1u);
    // The mode is kept: a second Go! starts again at group 1 and asks again.
    EXPECT_TRUE(program->analysis->bygroup.mode);
    EXPECT_EQ(program->analysis->bygroup.current, 0);
    go("dialog 141\n  press Quit by group\ndialog 141\n  press Quit by group\ndialog 141\n  press Quit by group\n"
       "answer ok\n");
    EXPECT_EQ(searches, 2); // every group quit: nothing searched
    // Group 3 is skipped for its single line, whatever the answer.
    EXPECT_EQ(lines_with("NOTE:User cancelled. By group ignored").size(), 2u);
}

TEST_F(SeriesTest, TheQuitDialogComesBeforeAGroupOfOneIsSkipped)
{
    groups_by_value();
    program->analysis->bygroup.values = {2, 0, 1}; // group 1 holds line 8 alone
    go("dialog 141\n  press OK\ndialog 141\n  press OK\ndialog 141\n  press OK\nkey 57 Esc\n");
    EXPECT_EQ(searches, 2);
    EXPECT_EQ(lines_with("NOTE: N=1 only! By group ignored").size(), 1u);
    // "Yes to all" in the dialog of the group skipped holds for the groups after it.
    go("dialog 141\n  press Yes to all\nkey 57 Esc\n");
    EXPECT_EQ(searches, 4);
}

TEST_F(SeriesTest, TrainingTestSeriesWritesBothErrorsAndOneSummary)
{
    mainloop::Analysis& a = *program->analysis;
    a.splitactive = true;
    // Training lines 1-6, test lines 7-8 (line 8 is misclassified by A = a).
    a.data.obswt = {1, 1, 1, 1, 1, 1, 0, 0};
    a.data.testwt = {0, 0, 0, 0, 0, 0, 1, 1};
    go();
    EXPECT_EQ(searches, 1);
    EXPECT_EQ(lines_with(" Training sample generalised error is    0.00").size(), 1u);
    EXPECT_EQ(lines_with(" Test sample generalised error is   50.00").size(), 1u)
        << testing::PrintToString(lines_with("generalised")) << testing::PrintToString(lines_with("Sample size"));
    EXPECT_EQ(lines_with("%Search Summary").size(), 1u);
    // Switched back to the training sample.
    EXPECT_FALSE(program->edit.testflag);
    EXPECT_EQ(a.data.obswt, (std::vector<int>{1, 1, 1, 1, 1, 1, 0, 0}));
}

// Groups g = 0 (lines 1-4), 1 (5-7), 2 (8) with training lines 1, 2, 3, 5, 6: each
// group is searched on its training lines after the previous group's test-sample
// statistics (3 and 2 lines; group 3 has none), and the series ends on the training
// sample.
TEST_F(SeriesTest, ByGroupSeriesSearchesEachGroupOnTheTrainingSample)
{
    mainloop::Analysis& a = *program->analysis;
    groups_by_value();
    a.splitactive = true;
    const std::vector<int> training{1, 1, 1, 0, 1, 1, 0, 0};
    a.data.obswt = training;
    a.data.testwt = {0, 0, 0, 1, 0, 0, 1, 1};
    go("dialog 141\n  press Yes to all\nkey 57 Esc\n");
    EXPECT_EQ(searched_on, (std::vector<std::vector<int>>{training, training}));
    EXPECT_EQ(lines_with("NOTE: No data! By group ignored").size(), 1u);
    EXPECT_FALSE(program->edit.testflag);
    EXPECT_EQ(a.data.obswt, training);
}

TEST_F(SeriesTest, RequestsDuringARunWaitForItsEndAndAreDropped)
{
    mainloop::MenuFlags& f = program->flags;
    f.searching = true;
    f.qview = f.vlog = f.qfile = f.fopen = f.qhelp = f.habout = true;
    // No viewer, file dialog or box opens: the run's own steps only.
    EXPECT_EQ(mainloop::dispatch(*program), Flow::loop_head);
    EXPECT_TRUE(f.qview && f.qfile && f.qhelp);
    mainloop::loop_head(*program);
    EXPECT_FALSE(f.qview || f.qfile || f.qhelp || f.searching);
    EXPECT_TRUE(mainloop::user_step(mainloop::Step::y));
    EXPECT_FALSE(mainloop::user_step(mainloop::Step::process));
}

TEST_F(SeriesTest, OneBootstrapDrawPerSampleBeforeItsSearch)
{
    int draws = 0;
    program->dispatch.bootstrap_draw = [&](mainloop::Program&) { ++draws; };
    program->bootmode = true;
    mainloop::MenuFlags& f = program->flags;
    f.qcont = true;
    EXPECT_TRUE(mainloop::poll_round(*program)); // before the search
    EXPECT_TRUE(mainloop::poll_round(*program)); // before its statistics
    EXPECT_EQ(draws, 1);
    program->process.boot_sample = 2;
    EXPECT_TRUE(mainloop::poll_round(*program));
    EXPECT_EQ(draws, 2);
    EXPECT_EQ(lines_with("Bootstrap sample #"),
              (std::vector<std::string>{"Bootstrap sample # 1", "Bootstrap sample # 2"}));
}

TEST_F(SeriesTest, AfterABootstrapSeriesThePartitionWindowNamesTheSampleOfTheCurrentPartition)
{
    frame.set_journaling(true);
    program->bootmode = true;
    go("key 57 Esc\n");
    EXPECT_EQ(searches, 10);
    ASSERT_TRUE(frame.is_open(ui::kPartitionWindow));
    const auto& drawn = frame.canvas(ui::kPartitionWindow)->journal();
    const auto caption = std::find_if(drawn.begin(), drawn.end(), [](const auto& c) { return c.op == "text"; });
    ASSERT_NE(caption, drawn.end());
    EXPECT_EQ(files::rtrim(caption->text), "  Current partition is from bootstrap sample #10");
}

TEST_F(SeriesTest, SerialYsAreSearchedOneAfterAnotherWithOneSummary)
{
    mainloop::Analysis& a = *program->analysis;
    a.outcome.ny = 2;
    a.outcome.yserial = true;
    a.outcome.yname[1] = "y2";
    a.outcome.ymax[1] = 1;
    a.outcome.ylev[1] = 2;
    a.outcome.ybin[1] = true;
    // Y2 is b (bit 1 of the line number): A = a misses half of it.
    for (int i = 1; i <= 8; ++i) a.ymat[static_cast<std::size_t>(8 + i - 1)] = static_cast<float>((i >> 1) & 1);
    go();
    EXPECT_EQ(searches, 2);
    EXPECT_EQ(a.ycurrent, 1);
    EXPECT_EQ(lines_with("Y variable is y").size(), 2u); // "y" and "y2"
    EXPECT_EQ(lines_with("Y variable is y2").size(), 1u);
    EXPECT_EQ(lines_with("%Search Summary").size(), 1u);
    EXPECT_EQ(lines_with(" Whole sample  generalised error is   12.50%").size(), 1u);
    EXPECT_EQ(lines_with(" Whole sample  generalised error is   50.00%").size(), 1u);
}

TEST_F(SeriesTest, SerialOrdinalAnalysisKeepsEachYsPartitionAndPredictsTheCategory)
{
    mainloop::Analysis& a = *program->analysis;
    outcome::Outcome& y = a.outcome;
    // Two ordinal indicators of a three-category Y, both "found" as A = a.
    y.ny = 2;
    y.yserial = y.yordforce = y.yordind = true;
    y.yname[1] = "y2";
    y.ymax[1] = 1;
    y.ylev[1] = 2;
    y.ybin[1] = true;
    y.ydname = "y";
    y.ycode = {1, 2, 3};
    // Y2 as Y: A = a holds it more often than A-, so its partition is kept.
    std::copy_n(a.ymat.begin(), 8, a.ymat.begin() + 8);
    program->options.primattr = true;
    program->options.fullred = false;
    int entered = 0;
    program->dispatch.ymenu = [&](mainloop::Program& p) {
        ++entered;
        EXPECT_TRUE(p.analysis->outcome.direct_scatter);
        EXPECT_FALSE(p.options.primattr); // the analysis's reduction options meanwhile
        EXPECT_TRUE(p.options.fullred);
    };
    go();
    EXPECT_EQ(searches, 2);
    EXPECT_EQ(entered, 1);
    EXPECT_TRUE(program->options.primattr); // restored
    EXPECT_FALSE(program->options.fullred);
    EXPECT_EQ(lines_with("  Added  attribute: +Y").size(), 2u);
    ASSERT_GT(y.yaddatt[0], 0);
    EXPECT_EQ(y.yaddatt[1], y.yaddatt[0] + 1);
    EXPECT_EQ(lines_with("Predictor of y =").size(), 3u);
    EXPECT_EQ(lines_with("NOTE: Ordinal analysis done").size(), 1u);
    // Both indicators are a, so a line with a counts 2 true bytes (category 3) and
    // one without none (category 1); line i has a when i is odd.
    ASSERT_GT(y.hatvar, 0);
    for (int i = 1; i <= 8; ++i) EXPECT_EQ(a.data.x(i, y.hatvar), i % 2 == 1 ? 3.0f : 1.0f) << i;
}

TEST_F(SeriesTest, ByAttributeGroupsTakeTheObservationsWhoseAttributeIsTrue)
{
    outcome::ByGroup& by = program->analysis->bygroup;
    by.mode = true;
    by.byvar = "c";
    by.byvalues = false;
    by.byindex = 4; // the line of attribute c
    by.ngroups = 1;
    EXPECT_EQ(mainloop::group_weight(*program, 1), 4); // lines 4-7 have bit 2
    go("key 57 Esc\n");                                // one group: no quit dialog
    EXPECT_EQ(searches, 1);
    EXPECT_EQ(lines_with(" Sub-sample NOT in BY group now being analysed:").size(), 1u);
}

TEST_F(SeriesTest, ProcessItemsRunOncePerGroupOnTheFirstGroupsPartition)
{
    halves_with_current_a({0, 1, 5}); // no line has 5
    mainloop::ProcessState& ps = program->process;
    mainloop::MenuFlags& f = program->flags;
    // Statistics: one partition choice, no quit dialog, the log shown once at the end.
    run("dialog 111\n  press OK\nkey 57 Esc\n", [&] { f.qproc = f.pstats = true; });
    // The by-group note once, before the first group; the log after the last.
    EXPECT_EQ(topics, (std::vector<std::string>{"NOTE: Process with By-groups", "NOTE: Output file "}));
    EXPECT_EQ(
        lines_with("Analysis of BY group"),
        (std::vector<std::string>{"Analysis of BY group 1: g = 0.000 n= 4", "Analysis of BY group 2: g = 1.000 n= 4",
                                  "Analysis of BY group 3: g = 5.000 n= 0"}));
    EXPECT_EQ(lines_with("Sample size = "), (std::vector<std::string>{"Sample size = 4", "Sample size = 4"}));
    // Group 2 is lines 5-8: A- holds line 6 (Y = 0) and line 8 (Y = 1); the tie
    // predicts 0, so line 8 is the one error of four.
    EXPECT_EQ(lines_with(" Generalised error is"),
              (std::vector<std::string>{" Generalised error is    0.00%", " Generalised error is   25.00%"}));
    EXPECT_EQ(lines_with("No observations in by group").size(), 1u);
    EXPECT_EQ(ps.group, 0);
    // Lists asks at each group with observations, after the partition is chosen;
    // "Quit by group" skips group 2.
    run("dialog 111\n  press OK\ndialog 141\n  press OK\nkey 57 Esc\ndialog 141\n  press Quit by group\n",
        [&] { f.qproc = f.plists = true; });
    EXPECT_EQ(lines_with("Sample size = ").size(), 3u); // 2 of Statistics, 1 of Lists
    EXPECT_EQ(lines_with("User ignored by group").size(), 1u);
    EXPECT_EQ(lines_with("No observations in by group").size(), 2u);
}

TEST_F(SeriesTest, ProcessItemsOverGroupsShowEachGroupsOwnG)
{
    halves_with_current_a({0, 1});
    mainloop::ProcessState& ps = program->process;
    ps.current_g = 99.0f; // held from a search over every line
    ps.current_complexity = 1;
    mainloop::MenuFlags& f = program->flags;
    // Chi-square of each group's 2 x 2 table, by hand: lines 1-4 are split
    // exactly (4); lines 5-8 give A = {1, 1}, A- = {0, 1}: 4 (1·2 - 0·1)^2 / (1·3·2·2).
    run("dialog 111\n  press OK\nkey 57 Esc\n", [&] { f.qproc = f.pstats = true; });
    EXPECT_EQ(lines_with("Chi-square          ="),
              (std::vector<std::string>{"2           Chi-square          =     4.000000",
                                        "2           Chi-square          =     1.333333"}));
    // The two groups' 2 x 2 tables (TN FP FN TP) 2 0 0 2 and 1 0 1 2 pooled, worked
    // apart from the program: Mantel-Haenszel RR (2·2/4 + 2·2/4) / (1·2/4) = 4, its OR
    // has no FP FN product (0); the logit estimates weigh ln OR 16 and 4 by 1/5 and
    // 1/4.5, ln RR 4 and 2 by 1/2.125 and 1/0.625 (0.5 in the empty cells).
    for (const char* line :
         {"Analysis of BY: Summary Pooled Stats over   2 BY group strata:", " Mantel-Haenszel weighted OR=    0.00",
          " Mantel-Haenszel weighted RR=    4.00", " Logit weighted OR and 95% CI     7.71(    0.38  157.49)",
          " Logit weighted RR and 95% CI     2.34(    0.60    9.14)"})
        EXPECT_EQ(lines_with(line).size(), 1u) << line;
    // Random compares each group's random partitions with that group's G.
    const std::string none = "dialog 141\n  press OK\ndialog Random partitions\n  set 1003 = 0\n  set Random  U(0,1) "
                             "split distribution = on\n"
                             "  press OK\n";
    run(none + none, [&] { f.qproc = f.prandom = true; });
    EXPECT_EQ(lines_with("G_test= 4.0000").size(), 1u);
    EXPECT_EQ(lines_with("G_test= 1.3333").size(), 1u);
    EXPECT_FLOAT_EQ(ps.current_g, 99.0f);
}

} // namespace
} // namespace meru::test
