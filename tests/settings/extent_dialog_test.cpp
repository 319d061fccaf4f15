// The Extent dialog: refusals with the typed texts kept, the float-level
// clamps, the log lines, Go! silence and Cancel.
#include "settings/extent_dialog.h"
#include "settings_fixture.h"

#include <algorithm>

namespace meru::settings {
namespace {

namespace ids = extent_ids;
using test::ScriptedForms;

class Extent107 : public test::SettingsTest {
protected:
    bool run(bool go = false, bool singlecuts = false)
    {
        return extdlg(e, {go, singlecuts}, msgline, forms, services, log, [this] { ++prefwrites; });
    }
    ExtentSettings e;
    std::string msgline;
    int prefwrites = 0;
};

TEST_F(Extent107, RefusalsClampsAndTheAcceptedLines)
{
    forms.steps = {ScriptedForms::fill({{ids::kSizes, "2 3"}}),
                   ScriptedForms::fill({{ids::kSizes, "3,2"}, {ids::kFloat, "5"}}), ScriptedForms::press(kOk)};
    ASSERT_TRUE(run());
    EXPECT_EQ(services.with_prefix("msgbox:"),
              (std::vector<std::string>{"msgbox: ERROR: p_1..p_q not in descending order.$ kind=ok",
                                        "msgbox:Float levels takes a whole number 1, 2 or 3$ kind=ok"}));
    ASSERT_EQ(forms.forms.size(), 3u);
    EXPECT_EQ(forms.forms[1].text[ids::kSizes], "2 3"); // kept after the refusal
    EXPECT_EQ(forms.forms[2].text[ids::kSizes], "3,2");
    EXPECT_EQ(forms.forms[2].text[ids::kFloat], "3"); // clamped, shown again
    EXPECT_EQ(log_lines(), (std::vector<std::string>{" Extent settings:", " Extent settings:",
                                                     " Up to size p_1,..p_q=3,2", "Floating best 3 cuts"}));
    EXPECT_EQ(e.bounds, (std::vector<int>{3, 2}));
    EXPECT_EQ(e.nfloatx, 3);
    EXPECT_EQ(prefwrites, 2);
}

TEST_F(Extent107, OtherRefusals)
{
    forms.steps = {ScriptedForms::fill({{ids::kSizes, "0 1"}}),
                   ScriptedForms::fill({{ids::kSizes, "x"}}),
                   ScriptedForms::fill({{ids::kSizes, "1.5"}}),
                   ScriptedForms::fill({{ids::kSizes, ""}}),
                   ScriptedForms::fill({{ids::kSizes, "200"}}),
                   ScriptedForms::fill({{ids::kFloat, "0"}}),
                   ScriptedForms::fill({{ids::kFloat, "2147483648"}}),
                   ScriptedForms::press(kHelp),
                   ScriptedForms::fill({{ids::kSizes, "1"}, {ids::kFloat, "1"}},
                                       {{ids::kUpto, false}, {ids::kBoth, false}, {ids::kA, true}})};
    ASSERT_TRUE(run());
    const std::string sizes =
        "msgbox:Size p_1,..,p_q takes whole numbers 1 to 100 separated by blanks or commas$ kind=ok";
    const std::string levels = "msgbox:Float levels takes a whole number 1, 2 or 3$ kind=ok";
    EXPECT_EQ(services.calls,
              (std::vector<std::string>{"msgbox: ERROR: p_j <=0 not allowed. Try again$ kind=ok", sizes, sizes, sizes,
                                        "help:ERROR: invalid p_i or q", levels, levels, "help:Extent dialog",
                                        "help:NOTE: specifying A or A- only"}));
    const auto lines = log_lines();
    EXPECT_NE(std::find(lines.begin(), lines.end(), "problem with read 3"), lines.end());
    EXPECT_NE(std::find(lines.begin(), lines.end(), " Q read as 0"), lines.end());
    EXPECT_EQ(std::vector<std::string>(lines.end() - 3, lines.end()),
              (std::vector<std::string>{" Size p_1,..p_q=1", " A only",
                                        "Fixed optimal cut of attributes with multiple cuts"}));
    ASSERT_GE(forms.forms.size(), 8u);
    EXPECT_EQ(forms.forms[6].text[ids::kFloat], "1"); // "0" became 1, with the message
    EXPECT_EQ(forms.forms[7].text[ids::kFloat], "3"); // all of "2147483648" was read, not its first digit
    EXPECT_EQ(e.first_side, 1);
    EXPECT_FALSE(e.upto);
}

TEST_F(Extent107, GoChecksSilentlyAndSingleCutsAllowOneLevel)
{
    ASSERT_TRUE(run(true));
    EXPECT_TRUE(forms.shown.empty());
    EXPECT_EQ(log_lines().size(), 3u);

    e.nfloatx = 2;
    forms.steps = {ScriptedForms::fill({{ids::kFloat, "2"}}), ScriptedForms::press(kOk)};
    ASSERT_TRUE(run(true, true));
    EXPECT_EQ(services.calls,
              (std::vector<std::string>{"help:NOTE:No multiple cuts specified",
                                        "msgbox:NOTE: float levels>1 not allowed. All single cuts$ kind=ok"}));
    EXPECT_EQ(e.nfloatx, 1);
    EXPECT_EQ(forms.shown.size(), 2u);
}

TEST_F(Extent107, CancelChangesNothing)
{
    forms.steps = {ScriptedForms::fill({{ids::kSizes, "2 3"}}),
                   ScriptedForms::fill({{ids::kSizes, "4"}}, {}, kCancel)};
    EXPECT_FALSE(run());
    EXPECT_EQ(msgline, "ESC");
    EXPECT_EQ(e.bounds, (std::vector<int>{2, 2}));
    forms.missing = true;
    EXPECT_FALSE(run());
    EXPECT_EQ(log_lines().back(), " Error: dialog box 7 not found");
}

} // namespace
} // namespace meru::settings
