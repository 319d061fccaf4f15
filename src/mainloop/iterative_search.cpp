#include "mainloop/iterative_search.h"

#include "mainloop/added_requests.h"
#include "mainloop/program.h"
#include "mainloop/search_end.h"
#include "mainloop/search_host.h"
#include "platform/events.h"
#include "search/iteration.h"
#include "search/search_loop.h"
#include "search/threads.h"
#include "ui/messages.h"
#include "ui/partwin.h"

namespace meru::mainloop {

search::HeldReferences held_references(Program& p, std::vector<int>* attribute_set, std::vector<char>* usable,
                                       partition::TermList* picked)
{
    search::HeldReferences refs;
    if (picked) refs.lists.push_back({picked, partition::kPlain});
    search::IterationState& it = p.iteration;
    refs.lists.push_back({&it.lastpart, it.lastflag == 1 ? partition::kPlain : partition::kFlipped});
    refs.results = &p.results;
    refs.attribute_set = attribute_set;
    refs.usable = usable;
    if (p.analysis) refs.combos = &p.analysis->tables.cfcomb;
    return refs;
}

void apply_renumbering(Program& p, const search::Renumbering& r)
{
    if (r.deleted == 0) return;
    int& f = p.forcing.forcedattr;
    if (f != 0) f = f < 0 ? -r.attr(-f) : r.attr(f);
    if (!p.analysis) return;
    outcome::Outcome& o = p.analysis->outcome;
    for (int& a : o.yattr)
        if (a > 0) a = r.attr(a);
    for (int& a : o.yaddatt) // 0 when the partition found for that Y is gone
        if (a > 0) a = r.attr(a);
    for (int& c : o.ycol)
        if (c > 0) c = r.var(c);
    p.analysis->naddatt = p.analysis->added.count;
}

IterativeStep iterative_stop(Program& p, IterativeRun& run, const partition::PartitionWindow& show)
{
    search::IterationState& it = p.iteration;
    if (!it.iterative || !p.analysis) return IterativeStep::off;
    Notices told;
    const search::Ending e = search::stop_rules(it, run.cur, p.options.primattr, p.analysis->added, run.attribute_set,
                                                p.msgline, p.services, told, p.log, show);
    ui::tell(p.services, p.log, told);
    return e == search::Ending::none ? IterativeStep::next : IterativeStep::stopped;
}

IterativeStep iterative_next(Program& p, IterativeRun& run)
{
    search::IterationState& it = p.iteration;
    if (!it.iterative || !p.analysis) return IterativeStep::off;
    Analysis& a = *p.analysis;
    search::AddedContext c{a.tables, a.data, a.added};
    c.parallel = p.search_threads.parallel(search::search_threads(), [] { platform::pump(); });
    search::HeldReferences refs = held_references(p, &run.attribute_set, &run.usable, run.picked);
    const std::string name = search::iteration_name(it.letter, it.iteration);
    const search::MadeAttribute m = search::make_added(c, run.cur, name, p.options.skipcomb, refs, p.log);
    apply_renumbering(p, m.renumbering);
    if (!m.made) {
        // No room: the search ends as if stopped, without the last iteration's entry.
        p.services.helpshow("NOTE:too many added attributes");
        if (it.iteration >= 2 && !run.attribute_set.empty()) run.attribute_set.pop_back();
        it.iterative = false;
        return IterativeStep::stopped;
    }
    a.naddatt = a.added.count;
    p.log.write(" Added attribute " + name + " created and included in attribute set");
    offer_added_view(p);
    room_for_stored(run.scale, p.results.bestlist.entries(), run.g);
    Notices told;
    const bool go_on = search::next_iteration(it, run.cur, m.line, p.strategy.maxiter, p.options.detailout, a.tables,
                                              run.attribute_set, p.services, told, p.log);
    ui::tell(p.services, p.log, told);
    return go_on ? IterativeStep::next : IterativeStep::stopped;
}

bool continue_iterating(Program& p, SearchEnd& e, std::vector<int>& attribute_set, std::vector<char>& usable,
                        plots::WindowScale& scale)
{
    IterativeRun run{attribute_set, usable, scale, e.curpart, e.g, &e.lpmem};
    const files::ControlTables& t = p.analysis->tables;
    auto show = [&p, &t](const partition::TermList& list, int flag, std::string_view caption) {
        std::string text(caption);
        int row = 1;
        ui::partwin(p.ui, list, t, flag, text, row, false, true);
    };
    IterativeStep step = iterative_stop(p, run, show);
    if (step == IterativeStep::next) step = iterative_next(p, run);
    if (step == IterativeStep::next) return true;
    if (step == IterativeStep::stopped) {
        e.stopped = p.iteration.stop;
        e.iterative = false;
    }
    return false;
}

} // namespace meru::mainloop
