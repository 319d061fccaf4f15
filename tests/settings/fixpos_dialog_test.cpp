// The Fix Positive attributes dialog: its texts and list, Swap/Ignore/As in CF/
// Help/OK, every refusal, the missing template and the closing log.
#include "search/rank_tables.h"
#include "settings/fixpos_dialog.h"
#include "settings_fixture.h"

#include <algorithm>

namespace meru::settings {
namespace {

using namespace fixpos_ids;
using test::ScriptedForms;

class FixposDialog : public test::SettingsTest {
protected:
    // lines: 2 "up" (2 cuts), 3 "down" (1 cut), 4 "cens" (1 cut), 5 "_i_x" (1 cut)
    files::ControlTables t = test::rank_tables({{"up", 2}, {"down", 1}, {"cens", 1}, {"_i_x", 1}});
    files::DataArrays d;
    search::FixposState s;

    void SetUp() override
    {
        SettingsTest::SetUp();
        files::allocate_data(d, 2, t.nlines, t.natt);
        for (int a = 1; a <= t.natt; ++a) d.ab(a, 1) = 1;
        s.start(t);
        for (int a = 2; a <= t.natt; ++a) s.record(a, a == 4 ? -0.5 : 0.3);
    }
    search::FixposRun run(bool go = false)
    {
        stats::Censoring c;
        c.in_force = true;
        c.attribute = 5;
        return search::FixposRun{t, d, c, go, true, false, services, log};
    }
    // A step that highlights rows (1-based) and presses `button`.
    static ScriptedForms::Step pick(std::vector<int> rows, int button)
    {
        return [rows, button](Form& f) {
            for (int r : rows) f.picked[kList][static_cast<std::size_t>(r - 1)] = true;
            return button;
        };
    }
    bool called(const std::string& text) const
    {
        return std::find(services.calls.begin(), services.calls.end(), text) != services.calls.end();
    }
};

TEST_F(FixposDialog, ListsTheRankedLinesAndLogsTheAutomaticSwap)
{
    forms.steps.push_back(ScriptedForms::press(kOk));
    search::FixposRun r = run();
    fixpos_mode2(s, r, {{"repub"}, {3, 2, 4}}, forms);
    ASSERT_EQ(forms.shown, std::vector<int>{kDialog});
    const Form& f = forms.forms[0];
    EXPECT_EQ(f.text.at(kTop), "Correlations with repub    Max. over cuts   Each cut");
    EXPECT_EQ(f.text.at(kBottom), "Highlight & Swap/Ignore as required");
    ASSERT_EQ(f.items.at(kList).size(), 4u); // down, up x2, cens; "_i_x" never listed
    EXPECT_EQ(f.items.at(kList)[0].substr(0, 12), " down <=1   ");
    EXPECT_TRUE(t.line[3].swapped);
    const auto lines = log_lines();
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(lines[0], "Cannot change direction of censoring attribute cens >1");
    EXPECT_EQ(lines[1], " Directions of    1 control file line has been swapped");
    EXPECT_EQ(lines[3], " down <=1");
    EXPECT_EQ(fixpos_heading({"a", "b"}), "Mutivariate Y correlation  Max. over cuts   Each cut");
}

TEST_F(FixposDialog, SwapIgnoreAsInCfAndHelp)
{
    forms.steps.push_back(pick({2, 3}, kSwap)); // both cuts of "up": turned once
    forms.steps.push_back(pick({4}, kIgnore));  // cens ignored
    forms.steps.push_back(pick({}, kHelpButton));
    forms.steps.push_back(pick({}, kAsInCf)); // every swapped line back
    forms.steps.push_back(ScriptedForms::press(kOk));
    search::FixposRun r = run();
    fixpos_mode2(s, r, {{"y"}, {3, 2, 4}}, forms);
    ASSERT_EQ(forms.shown.size(), 5u);
    // After Swap: "up" turned once (its rows show negated correlations).
    EXPECT_NE(forms.forms[1].items.at(kList)[1].find("-0.300"), std::string::npos);
    EXPECT_EQ(forms.forms[2].items.at(kList)[3].front(), '[');
    EXPECT_TRUE(called("help:Rank: Fix Positive attributes"));
    for (int line = 2; line <= 4; ++line) EXPECT_FALSE(t.line[static_cast<std::size_t>(line)].swapped);
    EXPECT_EQ(t.att[2].signbyte, 1);
    EXPECT_EQ(d.ab(2, 1), 1);
    EXPECT_TRUE(t.line[4].ignored);
    const auto lines = log_lines();
    EXPECT_EQ(lines[1], "No attribute directions are swapped");
    EXPECT_EQ(lines[2], " cens      attributes are ignored");
}

TEST_F(FixposDialog, RefusalsLeaveTheLineUnchanged)
{
    search::FixposRun r = run();
    t.att[3].added = true;
    const std::vector<search::FixposItem> items{{"x", 6, 5}, {"x", 3, 2}, {"x", 5, 4}, {"", 0, 0}, {"x", 4, 3}};
    swap_rows(s, r, items, {true, true, true, true, true});
    EXPECT_TRUE(called("note:Cannot swap special attributes _i_ or _r $ kind=cut79"));
    EXPECT_TRUE(called("note:Cannot swap added attributes $ kind=cut79"));
    EXPECT_TRUE(called("note:Cannot swap a censoring indicator attribute $ kind=cut79"));
    for (int line = 2; line <= 5; ++line) EXPECT_FALSE(t.line[static_cast<std::size_t>(line)].swapped);

    // Nothing highlighted.
    forms.steps.push_back(pick({}, kSwap));
    forms.steps.push_back(pick({}, kIgnore));
    forms.steps.push_back(ScriptedForms::press(kOk));
    fixpos_mode2(s, r, {{"y"}, {2}}, forms);
    EXPECT_TRUE(std::any_of(services.calls.begin(), services.calls.end(), [](const std::string& c) {
        return c.rfind("msgbox:NOTE:need to select item to swap$", 0) == 0;
    }));
    EXPECT_TRUE(std::any_of(services.calls.begin(), services.calls.end(), [](const std::string& c) {
        return c.rfind("msgbox:NOTE:need to select item to ignore$", 0) == 0;
    }));
}

TEST_F(FixposDialog, MissingTemplateAndGoSkipTheDialog)
{
    forms.missing = true;
    search::FixposRun r = run();
    fixpos_mode2(s, r, {{"y"}, {2, 3}}, forms);
    EXPECT_EQ(log_lines()[1], "Error: dialog box 23 not found");
    EXPECT_TRUE(t.line[3].swapped); // the automatic decision stands

    forms.missing = false;
    search::FixposRun go = run(true);
    fixpos_mode2(s, go, {{"y"}, {2, 3}}, forms);
    EXPECT_TRUE(forms.shown.empty());
}

} // namespace
} // namespace meru::settings
