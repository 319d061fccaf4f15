// The Options dialog: the both-reductions refusal, the graphics note, the
// "%Options" block with its missing-attributes line, and Cancel; each radio
// group of the dialog shows one button on, whatever the setting.
#include "platform/dialog_template.h"
#include "settings/options_dialog.h"
#include "settings_fixture.h"

namespace meru::settings {
namespace {

namespace ids = options_ids;
using test::ScriptedForms;

class Options108 : public test::SettingsTest {};

TEST_F(Options108, BothReductionsTickedShowTheDialogAgainFromTheStoredFlags)
{
    Options o;
    o.primattr = true;
    o.fullred = true; // as a caller could leave them; primattr wins
    forms.steps = {ScriptedForms::fill({}, {{ids::kFullred, true}, {ids::kPrimattr, true}, {ids::kDetailout, true}}),
                   ScriptedForms::press(kOk)};
    ASSERT_TRUE(optdlg(o, forms, services, log));
    EXPECT_EQ(services.calls.front(), "msgbox:Primitive attributes & Full Boolean reduction incompatible.$ kind=ok");
    ASSERT_EQ(forms.forms.size(), 2u);
    EXPECT_FALSE(forms.forms[1].is_on(ids::kFullred));
    EXPECT_TRUE(forms.forms[1].is_on(ids::kPrimattr));
    EXPECT_FALSE(forms.forms[1].is_on(ids::kDetailout)); // the rejected showing's other choice is dropped
    EXPECT_TRUE(o.primattr);
    EXPECT_FALSE(o.fullred);
    EXPECT_FALSE(o.detailout);
}

TEST_F(Options108, OkWritesTheBlockAndTheGraphicsNoteOnlyWhenSwitchedOn)
{
    Options o;
    forms.steps = {
        ScriptedForms::fill({}, {{ids::kDetailout, true}, {ids::kSkipcomb, true}, {ids::kDispgraph, true}})};
    ASSERT_TRUE(optdlg(o, forms, services, log));
    EXPECT_EQ(services.calls, (std::vector<std::string>{"help:NOTE: display graphics", "actlog:%Options"}));
    EXPECT_EQ(log_lines(), (std::vector<std::string>{
                               " Missing attributes handled by: Skip if missing in combination",
                               " Full Boolean reductions   No",
                               " Attributes are primitive  No",
                               " Iied: Use last found      Yes",
                               " Detailed output           Yes",
                               " Display grahics in search Yes",
                               " Turbo on                  Yes",
                               " Tip of Day                No",
                           }));
    services.calls.clear();
    forms.steps = {ScriptedForms::press(kOk)};
    ASSERT_TRUE(optdlg(o, forms, services, log));
    EXPECT_EQ(services.calls, std::vector<std::string>{"actlog:%Options"});
    // The third button goes back to neither skip rule.
    forms.steps = {ScriptedForms::fill({}, {{ids::kSkipcomb, false}, {ids::kSkipNone, true}})};
    ASSERT_TRUE(optdlg(o, forms, services, log));
    EXPECT_FALSE(o.skipcomb || o.skipset);
    EXPECT_EQ(log_lines().at(16), " Missing attributes handled by: Skip only if in neither A nor A-");
}

TEST_F(Options108, CancelAndAMissingTemplateChangeNothing)
{
    Options o;
    forms.steps = {ScriptedForms::fill({}, {{ids::kFullred, true}}, kCancel)};
    EXPECT_FALSE(optdlg(o, forms, services, log));
    EXPECT_FALSE(o.fullred);
    EXPECT_TRUE(services.calls.empty());
    EXPECT_TRUE(log_lines().empty());
    forms.missing = true;
    EXPECT_FALSE(optdlg(o, forms, services, log));
    EXPECT_EQ(log_lines(), std::vector<std::string>{" Error: dialog box 8 not found"});
}

TEST_F(Options108, EveryRadioGroupShowsOneButtonOnWhateverTheSetting)
{
    std::vector<std::string> errors;
    const auto library = platform::load_dialog_folder(std::string(MERU_RUNTIME_DIR) + "/dialogs", errors);
    for (const auto& [set, comb] : {std::pair{false, false}, {true, false}, {false, true}}) {
        Options o{.skipset = set, .skipcomb = comb};
        forms.forms.clear();
        optdlg(o, forms, services, log);
        std::vector<int> on_per_group; // a radio marked "group" starts one
        for (const platform::ControlTemplate& c : library.find(ids::kDialog)->controls)
            if (c.kind == platform::ControlKind::Radio) {
                if (on_per_group.empty() || c.has_style("group")) on_per_group.push_back(0);
                on_per_group.back() += forms.forms.at(0).is_on(c.id);
            }
        EXPECT_EQ(on_per_group, std::vector<int>{1}) << set << comb;
    }
}

} // namespace
} // namespace meru::settings
