// The stopping-rules dialog: the rules shown, each refused entry noted and the
// dialog shown again, OK taking the entries, Cancel and a missing template
// keeping the rules.
#include "mainloop/tree_rules_dialog.h"
#include "support/scripted_forms.h"

#include <gtest/gtest.h>

namespace meru::test {
namespace {

namespace ids = mainloop::tree_rules_ids;

TEST(TreeRulesDialog, RefusalsComeAgainAndOkTakesTheEntries)
{
    ScriptedForms forms;
    std::vector<std::string> notes;
    auto refuse = [&](std::string t) { notes.push_back(std::move(t)); };
    const struct {
        int id;
        std::string text;
        std::string note;
    } refused[] = {
        {ids::kParentMin, "1", "Parent-node minimum n must be a whole number of at least 2$"},
        {ids::kParentMin, "2.5", "Parent-node minimum n must be a whole number of at least 2$"},
        {ids::kTerminalMin, "0", "Minimum terminal node n must be a whole number of at least 1$"},
        {ids::kCritical, "x", "Critical t or z must be a number of at least 0$"},
        {ids::kCritical, "-1", "Critical t or z must be a number of at least 0$"},
    };
    for (const auto& r : refused)
        forms.steps.push_back(ScriptedForms::fill(
            {{ids::kParentMin, "20"}, {ids::kTerminalMin, "10"}, {ids::kCritical, "1.96"}, {r.id, r.text}}));
    forms.steps.push_back(ScriptedForms::fill(
        {{ids::kParentMin, " 30 "}, {ids::kTerminalMin, "5"}, {ids::kCritical, "2.58"}}, {{ids::kSameStop, false}}));
    tree::TreeRules rules;
    EXPECT_EQ(mainloop::tree_rules_dialog(forms, rules, refuse), settings::kOk);
    ASSERT_EQ(notes.size(), std::size(refused));
    for (std::size_t i = 0; i < notes.size(); ++i) EXPECT_EQ(notes[i], refused[i].note);
    EXPECT_EQ(forms.shown, std::vector<int>(std::size(refused) + 1, ids::kDialog));
    EXPECT_EQ(forms.forms[0].text[ids::kParentMin], "20");
    EXPECT_EQ(forms.forms[0].text[ids::kTerminalMin], "10");
    EXPECT_EQ(forms.forms[0].text[ids::kCritical], "1.96");
    EXPECT_TRUE(forms.forms[0].on[ids::kSameStop]);
    EXPECT_EQ(rules.parentmin, 30);
    EXPECT_EQ(rules.terminalmin, 5);
    EXPECT_EQ(rules.tcrit, 2.58);
    EXPECT_FALSE(rules.samestop);

    forms.steps.push_back(ScriptedForms::fill({{ids::kParentMin, "50"}}, {}, settings::kCancel));
    EXPECT_EQ(mainloop::tree_rules_dialog(forms, rules, refuse), settings::kCancel);
    EXPECT_EQ(rules.parentmin, 30);
    forms.missing = true;
    EXPECT_EQ(mainloop::tree_rules_dialog(forms, rules, refuse), settings::kMissing);
    EXPECT_EQ(rules.parentmin, 30);
}

} // namespace
} // namespace meru::test
