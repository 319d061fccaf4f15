#include "mainloop/search_stage.h"

#include "mainloop/dispatch.h"
#include "mainloop/iterative_search.h"
#include "mainloop/menubar.h"
#include "mainloop/picker_requests.h"
#include "mainloop/process.h"
#include "mainloop/program.h"
#include "mainloop/rank_requests.h"
#include "mainloop/search_end.h"
#include "mainloop/search_host.h"
#include "mainloop/settings_requests.h"
#include "mainloop/tree_grow.h"
#include "partition/dupvar.h"
#include "platform/events.h"
#include "platform/io/edit.h"
#include "search/iteration.h"
#include "search/primattrs.h"
#include "search/threads.h"
#include "stats/analysis_sample.h"
#include "ui/messages.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>

namespace meru::mainloop {

namespace {

// The most distinct Y values distinct_y() collects.
constexpr std::size_t kMostDistinct = 11;

// The distinct Y values of observations [from, to) of the sample in the order
// first seen, at most kMostDistinct. Whole numbers below 256 (as classes
// mostly are) are marked in a table.
std::vector<float> first_seen(std::span<const float> y, std::span<const std::uint8_t> mask, std::size_t from,
                              std::size_t to)
{
    std::array<bool, 256> whole{};
    std::vector<float> values;
    for (std::size_t i = from; i < to && values.size() < kMostDistinct; ++i) {
        const float v = y[i];
        if (!mask[i] || !(v >= 0.0f)) continue;
        if (v < 256.0f && v == std::floor(v)) {
            const auto k = static_cast<std::size_t>(v);
            if (!whole[k]) values.push_back(static_cast<float>(k));
            whole[k] = true;
        } else if (std::find(values.begin(), values.end(), v) == values.end()) {
            values.push_back(v);
        }
    }
    return values;
}

} // namespace

std::vector<float> distinct_y(std::span<const float> y, std::span<const std::uint8_t> mask,
                              const stats::ParallelFor& parallel)
{
    const std::size_t n = std::min(y.size(), mask.size());
    constexpr std::size_t kStretch = std::size_t{1} << 16;
    std::vector<std::vector<float>> seen((n + kStretch - 1) / kStretch);
    stats::for_stretches(parallel, n, kStretch, [&](std::size_t k, std::size_t from, std::size_t to) {
        seen[k] = first_seen(y, mask, from, to);
    });
    std::vector<float> values;
    for (const std::vector<float>& part : seen)
        for (const float v : part)
            if (values.size() < kMostDistinct && std::find(values.begin(), values.end(), v) == values.end())
                values.push_back(v);
    std::sort(values.begin(), values.end());
    return values;
}

namespace {

std::size_t at(int i) { return static_cast<std::size_t>(i); }

// The search-stage refusals: the last applicable note is shown as a help topic.
bool refused(Program& p)
{
    std::string note;
    const Analysis* a = p.analysis.get();
    if (!a || !a->yset) note = "NOTE: No Y";
    if (a && !a->critdone) note = "NOTE: No Criteria";
    if (a && !a->extdone) note = "NOTE: No Extent";
    if (a && !a->stratdone) note = "NOTE: No Strategy";
    if (p.search.set.lines.empty()) note = "NOTE: No attributes";
    if (note.empty()) return false;
    p.services.helpshow(note);
    return true;
}

std::string caption(const Program& p, bool iterative)
{
    const Analysis& a = *p.analysis;
    std::string text = "Searching";
    if (p.search.treegrow) text = "Constructing tree!";
    if (iterative) text = "Searching: Iteration " + io::fmt_i(p.iteration.iteration, 2);
    if (a.outcome.serial()) text += " Serial Y=" + io::fmt_i(a.ycurrent, 2);
    // A tree's nodes run as groups of the program's own, not the user's by-groups.
    if (!p.search.treegrow && a.bygroup.current > 0 && (a.bygroup.mode || a.bygroup.current > 1))
        text += " By group " + io::fmt_i(a.bygroup.current, 3);
    return text;
}

// The sample of the search: the X space less, under "skip observations missing in
// the attribute set", the observations missing there; the attrition note once.
void sample(Program& p, EvaluationInputs& in)
{
    Analysis& a = *p.analysis;
    SearchState& s = p.search;
    const std::vector<int> attributes = set_attributes(p, s.set.lines);
    in.sample.assign(in.mask.size(), 0);
    s.attrition = stats::sampmask(attributes, in.data.abyte, in.mask, in.sample, p.options.skipset, false, false,
                                  a.data.obswt, p.log);
    if (s.attrition > 10.0 && !s.attrition_noted) {
        p.services.note("NOTE: >10% data attrition due to missing obs$", NoteKind::Full, true);
        s.attrition_noted = true;
    }
}

// The serial ordinal or nominal analysis under way, if any.
search::SerialKind sequence_kind(const outcome::Outcome& y)
{
    if (!y.serial()) return search::SerialKind::none;
    return y.yordforce   ? search::SerialKind::ordinal
           : y.ynomforce ? search::SerialKind::nominal
                         : search::SerialKind::none;
}

// What a serial ordinal or nominal analysis intersects every candidate with:
// the partition found for the Y before the current one (ordinal) or the
// complements of those of all the Ys before it (nominal); nothing while an
// attribute is forced.
std::vector<partition::Literal> serial_joins(const Program& p)
{
    const Analysis& a = *p.analysis;
    if (p.search.forcing && p.forcing.forcedattr != 0) return {};
    return search::serial_joins(sequence_kind(a.outcome), a.ycurrent, a.outcome.yaddatt, a.tables.natt);
}

// primattrs, then the Turbo weights over the lines it gives.
void primitive_lines_and_turbo(Program& p, EvaluationInputs& in)
{
    Analysis& a = *p.analysis;
    SearchState& s = p.search;
    search::PrimattrsInput pin;
    pin.lines = s.set.lines;
    pin.tables = &a.tables;
    pin.primattr = p.options.primattr;
    pin.rank = p.flags.qrank;
    pin.added = &a.added;
    pin.first_iteration = p.iteration.iteration <= 1;
    pin.treegrow = s.treegrow;
    pin.forcein = s.forcing;
    pin.forcedattr = p.forcing.forcedattr;
    const std::vector<int> joined = serial_joins(p);
    pin.joined = joined;
    const search::PrimattrsResult prim = search::primattrs(pin);
    s.primlines = prim.lines;
    if (prim.note) p.services.helpshow("NOTE: added attributes");

    std::vector<int> key = set_attributes(p, s.primlines);
    // The joined partitions' own attributes, whatever cuts the search may use.
    for (int j : joined) {
        const int slot = p.options.primattr ? 0 : a.added.slot_of(std::abs(j));
        if (slot <= 0) key.push_back(std::abs(j));
        else
            for (int lit : a.added.aminus_set[at(slot)].lits) key.push_back(std::abs(lit));
    }
    const stats::Censoring cens = p.censoring.within(a.data.lc);
    if (cens.in_force && cens.attribute >= 1) key.push_back(cens.attribute);
    std::sort(key.begin(), key.end());
    key.erase(std::unique(key.begin(), key.end()), key.end());
    stats::TurboInput tin;
    tin.on = p.options.turboon;
    tin.single_y = in.data.ny == 1;
    tin.y = in.data.y[0];
    const std::vector<float> values =
        distinct_y(tin.y, in.sample, p.search_threads.parallel(search::search_threads(), [] { platform::pump(); }));
    tin.distinct = values;
    in.weights.assign(a.data.obswt.size(), 0);
    stats::turbo(tin, in.data.abyte, key, in.sample, a.data.obswt, in.weights, &p.log);
    in.data.mask = in.sample;
    in.data.weights = in.weights;
}

search::LoopSettings loop_settings(Program& p, EvaluationInputs& in)
{
    Analysis& a = *p.analysis;
    SearchState& s = p.search;
    search::LoopSettings ls;
    ls.tables = &a.tables;
    ls.lines = s.set.lines;
    ls.usable = s.cuts.usable;
    ls.extent = p.extent;
    ls.pair.added = &a.added;
    ls.pair.reduce.tables = &a.tables;
    ls.pair.reduce.primitive = p.options.primattr;
    ls.pair.reduce.services = &p.services;
    ls.pair.reduce.told = &s.told;
    ls.pair.reduce.trace = p.debug;
    ls.pair.full_reduction = p.options.fullred;
    ls.pair.measure = p.crit.complexity;
    ls.pair.iterative = p.iteration.iterative;
    ls.pair.iteration = p.iteration.iteration;
    if (p.extent.upto) ls.pair.upto = p.extent.bounds;
    ls.pair.debug = p.debug;
    ls.forcing = s.forcing && p.forcing.forcedattr != 0;
    ls.forced = p.forcing.forcedattr;
    // The forced attribute is a term of its own in a plain list (side 1) when A
    // is united with it, in a flipped one (side 0) when A is intersected with it.
    ls.join0 = p.forcing.forceinter;
    ls.join1 = p.forcing.forceunion;
    ls.serial = serial_joins(p);
    ls.iterative = p.iteration.iterative;
    ls.iteration = p.iteration.iteration;
    ls.detailed = p.options.detailout;
    ls.dispgraph = p.options.dispgraph && !s.treegrow;
    ls.serial_y = a.outcome.serial() ? scored_y(p) : 0;
    ls.threads = search::search_threads();
    ls.workers = &p.search_threads;
    ls.data = &in.data;
    ls.crit = &p.crit;
    return ls;
}

} // namespace

std::vector<int> set_attributes(const Program& p, std::span<const int> lines)
{
    const files::ControlTables& t = p.analysis->tables;
    std::vector<int> out;
    const std::vector<char>& usable = p.search.cuts.usable;
    for (int k : lines) {
        const files::AttrLine& line = t.line[at(k)];
        bool any = false;
        for (int a = line.first_attribute(); a <= line.attoff; ++a) {
            if (at(a) < usable.size() && usable[at(a)]) {
                out.push_back(a);
                any = true;
            }
        }
        if (!any) out.push_back(line.first_attribute() - 1 + std::max(line.inuse, 1));
    }
    return out;
}

void go_strategy(Program& p)
{
    Analysis& a = *p.analysis;
    SearchState& s = p.search;
    p.iteration.iterative = p.strategy.iterative;
    s.forcing = p.strategy.forcein;
    if (s.treegrow) return;
    const search::ExclusionContext ctx = exclusion_context(p);
    s.allowed = search::usable_attributes(a.tables, ctx);
    search::AttrsetInput in;
    in.range = p.strategy.attrsetspec;
    in.ranked = p.rank.ranking.order;
    in.exclusions = ctx;
    in.xspaceon = a.xspace.xspaceon;
    in.xconline = a.xspace.xconline;
    in.later_group = a.bygroup.current > 1;
    int used_m = p.strategy.topm;
    Notices told;
    std::vector<std::string> messages = search::attrset(a.tables, in, s.set, used_m, told, p.log);
    ui::tell(p.services, p.log, told);
    for (std::string& text : messages) p.services.msgbox(text, BoxKind::Ok, false);
    // The m a search used becomes the user's Top m; a tree's leaves it alone.
    if (!p.strategy.treemode) p.strategy.topm = used_m;
    a.setbuilt = true;
    const std::vector<int> atts = stats::attributes_in_use(a.tables, s.set.lines);
    s.related = partition::dupvar(atts, partition::attribute_variables(a.tables));
}

void go_extent(Program& p)
{
    Analysis& a = *p.analysis;
    SearchState& s = p.search;
    search::CutlistInput in;
    in.lines = s.set.lines;
    in.ranking = &p.rank.ranking;
    in.levels = p.extent.nfloatx;
    in.single_cuts = s.set.single_cut || single_cuts(a);
    in.exclusions = exclusion_context(p);
    search::cutlist(a.tables, in, s.cuts, p.msgline, p.log);
    if (!s.forcing || p.forcing.forcedattr == 0) return;
    // The forced attribute, and when it is an added one every attribute of its definition.
    std::vector<int> forced{std::abs(p.forcing.forcedattr)};
    if (const int slot = a.added.slot_of(forced.front()); slot > 0)
        for (const partition::DefinitionSet* set : {&a.added.aminus_set, &a.added.a_set})
            for (int lit : (*set)[at(slot)].lits) forced.push_back(std::abs(lit));
    for (int f : forced) {
        if (at(f) >= s.cuts.usable.size()) s.cuts.usable.resize(at(f) + 1, 0);
        s.cuts.usable[at(f)] = 1;
    }
}

Flow series_step(Program& p)
{
    if (!p.flags.qcont) return Flow::next;
    if (!p.analysis_open() || !p.analysis->yset) {
        p.services.helpshow("NOTE: must have Y specified");
        return Flow::loop_head;
    }
    return Flow::next;
}

Flow search_stage(Program& p)
{
    MenuFlags& f = p.flags;
    if (!f.qcont) return Flow::loop_head;
    f.qcont = false;
    SearchState& s = p.search;
    if (p.debug) p.services.msgok("beginning search $");
    s.treegrow = false;
    search::IterationState& it = p.iteration;
    it.iterative = p.strategy.iterative;
    if (!p.analysis_open()) return refused(p), Flow::loop_head;
    Analysis& a = *p.analysis;
    if (p.strategy.treemode && !tree_begin(p)) return Flow::loop_head;
    if (s.treegrow) it.iterative = false;

    EvaluationInputs in;
    evaluation_inputs(p, in);
    sample(p, in);
    if (refused(p)) return Flow::loop_head;

    const double penalty = p.crit.auto_beta ? 0.0 : beta_in_force(p);
    search::SearchResults& results = p.results;
    results.clear_search();
    p.process.lists_key = score_key(p);
    it.iteration = 1;
    if (it.iterative) search::start_iterative(it, p.log);
    if (a.outcome.ny < 1) {
        std::string text = "NOTE: Y is not defined! $";
        p.services.msgbox(text, BoxKind::Ok, false);
        return Flow::loop_head;
    }
    progress(p, s.treegrow ? tree_node_text(p) : it.iterative ? "Iteration 1" : "Conducting non-iterative Search");
    s.scale.ymax = 1.0;
    s.scale.xmax = std::max(1.0, p.rank.window_xmax);
    s.scale.xstep = std::max(1.0, std::floor(s.scale.xmax / 4.0));
    // The sizes the first iteration remembers per size vector serve every later
    // iteration, so they are cleared once per search.
    s.memory = {};
    long long evaluated = 0; // by every iteration so far
    // Each iteration of an iterative search restarts here with the attribute set
    // holding the last iteration's added attribute.
    for (;;) {
        if (p.debug) p.services.msgok("at label 1558 new iteration $");
        std::fill(results.cplxhist.begin(),
                  results.cplxhist.begin() + std::min<std::size_t>(26, results.cplxhist.size()), 0);
        if (it.iteration > 1) evaluation_inputs(p, in); // the new attribute's column and sign
        primitive_lines_and_turbo(p, in);

        const search::LoopSettings ls = loop_settings(p, in);
        SearchWindow window(p, s.scale, ls.dispgraph);
        window.open(caption(p, it.iterative));
        s.box.reset();

        search::EvaluationSettings es;
        es.serial_y = scored_y(p);
        es.skipcomb = p.options.skipcomb;
        es.penalty = penalty;
        es.search_stage = true;
        es.lc = std::max(a.tables.dims.lc, 1);
        es.a_predicts = sequence_kind(a.outcome) != search::SerialKind::none;
        const std::unique_ptr<search::Evaluator> evaluator = make_evaluator(p, in, es, "search");
        if (!evaluator) return Flow::loop_head;
        evaluator->sort_times(p.log);
        s.skips = {};
        s.last = search::run_search_loop(ls, *evaluator, results, s.skips, s.box, s.memory, p.log, window);
        ui::tell(p.services, p.log, s.told);
        for (const std::string& line : s.box.print(p.options.detailout)) p.log.write(line);
        if (s.treegrow && s.last.ended_by_user) return tree_abandon(p);

        SearchEnd end = search_end_for(p, s.last);
        end.scale = s.scale;
        end.evaluated_in_search = evaluated += s.last.evaluated;
        if (!search_end_result(p, end)) {
            if (end.bygroup_dropped) return next_group_pass(p);
            return s.treegrow ? tree_abandon(p) : Flow::loop_head;
        }
        if (s.treegrow) tree_record(p, end);
        if (continue_iterating(p, end, s.set.lines, s.cuts.usable, s.scale)) continue;
        search_end_close(p, end);
        return search_statistics(p, end);
    }
}

void install_search_hooks(Program& p)
{
    p.dispatch.empty_results = [](Program& q) {
        q.results.clear_lists();
        q.results.splithist.fill(0);
    };
    p.dispatch.clear_saved_g = [](Program& q) { q.results.searchg_count = 0; };
}

} // namespace meru::mainloop
