// The scatter mode in by-group mode: the walk over the groups, one run of the
// scatter mode on each group's observations.
#include "outcome/bygroup_mode.h"
#include "outcome/scatter.h"
#include "ui/context.h"

namespace meru::outcome {

bool scatter_by_groups(ScatterContext& cx, ByGroup& by, ModeDialogs& dialogs)
{
    by.current = 0;
    while (next_group(by, cx.tables, cx.varischar, dialogs, cx.ui.log, cx.msgline, false)) {
        const std::vector<char> members = group_mask(by, cx.tables, cx.data, cx.nobs, cx.mask, by.current);
        cx.bymode = true;
        cx.group = members;
        cx.bylabel = by.bylabel;
        scatter(cx);
    }
    cx.bymode = false;
    cx.group = {};
    return true;
}

} // namespace meru::outcome
