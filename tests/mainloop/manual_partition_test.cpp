// The Manual partition and Control file combination loops, run through scripted
// dialogs: each step of a script is what the user does with the dialog shown.
#include "mainloop/manual_partition.h"
#include "partition/captured_log.h"
#include "partition/manpart_tables.h"
#include "support/recording_services.h"

#include <gtest/gtest.h>

#include <deque>
#include <functional>

namespace meru::mainloop::test {
namespace {

using namespace partition;
using namespace ui;
using partition::test::CapturedLog;
using partition::test::make_tables;

namespace ids = manpart_ids;

using ManualStep = std::function<int(ManualView&)>;
using ComboStep = std::function<int(std::vector<bool>&)>;

struct ScriptedDialogs : PartitionDialogs {
    std::deque<ManualStep> manual_steps;
    std::deque<ComboStep> combo_steps;
    std::vector<std::string> shown; // the text each Manual partition dialog opened with
    int combo_shows = 0;

    int manual(ManualView& view) override
    {
        shown.push_back(view.text);
        if (manual_steps.empty()) return ids::kCancel;
        ManualStep s = manual_steps.front();
        manual_steps.pop_front();
        return s(view);
    }
    int combination(const std::vector<std::string>&, std::vector<bool>& selected) override
    {
        ++combo_shows;
        if (combo_steps.empty()) return ids::kCancel;
        ComboStep s = combo_steps.front();
        combo_steps.pop_front();
        return s(selected);
    }
};

ManualStep type_ok(std::string text, bool aminus = false)
{
    return [text, aminus](ManualView& v) {
        v.text = text;
        v.aminus = aminus;
        return ids::kOk;
    };
}
ManualStep press(int id)
{
    return [id](ManualView&) { return id; };
}

struct ManpartFixture : ::testing::Test {
    files::ControlTables t = make_tables();
    std::vector<int> linelist = {2, 3, 4};
    ManualText state;
    ScriptedDialogs dlg;
    meru::test::RecordingServices sv;
    CapturedLog cap;

    ManpartResult run(bool combmode = false) { return manpart(combmode, state, t, linelist, dlg, sv, cap.log); }
    bool logged(const std::string& prefix) const
    {
        for (const auto& l : cap.lines)
            if (l.rfind(prefix, 0) == 0) return true;
        return false;
    }
};

TEST_F(ManpartFixture, ValidText)
{
    dlg.manual_steps = {type_ok("(3 -2)(12)")};
    ManpartResult r = run();
    ASSERT_FALSE(r.cancelled);
    EXPECT_EQ(r.list.lp, (std::vector<int>{2, 1}));
    EXPECT_EQ(r.list.lits, (std::vector<Literal>{3, -2, 12}));
    EXPECT_EQ(r.repflag, 1);
    EXPECT_EQ(r.litline, (std::vector<int>{2, 2, 4}));
    EXPECT_EQ(r.litcut, (std::vector<int>{2, 1, 5}));
    EXPECT_EQ(dlg.shown, std::vector<std::string>{"(2)(3)(4)"});
    EXPECT_TRUE(logged(" Partition:combination: (3 -2)(12)"));
}

TEST_F(ManpartFixture, RepairedText)
{
    // Without parentheses the text is one term, accepted with a query.
    dlg.manual_steps = {type_ok("3 -2")};
    ManpartResult r = run();
    ASSERT_FALSE(r.cancelled);
    EXPECT_EQ(r.list.lp, (std::vector<int>{2}));
    EXPECT_TRUE(logged(" Syntax query. Will try to ignore"));
    // A term left open at the end is closed by the end of the text; the text is
    // kept as the one a later Cancel restores.
    dlg.manual_steps = {type_ok("(3 -2)(4")};
    r = run();
    ASSERT_FALSE(r.cancelled);
    EXPECT_EQ(r.list.lp, (std::vector<int>{2, 1}));
    EXPECT_EQ(state.saved.substr(0, 9), "(3 -2)(4 ");
}

TEST_F(ManpartFixture, ErrorShowsTheDialogAgainWithTheText)
{
    const std::string cut = std::string(193, ' ') + "(2 3 -4"; // its last term runs to column 200
    dlg.manual_steps = {type_ok("(3)(4) 5"), type_ok("(99)"), type_ok(cut), type_ok("(4)")};
    ManpartResult r = run();
    ASSERT_FALSE(r.cancelled);
    EXPECT_EQ(r.list.lits, (std::vector<Literal>{4}));
    EXPECT_EQ(dlg.shown, (std::vector<std::string>{"(2)(3)(4)", "(3)(4) 5", "(99)", cut}));
    EXPECT_EQ(sv.with_prefix("msgbox:"),
              (std::vector<std::string>{
                  "msgbox:Bad expression syntax$ kind=ok", "msgbox:Attribute number(s) not in range$ kind=ok",
                  "msgbox:String possibly too long >200 chars??$ kind=ok",
                  "msgbox:Bad expression syntax: the last term runs to column 200 without its \")\"$ kind=ok"}));
    EXPECT_TRUE(logged(" Bad Boolean expression"));
    EXPECT_TRUE(logged(" out of range: 99"));
}

TEST_F(ManpartFixture, CancelRestoresTheOpeningText)
{
    auto select = [](ManualView& v) {
        v.text = "(5)";
        v.selected[1] = true;
        return ids::kAdd;
    };
    dlg.manual_steps = {press(ids::kClear), select, press(ids::kHelp), press(ids::kCancel)};
    ManpartResult r = run();
    EXPECT_TRUE(r.cancelled);
    EXPECT_EQ(dlg.shown, (std::vector<std::string>{"(2)(3)(4)", "", "(5) (3)", "(5) (3)"}));
    EXPECT_EQ(state.ptext, "(2)(3)(4)");
    EXPECT_EQ(sv.with_prefix("help:"), std::vector<std::string>{"help:Manual partition dialog"});
}

TEST_F(ManpartFixture, TextRunningPastColumn200IsWarnedAbout)
{
    // Column 200 holds the "(" of "(5)".
    auto overlong = [](ManualView& v) {
        v.text = std::string(190, ' ') + "(2)(3)(4)(5)";
        return ids::kClear;
    };
    dlg.manual_steps = {overlong, type_ok("(4)")};
    EXPECT_FALSE(run().cancelled);
    EXPECT_EQ(sv.with_prefix("msgbox:"),
              std::vector<std::string>{"msgbox:String possibly too long >200 chars??$ kind=ok"});
}

TEST_F(ManpartFixture, CancelAfterARejectedTextRestoresThatText)
{
    dlg.manual_steps = {type_ok("(0)"), press(ids::kClear), press(ids::kCancel)};
    EXPECT_TRUE(run().cancelled);
    EXPECT_EQ(state.ptext.substr(0, 4), "(0) ");
}

TEST_F(ManpartFixture, AminusNegatesTheLiterals)
{
    dlg.manual_steps = {type_ok("(3 -2)", true)};
    ManpartResult r = run();
    EXPECT_EQ(r.list.lits, (std::vector<Literal>{-3, 2}));
    EXPECT_EQ(r.repflag, 0);
    EXPECT_TRUE(state.aminus);
}

TEST_F(ManpartFixture, MissingTemplate)
{
    dlg.manual_steps = {press(kDialogMissing)};
    EXPECT_TRUE(run().cancelled);
    EXPECT_TRUE(logged("Error: dialog box 50 not found"));
}

TEST_F(ManpartFixture, CombinationLineGivesNameAndText)
{
    dlg.combo_steps = {[](std::vector<bool>& s) {
        s[0] = true;
        return ids::kOk;
    }};
    ManpartResult r = run(true);
    ASSERT_FALSE(r.cancelled);
    EXPECT_EQ(r.combname, "AGE60   ");
    EXPECT_EQ(r.list.lits, (std::vector<Literal>{12, -3}));
    EXPECT_EQ(state.ptext.substr(0, 8), "(12 -3) ");
    EXPECT_TRUE(dlg.shown.empty());
}

TEST_F(ManpartFixture, CombinationHelpNothingSelectedAndLongName)
{
    dlg.combo_steps = {[](std::vector<bool>&) { return ids::kComboHelp; },
                       [](std::vector<bool>&) { return ids::kOk; },
                       [](std::vector<bool>& s) {
                           s[1] = true;
                           s[3] = true;
                           return ids::kOk;
                       }};
    ManpartResult r = run(true);
    EXPECT_EQ(dlg.combo_shows, 3);
    EXPECT_EQ(sv.with_prefix("help:"), std::vector<std::string>{"help:Control file Boolean combination"});
    EXPECT_EQ(r.combname, "LONGNAME");
    EXPECT_EQ(r.list.lp, (std::vector<int>{1, 1}));
}

TEST_F(ManpartFixture, CombinationWithoutParenthesisOrCancelled)
{
    dlg.combo_steps = {[](std::vector<bool>& s) {
        s[2] = true;
        return ids::kOk;
    }};
    EXPECT_TRUE(run(true).cancelled);
    EXPECT_EQ(sv.calls, std::vector<std::string>{"msgok:Bad combination !$"});
    dlg.combo_steps = {[](std::vector<bool>&) { return ids::kCancel; }};
    EXPECT_TRUE(run(true).cancelled);
    EXPECT_TRUE(logged(" Cancel creating added attribute from CF combination"));
}

TEST_F(ManpartFixture, CombinationErrorGoesToTheManualDialog)
{
    t.cfcomb = {"bad (2 99)"};
    dlg.combo_steps = {[](std::vector<bool>& s) {
        s[0] = true;
        return ids::kOk;
    }};
    dlg.manual_steps = {type_ok("(2 9)")};
    ManpartResult r = run(true);
    ASSERT_FALSE(r.cancelled);
    EXPECT_EQ(dlg.shown, std::vector<std::string>{"(2 99)"});
    EXPECT_EQ(r.list.lits, (std::vector<Literal>{2, 9}));
}

TEST_F(ManpartFixture, CombinationTemplateMissingParsesTheCurrentText)
{
    dlg.combo_steps = {[](std::vector<bool>&) { return kDialogMissing; }};
    ManpartResult r = run(true);
    ASSERT_FALSE(r.cancelled);
    EXPECT_TRUE(logged("Error: dialog box 61 not found"));
    EXPECT_EQ(r.list.lits, (std::vector<Literal>{2, 3, 4}));
}

} // namespace
} // namespace meru::mainloop::test
