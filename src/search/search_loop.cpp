#include "search/search_loop.h"

#include "partition/labels.h"
#include "platform/io/edit.h"
#include "search/direct_path.h"
#include "search/grouped_search.h"
#include "search/size_vector_run.h"
#include "search/worker_pool.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <numeric>
#include <string>

namespace meru::search {

using partition::Literal;
using partition::TermList;

std::vector<int> covering_shape(std::span<const int> p)
{
    // (p1, 1, .., 1) is the complement of a sum of p1 terms of q literals each.
    if (p.empty()) return {};
    return std::vector<int>(static_cast<std::size_t>(p[0]), static_cast<int>(p.size()));
}

std::string progress_text(long long evaluated, int iteration, int serial_y)
{
    // The count widens its field past six digits: a long search passes a million.
    std::string text =
        ".." + io::fmt_i_wide(evaluated, 6) + " partitions evaluated. Iteration " + io::fmt_i(iteration, 2);
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

// The direct path for this search, when its candidates can take it: one Y
// scored by a count table, no forcing and no serial joins, no floating cuts,
// the shape cache in use, items whose attributes ascend (so item order is
// attribute order) and, under the label rules, name distinct variables.
std::unique_ptr<DirectScorer> make_direct(const LoopSettings& s, Evaluator& ev, const ShapeCache& cache)
{
    ClassOrderedSample* sample = ev.direct_sample();
    const bool floats = any_floating(s);
    const bool label_rules = s.pair.full_reduction && !s.pair.reduce.primitive;
    if (!sample || !s.tables || s.forcing || !s.serial.empty() || !s.use_cache || !cache.enabled() || s.rank_stage ||
        s.process_mode || (floats && label_rules))
        return nullptr;
    // Every literal of every item (a floating line's cuts), the items' attribute
    // ranges ascending.
    std::vector<Literal> fixed, literals;
    partition::termcodes(s.lines, *s.tables, fixed);
    int last = 0;
    for (std::size_t i = 0; i < s.lines.size(); ++i) {
        const files::AttrLine& line = s.tables->line[static_cast<std::size_t>(s.lines[i])];
        const std::size_t from = literals.size();
        if (line.firstattr && line.ncuts > 1) {
            for (int k = 0; k < line.ncuts; ++k) {
                const int a = line.first_attribute() + k;
                literals.push_back(signed_literal(a, s.tables));
            }
        } else {
            literals.push_back(fixed[i]);
        }
        for (std::size_t j = from; j < literals.size(); ++j) {
            if (partition::attribute_of(literals[j]) <= last) return nullptr;
            last = partition::attribute_of(literals[j]);
        }
    }
    if (label_rules) {
        std::vector<long long> vars;
        for (Literal l : literals)
            vars.push_back(partition::RelationCache::variable_key(partition::attribute_of(l), *s.tables));
        std::sort(vars.begin(), vars.end());
        if (std::adjacent_find(vars.begin(), vars.end()) != vars.end()) return nullptr;
    }
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
    GroupedSearch grouped(given, given_evaluator);
    const LoopSettings& s = grouped.settings();
    Evaluator& evaluator = grouped.evaluator();
    const std::vector<int> attributes = s.tables ? search_attributes(s) : std::vector<int>{};
    evaluator.expect_attributes(attributes);
    LoopResult out;
    const int n = static_cast<int>(s.lines.size());
    stats::SizeWalk walk = s.extent.start;
    ShapeCache cache(s.pair, s.tables);
    Work w;
    const bool floats = any_floating(s);
    const std::unique_ptr<DirectScorer> direct = make_direct(s, evaluator, cache);
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
    const double direct_words =
        direct ? std::max(1.0, static_cast<double>(evaluator.direct_sample()->units()) / (64.0 * kDirectWords)) : 1.0;
    long long direct_hits = 0;
    std::vector<std::unique_ptr<Worker>> workers;
    const bool threaded = s.threads > 1 && s.data && s.crit && s.use_cache && !s.pair.debug && !s.pair.reduce.trace;
    SearchThreads own_threads;
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
            // Off the direct path a candidate costs far more: the workers pay
            // sooner. On it one thread counts whole runs of candidates at once,
            // so they pay only where a vector has many candidates over its cuts.
            const double from = direct ? static_cast<double>(s.parallel_from) * kDirectShare
                                       : static_cast<double>(s.parallel_from) / 8.0;
            const double work = static_cast<double>(count.size) * std::pow(mean_cuts, literals) * direct_words;
            if (threaded && workers.empty() && (count.too_large || work >= from * s.threads)) make_workers();
            SizeVectorRun run(s, evaluator, results, skips, log, host, cache, w, workers, pool, direct.get(),
                              workers.empty() ? own_direct.get() : nullptr, own_scan.get());
            go_on =
                run.run(p, lo, hi, static_cast<long long>(sub.size_times_factor), !count.exact || !sub.equal_cuts);
            out.evaluated += run.evaluated;
            direct_hits += run.direct_hits;
            line.exclusions = static_cast<long long>(sub.excluded);
            line.subsearch = sub.e;
            line.searches = static_cast<long long>(sub.size_times_factor);
            line.searches_exact = count.exact;
            line.done = run.evaluated;
        }
        line.skipped = partition::skip_report(skips, s.detailed, log);
        box.add(line);
        out.per_vector.push_back({line.p, line.all_skipped, line.done, line.skipped});
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
