#include "mainloop/rank_requests.h"

#include "files/new_variable.h"
#include "mainloop/dispatch.h"
#include "mainloop/picker_requests.h"
#include "mainloop/process_dialogs.h"
#include "mainloop/program.h"
#include "mainloop/rank_plots.h"
#include "mainloop/tree_grow.h"
#include "platform/events.h"
#include "search/fixpos.h"
#include "search/ranking.h"
#include "search/threads.h"
#include "settings/fixpos_dialog.h"
#include "ui/messages.h"

#include <cstdlib>
#include <stdexcept>

namespace meru::mainloop {

namespace {

std::size_t at(int i) { return static_cast<std::size_t>(i); }

bool several_cuts(const files::ControlTables& t)
{
    for (int k = 1; k <= t.nlines; ++k)
        if (t.line[at(k)].ncuts > 1) return true;
    return false;
}

std::vector<std::string> ynames(const outcome::Outcome& y)
{
    std::vector<std::string> out;
    for (int k = 0; k < y.ny && k < outcome::kMaxYs; ++k) out.push_back(y.yname[at(k)]);
    return out;
}

std::string joined(const std::vector<std::string>& names)
{
    std::string s;
    for (const std::string& n : names) s += (s.empty() ? "" : " ") + n;
    return s;
}

// The preparation's refusals; true when the request ends.
bool refused(Program& p)
{
    const MenuFlags& f = p.flags;
    if (!p.analysis_open() || !p.analysis->yset) {
        p.services.helpshow("NOTE: No Y");
        return true;
    }
    if ((f.rroc || f.rqroc) && !p.analysis->outcome.ybin[at(search_y(p) - 1)]) {
        p.services.helpshow("NOTE: non-binary Y");
        return true;
    }
    if (f.reffcuts && !several_cuts(p.analysis->tables)) {
        std::string text = "No multiple cuts. No plots can be done $";
        p.services.msgbox(text, BoxKind::Ok, false);
        return true;
    }
    return false;
}

// Search:Go! ranks each Y of a serial analysis from the directions the first Y
// was ranked from, as that Y alone would be ranked.
void serial_directions(Program& p)
{
    Analysis& a = *p.analysis;
    if (!p.flags.sgo || a.outcome.ny < 2 || !a.outcome.yserial) return;
    files::ControlTables& t = a.tables;
    std::vector<char>& first = a.serial_swapped;
    if (a.ycurrent <= 1) first.assign(at(t.nlines) + 1, 0);
    for (int k = 1; k <= t.nlines && at(k) < first.size(); ++k) {
        if (a.ycurrent <= 1) first[at(k)] = t.line[at(k)].swapped;
        else if (t.line[at(k)].swapped != static_cast<bool>(first[at(k)]))
            search::turn_line(p.rank.fixpos, t, a.data, k);
    }
}

// Search:Go! goes on to the strategy stage after Fix Positive attributes.
Flow to_strategy(Program& p)
{
    MenuFlags& f = p.flags;
    f.qrank = false;
    f.strat = true;
    if (p.rank.ranking.several_cuts) p.log.write("Optimised cuts set for search");
    return Flow::poll;
}

void run_hook(Program& p, const std::function<void(Program&)>& hook, std::string_view text)
{
    progress(p, text);
    if (hook) hook(p);
}

} // namespace

search::ExclusionContext exclusion_context(const Program& p)
{
    search::ExclusionContext c;
    c.censoring = p.censoring;
    if (!p.analysis_open()) return c;
    const outcome::Outcome& y = p.analysis->outcome;
    const files::ControlTables& t = p.analysis->tables;
    for (int k = 0; k < y.ny && k < outcome::kMaxYs; ++k) {
        if (y.ycol[at(k)] > 0) c.yvars.push_back(y.ycol[at(k)]);
        if (y.yattr[at(k)] > 0) c.yattrs.push_back(y.yattr[at(k)]);
        // A Y made by a transform keeps the variables it was made from out too.
        for (int s : files::source_variables(t.vars, y.ycol[at(k)])) c.yvars.push_back(s);
    }
    // The by-group variable while by-groups are chosen or run: by value its
    // variable, by attribute the variable of the group attributes' line.
    const outcome::ByGroup& by = p.analysis->bygroup;
    if (by.mode || by.current > 0) {
        const bool line = !by.byvalues && by.byindex >= 1 && by.byindex <= t.nlines;
        c.byvar = by.byvalues ? by.byindex : line ? t.line[at(by.byindex)].var : 0;
    }
    return c;
}

std::unique_ptr<search::Evaluator> make_evaluator(Program& p, const EvaluationInputs& in,
                                                  const search::EvaluationSettings& settings, std::string_view what)
{
    try {
        return std::make_unique<search::Evaluator>(in.data, p.crit, settings);
    } catch (const std::exception& e) {
        p.log.write("NOTE: " + std::string(what) + " not possible: " + e.what());
        return nullptr;
    }
}

void evaluation_inputs(const Program& p, EvaluationInputs& keep)
{
    const Analysis& a = *p.analysis;
    const files::ControlTables& t = a.tables;
    keep.signbyte.assign(at(std::max(a.data.lc, t.natt)) + 1, 1);
    for (int k = 1; k <= t.natt; ++k) keep.signbyte[at(k)] = t.att[at(k)].signbyte;
    keep.mask = process_mask(p);
    search::EvaluationData& d = keep.data;
    d = {};
    d.abyte = stats::AttributeMatrix(a.data.abyte, a.data.lc, a.data.n);
    d.kept_order = &p.analysis->kept_times;
    const std::size_t n = at(a.data.n);
    d.ny = std::clamp(a.outcome.ny, 1, outcome::kMaxYs);
    for (int k = 0; k < d.ny; ++k) {
        if (a.ymat.size() >= (at(k) + 1) * n) d.y[at(k)] = std::span<const float>(a.ymat).subspan(at(k) * n, n);
        d.ymax[at(k)] = a.outcome.ymax[at(k)];
    }
    d.mask = keep.mask;
    d.weights = a.data.obswt;
    d.signbyte = keep.signbyte;
    d.censoring = p.censoring.within(a.data.lc);
}

Flow rank_stage(Program& p)
{
    MenuFlags& f = p.flags;
    if (refused(p)) return Flow::loop_head;
    Analysis& a = *p.analysis;
    search::SearchResults& results = p.results;
    if (!f.sgo && results.bestlist.count() > 0) {
        p.log.write("NOTE: Rank item has over-written search partition memory stacks");
        results.clear_lists();
        results.searchg_count = 0;
    }
    if (p.strategy.forcein) p.msgline = "NOTE: Forcing option is now switched off";

    const std::vector<int> lines = search::usable_lines(a.tables, exclusion_context(p), true);
    if (lines.empty()) {
        p.services.helpshow("NOTE: No attributes");
        return Flow::loop_head;
    }
    progress(p, " ");
    serial_directions(p);
    EvaluationInputs in;
    evaluation_inputs(p, in);
    // A serial analysis ranks the Y under analysis, as its search scores it.
    const search::EvaluationSettings settings =
        search::rank_settings(scored_y(p), p.options.skipcomb, f.rfixpos, std::max(a.tables.dims.lc, 1));
    const std::unique_ptr<search::Evaluator> evaluator = make_evaluator(p, in, settings, "ranking");
    if (!evaluator) return Flow::loop_head;
    results.searchg_count = 0;
    evaluator->sort_times(p.log);
    // Every cut of every line is scored: their bit columns are built at once,
    // on the workers while the program pumps events.
    std::vector<int> attributes;
    for (int k : lines)
        for (int att = a.tables.line[at(k)].first_attribute(); att <= a.tables.line[at(k)].attoff; ++att)
            attributes.push_back(att);
    evaluator->expect_attributes(std::move(attributes));
    search::RankHooks hooks;
    hooks.parallel = p.search_threads.parallel(search::search_threads(), [] { platform::pump(); });
    evaluator->make_snapshots(hooks.parallel);
    hooks.progress = [&p](std::string_view text) { progress(p, text); };
    hooks.search_end = [&p] { return tree_search_end(p); };
    hooks.yield = [&p] { p.services.yield(); };
    partition::SkipTally skips;
    search::Ranking& ranking = p.rank.ranking;
    const search::RankRun run = search::run_ranking(*evaluator, a.tables, lines, results, skips, ranking,
                                                    f.rfixpos ? &p.rank.fixpos : nullptr, hooks);
    if (run.ended_by_user) {
        p.services.clear_search_end();
        return Flow::loop_head;
    }

    // The rank routines.
    p.rank.window_ymax = ranking.best_g;
    if (f.rfixpos) {
        progress(p, "... about positive attributes");
        const std::vector<std::string> names = ynames(a.outcome);
        p.msgline = joined(names);
        // A Go! shows the notes of the first ranking that has one (a by-group
        // series' group, a tree's root or node); the later ones go to the log.
        const bool quiet = f.sgo && p.rank.go_noted;
        search::FixposRun fr{a.tables, a.data, p.censoring, f.sgo, p.strategy.decidepos, quiet, p.services, p.log};
        fr.parallel = hooks.parallel;
        settings::fixpos_mode2(p.rank.fixpos, fr, {names, ranking.order}, *p.forms);
        if (f.sgo && fr.noted) p.rank.go_noted = true;
        if (f.sgo) return to_strategy(p);
        if (p.options.detailout && p.rank.hooks.viewfile) p.rank.hooks.viewfile(p);
    }
    if (p.debug) p.services.msgok("entering rank routines$");
    if (f.reffcuts) run_hook(p, p.rank.hooks.effcuts, "... about cuts");
    if (f.rroc) run_hook(p, p.rank.hooks.rocplot, "... about ROC curves");
    if (f.rqroc) run_hook(p, p.rank.hooks.qrocplot, "... about QROC curves");
    if (f.rrankplot) run_hook(p, p.rank.hooks.rankplot, "... about Ranking");

    // The best single attribute is the only entry of the best-at-each-complexity list.
    results.bestlist.clear();
    p.process.lists_key = score_key(p);
    if (!ranking.table.empty()) {
        const search::RankEntry& top = ranking.table.front();
        const int att = std::abs(top.attribute);
        partition::TermList list;
        list.add_term({att * a.tables.att[at(att)].signbyte});
        results.bestlist.offer(1, top.g, 1, list);
        p.rank.window_ymax = 4.0 * top.g;
        p.rank.window_xmax = 10.0;
    }
    if (p.rank.hooks.series) return p.rank.hooks.series(p);
    return Flow::loop_head;
}

void install_rank_hooks(Program& p)
{
    p.dispatch.reset_ranking = [](Program& q) {
        q.rank.ranking.clear();
        q.rank.ranking.ranked = false;
        q.rank.fixpos = {};
    };
    install_rank_plots(p);
}

} // namespace meru::mainloop
