#include "mainloop/bygroup_series.h"

#include "files/charcodes.h"
#include "files/textutil.h"
#include "mainloop/picker_requests.h"
#include "mainloop/program.h"
#include "mainloop/search_stage.h"
#include "mainloop/tree_grow.h"
#include "mainloop/view_requests.h"
#include "outcome/bygroup_mode.h"
#include "platform/io/edit.h"
#include "platform/io/strings.h"
#include "ui/actlog.h"
#include "ui/messages.h"

#include <algorithm>

namespace meru::mainloop {

namespace {

std::size_t at(int i) { return static_cast<std::size_t>(i); }

constexpr int kHeadingTries = 3;

enum class GroupStart { analyse, skip, end };

// Writes the heading to the log, opening the log again when it is closed; a log
// that cannot be opened after a few tries is reported once.
void write_heading(Program& p, const std::string& heading)
{
    for (int k = 0; k < kHeadingTries && !p.log.is_open(); ++k)
        if (p.analysis_open() && !p.analysis->logname.empty()) p.log.append(p.log.path());
    if (!p.log.is_open()) {
        std::string text = "Cannot write to the output log. " + heading + "$";
        ui::msgbox(p.ui, text, BoxKind::Ok, false);
        return;
    }
    p.log.write(heading);
}

GroupStart start_next_group(Program& p)
{
    Analysis& a = *p.analysis;
    outcome::ByGroup& by = a.bygroup;
    ProcessState& ps = p.process;
    by.current += 1;
    if (p.debug) ui::msgok(p.ui, "nauto_by=nauto_by+1 $");
    if (by.current > by.ngroups) return GroupStart::end;
    ps.remainder = false;
    const long long n = group_weight(p, by.current);
    ps.group_heading = group_heading(by, a.tables, by.current, n);
    write_heading(p, ps.group_heading);
    int answer = 1;
    if (by.ngroups > 1 && !ps.yes_to_all) {
        // The dialog's text ends at column 80 with its "$".
        std::string text = io::fmt_a(ps.group_heading, 79) + "$";
        answer = ui::note(p.ui, text, NoteKind::Quit, false);
        // "Yes to all" holds for the groups after this one, even when it is skipped.
        if (answer == 4 && p.flags.searching) ps.yes_to_all = true;
    }
    if (n == 0) {
        p.log.write("NOTE: No data! By group ignored");
        return GroupStart::skip;
    }
    if (n == 1) {
        p.log.write("NOTE: N=1 only! By group ignored");
        return GroupStart::skip;
    }
    if (answer == 2) {
        p.log.write("NOTE:User cancelled. By group ignored");
        return GroupStart::skip;
    }
    return GroupStart::analyse;
}

Flow end_series(Program& p)
{
    Analysis& a = *p.analysis;
    ProcessState& ps = p.process;
    std::string heading = "%Search Summary";
    ui::actlog(p.log, p.ui.history, heading);
    if (p.nauto_by == 0) {
        std::string text = "NOTE:no by groups are generated$";
        ui::msgbox(p.ui, text, BoxKind::Ok, true);
    } else {
        search::SummaryMode mode;
        mode.crossval = true;
        mode.priors = p.crit.priors_given;
        const std::size_t used = std::min(ps.history.size(), at(p.nauto_by));
        search::searchsum(std::span(ps.history).first(used), mode, {}, p.log);
        show_log(p);
    }
    p.flags.qcrit = p.flags.sgo = false;
    ps.bygroup_run = false;
    ps.remainder = false;
    a.bygroup.mode = true;
    return Flow::loop_head;
}

} // namespace

std::string group_heading(const outcome::ByGroup& by, const files::ControlTables& t, int g, long long nobsin,
                          bool character)
{
    std::string text = "Analysis of BY group " + io::fmt_i(g, 3) + ": " + io::fmt_a(by.byvar, 8);
    if (!by.byvalues) {
        text += io::fmt_a(outcome::group_text(by, t, false, g).notetxt, 20);
    } else {
        const double v = g >= 1 && g <= static_cast<int>(by.values.size()) ? by.values[at(g - 1)] : -1.0;
        if (v < 0) text += io::fmt_a("=missing", 20);
        else text += "=" + (character ? std::string(1, files::codechar(static_cast<int>(v))) : io::fmt_g(v, 10, 4));
    }
    text += " n=" + io::fmt_i(nobsin, 6);
    return io::rtrim(files::squeeze(text));
}

long long group_weight(const Program& p, int g)
{
    const Analysis& a = *p.analysis;
    const std::vector<std::uint8_t> xs = xspace_bytes(a);
    const std::vector<char> in(xs.begin(), xs.end());
    const std::vector<char> group = outcome::group_mask(a.bygroup, a.tables, a.data, a.data.n, in, g);
    long long n = 0;
    for (std::size_t i = 0; i < group.size() && i < a.data.obswt.size(); ++i)
        if (group[i]) n += a.data.obswt[i];
    return n;
}

Flow bygroup_series_step(Program& p)
{
    const Flow stages = series_step(p);
    if (stages != Flow::next || !p.analysis_open()) return stages;
    Analysis& a = *p.analysis;
    ProcessState& ps = p.process;
    if (!a.bygroup.mode && !ps.bygroup_run) return Flow::next;
    if (!a.yset) {
        p.services.helpshow("NOTE: must have Y specified");
        return Flow::loop_head;
    }
    a.bygroup.mode = false;
    ps.bygroup_run = true;
    if (!p.flags.qcrit) return Flow::next;
    for (;;) {
        switch (start_next_group(p)) {
        case GroupStart::analyse: return Flow::next;
        case GroupStart::end: return a.growth.growing ? tree_pass_end(p) : end_series(p);
        case GroupStart::skip: break;
        }
    }
}

} // namespace meru::mainloop
