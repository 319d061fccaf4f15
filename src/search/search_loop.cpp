#include "search/search_loop.h"

#include "partition/labels.h"
#include "platform/io/edit.h"
#include "search/direct_path.h"
#include "search/grouped_search.h"
#include "search/pattern_cost.h"
#include "search/size_vector_run.h"
#include "search/term_budget.h"
#include "search/worker_pool.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <numeric>
#include <string>

namespace meru::search {

using partition::Literal;
using partition::TermList;

std::string_view route_name(Route r)
{
    switch (r) {
    case Route::kPair: return "pair";
    case Route::kDirect: return "direct";
    case Route::kQueued: return "queued";
    case Route::kRuns: return "runs";
    case Route::kScanHere: return "scan here";
    case Route::kScan: return "scan";
    }
    return "";
}

std::vector<int> covering_shape(std::span<const int> p)
{
    // (p1, 1, .., 1) is the complement of a sum of p1 terms of q literals each.
    if (p.empty()) return {};
    return std::vector<int>(static_cast<std::size_t>(p[0]), static_cast<int>(p.size()));
}

std::string progress_text(long long evaluated, int iteration, int serial_y)
{
    // The count widens its field past six digits: a long search passes a million.
    std::string text = ".." + io::fmt_i(evaluated, 6) + " partitions evaluated. Iteration " + io::fmt_i(iteration, 2);
    if (serial_y > 0) text += " Serial Y=" + io::fmt_i(serial_y, 2);
    return text;
}

namespace {

bool any_floating(const LoopSettings& s)
{
    if (!s.tables) return false;
    return std::any_of(s.lines.begin(), s.lines.end(), [&](int k) {
        return k >= 1 && static_cast<std::size_t>(k) < s.tables->line.size() &&
               s.tables->line[static_cast<std::size_t>(k)].firstattr;
    });
}

// The literals a search joins to its candidates (the forced one, a serial
// analysis's), after `literals`, where their attributes are not already
// there (a complement among them is read as such).
void add_joined(const LoopSettings& s, std::vector<Literal>& literals)
{
    std::vector<Literal> joined = s.serial;
    if (s.forcing) joined.push_back(s.forced);
    for (Literal l : joined)
        if (std::none_of(literals.begin(), literals.end(),
                         [&](Literal x) { return partition::attribute_of(x) == partition::attribute_of(l); }))
            literals.push_back(l);
}

// The direct path for this search, when its candidates can take it: one Y
// scored by a count table, no forcing and no serial joins, the shape cache in
// use, items of distinct attributes (in any order) that, under the label
// rules, name distinct variables and float no cuts.
//
// With `joins`, instead, the scorer of a search that joins a forced attribute
// or a serial analysis's literals to every candidate: it takes no direct path,
// but counts the lists of its candidates' pairs (their literals beside the
// items').
std::unique_ptr<DirectScorer> make_direct(const LoopSettings& s, Evaluator& ev, const ShapeCache& cache,
                                          bool joins = false)
{
    ClassOrderedSample* sample = ev.direct_sample();
    const bool floats = any_floating(s);
    const bool label_rules = s.pair.full_reduction && !s.pair.reduce.primitive;
    if (!sample || !s.tables || (s.forcing || !s.serial.empty()) != joins || !s.use_cache || !cache.enabled() ||
        s.rank_stage || s.process_mode || (floats && label_rules))
        return nullptr;
    // Every literal of every item (a floating line's cuts), no attribute twice.
    std::vector<Literal> fixed, literals;
    partition::termcodes(s.lines, *s.tables, fixed);
    for (std::size_t i = 0; i < s.lines.size(); ++i) {
        const files::AttrLine& line = s.tables->line[static_cast<std::size_t>(s.lines[i])];
        if (line.firstattr && line.ncuts > 1) {
            for (int k = 0; k < line.ncuts; ++k) {
                const int a = line.first_attribute() + k;
                literals.push_back(signed_literal(a, s.tables));
            }
        } else {
            literals.push_back(fixed[i]);
        }
    }
    if (joins) add_joined(s, literals);
    // Whether the literals share a value of key(attribute).
    const auto repeat = [&](auto key) {
        std::vector<long long> v;
        for (Literal l : literals) v.push_back(key(partition::attribute_of(l)));
        std::sort(v.begin(), v.end());
        return std::adjacent_find(v.begin(), v.end()) != v.end();
    };
    if (repeat([](int a) { return a; })) return nullptr;
    if (label_rules && repeat([&](int a) { return partition::RelationCache::variable_key(a, *s.tables); }))
        return nullptr;
    const stats::AttributeMatrix& m = ev.data().abyte;
    std::vector<char> plain;
    TermList one;
    one.lp.assign(1, 1);
    for (Literal l : literals) {
        if (partition::attribute_of(l) < 1 || partition::attribute_of(l) > m.lc) return nullptr;
        one.lits.assign(1, l);
        plain.push_back(cache.plain(one));
    }
    if (floats) fixed.clear();
    return std::make_unique<DirectScorer>(*sample, literals, plain, std::move(fixed), ev.data().signbyte,
                                          ev.settings().skipcomb);
}

// Whether only the candidates holding the last item (the newest line) are
// scored: those of a later iteration.
bool newest_only(const LoopSettings& s) { return s.iterative && s.iteration >= 2; }

// The items' literals a plain candidate may hold, where every item holds
// one fixed literal and patterns may be counted (LoopSettings::patterns):
// those the pattern cells would hold; false where none may be counted.
bool pattern_literals(const LoopSettings& s, const Evaluator& ev, std::vector<Literal>& out)
{
    out.clear();
    if (s.patterns < 0 || counted_y(ev) == 0 || !s.tables || any_floating(s)) return false;
    std::vector<Literal> items;
    partition::termcodes(s.lines, *s.tables, items);
    add_joined(s, items);
    const ShapeCache cache(s.pair, s.tables);
    TermList one;
    one.lp.assign(1, 1);
    for (Literal l : items) {
        one.lits.assign(1, l);
        if (partition::attribute_of(l) < 1 || partition::attribute_of(l) > ev.data().abyte.lc) return false;
        if (cache.plain(one)) out.push_back(l);
    }
    return out.size() <= static_cast<std::size_t>(PatternCounts::kMaxLiterals);
}

// Whether the search's direct path is to count the patterns of its items'
// literals, told from the data before its units are laid out, so that they
// are not grouped first (the pattern counts group them more finely): the
// literals of pattern_literals(), without a missing byte among the units,
// their weights summing in magnitude below 2^31, and counting paying on them.
bool patterns_ahead(const LoopSettings& s, const Evaluator& ev, const stats::ParallelFor& parallel)
{
    std::vector<Literal> literals;
    // Only a scorer counts tables from patterns (see make_direct()).
    if (ev.criterion().input() != stats::ScoreInput::CountTable || s.rank_stage || s.process_mode || !s.use_cache ||
        !pattern_literals(s, ev, literals))
        return false;
    std::vector<std::size_t> at; // the literals' bytes in a row
    for (Literal l : literals) at.push_back(static_cast<std::size_t>(partition::attribute_of(l) - 1));
    const EvaluationData& d = ev.data();
    const auto k = static_cast<std::size_t>(counted_y(ev) - 1);
    const int classes = std::clamp(static_cast<int>(d.ymax[k]) + 1, 0, stats::kMaxClasses);
    // The units and their weight, by stretches of the observations (shared
    // out by `parallel`); a stretch with a literal's byte above 1 stops.
    constexpr std::size_t kStretch = std::size_t{1} << 16;
    const auto n = static_cast<std::size_t>(std::max(d.abyte.n, 0));
    const std::size_t stretches = (n + kStretch - 1) / kStretch;
    struct Tally {
        std::size_t units = 0;
        std::int64_t weight = 0;
        bool two_valued = true;
    };
    std::vector<Tally> tallies(stretches);
    const auto stretch = [&](std::size_t j) {
        Tally& t = tallies[j];
        for (std::size_t u = j * kStretch; u < std::min(n, (j + 1) * kStretch); ++u) {
            const int w = d.weights[u];
            const int c = w != 0 && d.mask[u] ? stats::y_class(d.y[k][u], classes) : -1;
            if (c < 0 || c == classes) continue;
            // Bytes of 0 and 1 alone leave their union at most 1.
            const std::uint8_t* row = d.abyte.row(static_cast<int>(u));
            std::uint8_t any = 0;
            for (std::size_t a : at) any |= row[a];
            if (any > 1) {
                t.two_valued = false;
                return;
            }
            ++t.units;
            t.weight += std::abs(static_cast<std::int64_t>(w));
        }
    };
    if (parallel && stretches > 1) parallel(stretches, stretch);
    else
        for (std::size_t j = 0; j < stretches && (j == 0 || tallies[j - 1].two_valued); ++j) stretch(j);
    std::size_t units = 0;
    std::int64_t weight = 0;
    for (const Tally& t : tallies) {
        if (!t.two_valued) return false;
        units += t.units;
        weight += t.weight;
    }
    if (weight >= std::int64_t{1} << 31) return false;
    const auto m = static_cast<int>(at.size());
    const auto width = static_cast<std::size_t>(classes);
    return s.patterns > 0 ||
           patterns_pay(s.extent, static_cast<int>(s.lines.size()),
                        {m, width, PatternCounts::Cells::bytes(m, width), units}, machine_memory(), newest_only(s));
}

// The mean-square criteria's split sums from the patterns of the items'
// literals (pattern_literals()), where those are two valued and counting
// them pays; null otherwise.
std::unique_ptr<PatternSums> split_patterns(const LoopSettings& s, const Evaluator& ev)
{
    std::vector<Literal> literals;
    if (ev.criterion().input() != stats::ScoreInput::SplitSums || !pattern_literals(s, ev, literals)) return nullptr;
    const EvaluationData& d = ev.data();
    const auto m = static_cast<int>(literals.size());
    const auto units = static_cast<std::size_t>(std::max(d.abyte.n, 0));
    // A lookup reads three doubles, as many bytes as six words.
    if (s.patterns == 0 && !patterns_pay(s.extent, static_cast<int>(s.lines.size()),
                                         {m, 6, PatternSums::Cells::bytes(m, PatternSums::kWidth), units},
                                         machine_memory(), newest_only(s)))
        return nullptr;
    const auto k = static_cast<std::size_t>(counted_y(ev) - 1);
    return PatternSums::make({d.abyte, d.y[k], d.mask, d.weights}, literals, d.signbyte);
}

} // namespace

// The workers' shape caches take about this many bytes together, whatever
// the number of workers: each keeps its share of the outcomes it met.
constexpr std::size_t kWorkerCaches = std::size_t{16} << 20;

// On the direct path the workers start at parallel_from times this many
// candidates per thread.
constexpr double kDirectShare = 512.0;
constexpr double kDirectWords = 64.0;

LoopResult run_search_loop(const LoopSettings& given, Evaluator& given_evaluator, SearchResults& results,
                           partition::SkipTally& skips, stats::ExtentBox& box, partition::SubsizeMemory& memory,
                           io::LogWriter& log, SearchHost& host)
{
    // The grouping of the observations changes none of what this reads.
    const bool threaded = given.threads > 1 && given.data && given.crit && given.use_cache && !given.pair.debug &&
                          !given.pair.reduce.trace;
    SearchThreads own_threads;
    // The passes over the observations before the first candidate run on the
    // workers while the calling thread pumps events.
    const stats::ParallelFor parallel =
        threaded
            ? (given.workers ? *given.workers : own_threads).parallel(given.threads, [&host] { host.wait_pump(); })
            : stats::ParallelFor{};
    const bool count_patterns = patterns_ahead(given, given_evaluator, parallel);
    GroupedSearch grouped(given, given_evaluator, count_patterns);
    const LoopSettings& s = grouped.settings();
    Evaluator& evaluator = grouped.evaluator();
    const std::vector<int> attributes = s.tables ? search_attributes(s) : std::vector<int>{};
    evaluator.expect_attributes(attributes);
    const std::unique_ptr<PatternSums> sums = split_patterns(s, evaluator);
    evaluator.sum_splits_by(sums.get());
    // The snapshots the route reads are made now, the stretches of their bit
    // columns built on the workers.
    evaluator.make_snapshots(parallel);
    LoopResult out;
    const int n = static_cast<int>(s.lines.size());
    stats::SizeWalk walk = s.extent.start;
    ShapeCache cache(s.pair, s.tables);
    Work w;
    const bool floats = any_floating(s);
    const std::unique_ptr<DirectScorer> direct = make_direct(s, evaluator, cache);
    // A search that joins literals to every candidate takes no direct path;
    // its candidates' lists are counted from the patterns all the same.
    const std::unique_ptr<DirectScorer> joined = direct ? nullptr : make_direct(s, evaluator, cache, true);
    DirectScorer* const counter = direct ? direct.get() : joined.get();
    const bool patterns = counter && count_patterns && counter->count_patterns(parallel);
    // Candidates through their pairs take their tables from the pattern
    // counts too, where their lists' literals are the direct path's.
    struct Counting {
        Evaluator& ev;
        ~Counting()
        {
            ev.count_lists_by(nullptr);
            ev.sum_splits_by(nullptr);
        }
    } counting{evaluator};
    if (patterns) evaluator.count_lists_by(counter);
    // The cuts an item's line floats, on average over the items (1 without
    // floating lines): a vector's candidates over its cuts are about its
    // combinations times this to the power of its literals.
    double mean_cuts = 1.0;
    if (floats && n > 0) {
        double sum = 0.0;
        for (int k : s.lines) {
            const files::AttrLine& line = s.tables->line[static_cast<std::size_t>(k)];
            sum += line.firstattr && line.ncuts > 1 ? line.ncuts : 1;
        }
        mean_cuts = sum / n;
    }
    // A direct candidate's counting passes over every word of the units: past
    // kDirectWords words the workers pay for proportionally fewer candidates.
    // Counted from its patterns, it costs a few lookups whatever the units.
    const double direct_words =
        direct && !direct->patterns()
            ? std::max(1.0, static_cast<double>(evaluator.direct_sample()->units()) / (64.0 * kDirectWords))
            : 1.0;
    long long direct_hits = 0;
    std::vector<std::unique_ptr<Worker>> workers;
    WorkerPool* pool = nullptr;
    // The workers start on the first size vector large enough to share; each
    // then makes its own snapshot of the data, all at once, while the calling
    // thread pumps events: it copies the calling thread's layout of the units
    // and ordered survival times and reads its bit columns and stored terms,
    // which stay in place until the search ends. The snapshots go with the
    // search; the threads stay with the session.
    const auto make_workers = [&] {
        workers.resize(static_cast<std::size_t>(s.threads));
        pool = &(s.workers ? *s.workers : own_threads).pool(s.threads);
        pool->post([&](int k) {
            auto& wk = workers[static_cast<std::size_t>(k)];
            wk = std::make_unique<Worker>(*s.data, *s.crit, evaluator, s.pair);
            wk->ev.expect_attributes(attributes);
            wk->ev.share_snapshots(evaluator);
            wk->cache.set_budget(kWorkerCaches / static_cast<std::size_t>(s.threads));
            if (direct) wk->direct = make_direct(s, wk->ev, wk->cache);
            if (wk->direct) wk->direct->share_terms(*direct);
            if (joined) wk->joined = make_direct(s, wk->ev, wk->cache, true);
            if (wk->joined) wk->joined->share_terms(*joined);
            if (patterns) wk->ev.count_lists_by(direct ? wk->direct.get() : wk->joined.get());
            wk->ev.sum_splits_by(sums.get());
            if (wk->direct) wk->scan = std::make_unique<DirectScan>(*wk->direct, wk->ev, wk->cache);
        });
        wait_pumping(*pool, host);
    };
    // Without workers the calling thread scans in chunks what a worker would
    // (floating cuts, whole runs of cuts at once, or fixed literals whose last
    // terms are not counted as runs), with a scorer and shape cache of its own
    // over the evaluator, and merges each chunk at once.
    partition::PairSettings own_pair = s.pair;
    own_pair.reduce.services = nullptr;
    own_pair.reduce.told = nullptr;
    own_pair.reduce.cache = nullptr;
    ShapeCache own_cache(own_pair, s.tables);
    std::unique_ptr<DirectScorer> own_direct;
    std::unique_ptr<DirectScan> own_scan;
    if (direct && !s.pair.debug && !s.pair.reduce.trace) {
        own_direct = make_direct(s, evaluator, own_cache);
        if (own_direct) {
            own_direct->share_terms(*direct);
            own_scan = std::make_unique<DirectScan>(*own_direct, evaluator, own_cache);
        }
    }
    while (true) {
        ++out.vectors;
        const std::span<const int> p(walk.p);
        int literals = 0;
        long long product = 1;
        for (int v : p) {
            literals += v;
            product *= v;
        }
        const int q = static_cast<int>(p.size());
        int lo = s.extent.first_side, hi = s.extent.last_side;
        const bool single = literals == 1;
        if (single) lo = hi = 0;
        if (s.detailed && !s.rank_stage) log.write(std::string(10, ' ') + "Class p_1...p_q=" + sizes(p, 3));
        const partition::SizeCount count = partition::sizemult(n, p);
        partition::SubsizeResult sub;
        if (!s.rank_stage && s.tables) {
            partition::SubsizeInput in;
            in.iterative = s.iterative;
            in.iteration = s.iteration;
            in.vector_number = out.vectors;
            in.count = count;
            in.over_cuts = floats;
            in.lines = s.lines;
            in.literals = literals;
            in.one_representation = s.extent.one_side;
            in.detailed = s.detailed;
            sub = partition::subsize(in, *s.tables, memory, log);
        }
        stats::BoxLine line;
        LoopResult::Vector vector;
        line.p.assign(p.begin(), p.end());
        line.classes = static_cast<long long>(count.size);
        line.classes_exact = count.exact;
        // Without both sides (p1, 1, .., 1) is not covered by its complement's shape.
        const bool skip = s.extent.upto && !s.rank_stage && !single && !s.extent.one_side && q > 1 &&
                          p[0] == product && s.extent.qmax() >= p[0] && !s.extent.bounds.empty() &&
                          q <= s.extent.bounds.back();
        bool go_on = true;
        if (skip) {
            line.all_skipped = true;
            line.subset_of = covering_shape(p);
            if (s.detailed) log.write("Class is skipped as it is subset of " + sizes(line.subset_of, 2));
        } else {
            // Off the direct path a candidate costs far more (so does one that
            // is not plain, as those of an added attribute, on it): the workers
            // pay sooner. On it one thread counts whole runs of candidates at
            // once, so they pay only where a vector has many candidates over
            // its cuts.
            const double from = direct && direct->all_plain() ? static_cast<double>(s.parallel_from) * kDirectShare
                                                              : static_cast<double>(s.parallel_from) / 8.0;
            const double work = static_cast<double>(count.size) * std::pow(mean_cuts, literals) * direct_words;
            if (threaded && workers.empty() && (count.too_large || work >= from * s.threads)) make_workers();
            SizeVectorRun run(s, evaluator, results, skips, log, host, cache, w, workers, pool, direct.get(),
                              workers.empty() ? own_direct.get() : nullptr, own_scan.get());
            go_on =
                run.run(p, lo, hi, static_cast<long long>(sub.size_times_factor), !count.exact || !sub.equal_cuts);
            out.evaluated += run.evaluated;
            vector.route = run.route;
            vector.patterns = direct && run.route != Route::kPair && direct->counting();
            direct_hits += run.direct_hits;
            line.exclusions = static_cast<long long>(sub.excluded);
            line.subsearch = sub.e;
            line.searches = static_cast<long long>(sub.size_times_factor);
            line.searches_exact = count.exact;
            line.done = run.evaluated;
        }
        line.skipped = partition::skip_report(skips, s.detailed, log);
        box.add(line);
        vector.p = line.p;
        vector.skipped = line.all_skipped;
        vector.evaluated = line.done;
        vector.tallied = line.skipped;
        out.per_vector.push_back(vector);
        if (!go_on) {
            out.ended_by_user = true;
            break;
        }
        if (!s.extent.upto || !stats::nextsize(walk, s.extent.bounds, n)) break;
    }
    out.real_mkpair = cache.real_calls();
    out.cached_mkpair = cache.hits() + direct_hits;
    for (const auto& w : workers) {
        out.real_mkpair += w->cache.real_calls();
        out.cached_mkpair += w->cache.hits();
    }
    return out;
}

} // namespace meru::search
