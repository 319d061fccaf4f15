#include "mainloop/process_dialogs.h"

#include "mainloop/picker_requests.h"
#include "mainloop/program.h"
#include "mainloop/search_stage.h"
#include "outcome/bygroup_mode.h"
#include "stats/analysis_sample.h"
#include "ui/messages.h"

#include <algorithm>

namespace meru::mainloop {

namespace {

constexpr int kSelectYDialog = 117;
constexpr int kSelectYList = 1004;
constexpr int kRectDialog = 129;
constexpr int kRectA = 1000;
constexpr int kRectAminus = 1001;
constexpr int kRectHelp = 1003;

} // namespace

int select_y(Program& p)
{
    const outcome::Outcome& y = p.analysis->outcome;
    for (;;) {
        settings::Form form;
        std::vector<std::string>& names = form.items[kSelectYList];
        for (int k = 1; k <= y.ny; ++k) names.push_back(y.yname[static_cast<std::size_t>(k - 1)]);
        const int r = p.forms->run(kSelectYDialog, form);
        if (r == settings::kMissing) {
            p.log.write("Error: dialog box 17 not found");
            return 0;
        }
        if (r != settings::kOk) return 0;
        const auto picked = form.picked.find(kSelectYList);
        if (picked != form.picked.end()) {
            const auto& sel = picked->second;
            const auto first = std::find(sel.begin(), sel.end(), true);
            if (first != sel.end()) return static_cast<int>(first - sel.begin()) + 1;
        }
        const auto choice = form.choice.find(kSelectYList);
        if (choice != form.choice.end()) {
            const auto it = std::find(names.begin(), names.end(), choice->second);
            if (it != names.end()) return static_cast<int>(it - names.begin()) + 1;
        }
    }
}

bool rectangle_dialog(Program& p, RectangleChoice* out)
{
    for (;;) {
        settings::Form form;
        form.on[kRectA] = true;
        form.on[kRectAminus] = false;
        const int r = p.forms->run(kRectDialog, form);
        if (r == settings::kMissing) {
            p.log.write("Error: dialog box 29 not found");
            return false;
        }
        if (r == kRectHelp) {
            ui::helpshow(p.ui, "?Rectangle diagrams");
            continue;
        }
        if (r != settings::kOk) return false;
        if (out) *out = {form.is_on(kRectA), form.is_on(kRectAminus)};
        return true;
    }
}

std::vector<std::uint8_t> process_mask(const Program& p)
{
    const Analysis& a = *p.analysis;
    std::vector<std::uint8_t> mask = xspace_bytes(a);
    const outcome::ByGroup& by = a.bygroup;
    // The group of a Search:Go! series, else the group of a Process item's pass.
    const int g = p.process.bygroup_run ? by.current : p.process.group;
    if (g <= 0) return mask;
    std::vector<char> in(mask.begin(), mask.end());
    const std::vector<char> group = outcome::group_mask(by, a.tables, a.data, a.data.n, in, g);
    for (std::size_t i = 0; i < mask.size() && i < group.size(); ++i) {
        const bool member = group[i] != 0;
        mask[i] = mask[i] && (p.process.remainder ? !member : member) ? 1 : 0;
    }
    return mask;
}

std::vector<std::uint8_t> analysis_sample(const Program& p)
{
    std::vector<std::uint8_t> mask = process_mask(p);
    // The set held may be that of an analysis opened before this one.
    if (!p.analysis || !p.options.skipset || !p.analysis->setbuilt) return mask;
    const Analysis& a = *p.analysis;
    std::vector<int> lines = p.search.set.lines;
    std::erase_if(lines, [&](int k) { return k < 1 || static_cast<std::size_t>(k) >= a.tables.line.size(); });
    std::vector<int> attributes = set_attributes(p, lines);
    std::erase_if(attributes, [&](int k) { return k < 1 || k > a.data.lc; });
    if (attributes.empty() || a.data.n < 1) return mask;
    const stats::AttributeMatrix abyte(a.data.abyte, a.data.lc, a.data.n);
    for (int i = 0; i < a.data.n && static_cast<std::size_t>(i) < mask.size(); ++i)
        if (!stats::complete_in(attributes, abyte, i)) mask[static_cast<std::size_t>(i)] = 0;
    return mask;
}

std::vector<std::int8_t> sign_bytes(const Analysis& a)
{
    const files::ControlTables& t = a.tables;
    std::vector<std::int8_t> s(static_cast<std::size_t>(std::max(a.data.lc, t.natt)) + 1, 1);
    for (int k = 1; k <= t.natt && static_cast<std::size_t>(k) < t.att.size(); ++k)
        s[static_cast<std::size_t>(k)] = t.att[static_cast<std::size_t>(k)].signbyte;
    return s;
}

} // namespace meru::mainloop
