// The Strategy dialog: the tree rules, Top m and the iteration limit.
#include "settings/strategy_dialog.h"
#include "settings_fixture.h"

namespace meru::settings {
namespace {

namespace ids = strategy_ids;
using test::ScriptedForms;

class Strategy106 : public test::SettingsTest {
protected:
    StrategyResult run(int nattr = 22) { return stratdlg(s, bygroup, serialy, nattr, forms, services, log); }
    StrategySettings s;
    bool bygroup = false;
    bool serialy = false;
};

TEST_F(Strategy106, OkLogsTheModesAndTopM)
{
    forms.steps = {ScriptedForms::fill({{ids::kTopm, " 5"}, {ids::kMaxiter, "4"}}, {{ids::kIterative, false}})};
    const StrategyResult r = run();
    EXPECT_FALSE(r.cancelled);
    EXPECT_EQ(log_lines(), (std::vector<std::string>{" Non-iterative mode", " Not-forcing", " Decide positivity",
                                                     " Top m attributes, m=   5"}));
    EXPECT_EQ(s.topm, 5);
    EXPECT_EQ(s.attrsetspec, "1- 5");
    EXPECT_EQ(s.maxiter, 4);
    ASSERT_FALSE(forms.forms.empty());
    EXPECT_EQ(forms.forms[0].text[ids::kTopm], " 10");
}

TEST_F(Strategy106, TopMRefusalsAndTruncation)
{
    forms.steps = {ScriptedForms::fill({{ids::kTopm, "all"}}), ScriptedForms::fill({{ids::kTopm, "0"}}),
                   ScriptedForms::fill({{ids::kTopm, "-3"}}), ScriptedForms::fill({{ids::kTopm, "99"}})};
    run();
    EXPECT_EQ(services.with_prefix("msgbox:"),
              (std::vector<std::string>{"msgbox:Need a number m in Top m box$ kind=ok",
                                        "msgbox:Need a number m in Top m box$ kind=ok",
                                        "msgbox:Need a number m in Top m box$ kind=ok",
                                        "msgbox:Top m too large. Truncated to # attributes $ kind=ok"}));
    ASSERT_GE(forms.forms.size(), 2u);
    EXPECT_EQ(forms.forms[1].text[ids::kTopm], "all"); // the typed text is shown again
    EXPECT_EQ(s.topm, 22);
    EXPECT_EQ(s.attrsetspec, "1- 22");
    EXPECT_EQ(log_lines().back(), " Top m attributes, m=  22");
}

TEST_F(Strategy106, ExtentButtonReturnsWithoutChecksOrLog)
{
    forms.steps = {ScriptedForms::fill({{ids::kTopm, "all"}}, {{ids::kTree, true}}, ids::kExtent)};
    const StrategyResult r = run();
    EXPECT_TRUE(r.wantextent);
    EXPECT_TRUE(s.treemode);
    EXPECT_EQ(s.topmbox, "all");
    EXPECT_TRUE(log_lines().empty());
    EXPECT_TRUE(services.calls.empty());
}

TEST_F(Strategy106, ATruncationHoldsForTheAnalysisTheTypedTopMForTheNext)
{
    // The box shows the m a search used; an OK that leaves it keeps the user's
    // choice; an m typed too large for the dialog is the choice while m is cut.
    s.topm = 3;
    forms.steps = {ScriptedForms::press(kOk), ScriptedForms::fill({{ids::kTopm, "99"}})};
    run();
    EXPECT_EQ(forms.forms[0].text[ids::kTopm], "  3");
    EXPECT_EQ(s.chosen_topm, 10);
    run();
    EXPECT_EQ(s.topm, 22);
    EXPECT_EQ(s.chosen_topm, 99);
}

TEST_F(Strategy106, UntickingTreeGivesBackTheBoxesItTurnedOff)
{
    // Tree ticked with both boxes on: they are held, as they were before the dialog.
    forms.steps = {ScriptedForms::fill({}, {{ids::kTree, true}}), ScriptedForms::press(kOk)};
    run();
    ASSERT_TRUE(s.before_tree);
    EXPECT_TRUE(s.before_tree->iterative && s.before_tree->decidepos);
    EXPECT_FALSE(s.iterative || s.decidepos);

    // Unticked: the boxes come back with a note, and OK keeps what is shown then.
    forms = {};
    forms.steps = {ScriptedForms::fill({}, {{ids::kTree, false}, {ids::kIterative, true}}),
                   ScriptedForms::fill({}, {{ids::kIterative, false}})};
    run();
    ASSERT_EQ(forms.forms.size(), 2u);
    EXPECT_TRUE(forms.forms[1].is_on(ids::kDecidepos));
    EXPECT_EQ(forms.forms[1].text[ids::kNote],
              "Without the tree, Decide positivity is on again, as before the tree. Press OK to keep it.");
    EXPECT_FALSE(s.iterative);
    EXPECT_TRUE(s.decidepos);
    EXPECT_FALSE(s.treemode);
}

TEST_F(Strategy106, TreeRules)
{
    // Tree with Iterative on: the three boxes cleared, the dialog again; then the
    // cleared Decide positivity is accepted as is.
    // The dialog shown again says why.
    forms.steps = {ScriptedForms::fill({}, {{ids::kTree, true}}), ScriptedForms::press(kOk)};
    run();
    ASSERT_EQ(forms.forms.size(), 2u);
    EXPECT_FALSE(forms.forms[1].is_on(ids::kIterative));
    EXPECT_FALSE(forms.forms[1].is_on(ids::kDecidepos));
    EXPECT_EQ(forms.forms[0].text[ids::kNote], "");
    EXPECT_EQ(forms.forms[1].text[ids::kNote], "A tree analysis goes without Iterative mode and Decide positivity: "
                                               "the tree turned them off. Press OK to keep the tree.");
    EXPECT_TRUE(s.treemode);
    // Accepted, the tree logs the strategy in force, its Top m too.
    EXPECT_EQ(log_lines(), (std::vector<std::string>{" Non-iterative mode", " Not-forcing",
                                                     " Positive attributes as specified", " Top m attributes, m=  10"}));

    // Only Decide positivity on: it is cleared and the dialog shown again.
    forms = {};
    s = {};
    forms.steps = {ScriptedForms::fill({}, {{ids::kTree, true}, {ids::kIterative, false}}),
                   ScriptedForms::press(kOk)};
    run();
    ASSERT_EQ(forms.forms.size(), 2u);
    EXPECT_FALSE(s.decidepos);
    EXPECT_EQ(forms.forms[1].text[ids::kNote],
              "A tree analysis goes without Decide positivity: the tree turned it off. Press OK to keep the tree.");

    // Serial Ys: refused until Tree is unticked.
    forms = {};
    s = {};
    serialy = true;
    forms.steps = {ScriptedForms::fill({}, {{ids::kTree, true}, {ids::kIterative, false}, {ids::kDecidepos, false}}),
                   ScriptedForms::fill({}, {{ids::kTree, false}})};
    run();
    EXPECT_EQ(services.with_prefix("msgbox:"),
              std::vector<std::string>{"msgbox:Serial multivariate Y and tree not allowed$ kind=ok"});

    // By-group mode: the question; Yes ends by-group mode.
    forms = {};
    services.calls.clear();
    s = {};
    serialy = false;
    bygroup = true;
    forms.steps = {ScriptedForms::fill({}, {{ids::kTree, true}}), ScriptedForms::press(kCancel)};
    const StrategyResult r = run();
    EXPECT_EQ(services.with_prefix("quiz:"),
              std::vector<std::string>{"quiz:?By group and tree not allowed! Undo by-group?"});
    EXPECT_FALSE(bygroup);
    EXPECT_TRUE(r.bygroup_undone);
    EXPECT_TRUE(r.cancelled);
}

TEST_F(Strategy106, BadIterationLimitHelpAndCancel)
{
    forms.steps = {ScriptedForms::press(kHelp), ScriptedForms::fill({{ids::kMaxiter, "six"}}),
                   ScriptedForms::fill({{ids::kMaxiter, "-1"}}), ScriptedForms::fill({{ids::kMaxiter, "0"}}),
                   ScriptedForms::press(kCancel)};
    const StrategyResult r = run();
    EXPECT_TRUE(r.cancelled);
    EXPECT_EQ(services.calls.front(), "help:Strategy dialog");
    EXPECT_EQ(services.with_prefix("msgbox:"),
              (std::vector<std::string>{"msgbox:Error reading max iterations$ kind=ok",
                                        "msgbox:Maximum iterations takes a whole number from 1 to 999999$ kind=ok",
                                        "msgbox:Maximum iterations takes a whole number from 1 to 999999$ kind=ok"}));
    EXPECT_EQ(forms.forms.size(), 5u);
    EXPECT_EQ(forms.forms[3].text[ids::kMaxiter], "-1"); // shown again as typed
}

TEST(StrategyFields, FixedFieldIntegers)
{
    EXPECT_EQ(read_int_field("  12  ", 6), 12);
    EXPECT_EQ(read_int_field("      ", 6), 0);
    EXPECT_EQ(read_int_field("1 2", 6), 12);
    EXPECT_EQ(read_int_field("1234567", 6), 123456);
    EXPECT_FALSE(read_int_field("all", 6));
}

} // namespace
} // namespace meru::settings
