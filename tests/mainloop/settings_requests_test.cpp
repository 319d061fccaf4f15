// The Options, Y and settings requests over the program's state: the Y
// follow-up (same Y, a new Y, the criterion check), the Criteria, Strategy and
// Extent stages in and out of Search:Go!, and the options line they save.
#include "mainloop/settings_requests.h"
#include "program_fixture.h"
#include "settings/criteria_dialog.h"
#include "settings/extent_dialog.h"
#include "settings/options_dialog.h"
#include "settings/strategy_dialog.h"
#include "support/scripted_forms.h"
#include "ui/ui_fixture.h"

#include <fstream>

namespace meru::test {
namespace {

using mainloop::Flow;
using settings::kCancel;
using settings::kOk;

class SettingsRequests : public ProgramTest {
protected:
    void SetUp() override
    {
        ProgramTest::SetUp();
        auto owned = std::make_unique<ScriptedForms>();
        forms = owned.get();
        program->forms = std::move(owned);
        program->ui.help = [this](std::string_view topic) { topics.emplace_back(topic); };
        program->analysis = make_analysis();
        auto& d = program->dispatch;
        d.ymenu = [this](mainloop::Program& p) { confirm_y(*p.analysis, ycol); };
        d.empty_results = [this](mainloop::Program&) { ++emptied; };
        d.reset_ranking = [this](mainloop::Program&) { ++rank_resets; };
        d.logrank_setup = [this](mainloop::Program&) { ++logrank_setups; };
    }

    // Variables "low" (0/1) and "grade" (1, 2, 3); line 2 has two cuts.
    static std::unique_ptr<mainloop::Analysis> make_analysis()
    {
        auto a = std::make_unique<mainloop::Analysis>();
        auto& t = a->tables;
        t.vars.varname = {"", "low", "grade"};
        t.vars.nvar = 2;
        t.nlines = 2;
        t.line.resize(3);
        t.line[1].var = 1;
        t.line[1].ncuts = 1;
        t.line[2].var = 2;
        t.line[2].ncuts = 2;
        t.natt = 23; // Top m up to 22
        files::allocate_data(a->data, 6, 2, 4);
        for (int i = 1; i <= 6; ++i) {
            a->data.obswt[static_cast<std::size_t>(i) - 1] = 1;
            a->data.x(i, 1) = static_cast<float>(i % 2);
            a->data.x(i, 2) = static_cast<float>(i % 3 + 1);
        }
        a->nobs = 6;
        a->stats.nread = 6;
        a->ymat.assign(6 * 5, 0.0f);
        a->outcome = outcome::first_variable_outcome("low");
        return a;
    }

    // What the Y menu leaves when variable `col` is confirmed as the one Y.
    static void confirm_y(mainloop::Analysis& a, int col)
    {
        outcome::Outcome& y = a.outcome;
        y.yenabled = true;
        y.yabandon = false;
        a.ynochange = false;
        y.ny = 1;
        y.ycol[0] = col;
        y.yname[0] = a.tables.vars.varname[static_cast<std::size_t>(col)];
        y.ybin[0] = col == 1;
        y.ylev[0] = col == 1 ? 2 : 3;
        y.ymax[0] = col == 1 ? 1.0 : 3.0;
        y.yvar[0] = col == 1 ? 0.25 : 2.0 / 3.0;
        for (int i = 1; i <= 6; ++i) a.ymat[static_cast<std::size_t>(i) - 1] = a.data.x(i, col);
    }

    Flow choose_y()
    {
        program->flags.qy = program->flags.yok = true;
        const Flow flow = mainloop::dispatch(*program);
        mainloop::clear_requests(program->flags);
        return flow;
    }

    ScriptedForms* forms = nullptr;
    std::vector<std::string> topics;
    int ycol = 1;
    int emptied = 0, rank_resets = 0, logrank_setups = 0;
};

TEST_F(SettingsRequests, TheSameYTwiceKeepsTheBestLists)
{
    EXPECT_FALSE(program->menus.enabled(mainloop::kCriteriaMenu, 0));
    program->flags.yoffered = true;
    EXPECT_EQ(choose_y(), Flow::loop_head);
    EXPECT_FALSE(program->flags.yoffered);
    EXPECT_TRUE(program->analysis->yset);
    EXPECT_FALSE(program->analysis->firsty);
    EXPECT_EQ(rank_resets, 1);
    EXPECT_TRUE(program->menus.enabled(mainloop::kCriteriaMenu, 0));
    EXPECT_TRUE(program->menus.enabled(mainloop::kStrategyMenu, 0));
    EXPECT_TRUE(program->menus.checked(mainloop::kYMenu, 1));
    EXPECT_EQ(choose_y(), Flow::loop_head);
    EXPECT_EQ(emptied, 0);
    EXPECT_EQ(rank_resets, 1);
    EXPECT_TRUE(forms->shown.empty());
}

TEST_F(SettingsRequests, ANewYUnderLogRankEmptiesTheResultsAndAsksForTheCriteria)
{
    choose_y();
    program->crit.icrit = program->analysis->lastcrit = 7;
    program->censoring.in_force = true;
    program->crit.beta = 0.3;
    ycol = 2;
    forms->steps = {ScriptedForms::press(kOk)};
    {
        ModalAnswerer answers({"OK"});
        EXPECT_EQ(choose_y(), Flow::loop_head);
        ASSERT_EQ(answers.shown.size(), 1u);
        EXPECT_NE(answers.shown[0].text.find("Note: Previous Y was censored. New Y=grade is not"), std::string::npos);
    }
    EXPECT_EQ(topics, std::vector<std::string>{"Note: Still log-rank"});
    EXPECT_EQ(emptied, 1);
    EXPECT_EQ(forms->shown, std::vector<int>{settings::criteria_ids::kDialog});
    EXPECT_FALSE(program->censoring.in_force);
    EXPECT_EQ(logrank_setups, 1);
    EXPECT_TRUE(program->analysis->critdone);
    EXPECT_EQ(program->crit.icrit, 7);
}

TEST_F(SettingsRequests, AnUnsuitedCriterionMustBeConfirmed)
{
    struct Case {
        int icrit;
        int ycol;
        bool critcheck;
    };
    const Case cases[] = {{4, 2, true}, {6, 2, true}, {3, 2, false}, {1, 2, false}, {4, 1, false}};
    for (const Case& c : cases) {
        program->analysis = make_analysis();
        ycol = c.ycol;
        program->crit.icrit = c.icrit;
        choose_y();
        EXPECT_EQ(program->analysis->critcheck, c.critcheck) << c.icrit << " " << c.ycol;
    }
    // Cancel while the criterion must be confirmed: the message and the dialog again.
    program->analysis->critdone = true;
    program->analysis->critcheck = true;
    forms->steps = {ScriptedForms::press(kCancel), [](settings::Form& f) {
                        f.choice[settings::criteria_ids::kCriterionList] = "Within MSE";
                        return kOk;
                    }};
    program->flags.qcrit = true;
    {
        ModalAnswerer answers({"OK"});
        EXPECT_EQ(mainloop::settings_request(*program), Flow::loop_head);
        ASSERT_EQ(answers.shown.size(), 1u);
        EXPECT_NE(answers.shown[0].text.find("Required to OK dialog"), std::string::npos);
    }
    EXPECT_EQ(forms->shown.size(), 2u);
    EXPECT_EQ(program->analysis->lastcrit, 1);

    // A missing template ends the request instead of asking again.
    forms->missing = true;
    program->flags.qcrit = true;
    EXPECT_EQ(mainloop::settings_request(*program), Flow::loop_head);
    EXPECT_EQ(log_lines().back(), " Error: dialog box 9  not found");
}

TEST_F(SettingsRequests, GoPassesValidCriteriaSilentlyAndRaisesTheRankStage)
{
    // Without a ranking the strategy stage's attribute set has no lines: its
    // message box is answered.
    EndRecorder ender;
    auto script = make_script("dismiss\n", ender);
    program->ui.host.script = script.get();
    choose_y();
    auto& f = program->flags;
    f.sgo = f.qcrit = f.qrank = f.rfixpos = true;
    program->analysis->critcheck = true;
    EXPECT_EQ(mainloop::settings_request(*program), Flow::poll);
    EXPECT_TRUE(forms->shown.empty());
    EXPECT_FALSE(f.qcrit);
    EXPECT_TRUE(f.qrank && f.rfixpos);
    EXPECT_FALSE(program->analysis->critcheck);
    EXPECT_TRUE(program->analysis->critdone);
    const auto lines = log_lines();
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(lines[lines.size() - 4], " Criteria:");

    // The strategy stage runs silently and raises the extent stage; the extent
    // stage checks silently and raises the search.
    f.qrank = f.rfixpos = false;
    f.strat = true;
    EXPECT_EQ(mainloop::settings_request(*program), Flow::poll);
    EXPECT_TRUE(f.qext);
    EXPECT_EQ(mainloop::settings_request(*program), Flow::poll);
    EXPECT_TRUE(f.qcont);
    EXPECT_FALSE(f.qext);
    EXPECT_TRUE(forms->shown.empty());
    EXPECT_TRUE(program->analysis->stratdone && program->analysis->extdone);
    EXPECT_EQ(topics, std::vector<std::string>{"NOTE: q=1 and p_1=1"}); // iterative mode
    program->ui.host.script = nullptr;
}

TEST_F(SettingsRequests, GoReachesTheCriteriaStageThenTheRankStage)
{
    choose_y();
    program->menus.set_flags(mainloop::kSearchMenu, 1, platform::kMenuEnabled);
    choose("Search", "Go!");
    EXPECT_EQ(mainloop::dispatch(*program), Flow::poll);
    EXPECT_TRUE(forms->shown.empty());
    EXPECT_TRUE(program->flags.qrank && program->flags.sgo);
    EXPECT_EQ(mainloop::dispatch(*program), Flow::loop_head);
    const auto lines = log_lines();
    EXPECT_NE(std::find(lines.begin(), lines.end(), " Criteria:"), lines.end());
    // The rank stage runs: this analysis's lines make no attributes to rank.
    EXPECT_EQ(topics.back(), "NOTE: No attributes");
}

TEST_F(SettingsRequests, StrategyFitsTheExtentOnlyWhenTreeIsSwitched)
{
    namespace st = settings::strategy_ids;
    choose_y();
    auto& f = program->flags;
    // A legitimate extent "1" with Tree off: OK twice, no Extent dialog.
    program->extent.sizetext = "1";
    program->extent.bounds = {1};
    for (int k = 0; k < 2; ++k) {
        forms->steps = {ScriptedForms::press(kOk)};
        f.strat = true;
        EXPECT_EQ(mainloop::settings_request(*program), Flow::loop_head);
        mainloop::clear_requests(f);
    }
    EXPECT_EQ(forms->shown, (std::vector<int>{st::kDialog, st::kDialog}));
    EXPECT_EQ(program->extent.sizetext, "1");

    // Tree switched on with the user's extent "3 2" (two float levels): the
    // extent becomes "1" and the Extent dialog follows with it; the Strategy
    // dialog, already answered, does not come back.
    program->extent = {};
    program->extent.sizetext = "3 2";
    program->extent.nfloatx = 2;
    forms->shown.clear();
    forms->steps = {ScriptedForms::fill({}, {{st::kTree, true}, {st::kIterative, false}, {st::kDecidepos, false}}),
                    ScriptedForms::press(kOk)};
    f.strat = true;
    EXPECT_EQ(mainloop::settings_request(*program), Flow::loop_head);
    EXPECT_EQ(program->extent.sizetext, "1");
    EXPECT_EQ(program->extent.nfloatx, 3);
    EXPECT_EQ(program->msgline, "Tree strategy  has Boolean splits");
    EXPECT_EQ(forms->shown, (std::vector<int>{st::kDialog, settings::extent_ids::kDialog}));
    EXPECT_EQ(program->extent.bounds, std::vector<int>{1});
    EXPECT_TRUE(program->analysis->extdone);

    // Tree switched off again: the Strategy dialog gives back the boxes the tree
    // held, then the Extent dialog shows the user's extent.
    mainloop::clear_requests(f);
    forms->shown.clear();
    forms->forms.clear();
    forms->steps = {ScriptedForms::fill({}, {{st::kTree, false}}), ScriptedForms::press(kOk),
                    ScriptedForms::press(kOk)};
    f.strat = true;
    EXPECT_EQ(mainloop::settings_request(*program), Flow::loop_head);
    EXPECT_EQ(forms->shown, (std::vector<int>{st::kDialog, st::kDialog, settings::extent_ids::kDialog}));
    EXPECT_TRUE(program->strategy.iterative && program->strategy.decidepos);
    EXPECT_EQ(forms->forms[2].text[settings::extent_ids::kSizes], "3 2");
    EXPECT_EQ(program->extent.nfloatx, 2);
    EXPECT_FALSE(program->strategy.before_tree);

    // "Set Extent Parameters" brings the Strategy dialog back after the Extent
    // dialog, also when that is cancelled.
    for (int closing : {kOk, kCancel}) {
        mainloop::clear_requests(f);
        forms->shown.clear();
        forms->steps = {ScriptedForms::press(st::kExtent), ScriptedForms::press(closing), ScriptedForms::press(kOk)};
        f.strat = true;
        EXPECT_EQ(mainloop::settings_request(*program), Flow::loop_head);
        EXPECT_EQ(forms->shown, (std::vector<int>{st::kDialog, settings::extent_ids::kDialog, st::kDialog}));
    }
}

TEST_F(SettingsRequests, StrategyWithoutAYSaysSo)
{
    program->flags.strat = true;
    EXPECT_EQ(mainloop::settings_request(*program), Flow::loop_head);
    EXPECT_EQ(topics, std::vector<std::string>{"NOTE: No Y"});
    EXPECT_TRUE(forms->shown.empty());
}

TEST_F(SettingsRequests, OptionsSaveTheOptionsLineAndCancelWritesNothing)
{
    namespace op = settings::options_ids;
    forms->steps = {ScriptedForms::press(kCancel)};
    EXPECT_EQ(mainloop::options_request(*program), Flow::loop_head);
    EXPECT_FALSE(std::ifstream(program->prefs_path).good());
    forms->steps = {ScriptedForms::fill({}, {{op::kDetailout, true}, {op::kSkipcomb, true}})};
    EXPECT_EQ(mainloop::options_request(*program), Flow::loop_head);
    std::ifstream in(program->prefs_path);
    std::string line;
    bool found = false;
    while (std::getline(in, line))
        if (line.rfind("FFTTFTF", 0) == 0) found = true;
    EXPECT_TRUE(found);
}

TEST_F(SettingsRequests, YDescriptionFromTheOutcome)
{
    confirm_y(*program->analysis, 2);
    program->analysis->tables.line[2].type = 'n';
    const settings::YDescription y = mainloop::describe_ys(*program->analysis);
    ASSERT_EQ(y.ys.size(), 1u);
    EXPECT_EQ(y.ys[0].name, "grade");
    EXPECT_FALSE(y.ys[0].binary);
    EXPECT_EQ(y.ys[0].ncat, 3);
    EXPECT_DOUBLE_EQ(y.ys[0].ymax, 3.0);
    EXPECT_NEAR(y.ys[0].variance, 2.0 / 3.0, 1e-12);
    EXPECT_TRUE(y.ys[0].nominal);
    EXPECT_EQ(y.cats, (std::vector<double>{1.0, 2.0, 3.0}));
    EXPECT_FALSE(mainloop::single_cuts(*program->analysis));
    // Whole numbers and others, some twice: ascending, once each; a value of
    // weight 0 only (7) and a missing one are no category.
    mainloop::Analysis& a = *program->analysis;
    a.ymat = {300.0f, 2.5f, 255.0f, 0.0f, 7.0f, 2.5f, -1.0f, 256.0f, 0.0f, 255.0f};
    a.data.n = a.stats.nread = static_cast<int>(a.ymat.size());
    a.data.obswt.assign(a.ymat.size(), 1);
    a.data.obswt[4] = 0;
    EXPECT_EQ(mainloop::describe_ys(a).cats, (std::vector<double>{0.0, 2.5, 255.0, 256.0, 300.0}));
}

} // namespace
} // namespace meru::test
