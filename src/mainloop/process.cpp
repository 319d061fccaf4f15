#include "mainloop/process.h"

#include "mainloop/added_requests.h"
#include "mainloop/bygroup_series.h"
#include "mainloop/editmenu.h"
#include "mainloop/menubar.h"
#include "mainloop/partition_choice.h"
#include "mainloop/picker_requests.h"
#include "mainloop/process_dialogs.h"
#include "mainloop/process_end.h"
#include "mainloop/process_groups.h"
#include "mainloop/process_statistics.h"
#include "mainloop/program.h"
#include "mainloop/search_end.h"
#include "mainloop/serial_searches.h"
#include "mainloop/tree_request.h"
#include "mainloop/view_requests.h"
#include "outcome/ymenu.h"
#include "platform/menus.h"
#include "plots/random_plot.h"
#include "settings/attr_picker.h"
#include "stats/membership_kernels.h"
#include "stats/pooled_stats.h"
#include "ui/actlog.h"
#include "ui/messages.h"
#include "ui/partwin.h"
#include "ui/random_dialog.h"
#include "ui/random_run.h"

#include <algorithm>

namespace meru::mainloop {

namespace {

std::size_t at(int i) { return static_cast<std::size_t>(i); }

} // namespace

std::string process_title(const MenuFlags& f)
{
    std::string title;
    const std::pair<bool, const char*> order[] = {
        {f.pstats, "%Process:statistics"},
        {f.pdistab, "%Process:distribution"},
        {f.prect, "%Process:rectangle diagram"},
        {f.prandom, "%Process:random"},
        {f.paddatt, "%Process:create added attribute"},
        {f.plists, "%Process:listing observations"},
        {f.ptest, "%Process: training/test switch"},
        {f.vaddatt, "%View: added attributes"},
        {f.ptree, "%Window: tree diagram"},
    };
    for (const auto& [raised, text] : order)
        if (raised) title = text;
    return title;
}

namespace {

// View > Added attributes: the picker over the added attributes, then the chosen
// one shown as an entered partition of one literal.
Flow view_added(Program& p)
{
    Analysis& a = *p.analysis;
    if (a.added.count == 0) {
        p.services.helpshow("NOTE: no added attributes");
        return Flow::loop_head;
    }
    p.process.view_bygroup = p.process.view_bygroup || a.bygroup.mode;
    a.bygroup.mode = false;
    const std::vector<int> varline = settings::variable_lines(a.tables);
    std::vector<settings::PickItem> items;
    for (const settings::PickItem& item : settings::picker_items(a.tables, varline, {1, a.tables.vars.nvar, 0, 1}))
        if (a.added.slot_of(item.attribute) > 0) items.push_back(item);
    const std::string caption = "Added attributes";
    const std::string help = "Help:  Added attributes";
    const settings::Pick pick = settings::pick_from(items, caption, help, *p.forms, p.services, p.log);
    if (pick.result == 0 || pick.attribute == 0) return Flow::loop_head;
    std::string heading = "%View:Added attributes";
    ui::actlog(p.log, p.ui.history, heading);
    EnteredPartition in;
    in.list.add_term({static_cast<partition::Literal>(pick.attribute)});
    in.repflag = pick.side == 1 ? 1 : 0;
    in.from = EnteredFrom::added;
    // Expanded into its definition for this request only.
    set_reduction(p, p.options.fullred, false);
    partition::Partition cur;
    partition::TermList picked;
    p.process.current_valid = show_entered(p, in, cur, picked, ui::partition_window(p.ui, a.tables));
    if (!p.process.current_valid) return Flow::loop_head;
    p.process.current = cur;
    // The end of a search in Process mode expands the attribute into its definition,
    // which may then be kept as a combination of the control file.
    ProcessEnd end;
    const files::Attribute& added = a.tables.att[at(pick.attribute)];
    if (process_end(p, cur, end) && end.changed) offer_combination(p, cur, a.tables.line[at(added.attline)].name);
    return Flow::loop_head;
}

// The current partition's side of each observation (1 A, 0 A-, else neither) and
// its side sizes over the analysis sample, for the random comparison.
void side_sizes(Program& p, long long& n_a_minus, long long& n_a, std::vector<std::int8_t>& member)
{
    Analysis& a = *p.analysis;
    n_a_minus = n_a = 0;
    member.clear();
    if (!p.process.current_valid) return;
    const std::vector<std::uint8_t> mask = analysis_sample(p);
    const stats::AttributeMatrix abyte(a.data.abyte, a.data.lc, a.data.n);
    const std::vector<std::int8_t> signs = sign_bytes(a);
    stats::CompiledList list;
    try {
        list.compile(p.process.current.first, p.process.current.first_sense(), signs, a.data.lc);
    } catch (const std::invalid_argument&) {
        return;
    }
    member.assign(at(a.data.n), 0);
    stats::membership_column(abyte, list, p.options.skipcomb, member);
    for (int i = 0; i < a.data.n; ++i) {
        const int w = a.data.obswt[at(i)];
        if (!mask[at(i)] || w == 0) continue;
        if (member[at(i)] == 1) n_a += w;
        if (member[at(i)] == 0) n_a_minus += w;
    }
}

// The search Process > Random compares with: in a serial analysis the last search
// of Y `ky`, otherwise the last search.
search::SearchDistribution compared_search(const Program& p, int ky)
{
    const Analysis& a = *p.analysis;
    if (ky <= 0) return p.results.distribution();
    if (at(ky) <= a.serial_searches.size()) return a.serial_searches[at(ky - 1)].distribution;
    return {};
}

Flow random_request(Program& p)
{
    Analysis& a = *p.analysis;
    ui::actlog(p.log, p.ui.history, p.process.title);
    // Several Ys in serial mode are searched one at a time: the partition in hand
    // and the random partitions are scored on the Y the user picks, and compared
    // with that Y's own search.
    const bool serial = a.outcome.serial();
    const int ky = serial ? select_y(p) : 0;
    if (serial && ky <= 0) return Flow::loop_head;
    if (serial) p.log.write("Y variable is " + a.outcome.yname[at(ky - 1)]);
    // The partition a search of the analysis found stands for the one found for that Y.
    if (serial && p.process.current_valid && found_for(p, p.process.current) > 0) take_found(p, ky);
    const search::SearchDistribution search = compared_search(p, ky);
    if (search.count > search::SearchResults::kSavedG)
        p.services.helpshow("NOTE: only 20,000 saved search partitions");
    const int n = a.data.n;
    const std::vector<std::uint8_t> mask = analysis_sample(p);
    stats::RandomInput in;
    for (int k = 1; k <= a.outcome.ny && a.ymat.size() >= at(k) * at(n); ++k)
        if (!serial || k == ky) in.y.push_back(outcome::ycolumn(a.ymat, n, k));
    in.weights = a.data.obswt;
    in.mask = mask;
    in.abyte = stats::AttributeMatrix(a.data.abyte, a.data.lc, n);
    in.censoring = p.censoring;
    in.g_test = p.process.current_valid ? shown_g(p, p.process.current, ky) : p.process.current_g;
    std::vector<std::int8_t> member;
    side_sizes(p, in.n_a_minus, in.n_a, member);
    in.member = member;
    std::vector<double> searchg(search.g.begin(), search.g.end());
    in.searchg = searchg;
    std::vector<int> splithist(at(search::SearchResults::kSplitBands));
    for (int b = 1; b <= search::SearchResults::kSplitBands; ++b)
        splithist[at(b - 1)] = static_cast<int>(std::min<std::int64_t>(search.split[at(b)], 2147483647));
    in.splithist = splithist;
    ui::QtRandomDialog dialog(p.ui);
    plots::ProcessDistributionPlot plot(p.ui, p.ymodes.dist);
    ui::process_random(in, p.crit, p.msgline, p.rng, dialog, plot, p.services, p.log);
    return Flow::loop_head;
}

// The by-group checks of a Process item; false: back to the loop head.
bool bygroup_checks(Program& p)
{
    Analysis& a = *p.analysis;
    const MenuFlags& f = p.flags;
    if (f.paddatt && a.bygroup.mode) {
        std::string text = "Create attribute not allowed in By-group mode. OK cancels By-group$";
        if (ui::msgbox(p.ui, text, BoxKind::OkCancel, false) != 1) return false;
        a.bygroup.mode = false;
        p.menus.set_flags(kYMenu, 8, platform::kMenuUnchecked);
        return true;
    }
    // The note comes once, before the first group of the item's pass.
    if (!a.bygroup.mode || p.process.group > 0) return true;
    std::string note;
    if (a.bygroup.ngroups > 1) note = "NOTE: Process with By-groups";
    if (f.ptree) note = "NOTE: Window:Tree";
    if (!note.empty()) p.services.helpshow(note);
    return true;
}

} // namespace

Flow process_request(Program& p)
{
    MenuFlags& f = p.flags;
    p.process.title = process_title(f);
    if (f.prandom && !p.process.random_noted) {
        p.services.helpshow("NOTE: Process:Random");
        p.process.random_noted = true;
    }
    const bool needs_y = f.pstats || f.pdistab || f.prandom || f.ptree;
    if (needs_y && (!p.analysis_open() || !p.analysis->yset)) {
        std::string text = "Cannot do. No Y assigned $";
        ui::msgbox(p.ui, text, BoxKind::Ok, false);
        return Flow::loop_head;
    }
    if (!p.analysis_open()) return Flow::loop_head;
    Analysis& a = *p.analysis;
    if (f.vaddatt) return view_added(p);
    if ((a.nodata || p.nodata) && !f.paddatt) {
        p.services.helpshow("NOTE: no data, not allowed");
        return Flow::loop_head;
    }
    if (f.ptest) return a.splitactive ? test_switch(p) : Flow::loop_head;
    if (!bygroup_checks(p)) return Flow::loop_head;

    if (f.ptree) return tree_request(p);
    // The partition comes first; the later groups of a by-group pass keep it. A
    // partition chosen here goes through the end of a search in Process mode.
    partition::Partition cur;
    int ky = 0; // the Y named with the partition
    if (!f.prandom) {
        ChosenFrom from;
        if (p.process.group > 0 && p.process.current_valid) {
            cur = p.process.current;
        } else {
            if (!choose_partition(p, f.prect, cur, &from)) return Flow::loop_head;
            // After a serial analysis the partition a search found stands for the
            // one found for the Y the item works on.
            if (!f.sgo && !from.entered && found_for(p, cur) > 0) {
                if ((ky = select_y(p)) <= 0) return Flow::loop_head;
                if (take_found(p, ky)) cur = p.process.current;
            }
            ProcessEnd end;
            end.cf_combination = !from.combo_name.empty();
            if (!from.search_end && !process_end(p, cur, end)) return Flow::loop_head;
        }
        p.process.current = cur;
        p.process.current_valid = true;
        if (f.paddatt) {
            create_process_attribute(p, cur, from.combo_name);
            return Flow::loop_head;
        }
    }
    if (p.process.group == 0) p.process.pool = {};
    const GroupPass pass = next_process_group(p);
    if (pass == GroupPass::end) {
        if (f.pstats) {
            stats::statsum(p.process.pool, p.msgline, p.log);
            show_log(p);
        }
        return Flow::loop_head;
    }
    const Flow flow = f.prandom ? random_request(p) : process_statistics(p, cur, ky);
    // In by-group mode the item's run on the next group follows.
    if (pass == GroupPass::analyse && flow == Flow::loop_head) return Flow::poll;
    return flow;
}

Flow search_statistics(Program& p, const SearchEnd& s)
{
    p.process.current = s.curpart;
    p.process.current_valid = true;
    p.process.current_g = s.g;
    p.process.current_key = score_key(p);
    p.process.current_complexity = s.complexity;
    p.process.go_statistics = true;
    p.process.evaluated = s.evaluated_in_search;
    p.process.iterations = s.iteration;
    keep_serial_search(p);
    MenuFlags& f = p.flags;
    f.qproc = f.pstats = f.qcont = true;
    return Flow::poll;
}

Flow next_group_pass(Program& p)
{
    p.flags.qcrit = true;
    p.flags.qproc = p.flags.pstats = false;
    return Flow::poll;
}

} // namespace meru::mainloop
