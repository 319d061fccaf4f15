#include "outcome/level_window.h"

#include "partition/termlist.h"
#include "ui/partwin.h"

#include <memory>

namespace meru::outcome {

LevelShow level_window(ui::Context& ctx, const files::ControlTables& t)
{
    auto row = std::make_shared<int>(1);
    return [&ctx, &t, row](const LevelPartition& part, bool first) {
        if (first) *row = 1;
        partition::TermList list;
        if (!part.term.empty()) list.add_term(part.term);
        std::string caption = part.caption;
        ui::partwin(ctx, list, t, 1, caption, *row, true, true, !part.side_label);
        ++*row;
    };
}

} // namespace meru::outcome
