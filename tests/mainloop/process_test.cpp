// The Process step over the program's state: headings, the common checks, the
// choice of the partition, the statistics of a partition with their error lines,
// and the continuation of a series of searches.
#include "mainloop/added_requests.h"
#include "mainloop/partition_choice.h"
#include "mainloop/process.h"
#include "mainloop/process_statistics.h"
#include "mainloop/search_end.h"
#include "mainloop/series.h"
#include "platform/canvas.h"
#include "platform/script_host.h"
#include "plots/yhist.h"
#include "program_fixture.h"
#include "search/worker_pool.h"
#include "settings/attr_picker.h"
#include "support/mouse_feed.h"
#include "support/scripted_forms.h"
#include "three_attributes.h"
#include "tree/tree_window.h"
#include "ui/ui_fixture.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <ranges>
#include <set>

namespace meru::test {
namespace {

using mainloop::Flow;
namespace ids = mainloop::select_ids;

TEST(ProcessTitle, TheLastRaisedItemInTheFixedOrderWins)
{
    struct Case {
        bool mainloop::MenuFlags::*flags[3];
        const char* title;
    };
    using F = mainloop::MenuFlags;
    const Case cases[] = {
        {{&F::pstats, nullptr, nullptr}, "%Process:statistics"},
        {{&F::pstats, &F::pdistab, nullptr}, "%Process:distribution"},
        {{&F::prect, &F::pstats, nullptr}, "%Process:rectangle diagram"},
        {{&F::prandom, nullptr, nullptr}, "%Process:random"},
        {{&F::paddatt, &F::prandom, nullptr}, "%Process:create added attribute"},
        {{&F::plists, &F::pstats, nullptr}, "%Process:listing observations"},
        {{&F::ptest, nullptr, nullptr}, "%Process: training/test switch"},
        {{&F::vaddatt, &F::ptest, nullptr}, "%View: added attributes"},
        {{&F::ptree, &F::vaddatt, &F::pstats}, "%Window: tree diagram"},
        {{nullptr, nullptr, nullptr}, ""},
    };
    for (const Case& c : cases) {
        F f;
        for (auto flag : c.flags)
            if (flag) f.*flag = true;
        EXPECT_EQ(mainloop::process_title(f), c.title);
    }
}

TEST(Resubstitution, ErrorsOfBothKindsOfYWorkedByHand)
{
    struct Case {
        std::vector<float> y;
        std::vector<int> w;
        std::vector<std::uint8_t> mask;
        std::vector<std::int8_t> member;
        bool categorical;
        long long n, n_a;
        double error;
    };
    const Case cases[] = {
        // A: class 0 x2, class 1 x5 -> 5 right; A-: class 1 x2, class 0 x1 -> 2 right; 3 of 10 wrong.
        {{0, 0, 1, 1, 1, 0}, {1, 1, 5, 1, 1, 1}, {1, 1, 1, 1, 1, 1}, {1, 1, 1, 0, 0, 0}, true, 10, 7, 30.0},
        // Missing Y, outside the sample, weight 0 and undetermined membership are left out.
        {{0, -1, 1, 0, 1, 1}, {1, 1, 1, 0, 1, 1}, {1, 1, 1, 1, 0, 1}, {1, 1, 0, 1, 0, -1}, true, 2, 1, 0.0},
        // Continuous: SS total 5 about 2.5; within the sides 0.5 + 0.5.
        {{1, 2, 3, 4}, {1, 1, 1, 1}, {1, 1, 1, 1}, {0, 0, 1, 1}, false, 4, 2, 20.0},
        // Weights count as repeats: y 1 (x3), 3 in A-, 5 in A; SS total 37 - 11^2/5 = 12.8;
        // within A- 12 - 6^2/4 = 3, A alone 0.
        {{1, 3, 5}, {3, 1, 1}, {1, 1, 1}, {0, 0, 1}, false, 5, 1, 100.0 * 3.0 / 12.8},
        // No spread of Y: no error.
        {{2, 2}, {1, 1}, {1, 1}, {0, 1}, false, 2, 1, -1.0},
        // Nothing counted.
        {{}, {}, {}, {}, true, 0, 0, -1.0},
    };
    for (const Case& c : cases) {
        const mainloop::Resub r = mainloop::resubstitution({c.y, c.w, c.mask, c.member, c.categorical});
        EXPECT_EQ(r.n, c.n);
        EXPECT_EQ(r.n_a, c.n_a);
        EXPECT_NEAR(r.error, c.error, 1e-9) << c.n;
    }
}

TEST(Resubstitution, ASampleScoredWithAnotherSamplesPrediction)
{
    // Training: A- holds classes 0, 0, 1 and A holds 1, 1: A- predicts 0, A predicts 1.
    const std::vector<float> y{0, 0, 1, 1, 1};
    const std::vector<int> w{1, 1, 1, 1, 1};
    const std::vector<std::uint8_t> mask(5, 1);
    const std::vector<std::int8_t> member{0, 0, 0, 1, 1};
    const mainloop::Resub train = mainloop::resubstitution({y, w, mask, member, true});
    EXPECT_EQ(train.prediction, (std::array<double, 2>{0, 1}));
    EXPECT_NEAR(train.error, 20.0, 1e-9);
    // Test: A- holds 1, 1 and A holds 0; its own majorities would make no error,
    // the training's prediction misses all three.
    const std::vector<float> ty{1, 1, 0};
    const std::vector<std::int8_t> tm{0, 0, 1};
    const mainloop::ResubInput tin{ty, {w.data(), 3}, {mask.data(), 3}, tm, true, &train.prediction};
    EXPECT_NEAR(mainloop::resubstitution(tin).error, 100.0, 1e-9);
    // Continuous: training means 1 (A-) and 4 (A), a worse fit than the test's own mean.
    const std::vector<float> cy{2, 4, 6};
    const std::array<double, 2> means{1.0, 4.0};
    const mainloop::ResubInput cin{cy, {w.data(), 3}, {mask.data(), 3}, tm, false, &means};
    // Sides: A- = {2, 4} about 1: 1 + 9 = 10; A = {6} about 4: 4. Total SS about 4: 8.
    EXPECT_NEAR(mainloop::resubstitution(cin).error, 100.0 * 14.0 / 8.0, 1e-9);
}

// The first case's ten weights repeated over three stretches of observations,
// with classes past 256 in A: the same counts and error on three threads as
// alone, each the hand count times the repeats; a continuous Y alike.
TEST(Resubstitution, StretchesOnThreadsAsAlone)
{
    constexpr int kRepeats = 20000;
    std::vector<float> y;
    std::vector<int> w;
    std::vector<std::int8_t> member;
    for (int r = 0; r < kRepeats; ++r) {
        y.insert(y.end(), {0, 0, 1, 1, 1, 0, 300, 300});
        w.insert(w.end(), {1, 1, 5, 1, 1, 1, 1, 1});
        member.insert(member.end(), {1, 1, 1, 0, 0, 0, 1, 1});
    }
    const std::vector<std::uint8_t> mask(y.size(), 1);
    search::SearchThreads threads;
    for (const bool categorical : {true, false}) {
        mainloop::ResubInput in{y, w, mask, member, categorical};
        const mainloop::Resub alone = mainloop::resubstitution(in);
        in.parallel = threads.parallel(3, {});
        const mainloop::Resub shared = mainloop::resubstitution(in);
        EXPECT_EQ(shared.n, 12LL * kRepeats);
        EXPECT_EQ(shared.n_a, 9LL * kRepeats);
        EXPECT_EQ(shared.n, alone.n);
        EXPECT_EQ(shared.prediction, alone.prediction);
        EXPECT_EQ(shared.error, alone.error);
    }
    // A: class 1 x5 against 0 x2 and 300 x2: 4 of 9 wrong; A- as in the first case: 1 of 3.
    EXPECT_NEAR(mainloop::resubstitution({y, w, mask, member, true}).error, 100.0 * 5.0 / 12.0, 1e-9);
}

TEST(Resubstitution, ImbalanceOnlyWhenOneSideIsUnderATwentiethOfTheOther)
{
    EXPECT_TRUE(mainloop::imbalanced(5, 195)); // 5 of 200 in A
    EXPECT_FALSE(mainloop::imbalanced(10, 190));
    EXPECT_TRUE(mainloop::imbalanced(210, 10));
    EXPECT_FALSE(mainloop::imbalanced(200, 10)); // exactly 20
    EXPECT_FALSE(mainloop::imbalanced(0, 200));  // one side empty
}

TEST(SelectPartition, RefusedChoicesShowTheirNoteAndTheDialogAgain)
{
    mainloop::ChoiceFacts facts; // nothing searched, no combinations, no current partition
    EXPECT_EQ(mainloop::initial_choice(facts), ids::kManual);
    ScriptedForms forms;
    const auto pick = [](int id) {
        return [id](settings::Form& f) {
            for (auto& [k, on] : f.on) on = k == id;
            return settings::kOk;
        };
    };
    for (int id : {ids::kCombination, ids::kBest, ids::kOptimal}) forms.steps.push_back(pick(id));
    forms.steps.push_back(pick(ids::kCurrent));
    std::vector<std::string> notes, log;
    const int r = mainloop::select_partition(
        facts, forms, [&](std::string& t) { notes.push_back(t); }, [&](std::string t) { log.push_back(t); });
    EXPECT_EQ(r, ids::kCurrent);
    EXPECT_EQ(notes, (std::vector<std::string>{"NOTE:no partition combinations in control file$",
                                               "NOTE: as yet no partitions \"best at each complexity\"$",
                                               "NOTE: no search done so no \"optimal partition\" $"}));
    ASSERT_EQ(forms.forms.size(), 4u);
    EXPECT_TRUE(forms.forms[0].is_on(ids::kManual));
    EXPECT_TRUE(forms.forms[1].is_on(ids::kCombination)); // shown again on the refused choice

    // A search's lists, but no Go! asked for: the optimum comes with the warning.
    facts = {false, false, false, true, 0, false};
    EXPECT_EQ(mainloop::initial_choice(facts), ids::kOptimal);
    forms.steps.push_back(ScriptedForms::press(settings::kOk));
    notes.clear();
    EXPECT_EQ(mainloop::select_partition(
                  facts, forms, [&](std::string& t) { notes.push_back(t); }, [&](std::string) {}),
              ids::kOptimal);
    EXPECT_EQ(notes, std::vector<std::string>{"NOTE: No MERU search yet done. Uncertain stack contents$"});
    // A list in the top 10 but none lodged in memory.
    facts.lodged = false;
    forms.steps.push_back(ScriptedForms::press(settings::kOk));
    notes.clear();
    EXPECT_EQ(mainloop::select_partition(
                  facts, forms, [&](std::string& t) { notes.push_back(t); }, [&](std::string) {}),
              settings::kCancel);
    EXPECT_EQ(notes.front(), "NOTE: No partitions lodged in memory. Choose again$");

    forms.missing = true;
    EXPECT_EQ(mainloop::select_partition(
                  facts, forms, [&](std::string&) {}, [&](std::string t) { log.push_back(t); }),
              settings::kMissing);
    EXPECT_EQ(log, std::vector<std::string>{"Error: dialog box 11 not found"});
}

// Eight observations, attributes a, b, c as bits 0..2 of the line number, and a
// binary Y that equals a except for observation 8.
class ProcessRequests : public ProgramTest {
protected:
    void SetUp() override
    {
        ProgramTest::SetUp();
        program->ui.help = [this](std::string_view topic) { topics.emplace_back(topic); };
        auto owned = std::make_unique<ScriptedForms>();
        forms = owned.get();
        program->forms = std::move(owned);
        program->analysis = three_attribute_analysis_with_y(0.0f);
        program->crit.icrit = static_cast<int>(stats::Criterion::Entropy);
        program->crit.critname = "Entropy";
    }
    bool logged(std::string_view text)
    {
        const auto lines = log_lines();
        return std::find(lines.begin(), lines.end(), std::string(text)) != lines.end();
    }
    bool topic(std::string_view t) const { return std::find(topics.begin(), topics.end(), t) != topics.end(); }
    Flow request(bool mainloop::MenuFlags::*item)
    {
        program->flags.qproc = true;
        program->flags.*item = true;
        return mainloop::process_request(*program);
    }
    // The current partition A = a (attribute 2), A- = not a, held in its flipped
    // form (2).
    void current_a()
    {
        mainloop::ProcessState& ps = program->process;
        ps.current = {};
        ps.current.first.add_term({2});
        ps.current.second.add_term({2});
        ps.current_valid = true;
        ps.current_g = 0.5f;
        ps.current_complexity = 1;
    }
    // Y is the line number (1..8), a continuous Y.
    void y_line_numbers()
    {
        mainloop::Analysis& a = *program->analysis;
        for (int i = 1; i <= 8; ++i) a.ymat[static_cast<std::size_t>(i - 1)] = static_cast<float>(i);
        a.outcome.ymax[0] = 8;
        a.outcome.ylev[0] = 8;
        a.outcome.ybin[0] = false;
    }
    // Runs `body` with the script `text`, every line of which must be used.
    template <class Body> void scripted(const std::string& text, Body body)
    {
        platform::FrameScriptHost host(frame, program->menus);
        auto script = make_script(text, host);
        platform::install_script_hook(*script);
        program->ui.host.script = script.get();
        body();
        program->ui.host.script = nullptr;
        platform::remove_script_hook();
        // Every action taken (a dialog block is one action).
        std::size_t actions = 0;
        for (std::size_t at = 0; at < text.size(); at = text.find('\n', at) + 1)
            if (text[at] != ' ') ++actions;
        EXPECT_EQ(script->position(), actions);
    }
    // Runs `body` with a script that leaves the log viewer once with Esc.
    template <class Body> void leaving_viewer(Body body) { scripted("key 57 Esc\n", body); }
    // Process item `item` on the current partition ("Current" taken in the
    // partition dialog), its log viewer left with Esc.
    void on_current(bool mainloop::MenuFlags::*item)
    {
        forms->steps.push_back(ScriptedForms::press(settings::kOk)); // "Current"
        leaving_viewer([&] { request(item); });
    }
    // A step of the "Select partition" dialog that chooses radio button `id`.
    static ScriptedForms::Step radio(int id)
    {
        return [id](settings::Form& f) {
            for (auto& [k, on] : f.on) on = k == id;
            return settings::kOk;
        };
    }
    std::vector<std::string> topics;
    ScriptedForms* forms = nullptr;
};

TEST_F(ProcessRequests, CommonChecksComeInTheirOrder)
{
    program->analysis->yset = false;
    {
        ModalAnswerer answers({"OK"});
        EXPECT_EQ(request(&mainloop::MenuFlags::ptree), Flow::loop_head);
        ASSERT_EQ(answers.shown.size(), 1u);
        EXPECT_NE(answers.shown[0].text.find("Cannot do. No Y assigned"), std::string::npos);
    }
    EXPECT_TRUE(forms->shown.empty());
    program->analysis->yset = true;
    clear_requests(program->flags);
    program->analysis->nodata = true;
    EXPECT_EQ(request(&mainloop::MenuFlags::pstats), Flow::loop_head);
    EXPECT_TRUE(topic("NOTE: no data, not allowed"));
    program->analysis->nodata = false;
    clear_requests(program->flags);
    EXPECT_EQ(request(&mainloop::MenuFlags::ptree), Flow::loop_head);
    EXPECT_TRUE(topic("NOTE: no tree in memory"));
    clear_requests(program->flags);
    EXPECT_EQ(request(&mainloop::MenuFlags::vaddatt), Flow::loop_head);
    EXPECT_TRUE(topic("NOTE: no added attributes"));
    EXPECT_TRUE(forms->shown.empty());
}

TEST_F(ProcessRequests, StatisticsBeforeAnySearchOpensSelectPartitionOnManual)
{
    EXPECT_EQ(request(&mainloop::MenuFlags::pstats), Flow::loop_head); // the queue cancels
    ASSERT_EQ(forms->shown, std::vector<int>{ids::kDialog});
    EXPECT_TRUE(forms->forms[0].is_on(ids::kManual));
    EXPECT_FALSE(forms->forms[0].is_on(ids::kCurrent));
}

TEST_F(ProcessRequests, StatisticsOfTheCurrentPartitionFromTheMenu)
{
    current_a();
    forms->steps.push_back(ScriptedForms::press(settings::kOk)); // "Current" is the initial choice
    leaving_viewer([&] { EXPECT_EQ(request(&mainloop::MenuFlags::pstats), Flow::loop_head); });
    EXPECT_TRUE(forms->forms[0].is_on(ids::kCurrent));
    EXPECT_TRUE(logged("%Process:statistics"));
    EXPECT_TRUE(logged("Y variable is y"));
    EXPECT_TRUE(logged("2     # of attributes, complexity=  1, 1"));
    // A holds the odd lines 1, 3, 5, 7 (all Y 1); A- holds 2, 4, 6, 8 (Y 0): no error.
    EXPECT_TRUE(logged("Sample size = 8"));
    EXPECT_TRUE(logged(" Generalised error is    0.00%"));
    EXPECT_EQ(program->nauto_by, 0); // nothing recorded outside Search:Go!
}

// An added attribute +01 of A = a and b: View > Added attributes shows it expanded
// into its definition and offers it to the control file; the current pair is then
// the expanded one, whose statistics count 2 attributes and complexity 2 (q 1 for
// a and b, q' 2 for not a or not b).
TEST_F(ProcessRequests, AnAddedAttributeIsViewedAsItsDefinitionAndCountedSo)
{
    mainloop::Analysis& a = *program->analysis;
    a.cfname = dir.filePath("three.mrc").toStdString();
    std::ofstream(a.cfname) << "three\n";
    a.added_from_cf = true; // made without the question
    partition::Partition made;
    made.first.add_term({2, 3});
    made.second.add_term({2});
    made.second.add_term({3});
    ASSERT_TRUE(mainloop::create_process_attribute(*program, made).made);
    program->options.primattr = true; // the view expands the attribute all the same
    forms->steps.push_back([](settings::Form& f) {
        f.choice[settings::picker_ids::kList] = f.items[settings::picker_ids::kList].back(); // +01 = 1
        return settings::kOk;
    });
    scripted("answer yes\nanswer ok\n", [&] { request(&mainloop::MenuFlags::vaddatt); });
    const std::vector<std::string> want{"Expanded/Simplified", "   A= ( a >1 & b >1 )"};
    const auto lines = log_lines();
    EXPECT_NE(std::search(lines.begin(), lines.end(), want.begin(), want.end()), lines.end());
    std::ifstream control(a.cfname);
    std::vector<std::string> written;
    for (std::string line; std::getline(control, line);) written.push_back(line);
    ASSERT_GE(written.size(), 2u);
    EXPECT_EQ(written[written.size() - 2], "+01     (2 3)"); // then its check line
    EXPECT_EQ(a.tables.cfcomb, std::vector<std::string>{"+01     (2 3)"});

    clear_requests(program->flags);
    on_current(&mainloop::MenuFlags::pstats);
    EXPECT_TRUE(logged("2     # of attributes, complexity=  2, 2"));

    // The view switches by-group mode off for its listing; the loop head puts it
    // back, and the user's "Attributes are primitive".
    a.bygroup.mode = true;
    clear_requests(program->flags);
    request(&mainloop::MenuFlags::vaddatt); // the list cancelled
    EXPECT_FALSE(a.bygroup.mode);
    mainloop::loop_head(*program);
    EXPECT_TRUE(a.bygroup.mode);
    EXPECT_TRUE(program->options.primattr);
}

// The combinations an opening raises Create added attribute for are named after
// themselves, use no Process count and ask nothing; after the loop head the next
// attribute is the user's own again, with its question.
TEST_F(ProcessRequests, CombinationAttributesTakeTheirNamesAndTheQuestionComesBackAfter)
{
    mainloop::Analysis& a = *program->analysis;
    a.cfname = dir.filePath("three.mrc").toStdString();
    std::ofstream(a.cfname) << "three\n";
    a.tables.cfcomb = {"+c01    (2 3)"};
    a.added_from_cf = true;
    forms->steps.push_back(radio(ids::kCombination));
    scripted("dialog Control file combination\n  set 8535 = 1\n  press OK\n",
             [&] { request(&mainloop::MenuFlags::paddatt); });
    EXPECT_TRUE(logged("  Added  attribute: +c01     is created"));
    EXPECT_EQ(a.process_count, 0);
    mainloop::loop_head(*program);
    forms->steps.push_back(radio(ids::kCurrent));
    scripted("answer no\n", [&] { request(&mainloop::MenuFlags::paddatt); });
    EXPECT_TRUE(logged("  Added  attribute: +01      is created"));
}

TEST_F(ProcessRequests, StatisticsWithPriorsListTheAdjustedCountsAndTakeTheirError)
{
    // A = a holds lines 1, 3, 5, 7 (Y 1); A- holds 2, 4, 6 (Y 0) and 8 (Y 1).
    program->analysis->ymat[7] = 1.0f;
    program->crit.priors_given = true;
    program->crit.prior[0] = program->crit.prior[1] = 0.5;
    current_a();
    on_current(&mainloop::MenuFlags::pstats);
    // By hand: the factors are 0.5 x 8 / 3 for class 0 and 0.5 x 8 / 5 for class 1,
    // so class 0 is 4.0 in A- and 0 in A, class 1 is 0.8 in A- and 3.2 in A. A stands
    // for class 1: 0.8 of 8 is wrong (10%), where the plain counts give 1 of 8.
    for (const char* line : {"    |   0 |         4.0 ( 50.0%)       0.0 (  0.0%) |       4.0 ( 50.0%)|",
                             "    |   1 |         0.8 ( 10.0%)       3.2 ( 40.0%) |       4.0 ( 50.0%)|",
                             "         Misclassification error=   10.00%", " Generalised error is   10.00%"})
        EXPECT_TRUE(logged(line)) << line;
}

// Training lines 1-6 (A, the odd lines, all Y 1; A- all Y 0) and, switched to, test
// lines 7 (A, Y 0) and 8 (A-, Y 1): the training prediction misses both test lines,
// where the test lines' own plurality would fit them.
TEST_F(ProcessRequests, StatisticsOnTheTestSamplePredictAsTheTrainingSample)
{
    mainloop::Analysis& a = *program->analysis;
    a.ymat[6] = 0.0f;
    a.ymat[7] = 1.0f;
    a.splitactive = true;
    program->edit.testflag = true;
    a.data.obswt = {0, 0, 0, 0, 0, 0, 1, 1};
    a.data.testwt = {1, 1, 1, 1, 1, 1, 0, 0};
    current_a();
    on_current(&mainloop::MenuFlags::pstats);
    EXPECT_TRUE(logged("Sample size = 2"));
    EXPECT_TRUE(logged(" Generalised error is  100.00%"));
}

// A holds the odd lines; with an _ID_ variable Lists names them by their
// identifiers, else by their line numbers.
TEST_F(ProcessRequests, ListsNameTheObservationsByTheirIdentifiers)
{
    mainloop::Analysis& a = *program->analysis;
    a.data.obsid = {"one", "two", "three", "four", "five", "six", "seven", "eight"};
    for (const bool hasid : {true, false}) {
        a.tables.vars.hasid = hasid;
        clear_requests(program->flags);
        current_a();
        on_current(&mainloop::MenuFlags::plists);
    }
    const auto lines = log_lines();
    const auto after = [&](const std::string& head) {
        const auto it = std::find(lines.begin(), lines.end(), head);
        return it == lines.end() || it + 1 == lines.end() ? std::string() : *(it + 1);
    };
    EXPECT_EQ(after("_id_ #s of subgroup   1 in  A"), " one      three    five     seven");
    EXPECT_EQ(after("Line #s of subgroup   1 in  A"), "        1        3        5        7");
}

TEST_F(ProcessRequests, StatisticsListTheCorrelationOfYWithMembershipUnderWithinMse)
{
    // Y 1 0 1 0 1 0 1 1 against A = a, 1 0 1 0 1 0 1 0: Pearson's r is
    // (4·3 - 0·1) / sqrt(3·5·4·4) = 0.775 (numpy.corrcoef agrees). Other criteria
    // list no correlation.
    program->analysis->ymat[7] = 1.0f;
    for (const auto c : {stats::Criterion::WithinMse, stats::Criterion::Entropy}) {
        program->crit.icrit = static_cast<int>(c);
        clear_requests(program->flags);
        current_a();
        on_current(&mainloop::MenuFlags::pstats);
    }
    const auto lines = log_lines();
    const auto with = [&](std::string_view part) {
        return std::count_if(lines.begin(), lines.end(),
                             [&](const std::string& l) { return l.find(part) != std::string::npos; });
    };
    EXPECT_EQ(with("%Process:statistics"), 2);
    EXPECT_EQ(with("Correlation"), 1);
    EXPECT_TRUE(logged("                     Correlation= 0.775"));
}

// Under "Skip if missing in attribute set" the search leaves out the observations
// missing in an attribute of its set (b is missing on lines 2 and 3); the
// statistics of a partition count the same sample, whichever attribute it names.
TEST_F(ProcessRequests, StatisticsSkipWhatTheSearchSkippedForMissingAttributes)
{
    mainloop::Analysis& a = *program->analysis;
    a.data.ab(3, 2) = a.data.ab(3, 3) = 255;
    program->search.set.lines = {2, 3, 4};
    // Skipping with the set built for this analysis; not skipping; a set left
    // from an analysis opened before this one.
    const std::pair<bool, bool> cases[] = {{true, true}, {false, true}, {true, false}, {true, true}};
    for (const auto& [skip, built] : cases) {
        // The last case: line 1 weighs 20, so 2 of 27 are lost, under a tenth.
        if (&skip == &cases[3].first) a.data.obswt[0] = 20;
        program->options.skipset = skip;
        a.setbuilt = built;
        clear_requests(program->flags);
        current_a();
        forms->steps.push_back(ScriptedForms::press(settings::kOk)); // "Current"
        // Two lines of eight lost, over a tenth: the attrition note comes first.
        const bool note = skip && built && a.data.obswt[0] == 1;
        scripted(note ? "answer ok\nkey 57 Esc\n" : "key 57 Esc\n", [&] { request(&mainloop::MenuFlags::pstats); });
    }
    // Kept: lines 1, 5, 7 in A (Y 1) and 4, 6, 8 in A- (Y 0): a perfect split.
    EXPECT_TRUE(logged("Sample size = 6"));
    EXPECT_TRUE(logged(" Generalised error is    0.00%"));
    const auto lines = log_lines();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "Sample size = 8"), 2);
    EXPECT_TRUE(logged("Sample size = 25"));
    EXPECT_TRUE(logged("NOTE: attrition due to missing data is 25.00%. From 8 6"));
    EXPECT_TRUE(logged("NOTE: attrition due to missing data is   7.41%. From       27      25"));
}

// The tree of a search under the same option counts the same six lines at its root:
// Y 1, 0, 1, 0, 1, 0 on lines 1 and 4-8.
TEST_F(ProcessRequests, TreeCountsTheSampleTheSearchCounted)
{
    mainloop::Analysis& a = *program->analysis;
    a.data.ab(3, 2) = a.data.ab(3, 3) = 255;
    program->search.set.lines = {2, 3, 4};
    a.setbuilt = true;
    program->options.skipset = true;
    a.tree.split = {{2, "a", "a", ""}};
    forms->steps.push_back(ScriptedForms::fill({{1000, "4"}, {1001, "2"}, {1002, "0"}}, {{1003, false}}));
    MouseFeed esc(frame, tree::kTreeUnit, {});
    EXPECT_EQ(request(&mainloop::MenuFlags::ptree), Flow::loop_head);
    const auto lines = log_lines();
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [](const std::string& l) { return l.starts_with("     0     1      6  3/3 "); }),
              1);
}

TEST_F(ProcessRequests, OnlyAGWeighedByCostsIsMarkedCostWeighted)
{
    // Costs given without "Weigh criterion by costs" leave G as it is.
    program->crit.specify_costs = true;
    for (const bool weigh : {false, true}) {
        program->crit.weigh_by_costs = weigh;
        clear_requests(program->flags);
        current_a();
        on_current(&mainloop::MenuFlags::pstats);
    }
    EXPECT_TRUE(logged("2           Entropy             =     0.500000"));
    EXPECT_TRUE(logged("2           Entropy             =     0.500000 (cost weighted)"));
}

// A G held for the current partition is shown only under the criterion, the Y and
// the sample it was scored under; after any of them changes the partition is
// scored again.
TEST_F(ProcessRequests, AHeldGIsShownOnlyUnderTheSettingsItWasScoredUnder)
{
    // Y 1 0 1 0 1 0 1 1: A = a holds four 1s, A- holds 0 0 0 1. Gini by hand:
    // 1 - (25 + 9)/64 less 4/8 x (1 - 1/16 - 9/16) = 0.46875 - 0.1875 = 0.28125.
    // Line 8 left out (weight 0, as outside a training sample): both sides are
    // pure, G = 1 - (16 + 9)/49 = 24/49. With Y the line numbers, A (1 3 5 7) has
    // mean 4 and A- mean 5 about 4.5: the variance between the sides is 0.25
    // (numpy agrees).
    using C = stats::Criterion;
    struct Case {
        C from, to;
        const char* name;
        bool new_y, drop_8;
        const char* line;
        bool to_test = false; // switched to a test sample (lines 1-7) after scoring
    };
    const Case cases[] = {
        {C::Entropy, C::Entropy, "Entropy", false, false, "2           Entropy             =     0.500000"},
        {C::Entropy, C::Gini, "Gini diversity", false, false, "2           Gini diversity      =     0.281250"},
        {C::Gini, C::Gini, "Gini diversity", false, true, "2           Gini diversity      =     0.489796"},
        // Switched to a test sample of lines 1-7: G of that sample, as above.
        {C::Gini, C::Gini, "Gini diversity", false, false, "2           Gini diversity      =     0.489796", true},
        {C::Entropy, C::WithinMse, "Within MSE", true, false, "2           Within MSE          =     0.250000"},
    };
    for (const Case& c : cases) { // the Y change comes last: it leaves Y changed
        mainloop::Analysis& a = *program->analysis;
        a.ymat[7] = 1.0f;
        a.outcome.ycol[0] = 1;
        a.data.obswt[7] = 1;
        program->crit.icrit = static_cast<int>(c.from);
        clear_requests(program->flags);
        current_a(); // held G 0.5, not this partition's: only the held value is shown as it is
        program->process.current_key = mainloop::score_key(*program);
        program->crit.icrit = static_cast<int>(c.to);
        program->crit.critname = c.name;
        if (c.new_y) {
            y_line_numbers();
            a.outcome.ycol[0] = 2;
        }
        if (c.drop_8) a.data.obswt[7] = 0;
        if (c.to_test) {
            a.data.testwt = a.data.obswt;
            a.data.testwt[7] = 0;
            std::swap(a.data.obswt, a.data.testwt);
        }
        program->edit.testflag = c.to_test;
        const auto times_logged = [&] {
            const auto lines = log_lines();
            return std::count(lines.begin(), lines.end(), std::string(c.line));
        };
        const auto before = times_logged();
        on_current(&mainloop::MenuFlags::pstats);
        EXPECT_EQ(times_logged(), before + 1) << c.name;
        if (c.to_test) std::swap(a.data.obswt, a.data.testwt);
    }
}

TEST_F(ProcessRequests, RectangleDiagramsOfTheCurrentPartitionOpenTheFittedDiagramWithItsFitReport)
{
    current_a();
    program->process.current.first.add_term({3});                // A = a + b: two terms, four cells
    forms->steps.push_back(ScriptedForms::press(settings::kOk)); // "Current"
    forms->steps.push_back(ScriptedForms::press(settings::kOk)); // "Diagram for A"
    // The diagram window: 3D, Esc out of the block view, Esc out of the window.
    scripted("click 16 55 5\nclick 16 10 5\nclick 16 10 5\n",
             [&] { EXPECT_EQ(request(&mainloop::MenuFlags::prect), Flow::loop_head); });
    EXPECT_TRUE(logged("%Process:rectangle diagram"));
    // Two rectangles fit their counts exactly: the status names the start and Fit P 1.
    EXPECT_NE(program->diagram_window.fitted().state.status.find("Start=Strips"), std::string::npos);
    EXPECT_NE(program->diagram_window.fitted().state.status.find("Fit P=1.0000"), std::string::npos);
    const std::vector<double>& counts = program->diagram_window.mosaic().counts;
    ASSERT_EQ(counts.size(), 4u);
    EXPECT_EQ(counts[0] + counts[1] + counts[2] + counts[3], 8.0);
    const auto lines = log_lines();
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [](const std::string& l) {
        return l.find("f_i       a_i       e_i%") != std::string::npos;
    }));
    EXPECT_FALSE(std::any_of(lines.begin(), lines.end(),
                             [](const std::string& l) { return l.find("not available yet") != std::string::npos; }));
    EXPECT_EQ(program->menus.off_depth(), 0);
}

TEST_F(ProcessRequests, DistributionAvAMinusListsAAndDrawsBothSides)
{
    current_a();
    program->process.current.first = {}; // A = b: Y varies on both sides
    program->process.current.first.add_term({3});
    forms->steps.push_back(ScriptedForms::press(settings::kOk)); // "Current"
    frame.set_journaling(true);
    EXPECT_EQ(request(&mainloop::MenuFlags::pdistab), Flow::loop_head);
    frame.set_journaling(false);
    EXPECT_TRUE(logged("%Process:distribution"));
    EXPECT_TRUE(logged("in A"));
    EXPECT_TRUE(logged("in A-"));
    // The process window is drawn once per side and left open without waiting:
    // A in the first colour, A- over it in the second.
    EXPECT_TRUE(frame.is_open(plots::kProcessDistWindow));
    std::set<int> colours;
    for (const platform::DrawCall& c : frame.canvas(plots::kProcessDistWindow)->journal())
        if (c.op == "lineto" || c.op == "rectangle") colours.insert(c.colour);
    EXPECT_TRUE(colours.count(plots::kCurveColour) && colours.count(plots::kSecondColour));
    const int items = program->menus.item_count(mainloop::kWindowMenu);
    bool entered = false;
    for (int i = 1; i <= items; ++i)
        entered = entered || program->menus.text(mainloop::kWindowMenu, i).starts_with("Process:Distribution");
    EXPECT_TRUE(entered);
    EXPECT_EQ(program->menus.off_depth(), 0);
}

TEST_F(ProcessRequests, UnderTheTraceSwitchEachSidesYTableIsAnnouncedByABox)
{
    current_a();
    program->process.current.first = {}; // A = b: Y varies on both sides
    program->process.current.first.add_term({3});
    program->debug = true;
    forms->steps.push_back(ScriptedForms::press(settings::kOk)); // "Current"
    scripted("answer ok\nanswer ok\n", [&] { request(&mainloop::MenuFlags::pdistab); });
    EXPECT_TRUE(logged("in A-"));
}

TEST_F(ProcessRequests, DistributionOfCensoredTimesKeepsTheCensoredApartAndGivesNoQuartiles)
{
    // Times 1..8, censored where c is true (lines 4-7); A = b holds times 2, 3, 6, 7,
    // A- holds 1, 4, 5, 8: two censored times on each side.
    y_line_numbers();
    program->crit.icrit = static_cast<int>(stats::Criterion::LogRank);
    program->crit.critname = "Log-rank";
    program->censoring.in_force = true;
    program->censoring.attribute = 4;
    program->censoring.side = 2;
    current_a();
    program->process.current.first = {};
    program->process.current.first.add_term({3});
    forms->steps.push_back(ScriptedForms::press(settings::kOk)); // "Current"
    request(&mainloop::MenuFlags::pdistab);
    const auto lines = log_lines();
    const auto with = [&](std::string_view part) {
        return std::count_if(lines.begin(), lines.end(),
                             [&](const std::string& l) { return l.find(part) != std::string::npos; });
    };
    EXPECT_TRUE(logged("in A"));
    EXPECT_TRUE(logged("in A-"));
    EXPECT_EQ(with(" has      1 censored observations"), 4);
    EXPECT_EQ(with("iles"), 0);
}

TEST_F(ProcessRequests, LogRankOfTheSplitWithItsChiSquareTail)
{
    // Times 1..8, all events; A holds the odd times. By hand: O = 4, E = 3.1619,
    // V = 1.7071, (O - E)^2 / V = 0.41146, P = erfc(sqrt(0.41146 / 2)) = 0.521232.
    y_line_numbers();
    program->crit.icrit = static_cast<int>(stats::Criterion::LogRank);
    program->crit.critname = "Log-rank";
    current_a();
    // The statistics of a search, with a window on top that has a mouse routine:
    // Harrell's c takes the routine away.
    ASSERT_TRUE(frame.open_window(60, "graphics"));
    frame.register_mouse(60, 1, [](int, int, int, int, int) {});
    frame.set_active(60);
    mainloop::SearchEnd end;
    end.curpart = program->process.current;
    end.complexity = 1;
    program->flags.sgo = true;
    mainloop::search_statistics(*program, end);
    mainloop::process_request(*program);
    EXPECT_EQ(frame.unregister_mouse(60), -1);
    EXPECT_TRUE(logged("Log-rank=      0.4115 P = 0.521232"));
    EXPECT_TRUE(logged(" Resubstitution error is       -")); // none for a log-rank analysis
    // Harrell's c: 28 usable pairs, 6 with the non-member shorter, 12 of equal
    // membership: (6 + 12 / 2) / 28 = 0.428571.
    const auto lines = log_lines();
    const auto c = std::find_if(lines.begin(), lines.end(),
                                [](const std::string& l) { return l.starts_with(" Harrell c-index="); });
    ASSERT_NE(c, lines.end());
    EXPECT_EQ(*c, " Harrell c-index= 0.4286");
    // The F test of the times: sides 1 3 5 7 and 2 4 6 8, SS 2 between and 40
    // within, F = 2 x 6 / 40 = 0.3, upper tail of F(1, 6) 0.603645.
    const auto f = std::find_if(lines.begin(), lines.end(),
                                [](const std::string& l) { return l.starts_with(" F-test of the split"); });
    ASSERT_NE(f, lines.end());
    EXPECT_NE(f->find("0.300000"), std::string::npos) << *f;
    EXPECT_NE(f->find("P = 0.603645"), std::string::npos) << *f;
    // Events 4 and 4 over person-times 20 (A-) and 16 (A): rates 0.2 and 0.25,
    // ratio 0.8 and 0.8 / exp(-/+ 1.96 sqrt(1/4 + 1/4)) = 0.200 to 3.199.
    EXPECT_TRUE(logged("     Incidence rate ratio (A- / A) =  0.800 (95% CI   0.200    3.199)"));
}

// Y = a except on line 8 (a = 0, Y = 1): A = a holds Y 1 1 1 1, A- holds 0 0 0 1.
TEST_F(ProcessRequests, StatisticsAddTheFTestUnderEveryCriterionAndDetailedOutputTheEffectMatrices)
{
    program->analysis->ymat[7] = 1.0f;
    program->options.detailout = true;
    using C = stats::Criterion;
    for (const C c : {C::ChiSquare, C::Gini, C::WithinMse}) {
        program->crit.icrit = static_cast<int>(c);
        clear_requests(program->flags);
        current_a();
        on_current(&mainloop::MenuFlags::pstats);
    }
    // SS 0 and 0.75 within, 1.875 in all: F = 1.125 x 6 / 0.75 = 9 on 1 and 6 df;
    // R: pf(9, 1, 6, lower.tail = FALSE) = 0.0240082.
    const auto lines = log_lines();
    std::vector<std::string> tests;
    std::copy_if(lines.begin(), lines.end(), std::back_inserter(tests),
                 [](const std::string& l) { return l.find("F-test") != l.npos; });
    ASSERT_EQ(tests.size(), 3u);
    for (const std::string& f : tests) {
        EXPECT_NE(f.find(" 9.00000"), std::string::npos) << f;
        EXPECT_NE(f.find("      6 P = 0.024008"), std::string::npos) << f;
    }
    // Rows A, columns A-. A's proportion 1 is held inside (0, 1) as 0.9999, A-'s is
    // 0.25: RR = 3.9996 with var(ln) 0.5 / (4 x 3.9996) + 3 / (4 x 1) = 0.78125, so
    // exp(ln 3.9996 -/+ 1.96 x 0.88388) = 0.7074 to 22.61; the other way round it
    // would be 0.25.
    const auto rr = std::find(lines.begin(), lines.end(), "Relative  risk matrix          with 95% CI");
    ASSERT_TRUE(rr != lines.end() && rr + 1 != lines.end());
    EXPECT_EQ(rr[1], "   A   A-    4.000     (0.7074    ,  22.61    )");
}

// Under Entropy the search's G of A = a is worked out again: Y equals a, so
// G = ln 2 - 0 = 0.693147; a G held otherwise is reported.
TEST_F(ProcessRequests, TheSearchsOwnStatisticsCheckItsImpurityG)
{
    for (const float held : {0.6931472f, 0.5f}) {
        clear_requests(program->flags);
        current_a();
        mainloop::SearchEnd end;
        end.curpart = program->process.current;
        end.g = held;
        end.complexity = 1;
        program->flags.sgo = true;
        mainloop::search_statistics(*program, end);
        // The note is answered only when it is shown.
        scripted(held == 0.5f ? "answer ok\n" : "", [&] { mainloop::process_request(*program); });
        const auto lines = log_lines();
        const bool failed = std::any_of(lines.begin(), lines.end(), [](const std::string& l) {
            return l.starts_with("check fail gstat, gstatest");
        });
        EXPECT_EQ(failed, held == 0.5f);
    }
}

// A = a + b; A- = neither a nor b (flipped form (2 3)), one term holding lines 4 and 8.
TEST_F(ProcessRequests, RectangleDiagramOfAMinusIsDrawnOverItsOwnTerms)
{
    current_a();
    program->process.current.first.add_term({3});
    program->process.current.second = {};
    program->process.current.second.add_term({2, 3});
    forms->steps.push_back(ScriptedForms::press(settings::kOk)); // "Current"
    forms->steps.push_back(ScriptedForms::fill({}, {{1000, false}, {1001, true}}));
    scripted("click 16 10 5\n", [&] { EXPECT_EQ(request(&mainloop::MenuFlags::prect), Flow::loop_head); });
    EXPECT_EQ(program->diagram_window.mosaic().counts, (std::vector<double>{6.0, 2.0}));
    // Cancel in the dialog: no statistics follow.
    clear_requests(program->flags);
    forms->steps.push_back(ScriptedForms::press(settings::kOk));
    const std::size_t before = log_lines().size();
    EXPECT_EQ(request(&mainloop::MenuFlags::prect), Flow::loop_head);
    const auto lines = log_lines();
    EXPECT_TRUE(std::none_of(lines.begin() + static_cast<long>(before), lines.end(),
                             [](const std::string& l) { return l.starts_with("Sample size"); }));
    EXPECT_EQ(program->menus.off_depth(), 0);
}

TEST_F(ProcessRequests, RandomShowsItsNoteTheFirstTimeOnly)
{
    ModalAnswerer answers({"Cancel", "Cancel", "Cancel"});
    for (int k = 0; k < 2; ++k) {
        clear_requests(program->flags);
        request(&mainloop::MenuFlags::prandom);
    }
    EXPECT_EQ(std::count(topics.begin(), topics.end(), "NOTE: Process:Random"), 1);
    program->results.searchg_count = search::SearchResults::kSavedG + 1;
    clear_requests(program->flags);
    request(&mainloop::MenuFlags::prandom);
    EXPECT_EQ(answers.shown.size(), 3u);
    EXPECT_TRUE(topic("NOTE: only 20,000 saved search partition")); // topics are named by 40 characters
}

// Process > Random compares the random partitions with the G of the partition in
// hand that the program prints, under every criterion that draws them: A = a,
// Y binary for the count tables, and times stored out of order (every one an
// event) for Within MSE and Log-rank.
TEST_F(ProcessRequests, RandomTestsTheGOfThePartitionInHandUnderEveryCriterion)
{
    using C = stats::Criterion;
    ModalAnswerer answers(std::vector<std::string>(7, "Cancel"));
    for (const C c :
         {C::Entropy, C::QualityIndex, C::ChiSquare, C::OddsRatioBayes, C::Gini, C::WithinMse, C::LogRank}) {
        if (c == C::WithinMse)
            std::ranges::copy(std::vector<float>{5, 2, 8, 1, 7, 3, 6, 4}, program->analysis->ymat.begin());
        program->crit.icrit = static_cast<int>(c);
        clear_requests(program->flags);
        current_a();
        const float printed = mainloop::score_partition(*program, program->process.current, 1);
        request(&mainloop::MenuFlags::prandom);
        const auto lines = log_lines();
        const auto header = std::ranges::find_if(lines | std::views::reverse,
                                                 [](const std::string& l) { return l.starts_with(" # Partitions"); });
        ASSERT_NE(header, lines.rend());
        const double g_test = std::stod(header->substr(header->find("G_test=") + 7));
        EXPECT_TRUE(printed > 0.0f && std::abs(g_test - printed) < 5e-5 * std::max(1.0f, printed)) << g_test;
    }
}

// Two Ys searched one after the other: y (a, but 1 on line 8), then z (the line
// number); each search leaves its own G values and split shares, and the series
// ends back on y. Process > Random on A = a asks for the Y, tests A on it and
// compares with that Y's own search (m = 7 partitions for y, 9 for z). Within
// MSE by hand: on y, A holds 1 1 1 1 and A- 0 0 0 1, (4^2/4 + 1^2/4 - 5^2/8)/8 =
// 0.140625; on z, A sums 16 and A- 20, (16^2/4 + 20^2/4 - 36^2/8)/8 = 0.25.
// Process > Lists asks for the Y too, and Statistics show the G of the Y asked for.
TEST_F(ProcessRequests, RandomAfterASerialAnalysisTestsTheChosenYAgainstItsOwnSearch)
{
    mainloop::Analysis& a = *program->analysis;
    a.ymat[7] = 1.0f;
    a.outcome.ny = 2;
    a.outcome.yserial = true;
    a.outcome.yname[1] = "z";
    a.outcome.ymax[1] = 8;
    a.outcome.ylev[1] = 8;
    for (int i = 1; i <= 8; ++i) a.ymat[static_cast<std::size_t>(8 + i - 1)] = static_cast<float>(i);
    program->crit.icrit = static_cast<int>(stats::Criterion::WithinMse);
    program->crit.critname = "Within MSE";
    current_a();
    for (const int k : {1, 2}) {
        a.ycurrent = k;
        search::SearchResults& r = program->results;
        r.searchg_count = 0;
        r.splithist.fill(0);
        r.splithist[k == 1 ? 30 : 60] = k == 1 ? 7 : 9; // at most 10: no extreme-value approximation
        for (int j = 0; j < 3; ++j) r.save_g(0.1f * static_cast<float>(k + j));
        mainloop::SearchEnd end;
        end.curpart = program->process.current;
        end.g = k == 1 ? 0.140625f : 0.25f;
        end.complexity = 1;
        mainloop::search_statistics(*program, end);
    }
    a.ycurrent = 1;
    program->process.go_statistics = false;
    const auto pick = [&](int k) {
        forms->steps.push_back([k](settings::Form& f) {
            f.picked[1004] = {k == 1, k == 2};
            return settings::kOk;
        });
    };
    for (const int k : {2, 1}) {
        clear_requests(program->flags);
        pick(k);
        scripted("dialog 124\n  set 1003 = 20\n  set 1001 = on\n  press OK\n",
                 [&] { request(&mainloop::MenuFlags::prandom); });
    }
    EXPECT_EQ(forms->shown, (std::vector<int>{117, 117}));
    for (const char* line : {"Y variable is z", " # Partitions on last search=    9 G_test=0.25000",
                             "Y variable is y", " # Partitions on last search=    7 G_test=0.14063"})
        EXPECT_TRUE(std::ranges::any_of(log_lines(), [&](const std::string& l) { return l.starts_with(line); }))
            << line;
    clear_requests(program->flags);
    forms->steps.push_back(ScriptedForms::press(settings::kOk)); // "Current"
    pick(2);
    leaving_viewer([&] { request(&mainloop::MenuFlags::plists); });
    EXPECT_EQ(forms->shown.back(), 117);
    // z's eight classes once each: each side's plurality misses 3 of its 4 (y's would miss 1 of 8).
    EXPECT_EQ(log_lines().back(), " Generalised error is   75.00%");
    // Statistics of y show A's G on y, not the G held from z's search.
    clear_requests(program->flags);
    forms->steps.push_back(ScriptedForms::press(settings::kOk));
    pick(1);
    leaving_viewer([&] { request(&mainloop::MenuFlags::pstats); });
    EXPECT_TRUE(logged("2           Within MSE          =     0.140625"));
}

// A search's statistics in a bootstrap series: one record per sample, the summary
// after the tenth, then bootstrap mode off and the weights as they were.
TEST_F(ProcessRequests, BootstrapSeriesRecordsTenSearchesAndOneSummary)
{
    mainloop::Analysis& a = *program->analysis;
    a.data.obswt[3] = 0; // an all-missing record keeps its zero weight
    const std::vector<int> before = a.data.obswt;
    program->crit.icrit = static_cast<int>(stats::Criterion::ChiSquare); // the stub's G is no sample's
    program->bootmode = true;
    settings::bootsamp(a.data.obswt, 8, true, a.boot, program->rng, program->log);
    // The log is shown with the summary: the script leaves the viewer.
    int passes = 0;
    leaving_viewer([&] {
        for (;;) {
            ++passes;
            ASSERT_LE(passes, 11);
            current_a();
            mainloop::SearchEnd end;
            end.curpart = program->process.current;
            end.g = 0.5f;
            end.complexity = 1;
            clear_requests(program->flags);
            program->flags.sgo = true;
            ASSERT_EQ(mainloop::search_statistics(*program, end), Flow::poll);
            ASSERT_TRUE(program->flags.qproc && program->flags.pstats && program->flags.qcont);
            const Flow next = mainloop::process_request(*program);
            if (next == Flow::loop_head) break;
            EXPECT_TRUE(program->flags.qcrit);
            EXPECT_FALSE(program->flags.qproc);
        }
    });
    EXPECT_EQ(passes, 10);
    EXPECT_EQ(program->nauto_by, 10);
    const auto lines = log_lines();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "%Search Summary"), 1);
    EXPECT_FALSE(program->bootmode);
    EXPECT_EQ(a.data.obswt, before);
}

// The kept tree splits on a, which Y equals on all eight observations: children
// of four, all 0 and all 1; chi-square 8, p = erfc(2) = 0.0047. The diagram is
// left with Esc.
TEST_F(ProcessRequests, TreeLogsTheKeptTreePrunedByTheRules)
{
    mainloop::Analysis& a = *program->analysis;
    a.outcome.ydisc = false; // Process > Tree finds the binary Y categorical itself
    a.tree.split = {{2, "a", "a", ""}};
    MouseFeed esc(frame, tree::kTreeUnit, {});
    const std::string root = "     0     1      8  4/4                  0";
    EXPECT_EQ(request(&mainloop::MenuFlags::ptree), Flow::loop_head);
    EXPECT_FALSE(topic("NOTE: no tree in memory"));
    EXPECT_TRUE(logged("%Window: tree diagram"));
    EXPECT_TRUE(logged(" Tree for Y=y"));
    EXPECT_TRUE(logged(root)); // eight observations are under the parent minimum
    EXPECT_FALSE(logged("     1     2      4  4/0                  0"));
    EXPECT_EQ(program->msgline, "Tree diagram closed");
    EXPECT_FALSE(program->flags.treemade);

    forms->steps.push_back(ScriptedForms::fill({{1000, "4"}, {1001, "2"}}));
    clear_requests(program->flags);
    EXPECT_EQ(request(&mainloop::MenuFlags::ptree), Flow::loop_head);
    EXPECT_TRUE(logged(root + "  a               8.0000  0.0047"));
    EXPECT_TRUE(logged("     1     2      4  4/0                  0"));
    EXPECT_TRUE(logged("     2     2      4  0/4                  1"));
    EXPECT_EQ(forms->shown, (std::vector<int>{160, 160})); // the rules come first each time
    EXPECT_EQ(esc.waits, 2);

    // With two Ys the Y is chosen first; Cancel ends there.
    a.outcome.ny = 2;
    clear_requests(program->flags);
    EXPECT_EQ(request(&mainloop::MenuFlags::ptree), Flow::loop_head);
    EXPECT_EQ(forms->shown, (std::vector<int>{160, 160, 117}));
    a.outcome.ny = 1;

    // Without its template the rules dialog says so and no diagram opens.
    forms->missing = true;
    clear_requests(program->flags);
    EXPECT_EQ(request(&mainloop::MenuFlags::ptree), Flow::loop_head);
    EXPECT_TRUE(logged("Error: dialog box 60 not found"));
    EXPECT_EQ(esc.waits, 2);
}

// Y = 1 on lines 1-3 (5 of class 0, 3 of class 1); the split on a leaves 3/1 outside
// and 2/2 inside. Equal priors weigh class 0 by 8 x 0.5 / 5 = 0.8 and class 1 by
// 8 x 0.5 / 3 = 1.33, so the 2/2 node is of class 1 (2.67 against 1.6) and the 3/1
// node stays of class 0 (2.4 against 1.33); without priors both are of class 0.
TEST_F(ProcessRequests, TreeClassesWeighTheCountsByTheGivenPriors)
{
    mainloop::Analysis& a = *program->analysis;
    for (int i = 1; i <= 8; ++i) a.ymat[static_cast<std::size_t>(i - 1)] = i <= 3 ? 1.0f : 0.0f;
    a.tree.split = {{2, "a", "a", ""}};
    const auto open_rules = [&] {
        forms->steps.push_back(ScriptedForms::fill({{1000, "4"}, {1001, "2"}, {1002, "0"}}, {{1003, false}}));
    };
    MouseFeed esc(frame, tree::kTreeUnit, {});
    const struct {
        bool priors;
        const char* inside;
    } cases[] = {{false, "     2     2      4  2/2                  0"},
                 {true, "     2     2      4  2/2                  1"}};
    int shown = 0; // each table is added to the log
    for (const auto& c : cases) {
        program->crit.priors_given = c.priors;
        program->crit.prior[0] = program->crit.prior[1] = 0.5;
        open_rules();
        clear_requests(program->flags);
        EXPECT_EQ(request(&mainloop::MenuFlags::ptree), Flow::loop_head);
        ++shown;
        const auto lines = log_lines();
        EXPECT_EQ(std::count(lines.begin(), lines.end(), c.inside), 1) << c.priors;
        EXPECT_EQ(std::count(lines.begin(), lines.end(), "     1     2      4  3/1                  0"), shown);
    }
}

// Split on a with rules that show it (leaves at x 150 and 450, y 114..147): the
// leaf where a holds is highlighted and Part makes A = a, A- = not a the current
// pair; its statistics follow, and the idle poll will offer to save it.
TEST_F(ProcessRequests, TreePartitionBecomesTheCurrentPairAndIsProcessed)
{
    mainloop::Analysis& a = *program->analysis;
    a.tree.split = {{2, "a", "a", ""}};
    forms->steps.push_back(ScriptedForms::fill({{1000, "4"}, {1001, "2"}}));
    MouseFeed feed(frame, tree::kTreeUnit, {{MouseStep::click, 450, 130}, {MouseStep::click, 100, 5}});
    EXPECT_EQ(request(&mainloop::MenuFlags::ptree), Flow::loop_head);
    EXPECT_EQ(feed.overrun, 0);
    EXPECT_EQ(program->msgline, "Tree partition, highlighted nodes");
    const mainloop::ProcessState& ps = program->process;
    ASSERT_TRUE(ps.current_valid);
    EXPECT_EQ(ps.current.first.lits, (std::vector<partition::Literal>{2}));
    EXPECT_EQ(ps.current.second.lits, (std::vector<partition::Literal>{2})); // not a, held flipped
    EXPECT_TRUE(program->flags.treemade);
    EXPECT_TRUE(program->options.fullred);
    EXPECT_FALSE(program->options.primattr);
    // The pair in the log (and the Partition window), A- read from its flipped list.
    EXPECT_TRUE(logged("Tree partition, highlighted nodes"));
    EXPECT_TRUE(logged("   A= ( a >1 )"));
    EXPECT_TRUE(logged("Complement, non-highlighted nodes"));
    EXPECT_TRUE(logged("  A-= ( a <=1 )"));
    EXPECT_TRUE(logged("Y variable is y"));
    EXPECT_TRUE(logged("Sample size = 8"));
}

// With two Ys the Y is asked for once: the tree and the statistics of its
// partition both take the second Y, z = 1 - y (so a's leaf holds class 0 only).
TEST_F(ProcessRequests, TreePartitionOfTheChosenYAsksForTheYOnce)
{
    mainloop::Analysis& a = *program->analysis;
    a.tree.split = {{2, "a", "a", ""}};
    a.outcome.ny = 2;
    a.outcome.yname[1] = "z";
    a.outcome.ymax[1] = 1;
    a.outcome.ylev[1] = 2;
    a.outcome.ybin[1] = true;
    for (std::size_t i = 0; i < 8; ++i) a.ymat[8 + i] = 1.0f - a.ymat[i];
    forms->steps.push_back([](settings::Form& f) {
        f.picked[1004] = {false, true};
        return settings::kOk;
    });
    forms->steps.push_back(ScriptedForms::fill({{1000, "4"}, {1001, "2"}}));
    MouseFeed feed(frame, tree::kTreeUnit, {{MouseStep::click, 450, 130}, {MouseStep::click, 100, 5}});
    EXPECT_EQ(request(&mainloop::MenuFlags::ptree), Flow::loop_head);
    EXPECT_EQ(forms->shown, (std::vector<int>{117, 160}));
    EXPECT_TRUE(logged(" Tree for Y=z"));
    EXPECT_TRUE(logged("     1     2      4  0/4                  1"));
    EXPECT_TRUE(logged("Y variable is z"));
    EXPECT_FALSE(logged("Y variable is y"));
    EXPECT_TRUE(logged(" Resubstitution error is    0.00%"));
}

} // namespace
} // namespace meru::test
