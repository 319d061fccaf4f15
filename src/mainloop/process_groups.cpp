#include "mainloop/process_groups.h"

#include "mainloop/bygroup_series.h"
#include "mainloop/program.h"
#include "outcome/bygroup_mode.h"
#include "platform/io/edit.h"
#include "ui/messages.h"

namespace meru::mainloop {

namespace {

bool pass_items(const MenuFlags& f) { return f.pstats || f.plists || f.prect || f.pdistab || f.prandom; }

} // namespace

GroupPass next_process_group(Program& p)
{
    if (!p.analysis_open()) return GroupPass::none;
    Analysis& a = *p.analysis;
    const outcome::ByGroup& by = a.bygroup;
    ProcessState& ps = p.process;
    const MenuFlags& f = p.flags;
    if (!by.mode || by.ngroups < 1 || f.sgo || !pass_items(f)) return GroupPass::none;
    const bool character = outcome::by_character(by, a.stats.marks.charflag);
    while (ps.group < by.ngroups) {
        const int g = ++ps.group;
        const long long n = group_weight(p, g);
        ps.group_heading = group_heading(by, a.tables, g, n, character);
        p.log.write(ps.group_heading);
        if (n == 0) {
            p.log.write("No observations in by group");
            continue;
        }
        // Statistics from the menu run through the groups without asking; "Yes to
        // all" is kept only by a Search:Go! series.
        if (by.ngroups > 1 && !f.pstats) {
            std::string text = io::fmt_a(ps.group_heading, 79) + "$";
            if (ui::note(p.ui, text, NoteKind::Quit, false) == 2) {
                if (!p.strategy.treemode) p.log.write("User ignored by group");
                continue;
            }
        }
        return GroupPass::analyse;
    }
    ps.group = 0;
    return GroupPass::end;
}

} // namespace meru::mainloop
