#include "mainloop/search_end.h"

#include "mainloop/dispatch.h"
#include "mainloop/pair_check.h"
#include "mainloop/process.h"
#include "mainloop/program.h"
#include "partition/compat.h"
#include "partition/complement.h"
#include "partition/parttext.h"
#include "partition/termops.h"
#include "platform/frame.h"
#include "platform/io/edit.h"
#include "plots/hull_view.h"
#include "plots/search_window.h"
#include "search/pair_repair.h"
#include "ui/messages.h"
#include "ui/mouse_state.h"
#include "ui/msgtext.h"
#include "ui/partwin.h"

namespace meru::mainloop {

namespace {

// The Partition window, written caption by caption: the first opens it afresh,
// each later one continues below the one before (after its blank row).
class PartitionWriter {
public:
    PartitionWriter(Program& p, const files::ControlTables& t, bool to_log) : p_(p), t_(t), to_log_(to_log) {}
    void fresh(const partition::TermList& list, int v, const std::string& caption)
    {
        row_ = 1;
        write(list, v, caption);
    }
    void next(const partition::TermList& list, int v, const std::string& caption)
    {
        row_ += 2;
        write(list, v, caption);
    }

private:
    void write(const partition::TermList& list, int v, const std::string& caption)
    {
        std::string text = caption;
        ui::partwin(p_.ui, list, t_, v, text, row_, to_log_, true);
    }
    Program& p_;
    const files::ControlTables& t_;
    bool to_log_;
    int row_ = 1;
};

int sense_of(int flag) { return flag == 1 ? partition::kPlain : partition::kFlipped; }

// The hull in the search window, opened afresh for it when it is not showing
// already or its axes do not hold every entry of the best list.
search::HullResult run_hull(Program& p, SearchEnd& s, const search::HullInput& in, search::Penalty& pen)
{
    if (s.treegrow) return plots::hullplot(in, pen, nullptr, p.log);
    if (!s.display || p.frame.window(plots::kSearchWindow) == nullptr || !plots::holds(s.scale, in.entries))
        plots::open_search_window(p.ui, plots::hull_scale(s.scale, in.entries), plots::kHullMenuEntry);
    const files::ControlTables& t = p.analysis->tables;
    const partition::ReduceOptions opt = s.pair.reduce;
    plots::ShowEntry show = [&p, &t, opt](const search::StoredPartition* e, const std::string& caption) {
        PartitionWriter w(p, t, false);
        if (e == nullptr) {
            w.fresh({}, 1, caption);
            return;
        }
        w.fresh(e->list, e->flag, caption);
        partition::TermList comp;
        if (complement_of(p, e->list, sense_of(e->flag), comp, opt))
            w.next(comp, 1 - e->flag, plots::kComplementCaption);
    };
    plots::SearchHullView view(p.ui, p.rng, std::move(show));
    return plots::hullplot(in, pen, &view, p.log);
}

search::HullInput hull_input(const Program& p, const SearchEnd& s)
{
    search::HullInput in;
    in.entries = p.results.bestlist.entries();
    in.cplxhist = p.results.cplxhist;
    in.iteration = s.iteration;
    in.iterative = s.iterative;
    in.stopped = s.stopped;
    in.treegrow = s.treegrow;
    in.detailed = p.options.detailout;
    return in;
}

// The winner of a combination search: the optimum of the penalised table, which
// is a best-list entry whenever the list holds one (the hull may choose the origin).
bool take_winner(Program& p, SearchEnd& s)
{
    if (!s.treegrow) p.log.write(" # Partitions generated " + io::list_int(s.evaluated));
    const search::HullInput in = hull_input(p, s);
    // A tree's split is the node's best G: its beta is not used (nor set).
    search::Penalty pen{s.treegrow ? 0.0 : p.crit.beta, p.crit.auto_beta && !s.treegrow};
    s.hull = run_hull(p, s, in, pen);
    if (!s.treegrow) {
        p.crit.beta = pen.beta;
        p.crit.auto_beta = pen.automatic;
    }
    s.winner = s.hull.optimum;
    if (s.winner <= 0) return false;
    const search::StoredPartition& w = in.entries[static_cast<size_t>(s.winner - 1)];
    s.complexity = w.complexity;
    s.g = w.value;
    s.lpmem = w.list;
    s.repflag = w.flag;
    if (s.evaluated > 0 && !s.treegrow)
        p.log.write(search::best_at_complexity_line(w.complexity, w.value - p.crit.beta * w.complexity));
    return true;
}

void attrition(Program& p, SearchEnd& s)
{
    if (s.nobs_used > s.nobs_read) {
        std::string text = "Tell my master, Dorvel Kelbo,error nobsin<nobs ! $";
        ui::msgbox(p.ui, text, BoxKind::Ok, true);
        return;
    }
    if (s.nobs_read <= 0 || s.nobs_used == s.nobs_read) return;
    const double percent = 100.0 * static_cast<double>(s.nobs_read - s.nobs_used) / static_cast<double>(s.nobs_read);
    std::string text = "NOTE: attrition due to missing data is " + io::fmt_f(percent, 6, 2) + "%. From " +
                       io::side_by_side({io::fmt_i(s.nobs_read, 8), io::fmt_i(s.nobs_used, 8)});
    if (percent > 10 && !s.attrition_noted) {
        s.attrition_noted = true;
        text += " $";
        ui::note(p.ui, text, NoteKind::Full, true);
    } else {
        p.log.write(text);
    }
}

} // namespace

bool search_end_result(Program& p, SearchEnd& s)
{
    ui::unregister_mousecb(p.ui, kSearchUnit);
    if (s.evaluated == 0 && s.iteration == 1) {
        s.no_partitions = true;
        if (s.bygroup) {
            p.log.write("NOTE: No partitions generated! By group ignored");
            s.bygroup_dropped = true;
        } else {
            ui::helpshow(p.ui, "NOTE: No partitions have been generated !");
        }
        return false;
    }
    const files::ControlTables& t = p.analysis->tables;

    if (s.combination) {
        if (!take_winner(p, s)) return false;
    } else if (!s.process_mode) {
        // (In Process mode the caller gives the winner: the partition chosen.)
        p.log.write("Total partitions evaluated=" + io::list_int(s.evaluated));
        if (p.results.top10.count() == 0) return false;
        const search::StoredPartition& w = p.results.top10.entries()[0];
        s.complexity = w.complexity;
        s.g = w.value;
        s.lpmem = w.list;
        s.repflag = w.flag;
    }

    PartitionWriter window(p, t, true);
    window.fresh(s.lpmem, s.repflag,
                 s.treegrow ? std::string(" Best split") : ui::partcap(s.iteration, s.iterative, !s.combination));

    if (s.process_mode && !s.cf_combination && s.work != nullptr && s.work_repflag != nullptr &&
        !partition::pequal(s.repflag, s.lpmem, *s.work_repflag, *s.work)) {
        std::string text = "WARNING:Internal check fail. Fix invoked. Tell Kelbo$";
        ui::note(p.ui, text, NoteKind::Full, false);
        partition::pdump("lpmem", s.lpmem, t, p.log);
        partition::pdump("work", *s.work, t, p.log);
    }
    if (s.work != nullptr) *s.work = s.lpmem;
    if (s.work_repflag != nullptr) *s.work_repflag = s.repflag;

    progress(p, ".. doing Boolean algebra. Please wait. ");
    partition::PairSettings pair = s.pair;
    pair.full_reduction = pair.full_reduction || p.options.fullred;
    partition::TermList cand = s.lpmem, comp;
    partition::SkipTally tally;
    s.curpart = {};
    Notices told;
    pair.reduce.told = &told;
    const partition::PairResult made = partition::mkpair(cand, comp, s.repflag, s.curpart, pair, tally, p.log);
    ui::tell(p.services, p.log, told);
    for (int k = 0; k < made.cut_expansions; ++k) p.services.msgok(partition::kExpandLoopMessage);
    // A partition chosen for a Process item takes the complexity of its expanded pair.
    if (s.process_mode && !made.skip) s.complexity = made.complexity;
    if (made.skip) {
        // The winner passed this step when it was found; should it not now, its
        // own lists stand.
        s.curpart.repflag = s.repflag;
        s.curpart.first = s.lpmem;
        s.curpart.second.clear();
        complement_of(p, s.lpmem, sense_of(s.repflag), s.curpart.second, pair.reduce);
    }

    progress(p, s.bootstrap ? ".. continuing BOOTSTRAP re-sampling"
                : s.bygroup ? ".. continuing  BY-GROUP analyses."
                            : ".. continuing. Please wait. ");
    if (!s.treegrow) window.next(s.curpart.second, 1 - s.curpart.repflag, "Complement:");

    if (!s.closing) {
        search::RepairHooks hooks;
        const partition::PartitionWindow shown = ui::partition_window(p.ui, t);
        hooks.compat = [&](const partition::TermList& a, const partition::TermList& b, int flag) {
            return compatible(p, a, b, flag, s.compat_note, shown);
        };
        hooks.complement = [&](const partition::TermList& in, int sense, partition::TermList& out) {
            return complement_of(p, in, sense, out, pair.reduce);
        };
        hooks.show = [&](const partition::TermList& list, int v, const std::string& caption) {
            window.next(list, v, caption);
        };
        const search::Repair r = search::repair_pair(s.curpart, hooks, t, told, p.log);
        ui::tell(p.services, p.log, told);
        if (search::repaired(r)) window.next(s.curpart.first, s.curpart.repflag, search::kRepairedCaption);
        if (r != search::Repair::none) ++s.repairs;
    }

    s.changed = !partition::pequal(s.curpart.repflag, s.curpart.first, s.repflag, s.lpmem);
    if (s.changed) {
        s.lpmem = s.curpart.first;
        s.repflag = s.curpart.repflag;
        window.next(s.curpart.first, s.curpart.repflag, "Expanded/Simplified");
        bool aminus = false;
        p.ptext = partition::dialog_text(s.curpart.first, s.curpart.repflag, aminus, p.log);
        window.next(s.curpart.second, 1 - s.curpart.repflag, "Expanded complement");
    }
    // View > Added attributes asks here whether to write the combination to the
    // control file (the caller's step, after this returns).

    if (s.process_mode) attrition(p, s);
    return true;
}

void search_end_close(Program& p, SearchEnd& s)
{
    if (s.repairs > 0 && !s.process_mode) {
        std::string text = "Algebra check: A and A- incompatible for" + io::fmt_i(s.repairs, 4) + " partition $";
        ui::msgbox(p.ui, text, BoxKind::Ok, false);
    }
    if (s.iterative || s.treegrow || s.process_mode || s.bygroup || s.bootstrap || !s.combination) return;
    progress(p, ui::upto_dollar(p.msgline));
    search::HullInput in = hull_input(p, s);
    in.redraw = true;
    if (!plots::open_search_window(p.ui, plots::hull_scale(s.scale, in.entries), plots::kHullMenuEntry)) return;
    search::Penalty pen{p.crit.beta, p.crit.auto_beta};
    plots::SearchHullView view(p.ui, p.rng, {});
    plots::hullplot(in, pen, &view, p.log);
}

SearchEnd search_end_for(Program& p, const search::LoopResult& run)
{
    SearchEnd s;
    s.evaluated = s.evaluated_in_search = run.evaluated;
    s.treegrow = p.search.treegrow;
    s.bygroup = p.process.bygroup_run;
    s.bootstrap = p.bootmode;
    s.display = p.options.dispgraph && !s.treegrow;
    s.scale = p.search.scale;
    // A search that does not iterate is iteration 1, whatever an earlier
    // iterative search left behind, so that its penalty is set automatically.
    s.iterative = p.iteration.iterative;
    s.iteration = s.iterative ? std::max(p.iteration.iteration, 1) : 1;
    s.stopped = s.iterative && p.iteration.stop;
    s.pair.added = &p.analysis->added;
    s.pair.reduce.tables = &p.analysis->tables;
    s.pair.reduce.primitive = p.options.primattr;
    s.pair.reduce.services = &p.services;
    s.pair.reduce.trace = p.debug;
    s.pair.full_reduction = p.options.fullred;
    s.pair.measure = p.crit.complexity;
    s.pair.debug = p.debug;
    if (p.extent.upto) s.pair.upto = p.extent.bounds;
    if (run.ended_by_user && !s.iterative) p.services.clear_search_end();
    return s;
}

Flow end_of_search(Program& p, const search::LoopResult& run)
{
    if (!p.analysis_open()) return Flow::loop_head;
    SearchEnd s = search_end_for(p, run);
    if (!search_end_result(p, s)) return s.bygroup_dropped ? next_group_pass(p) : Flow::loop_head;
    search_end_close(p, s);
    return search_statistics(p, s);
}

} // namespace meru::mainloop
