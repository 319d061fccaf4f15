// By-groups on the example data sets: the by-group dialog's paths, the group
// list in the log, the cap on the number of groups, tree mode and the walk over
// the groups. Group counts checked against R's table() of the same columns.
#include "files/tables.h"
#include "outcome/bygroup_mode.h"
#include "outcome/mode_fixture.h"

namespace meru::test {
namespace {

class ByGroupTest : public YMenuTest {
protected:
    void mode(bool split = false, bool serial = false)
    {
        const outcome::Sp4Input in{run->t, run->d, run->r.nread, mask, defyname};
        outcome::bygroup_mode(by, in, {split, serial, &tree, run->r.marks.charflag}, modes, sv, log.log);
    }
    std::vector<std::string> trimmed_log() const
    {
        std::vector<std::string> out;
        for (const auto& l : log.lines) out.push_back(rtrim(l));
        return out;
    }
    ScriptedModeDialogs modes;
    std::string defyname = "time";
    bool tree = false;
};

TEST_F(ByGroupTest, ByValueOnSexListsTwoGroupsAndAgainSwitchesItOff)
{
    open_example("lung");
    const int sex = var("sex");
    modes.by_steps = {ScriptedModeDialogs::pick(sex, true)};
    mode();
    ASSERT_TRUE(by.mode);
    EXPECT_TRUE(by.byvalues);
    EXPECT_EQ(by.byindex, sex);
    EXPECT_EQ(by.values, (std::vector<double>{1, 2}));
    EXPECT_EQ(by.counts, (std::vector<long long>{138, 90})); // table(lung$sex)
    EXPECT_EQ(by.bylabel, "sex = 2");
    EXPECT_TRUE(called("actlog:%Y:by-group"));
    EXPECT_TRUE(called("note:There are    2 By-groups of sex. View LOG for details $ kind=full"));
    EXPECT_EQ(trimmed_log(), (std::vector<std::string>{"Analysis by variable: sex", " Defined by variable values",
                                                       " By-group 1: sex = 1.000", " By-group 2: sex = 2.000"}));
    // The first showing starts with By Attribute on.
    ASSERT_EQ(modes.by_seen.size(), 1u);
    EXPECT_TRUE(modes.by_seen[0].byattribute);
    EXPECT_FALSE(modes.by_seen[0].byvalue);

    log.lines.clear();
    mode(); // no dialog: the mode is switched off
    EXPECT_FALSE(by.mode);
    EXPECT_EQ(modes.by_seen.size(), 1u);
    EXPECT_EQ(log.lines, std::vector<std::string>{" No by group selected, or cancelled"});
}

TEST_F(ByGroupTest, RefusalsAndTheDialogsRetries)
{
    open_example("lung");
    mode(true, false);
    mode(false, true);
    EXPECT_EQ(sv.calls,
              (std::vector<std::string>{"help:NOTE: By groups with Edit:Split",
                                        "msgbox:Cannot do by-groups in serial multivar mode. Reselect Y$ kind=ok"}));
    EXPECT_TRUE(modes.by_seen.empty());

    // Help, no variable highlighted, the Y's own name inside defyname, then
    // Cancel: nothing is logged but the heading and the cancel line.
    defyname = "xsexy";
    modes.by_steps = {ScriptedModeDialogs::pick(0, true, outcome::ids::kByHelp), ScriptedModeDialogs::pick(0, true),
                      ScriptedModeDialogs::pick(var("sex"), true),
                      ScriptedModeDialogs::pick(0, false, outcome::kCancel)};
    mode();
    EXPECT_FALSE(by.mode);
    EXPECT_TRUE(called("help:By Value and By Attribute"));
    EXPECT_TRUE(called("msgok:Same as Y variable. Re-choose $"));
    ASSERT_EQ(modes.by_seen.size(), 4u);
    // A re-shown dialog keeps the radio buttons as the user left them.
    EXPECT_TRUE(modes.by_seen[2].byvalue);
    EXPECT_EQ(log.lines, std::vector<std::string>{" No by group selected, or cancelled"});
}

TEST_F(ByGroupTest, ByAttributeTakesASingleLineAndOffersSeveral)
{
    open_example("lung");
    modes.by_steps = {ScriptedModeDialogs::pick(var("sex"), false)};
    mode();
    ASSERT_TRUE(by.mode);
    EXPECT_FALSE(by.byvalues);
    EXPECT_TRUE(modes.group_lists.empty()); // one line: no second dialog
    EXPECT_EQ(by.ngroups, 1);
    const int line = by.byindex;
    EXPECT_EQ(run->t.line[static_cast<std::size_t>(line)].var, var("sex"));
    EXPECT_EQ(rtrim(log.lines.at(1)), " Defined by attributes of variable");
    EXPECT_EQ(rtrim(log.lines.at(2)), " By-group 1: sex _male"); // the own label of "1=male"

    // The group mask: the observations whose byte of the attribute is 1 (138 males).
    const std::vector<char> m = outcome::group_mask(by, run->t, run->d, run->r.nread, mask, 1);
    EXPECT_EQ(std::count(m.begin(), m.end(), 1), 138);
}

// A hand-made table: variable AGE (1) with two lines, the first of two cuts.
files::ControlTables two_lines()
{
    files::ControlTables t;
    t.vars.nvar = 2;
    t.vars.varname = {"", "AGE", "AGE2"};
    t.line.resize(4);
    for (int l : {2, 3}) {
        t.line[static_cast<std::size_t>(l)].name = "AGE";
        t.line[static_cast<std::size_t>(l)].var = 1;
    }
    t.line[2].ncuts = 2;
    t.line[2].attoff = 2;
    t.line[3].ncuts = 1;
    t.line[3].attoff = 3;
    t.nlines = 3;
    t.att.resize(4);
    const auto lab = [](std::string s) { return s + std::string(20 - s.size(), ' '); };
    t.att[1].attlab = {lab(">=40"), lab("<40")};
    t.att[1].signbyte = 1;
    t.att[2].attlab = {lab(">=40"), lab("<40")};
    t.att[2].signbyte = -1; // shown under its complement's label
    t.att[3].attlab = {lab("<=50"), lab(">50")};
    t.natt = 3;
    return t;
}

TEST_F(ByGroupTest, AttributeGroupsListsLabelsAndItsCancelStartsOver)
{
    const files::ControlTables t = two_lines();
    EXPECT_EQ(outcome::group_line_label(t, 2, "AGE"), "AGE : <40 , >=40 ");
    EXPECT_EQ(outcome::group_line_label(t, 3, "AGE"), "AGE : >50 ");

    files::DataArrays d;
    files::allocate_data(d, 2, 2, 3);
    outcome::ByGroup b;
    // AGE2 has no attribute line: the note, and the first dialog again.
    modes.by_steps = {ScriptedModeDialogs::pick(2, false), ScriptedModeDialogs::pick(1, false),
                      ScriptedModeDialogs::pick(1, false)};
    modes.groups = {{outcome::kCancel, {}}, {outcome::kOk, {}}, {outcome::kOk, {2}}};
    const outcome::Sp4Input in{t, d, 2, {}, "low"};
    outcome::sp4(b, in, modes, sv, log.log);
    // Cancel in the second dialog went back to the first, with By Attribute on;
    // OK with nothing highlighted showed the second again.
    EXPECT_TRUE(called("help:NOTE: no attributes specified"));
    ASSERT_EQ(modes.by_seen.size(), 3u);
    EXPECT_TRUE(modes.by_seen[2].byattribute);
    EXPECT_EQ(modes.group_lists.size(), 3u);
    EXPECT_TRUE(b.mode);
    EXPECT_EQ(b.byindex, 3);
    EXPECT_EQ(b.ngroups, 1);
    EXPECT_EQ(log.lines, std::vector<std::string>{"Analysis by variable: AGE"});
}

TEST_F(ByGroupTest, ValueGroupsDropMissingValuesAndMoreThanThirtyAreCut)
{
    const std::vector<float> v{-1, 0, 2, 2, 5, 7};
    const std::vector<int> w{1, 1, 2, 3, 1, 1};
    const std::vector<char> m{1, 1, 1, 1, 1, 0};
    const outcome::ValueGroups g = outcome::value_groups(v, w, m);
    EXPECT_EQ(g.values, (std::vector<double>{0, 2, 5}));
    EXPECT_EQ(g.counts, (std::vector<long long>{1, 5, 1}));

    open_example("lung"); // age has 42 distinct values (length(unique(lung$age)))
    modes.by_steps = {ScriptedModeDialogs::pick(var("age"), true)};
    mode();
    EXPECT_TRUE(called("msgbox:  42 is too many by-groups > parameter MAXBYG=30 Will do first  30 only $ kind=ok"));
    EXPECT_EQ(by.ngroups, 30);
    ASSERT_EQ(by.values.size(), 30u);
    EXPECT_EQ(by.values.front(), 39);
    EXPECT_EQ(by.counts.front(), 2); // table(lung$age): 39 twice
    EXPECT_EQ(rtrim(log.lines.back()), " By-group 30: age = 68.00");
}

TEST_F(ByGroupTest, TreeModeAndTheStrategyTreeFlag)
{
    open_example("lung");
    outcome::sp4_tree(by, run->t, run->d, run->r.nread, var("inst"), 3);
    EXPECT_TRUE(by.mode && by.byvalues);
    EXPECT_EQ(by.ngroups, 8);
    EXPECT_EQ(by.values, (std::vector<double>{1, 2, 3, 4, 5, 6, 7, 8}));
    EXPECT_EQ(by.obsvalues.size(), static_cast<std::size_t>(run->r.nread));
    EXPECT_TRUE(log.lines.empty());
    EXPECT_TRUE(sv.calls.empty());

    by = {};
    tree = true;
    modes.by_steps = {ScriptedModeDialogs::pick(var("sex"), true)};
    mode();
    EXPECT_FALSE(tree);
    EXPECT_EQ(sv.calls.back(), "help:NOTE: Strategy:Tree checked");
}

TEST_F(ByGroupTest, TheWalkSkipsAGroupOnQuitAndMasksEachGroup)
{
    open_example("lung");
    modes.by_steps = {ScriptedModeDialogs::pick(var("sex"), true)};
    mode();
    log.lines.clear();
    by.current = 0;
    modes.quit_answers = {2, 1};
    ASSERT_TRUE(outcome::next_group(by, run->t, run->r.marks.charflag, modes, log.log, msgline));
    EXPECT_EQ(by.current, 2);
    EXPECT_EQ(by.bylabel, "sex = 2");
    EXPECT_EQ(log.lines, std::vector<std::string>{" By-group   2: sex     = 2.000"});
    EXPECT_FALSE(outcome::next_group(by, run->t, run->r.marks.charflag, modes, log.log, msgline));
    EXPECT_EQ(modes.quit_notes.size(), 2u);
    const std::vector<char> m = outcome::group_mask(by, run->t, run->d, run->r.nread, mask, 2);
    EXPECT_EQ(std::count(m.begin(), m.end(), 1), 90);
}

} // namespace
} // namespace meru::test
