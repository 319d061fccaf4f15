// Every radio group of a settings dialog shows the current setting: for each
// value a setting can take, the form the routine shows holds exactly one button
// on in each group of the dialog's template.
#include "platform/dialog_template.h"
#include "settings/criteria_dialog.h"
#include "settings/extent_dialog.h"
#include "settings/options_dialog.h"
#include "settings_fixture.h"

#include <functional>

namespace meru::settings {
namespace {

class RadioGroups : public test::SettingsTest {
protected:
    // Shows dialog `id` through `show` (the scripted dialog cancels it) and counts
    // the buttons on in each of its radio groups.
    std::vector<int> on_per_group(int id, const std::function<void()>& show)
    {
        forms.forms.clear();
        show();
        const platform::DialogTemplate* t = library.find(id);
        if (!t || forms.forms.empty()) return {};
        std::vector<int> counts;
        for (const platform::ControlTemplate& c : t->controls) {
            if (c.kind != platform::ControlKind::Radio) continue;
            if (counts.empty() || c.has_style("group")) counts.push_back(0);
            counts.back() += forms.forms.front().is_on(c.id);
        }
        return counts;
    }
    std::vector<std::string> errors;
    platform::DialogLibrary library = platform::load_dialog_folder(std::string(MERU_RUNTIME_DIR) + "/dialogs", errors);
};

TEST_F(RadioGroups, EachGroupShowsOneButtonOnForEverySetting)
{
    const std::vector<int> one{1};
    for (const auto& [skipset, skipcomb] : {std::pair{false, false}, {true, false}, {false, true}}) {
        Options o;
        o.skipset = skipset;
        o.skipcomb = skipcomb;
        EXPECT_EQ(on_per_group(options_ids::kDialog, [&] { optdlg(o, forms, services, log); }), one)
            << skipset << skipcomb;
    }
    for (stats::Side side : {stats::Side::Both, stats::Side::AMinusOnly, stats::Side::AOnly}) {
        ExtentSettings e;
        e.side = side;
        std::string msgline;
        EXPECT_EQ(on_per_group(extent_ids::kDialog,
                               [&] { extdlg(e, {}, msgline, forms, services, log, [] {}); }),
                  one);
    }
    const YDescription y{{{"low", true, 2, 1.0, false, false, 0.25}}, {0.0, 1.0}, false};
    for (stats::PriorMode mode : {stats::PriorMode::Data, stats::PriorMode::Equal, stats::PriorMode::User}) {
        stats::CritSettings c;
        c.prior_mode = mode;
        CritTexts texts;
        EXPECT_EQ(on_per_group(criteria_ids::kDialog, [&] { critdlg(c, texts, y, {}, forms, services, log); }),
                  one);
    }
}

} // namespace
} // namespace meru::settings
