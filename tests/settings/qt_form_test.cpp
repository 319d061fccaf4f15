// The Criteria dialog shown through its template: the captions above the lists
// follow the criterion and the complexity measure the user picks before OK, and
// still read them when Help shows the dialog again.
#include "platform/script_host.h"
#include "settings/criteria_dialog.h"
#include "settings/qt_form.h"
#include "support/recording_services.h"
#include "ui/ui_fixture.h"

namespace meru::test {
namespace {

namespace ids = settings::criteria_ids;

// Shows each form through the template and keeps it as it was when it closed.
class KeptForms : public settings::FormDialog {
public:
    explicit KeptForms(ui::Context& ctx) : qt_(ctx) {}
    int run(int id, settings::Form& form) override
    {
        const int closed = qt_.run(id, form);
        closed_forms.push_back(form);
        return closed;
    }
    std::vector<settings::Form> closed_forms;

private:
    settings::QtFormDialog qt_;
};

TEST_F(UiTest, TheCriterionAndComplexityCaptionsFollowTheirListsBeforeOk)
{
    platform::FrameScriptHost host(frame, menus);
    auto script = make_script(
        "dialog 109\n  set 1010 = Entropy\n  set 1011 = 2\n  press 1016\ndialog 109\n  press Cancel\n", host);
    ctx.host.script = script.get();
    KeptForms forms(ctx);
    stats::CritSettings c;
    settings::CritTexts texts;
    const settings::YDescription y{{{"low", true, 2, 1.0, false, false, 0.25}}, {0.0, 1.0}, false};
    RecordingServices services;
    EXPECT_TRUE(settings::critdlg(c, texts, y, {}, forms, services, log).cancelled);
    ctx.host.script = nullptr;
    ASSERT_EQ(forms.closed_forms.size(), 2u);
    for (settings::Form& f : forms.closed_forms) {
        EXPECT_EQ(f.text[ids::kShownCriterion], "Criterion: Entropy");
        EXPECT_EQ(f.text[ids::kShownComplexity], "Complexity: min(q, q')");
    }
}

} // namespace
} // namespace meru::test
