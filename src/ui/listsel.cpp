#include "ui/listsel.h"

#include "ui/helpindex.h"

#include <algorithm>

namespace meru::ui {

void select_flags(const platform::Dialog& dlg, int id, std::vector<bool>& flags)
{
    int count = 0;
    if (!dlg.get_int(id, count, platform::kNumItems)) count = 0;
    const std::size_t n = static_cast<std::size_t>(std::max(count, 0)) + 1;
    if (flags.size() < n + 1) flags.resize(n + 1, false);
    std::fill(flags.begin() + 1, flags.begin() + static_cast<std::ptrdiff_t>(n) + 1, false);
    for (int j = 1;; ++j) {
        int item = 0;
        if (!dlg.get_int(id, item, j) || item <= 0) break;
        if (static_cast<std::size_t>(item) < flags.size()) flags[static_cast<std::size_t>(item)] = true;
    }
}

void lbsel(platform::Dialog& dlg, int id, Selections& sel)
{
    select_flags(dlg, id, sel.selflag);
    std::string text;
    dlg.get_text(id, text, platform::kCurrentText);
    sel.seltext = fixed_width(text, kSelTextWidth);
}

void lbsely(platform::Dialog& dlg, int id, Selections& sel) { select_flags(dlg, id, sel.yselflag); }

void lbselt(platform::Dialog& dlg, int id, Selections& sel) { select_flags(dlg, id, sel.tselflag); }

platform::DialogCallback lbsel_callback(Selections& sel)
{
    return [&sel](platform::Dialog& dlg, int id, platform::CallbackKind) { lbsel(dlg, id, sel); };
}

platform::DialogCallback lbsely_callback(Selections& sel)
{
    return [&sel](platform::Dialog& dlg, int id, platform::CallbackKind) { lbsely(dlg, id, sel); };
}

} // namespace meru::ui
