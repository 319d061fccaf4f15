#pragma once
// One size vector of the search loop: its walk over the candidates, their
// scoring (on this thread, or on the worker threads in chunks merged in
// enumeration order) and every per-evaluation side effect. Used by
// search_loop.cpp only.
#include "partition/labels.h"
#include "platform/io/edit.h"
#include "search/loop_work.h"
#include "search/search_loop.h"
#include "search/worker_pool.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <numeric>
#include <string>

namespace meru::search {
namespace { // internal to search_loop.cpp, the one file that includes this

class SizeVectorRun {
public:
    SizeVectorRun(const LoopSettings& s, Evaluator& ev, SearchResults& res, partition::SkipTally& skips,
                  io::LogWriter& log, SearchHost& host, ShapeCache& cache, Work& w,
                  std::vector<std::unique_ptr<Worker>>& workers, WorkerPool* pool, DirectScorer* direct,
                  DirectScorer* own_direct, DirectScan* own_scan)
        : s_(s), ev_(ev), res_(res), skips_(skips), log_(log), host_(host), cache_(cache), w_(w), workers_(workers),
          pool_(pool), direct_(direct), own_direct_(own_direct), own_scan_(own_scan)
    {}

    // Returns false when Search:End was polled.
    bool run(std::span<const int> p, int lo, int hi, long long target, bool tilde)
    {
        const int n = static_cast<int>(s_.lines.size());
        target_ = target;
        tilde_ = tilde;
        route = choose(p);
        threaded_ = route == Route::kPair && !workers_.empty();
        w_.jobs.clear();
        w_.direct.clear();
        w_.direct.width = static_cast<std::size_t>(std::accumulate(p.begin(), p.end(), 0));
        w_.work.lp.assign(p.begin(), p.end());
        switch (route) {
        case Route::kScan: return run_scan(p, lo, hi, n);
        case Route::kScanHere: return scan_here(p, lo, hi, n);
        case Route::kRuns: {
            w_.run.apart = {};
            const bool go_on = run_lasts(p, lo, hi, n);
            w_.run.fold(res_);
            return go_on;
        }
        case Route::kDirect:
        case Route::kQueued:
        case Route::kPair: break;
        }
        w_.comb.start(n, p);
        while (w_.comb.nextcomb()) {
            ++generated;
            const std::span<const int> index = w_.comb.index();
            w_.walk.begin(s_, index, direct_);
            const bool newest =
                !(s_.iterative && s_.iteration >= 2) || std::find(index.begin(), index.end(), n) != index.end();
            do {
                const std::span<const Literal> lits = w_.walk.lits();
                if (!usable(s_, lits)) continue;
                if (route == Route::kDirect) {
                    OneCandidate cand{*this, lits};
                    if (!sides_now(cand, lo, hi, newest)) return false;
                    continue;
                }
                w_.work.lits.assign(lits.begin(), lits.end());
                if (route == Route::kQueued) {
                    queue_direct(lo, hi, newest);
                    if (w_.direct.candidates() >= direct_batch() && !flush_direct()) return false;
                    continue;
                }
                for (int r = lo; r <= hi; ++r) {
                    if (!newest) {
                        if (!take(partition::kSkipCovered, r, nullptr)) return false;
                        continue;
                    }
                    const TermList* cand = candidate(r);
                    if (!take(cand ? 0 : partition::kSkipExpandFail, r, cand)) return false;
                }
                if (w_.jobs.size() >= batch() && !flush()) return false;
            } while (w_.walk.next());
        }
        return route == Route::kQueued ? flush_direct() : flush();
    }

    // The route of this size vector: the direct scorers (the calling thread's
    // and every worker's) started on it where the search has them, the route
    // then picked by what the walk allows.
    Route choose(std::span<const int> p)
    {
        if (direct_ && !direct_->start(p)) direct_ = nullptr;
        for (auto& wk : workers_)
            if (direct_ && !(wk->direct && wk->direct->start(p))) direct_ = nullptr;
        if (!direct_) return Route::kPair;
        if (s_.route && can_take(*s_.route, p)) return *s_.route;
        // The workers take the walk in chunks where one combination's cuts fit one.
        if (pool_ && scannable(p)) return Route::kScan;
        if (!workers_.empty()) return Route::kQueued;
        if (direct_->runs()) return Route::kRuns;
        if (own_direct_ && own_direct_->start(p) && scannable(p)) return Route::kScanHere;
        return Route::kDirect;
    }

    Route route = Route::kPair;
    long long generated = 0, evaluated = 0, direct_hits = 0;

private:
    // Whether this size vector can take route r, the direct scorers started.
    bool can_take(Route r, std::span<const int> p)
    {
        switch (r) {
        case Route::kPair:
        case Route::kDirect: return true;
        case Route::kRuns: return direct_->runs();
        case Route::kQueued: return !workers_.empty();
        case Route::kScan: return pool_ && !workers_.empty() && scannable(p);
        case Route::kScanHere: return own_direct_ && own_direct_->start(p) && scannable(p);
        }
        return false;
    }

    // The candidate of side r from the work list: the user's forced attribute
    // joined to it, or else the serial analysis's attributes one after another;
    // the work list itself in the rank stage or with nothing to join. Null when a
    // join would pass the limits of a list.
    const TermList* candidate(int r)
    {
        if (s_.rank_stage) return &w_.work;
        if (s_.forcing)
            return partition::packcand(r, s_.join0, s_.join1, w_.work, s_.forced, w_.cand, w_.scratch) ? &w_.cand
                                                                                                       : nullptr;
        // A is intersected by the meet form in a plain list (side 1), by a term
        // of its own in a flipped one (side 0, read as a product of clauses).
        const TermList* from = &w_.work;
        for (Literal f : s_.serial) {
            TermList& to = from == &w_.cand ? w_.joined : w_.cand;
            if (!partition::packcand(r, true, false, *from, f, to, w_.scratch)) return nullptr;
            from = &to;
        }
        return from;
    }

    std::size_t batch() const { return threaded_ ? 1024 * workers_.size() : 1; }

    std::size_t direct_batch() const { return 4096 * std::max<std::size_t>(1, workers_.size()); }

    // One thread, each item its literal: the fixed walk, each block merged at
    // once. False when Search:End was polled.
    bool run_lasts(std::span<const int> p, int lo, int hi, int n)
    {
        Work::Run& b = w_.run;
        b.pass.resize(FixedWalk::kBlock);
        for (auto& c : b.cplx) c.resize(FixedWalk::kBlock);
        b.changed();
        partition::Combinations& comb = w_.comb;
        comb.start(n, p);
        if (!comb.nextcomb()) return true;
        FixedWalk& f = w_.fixed;
        f.walked = 0;
        const bool go_on = f.walk(*direct_, ev_, s_, comb, p, lo, hi, {}, [&](const FixedWalk&) {
            b.pass_epoch = 0; // not marked for this block
            return merge_block(lo, hi);
        });
        generated += f.walked;
        return go_on;
    }

    // The block's m candidates (`counted` of them newest) merged in order, as
    // sides_now() merges each; false when Search:End was polled. Where the
    // saved G values are full and the window does not plot, a stretch of
    // candidates whose every side is plain, of a known shape and surely
    // unlisted by its G bound is passed evaluation by evaluation (count,
    // progress, yield, Search:End poll) and its tallies are then added
    // together, up to the stop if there is one.
    bool merge_block(int lo, int hi)
    {
        Work::Run& b = w_.run;
        const FixedWalk& f = w_.fixed;
        const std::size_t m = f.m, counted = f.counted;
        const bool quiet = !s_.dispgraph && direct_->all_plain();
        for (std::size_t i = 0, c = 0; i < m;) {
            std::size_t j = i, d = c;
            if (quiet && res_.searchg_count >= SearchResults::kSavedG) {
                if (b.pass_epoch != b.epoch) mark_quiet(lo, hi, c, counted);
                const char* const pass = b.pass.data();
                if (counted == m) { // every candidate newest: j - i == d - c
                    while (d < m) {
                        const void* z = std::memchr(pass + d, 0, m - d);
                        d = z ? static_cast<std::size_t>(static_cast<const char*>(z) - pass) : m;
                        if (d == m || !quiet_sides(lo, hi, d)) break;
                        ++d;
                    }
                    j = d;
                } else {
                    while (j < m && f.newest[j] && (pass[d] || quiet_sides(lo, hi, d))) {
                        ++j;
                        ++d;
                    }
                }
            }
            if (j > i) {
                if (!pass_quiet(lo, hi, c, d)) return false;
                i = j;
                c = d;
                continue;
            }
            const bool newest = f.newest[i];
            RunCandidate cand{*this, i, c};
            c += newest;
            ++i;
            if (!sides_now(cand, lo, hi, newest)) return false;
        }
        return true;
    }

    // Marks the run's counted candidates [from, to) whose every side has a
    // shape known (from the scorer's cache) and a G bound no larger than one
    // that passed quiet_bound() since the lists last changed (w_.run.pass;
    // the complexities in w_.run.cplx). A candidate not marked may still be
    // quiet: quiet_sides() tells.
    void mark_quiet(int lo, int hi, std::size_t from, std::size_t to)
    {
        Work::Run& b = w_.run;
        b.pass_epoch = b.epoch;
        if (from >= to) return;
        const EntryGate& gate = (rule(), w_.gate);
        const auto gate_of = [&gate](int known) { return gate.away(known); };
        char* const pass = b.pass.data();
        const FixedWalk& f = w_.fixed;
        const std::uint64_t* const keys = f.keys.data();
        const auto side = [&](int r) {
            const auto u = static_cast<std::size_t>(r);
            return std::pair{b.cplx[u].data(), f.bound[u].data()};
        };
        const DirectScorer& direct = *direct_;
        const auto [cplx0, bound0] = side(lo);
        if (lo == hi) {
            for (std::size_t at = from; at < to; ++at) {
                const int c0 = direct.cached(lo, keys[at]);
                cplx0[at] = c0;
                pass[at] = bound0[at] <= gate_of(c0);
            }
            return;
        }
        const auto [cplx1, bound1] = side(hi);
        for (std::size_t at = from; at < to; ++at) {
            const int c0 = direct.cached(lo, keys[at]), c1 = direct.cached(hi, keys[at]);
            cplx0[at] = c0;
            cplx1[at] = c1;
            pass[at] = (bound0[at] <= gate_of(c0)) & (bound1[at] <= gate_of(c1));
        }
    }

    // Whether every side of the run's counted candidate `at` is of a known
    // shape (its complexity then kept in w_.run.cplx) and surely unlisted.
    bool quiet_sides(int lo, int hi, std::size_t at)
    {
        Work::Run& b = w_.run;
        const FixedWalk& f = w_.fixed;
        for (int r = lo; r <= hi; ++r) {
            const auto u = static_cast<std::size_t>(r);
            const int complexity = direct_->known(r, f.keys[at]);
            if (complexity < 0 || !quiet_bound(complexity, f.bound[u][at])) return false;
            b.cplx[u][at] = std::min(complexity, SearchResults::kMaxComplexity); // as counted
        }
        return true;
    }

    // The quiet sides of the run's counted candidates [from, to), passed as
    // pass_away() passes them, their tallies those score_counted() would
    // add. False when Search:End was polled.
    bool pass_quiet(int lo, int hi, std::size_t from, std::size_t to)
    {
        const auto sides = static_cast<long long>(hi - lo + 1);
        return pass_away(static_cast<long long>(to - from) * sides, [&](long long passed, bool) {
            Work::Run& b = w_.run;
            // Per side, the histogram counts of its passed evaluations (a band
            // of 0, none, counted in the unused slot 0); the last one passed
            // leaves its N and side.
            const std::array<std::int64_t*, 4> split{res_.splithist.data(), b.apart[0].split.data(),
                                                     b.apart[1].split.data(), b.apart[2].split.data()};
            const std::array<std::int64_t*, 4> cplxhist{res_.cplxhist.data(), b.apart[0].cplx.data(),
                                                        b.apart[1].cplx.data(), b.apart[2].cplx.data()};
            const std::int64_t unused = res_.splithist[0];
            for (int r = lo; r <= hi; ++r) {
                const auto u = static_cast<std::size_t>(r);
                const long long k = (passed - (r - lo) + sides - 1) / sides; // this side's evaluations
                const int* band = w_.fixed.band[u].data();
                const int* cplx = b.cplx[u].data();
                const std::size_t end = from + static_cast<std::size_t>(k);
                std::size_t at = from;
                for (; at + 4 <= end; at += 4)
                    for (std::size_t w = 0; w < 4; ++w) {
                        ++split[w][band[at + w]];
                        ++cplxhist[w][cplx[at + w]];
                    }
                for (std::size_t w = 0; at < end; ++at, ++w) {
                    ++split[w][band[at]];
                    ++cplxhist[w][cplx[at]];
                }
            }
            res_.splithist[0] = unused;
            const std::size_t at = from + static_cast<std::size_t>((passed - 1) / sides);
            const int r = lo + static_cast<int>((passed - 1) % sides);
            const ClassOrderedSample::Cells& cells = w_.fixed.cells[static_cast<std::size_t>(r)][at];
            res_.last_n = cells[0] + cells[1] + cells[2] + cells[3];
            w_.cur.repflag = r;
        });
    }

    // away() for a stretch of `total` turned-away evaluations whose G nothing
    // reads (the saved G values are full, no window plots): each is passed in
    // order (count, progress, yield, poll), then add(k, stopped) adds the
    // tallies of the k passed (all, or those up to a stop; k > 0) and leaves
    // the last one's N. False when Search:End was polled.
    template <class Add> bool pass_away(long long total, Add&& add)
    {
        // The counts in registers across the host's calls.
        const long long evaluated_before = evaluated;
        long long passed = 0, to_progress = 500 - progress_count;
        SearchHost& host = host_;
        bool stop = false;
        while (passed < total) {
            ++passed;
            if (--to_progress <= 0) {
                evaluated = evaluated_before + passed;
                show_progress();
                to_progress = 500;
            }
            host.yield();
            if (host.search_end()) {
                stop = true;
                break;
            }
        }
        evaluated = evaluated_before + passed;
        progress_count = 500 - to_progress;
        if (passed > 0) add(passed, stop);
        direct_hits += passed;
        res_.evaluated += passed;
        if (ev_.settings().rank_stage || ev_.settings().search_stage) res_.searchg_count += passed;
        return stop ? ended() : true;
    }

    // A candidate as sides_now() reads it: its literals, whether it is plain,
    // its shape key, and its side r scored for a shape of complexity `known`.
    // One made literal by literal:
    struct OneCandidate {
        SizeVectorRun& v;
        std::span<const Literal> l;
        std::span<const Literal> lits() const { return l; }
        bool plain() const { return v.direct_->plain(l); }
        std::uint64_t key() const { return v.direct_->key(l); }
        bool score(int r, int known) { return v.score_here(r, known, l, true); }
    };
    // A run's candidate: its last term's items, its tables, bounds and bands
    // at `at` in w_.run; its literals written out only when asked for.
    struct RunCandidate {
        SizeVectorRun& v;
        std::size_t i;  // its place in the block
        std::size_t at; // and among the block's newest candidates
        std::span<const Literal> l{};
        std::span<const Literal> lits()
        {
            if (l.empty()) l = v.w_.fixed.lits_of(i);
            return l;
        }
        bool plain() { return v.direct_->all_plain() || v.direct_->plain(lits()); }
        std::uint64_t key() const { return v.w_.fixed.keys[at]; }
        bool score(int r, int known) { return v.score_counted(r, known, at, *this); }
    };

    // One thread: the candidate's sides scored and merged at once, as a queue
    // merged at once would take them; false when Search:End was polled.
    template <class Cand> bool sides_now(Cand& cand, int lo, int hi, bool newest)
    {
        const bool plain = newest && cand.plain();
        const std::uint64_t key = plain ? cand.key() : 0;
        bool work = false; // w_.work holds the candidate
        for (int r = lo; r <= hi; ++r) {
            if (!newest) {
                partition::skip_add(skips_, partition::kSkipCovered);
                continue;
            }
            int known = plain ? direct_->known(r, key) : ShapeTable::kUnknown;
            if (plain && known == ShapeTable::kUnknown) {
                int& shape = direct_->shape(r, key);
                if (shape == ShapeTable::kUnknown) {
                    if (!work) {
                        const std::span<const Literal> lits = cand.lits();
                        w_.work.lits.assign(lits.begin(), lits.end());
                    }
                    work = true;
                    const int c = cache_.simple_complexity(w_.work, r);
                    if (c != ShapeCache::kUnknown) shape = c;
                }
                known = shape;
            }
            if (known >= 0) {
                if (!cand.score(r, known)) return false;
                continue;
            }
            // Through the pair: the first candidate of its shape, or not plain.
            w_.run.changed(); // the lists may change
            const std::span<const Literal> lits = cand.lits();
            w_.cand.lits.assign(lits.begin(), lits.end());
            w_.cand.lp.assign(w_.work.lp.begin(), w_.work.lp.end());
            if (!merge_job(0, r, nullptr, nullptr)) return false;
        }
        return true;
    }

    // Queues the candidate's sides (w_.walk.lits(), also in w_.work) for the direct path: scored there when the
    // candidate is plain and its shape's outcome keeps it as the first list,
    // otherwise through the pair at the merge.
    void queue_direct(int lo, int hi, bool newest)
    {
        DirectJobs& d = w_.direct;
        const std::size_t at = d.candidates();
        const std::span<const Literal> lits = w_.walk.lits();
        d.lits.insert(d.lits.end(), lits.begin(), lits.end());
        const bool plain = newest && direct_->plain(lits);
        const std::uint64_t key = plain ? direct_->key(lits) : 0;
        for (int r = lo; r <= hi; ++r) {
            DirectJobs::Job job{DirectJobs::kOther, static_cast<signed char>(r), 0, at};
            if (!newest) job.kind = DirectJobs::kCovered;
            if (plain) {
                int& known = direct_->shape(r, key);
                // An unknown shape is made by its first candidate, at the merge.
                if (known == ShapeTable::kUnknown) {
                    const int c = cache_.simple_complexity(w_.work, r);
                    if (c != ShapeCache::kUnknown) known = c;
                }
                if (known >= 0) {
                    job.kind = DirectJobs::kScore;
                    job.complexity = known;
                } else if (known == ShapeTable::kUnknown) {
                    job.kind = DirectJobs::kUnknown;
                }
            }
            d.jobs.push_back(job);
        }
    }

    // Jobs [0, m) in one contiguous chunk per worker, all scored at once, merged in
    // order as the chunks finish; false when Search:End was polled: the workers
    // are then stopped and the later results dropped.
    template <class ScoreChunk, class Merge> bool in_chunks(std::size_t m, ScoreChunk&& score, Merge&& merge)
    {
        std::atomic<bool> cancel{false};
        const std::size_t t = workers_.size();
        std::vector<char>& done = w_.done;
        done.assign(t, 0);
        pool_->post([&, t](int k) {
            const auto u = static_cast<std::size_t>(k);
            score(*workers_[u], m * u / t, m * (u + 1) / t, cancel);
            pool_->report([&] { done[u] = 1; });
        });
        bool go_on = true;
        for (std::size_t k = 0; k < t && go_on; ++k) {
            while (!pool_->wait_for([&] { return done[k] != 0; }, std::chrono::milliseconds(5))) host_.wait_pump();
            const std::size_t from = m * k / t, to = m * (k + 1) / t;
            for (std::size_t j = from; j < to && go_on; ++j) go_on = merge(j);
        }
        cancel = true;
        wait_pumping(*pool_, host_);
        return go_on;
    }

    // Scores the queued jobs (on the workers, each a contiguous chunk) and merges
    // them in order; false when Search:End was polled.
    bool flush_direct()
    {
        DirectJobs& d = w_.direct;
        const std::size_t m = d.jobs.size();
        w_.scores.resize(std::max(w_.scores.size(), m));
        const std::span<Score> out(w_.scores.data(), m);
        const bool go_on = in_chunks(
            m,
            [&](Worker& wk, std::size_t from, std::size_t to, const std::atomic<bool>& stop) {
                wk.direct->score(d, from, to, wk.ev, out, stop);
            },
            [&](std::size_t j) { return merge_direct(j); });
        d.clear();
        return go_on;
    }

    // One queued job, in enumeration order; false when Search:End was polled.
    bool merge_direct(std::size_t j)
    {
        const DirectJobs::Job& job = w_.direct.jobs[j];
        if (job.kind == DirectJobs::kCovered) {
            partition::skip_add(skips_, partition::kSkipCovered);
            return true;
        }
        const std::span<const Literal> lits = w_.direct.lits_of(job);
        const int r = job.side;
        if (job.kind == DirectJobs::kScore) return merge_scored(r, job.complexity, w_.scores[j], lits);
        w_.cand.lits.assign(lits.begin(), lits.end());
        w_.cand.lp.assign(w_.work.lp.begin(), w_.work.lp.end());
        if (job.kind == DirectJobs::kOther) return merge_job(0, r, nullptr, nullptr);
        return merge_unknown(r);
    }

    // The one record of a candidate side the entry rule turns away, of this
    // complexity, its sides in `s` (and G, or a bound of it once the saved G
    // values are full): the tallies record() makes, no list offered it, then
    // the count, progress, window and poll; `direct`: its table came from the
    // direct path (counted among the pairs from a cache). False when
    // Search:End was polled.
    // (pass_away() is the same for a stretch of them passed at once.)
    bool away(int r, int complexity, const Score& s, bool direct = true)
    {
        direct_hits += direct;
        w_.cur.repflag = r;
        const char mark =
            record_unlisted(complexity, static_cast<int>(w_.work.lp.size()), s, ev_.settings(), res_, skips_);
        return evaluated_one(mark, s.g, complexity, w_.work.lp);
    }

    // A scored plain candidate of side r whose pair is the candidate itself, of
    // literals `lits` (empty: already in w_.cand); false when Search:End was polled.
    bool merge_scored(int r, int complexity, const Score& sc, std::span<const Literal> lits)
    {
        // Most candidates enter no list: the entry rule turns them away, and
        // their tallies need no copy of them. What it lets through, record()
        // offers to the lists, which take only what changes them.
        if (!rule().may_enter(complexity, sc.g)) return away(r, complexity, sc);
        ++direct_hits;
        w_.cur.repflag = r;
        if (!lits.empty()) {
            w_.cand.lits.assign(lits.begin(), lits.end());
            w_.cand.lp.assign(w_.work.lp.begin(), w_.work.lp.end());
        }
        return finish(r, complexity, sc, true, false);
    }

    // A plain candidate (in w_.cand) whose shape's outcome was not known when it
    // was queued; false when Search:End was polled.
    bool merge_unknown(int r)
    {
        const std::span<const Literal> lits = w_.cand.lits;
        // The shape's first candidate may have been merged since it was queued.
        int& known = direct_->shape(r, direct_->key(lits));
        if (known == ShapeTable::kUnknown) {
            const int c = cache_.simple_complexity(w_.cand, r);
            if (c != ShapeCache::kUnknown) known = c;
        }
        if (known < 0) return merge_job(0, r, nullptr, nullptr);
        return score_here(r, known, lits, false);
    }

    // A plain candidate of side r and shape complexity `complexity`, of
    // literals `lits`, scored here against the lists as they stand: once the
    // saved G values are full, a candidate whose G cannot reach a list needs only
    // its sides. `copy`: the candidate is not yet in w_.cand. False when
    // Search:End was polled.
    bool score_here(int r, int complexity, std::span<const Literal> lits, bool copy)
    {
        direct_->table(lits, r, w_.table);
        if (!s_.dispgraph && res_.searchg_count >= SearchResults::kSavedG) {
            float bound = 0.0f;
            if (surely_quiet(complexity, bound)) {
                ev_.sides_of(w_.table, bound, w_.sides);
                return away(r, complexity, w_.sides);
            }
        }
        w_.score = ev_.score_table(w_.table);
        return merge_scored(r, complexity, w_.score, copy ? lits : std::span<const Literal>{});
    }

    // score_here() of side r of the run's candidate counted at `at`: a
    // candidate whose G bound is surely_unlisted() is tallied from its sides.
    bool score_counted(int r, int complexity, std::size_t at, RunCandidate& cand)
    {
        const FixedWalk& b = w_.fixed;
        const auto u = static_cast<std::size_t>(r);
        if (!s_.dispgraph && res_.searchg_count >= SearchResults::kSavedG) {
            const float bound = b.bound[u][at];
            if (quiet_bound(complexity, bound)) {
                Score& q = w_.sides;
                const ClassOrderedSample::Cells& c = b.cells[u][at];
                q.g = bound;
                q.c0 = c[0] + c[2];
                q.c1 = c[1] + c[3];
                q.n = q.c0 + q.c1;
                q.null_partitions = 0;
                q.band = b.band[u][at];
                return away(r, complexity, q);
            }
        }
        w_.run.changed(); // the lists may change
        direct_->table_of(b.cells[u][at], w_.table);
        w_.score = ev_.score_table(w_.table);
        return merge_scored(r, complexity, w_.score, cand.lits());
    }

    // The entry rule as the lists stand: taken again (and the gate emptied)
    // after they may have changed.
    const EntryBounds& rule()
    {
        if (w_.rule_epoch != w_.run.epoch) {
            w_.rule.take(res_, ev_.settings());
            w_.gate.reset();
            w_.rule_epoch = w_.run.epoch;
        }
        return w_.rule;
    }

    // Whether the rule turns away a candidate of this complexity and G bound.
    bool quiet_bound(int complexity, float bound) { return w_.gate.quiet(rule(), complexity, bound); }

    // Whether the rule turns away w_.table; `bound` is then an upper bound of
    // its G.
    bool surely_quiet(int complexity, float& bound)
    {
        return w_.gate.quiet_table(
            rule(), complexity, [&](float f) { return ev_.bound_at_most(w_.table, f); },
            [&] { return ev_.g_bound(w_.table); }, bound);
    }

    // Whether the workers can take this size vector's walk in chunks: one
    // combination's floating cuts must fit a chunk.
    bool scannable(std::span<const int> p)
    {
        const int n = static_cast<int>(s_.lines.size());
        w_.cuts.assign(static_cast<std::size_t>(n) + 1, 1);
        if (!direct_->fixed())
            for (int i = 1; i <= n; ++i) {
                const files::AttrLine& line = s_.tables->line[static_cast<std::size_t>(s_.lines[i - 1])];
                if (line.firstattr && line.ncuts > 1) w_.cuts[static_cast<std::size_t>(i)] = line.ncuts;
            }
        std::vector<long long> most(w_.cuts.begin() + 1, w_.cuts.end());
        std::sort(most.begin(), most.end(), std::greater<>());
        long long product = 1;
        const auto literals = static_cast<std::size_t>(std::accumulate(p.begin(), p.end(), 0));
        for (std::size_t i = 0; i < std::min(literals, most.size()) && product <= kMostCuts; ++i) product *= most[i];
        most_cuts_ = product;
        return product <= kMostCuts;
    }

    static constexpr long long kChunk = 4096;     // candidates per chunk, about
    static constexpr long long kMostCuts = 32768; // cut combinations of one combination, at most
    // The chunks' records may take this many bytes: a worker that loses its
    // core holds up the merge of its chunk, and the others go on only as far
    // as the ring reaches.
    static constexpr std::size_t kRingBytes = std::size_t{32} << 20;

    // The threaded direct path: the calling thread cuts the walk into chunks of
    // about kChunk candidates (each a copy of the walk's position), the workers
    // scan them in turn, and the calling thread merges their records in order.
    // False when Search:End was polled: the workers then stop and every later
    // record is dropped.
    bool run_scan(std::span<const int> p, int lo, int hi, int n)
    {
        const std::size_t t = workers_.size();
        const auto chunk_bytes =
            static_cast<std::size_t>(std::max(kChunk, most_cuts_)) * 2 * sizeof(ScanRecord); // at most
        const std::size_t slots = std::clamp(kRingBytes / chunk_bytes, 2 * t + 2, 8 * t + 2);
        if (w_.ring.size() < slots) w_.ring.resize(slots);
        w_.ready.assign(slots, -1);
        const ScanVector v{&s_, n, lo, hi, w_.work.lp};
        partition::Combinations& split = w_.comb;
        split.start(n, p);
        bool more = split.nextcomb();
        long long made = 0, taken = 0, merged = 0;
        bool split_done = !more;
        std::atomic<bool> cancel{false};
        w_.bounds.take(res_, ev_.settings());
        pool_->post([&](int k) {
            DirectScan& scan = *workers_[static_cast<std::size_t>(k)]->scan;
            while (true) {
                long long id = -1;
                const auto slot_of = [&](long long i) { return static_cast<std::size_t>(i) % slots; };
                pool_->wait_until([&] { return cancel.load() || taken < made || split_done; },
                                  [&] {
                                      if (cancel.load() || taken == made) return;
                                      id = taken++;
                                      w_.ring[slot_of(id)].bounds = w_.bounds;
                                  });
                if (id < 0) return;
                const auto slot = slot_of(id);
                scan.scan(v, w_.ring[slot], cancel);
                pool_->report([&] { w_.ready[slot] = id; });
            }
        });
        bool go_on = true;
        while (go_on) {
            while (more && made < merged + static_cast<long long>(slots)) {
                more = cut_chunk(split, w_.ring[static_cast<std::size_t>(made) % slots]);
                // A new chunk wakes one worker; the last wakes them all, to end.
                const auto publish = [&] {
                    ++made;
                    split_done = !more;
                };
                if (more) pool_->give(publish);
                else pool_->update(publish);
            }
            if (merged == made) break;
            const auto slot = static_cast<std::size_t>(merged) % slots;
            while (!pool_->wait_for([&] { return w_.ready[slot] == merged; }, std::chrono::milliseconds(5)))
                host_.wait_pump();
            go_on = merge_chunk(w_.ring[slot]);
            ++merged;
            pool_->locked([&] { w_.bounds.take(res_, ev_.settings()); });
        }
        pool_->update([&] { cancel = true; });
        wait_pumping(*pool_, host_);
        return go_on;
    }

    // The chunks of run_scan() scanned by the calling thread itself, each
    // merged once scanned; false when Search:End was polled.
    bool scan_here(std::span<const int> p, int lo, int hi, int n)
    {
        if (w_.ring.empty()) w_.ring.resize(1);
        ScanChunk& c = w_.ring[0];
        const ScanVector v{&s_, n, lo, hi, w_.work.lp};
        partition::Combinations& split = w_.comb;
        split.start(n, p);
        const std::atomic<bool> never{false};
        for (bool more = split.nextcomb(); more;) {
            more = cut_chunk(split, c);
            c.bounds.take(res_, ev_.settings());
            own_scan_->scan(v, c, never);
            if (!merge_chunk(c)) return false;
        }
        return true;
    }

    // Makes chunk c start at the walk's combination and moves the walk to the
    // next chunk's start, about kChunk candidates on; false when c runs to the
    // end of the walk.
    bool cut_chunk(partition::Combinations& split, ScanChunk& c)
    {
        c.start = split;
        long long cuts = 1; // the candidates of this combination
        for (int i : split.index()) cuts *= w_.cuts[static_cast<std::size_t>(i)];
        const bool more = split.jump(std::max(1LL, kChunk / cuts));
        c.to_end = !more;
        if (more) {
            c.end.assign(split.rank().begin(), split.rank().end());
            c.end_items.assign(split.index().begin(), split.index().end());
        }
        return more;
    }

    // A chunk's records in order; false when Search:End was polled.
    bool merge_chunk(const ScanChunk& c)
    {
        const std::span<const ScanRecord> records = c.written();
        bool go_on = true;
        if (c.runs.empty()) go_on = merge_records(c, 0, records.size());
        for (const ScanChunk::Run& run : c.runs) {
            if (!go_on) break;
            go_on = run.quiet ? merge_quiet(c, run.from, run.to) : merge_records(c, run.from, run.to);
        }
        if (!go_on || c.runs.empty()) return go_on;
        for (std::size_t b = 0; b < c.quiet_split.size(); ++b) res_.splithist[b] += c.quiet_split[b];
        for (std::size_t x = 0; x < c.quiet_cplx.size(); ++x) res_.cplxhist[x] += c.quiet_cplx[x];
        return true;
    }

    // Records [from, to) of a chunk; false when Search:End was polled.
    bool merge_records(const ScanChunk& c, std::size_t from, std::size_t to)
    {
        const std::size_t width = w_.direct.width;
        const std::span<const ScanRecord> records = c.written();
        for (std::size_t i = from; i < to; ++i) {
            const ScanRecord& rec = records[i];
            const int r = rec.side;
            if (rec.kind == ScanRecord::kCovered) {
                partition::skip_add(skips_, partition::kSkipCovered);
                continue;
            }
            if (rec.kind == ScanRecord::kSkipped) {
                add_tallies(c.tallies[static_cast<std::size_t>(rec.at)]);
                continue;
            }
            if (rec.kind == ScanRecord::kQuiet) { // in a chunk without runs
                Score& q = w_.sides;
                q.g = rec.g;
                q.n = rec.n;
                q.band = rec.band;
                q.null_partitions = 0;
                if (!away(r, rec.complexity, q)) return false;
                continue;
            }
            const std::span<const Literal> lits(c.lits.data() + rec.at, width);
            if (rec.kind == ScanRecord::kEntrant) {
                if (!merge_scored(r, rec.complexity, c.scores[static_cast<std::size_t>(rec.score)], lits))
                    return stopped_within(c, i);
                continue;
            }
            // A side settled on its worker that the lists, as they stand now,
            // turn away; one they may take is made again here, in full.
            if (rec.kind == ScanRecord::kSettled) {
                const Score& sc = c.scores[static_cast<std::size_t>(rec.score)];
                if (!rule().may_enter(rec.complexity, sc.g)) {
                    if (!away(r, rec.complexity, sc, false)) return stopped_within(c, i);
                    continue;
                }
            }
            w_.cand.lits.assign(lits.begin(), lits.end());
            w_.cand.lp.assign(w_.work.lp.begin(), w_.work.lp.end());
            if (!(rec.kind == ScanRecord::kFirst ? merge_unknown(r) : merge_job(0, r, nullptr, nullptr)))
                return stopped_within(c, i);
        }
        return true;
    }

    // A run of quiet records [from, to) of a chunk whose saved G values were
    // full and whose window does not plot, passed by pass_away(): their
    // histogram counts are the chunk's sums (or, on a stop, those of the
    // records before it); their N that of the last. False when Search:End
    // was polled.
    bool merge_quiet(const ScanChunk& c, std::size_t from, std::size_t to)
    {
        return pass_away(static_cast<long long>(to - from), [&](long long passed, bool stopped) {
            const std::size_t end = from + static_cast<std::size_t>(passed);
            res_.last_n = c.written()[end - 1].n;
            if (stopped) stopped_within(c, end);
        });
    }

    // Search:End was polled within a chunk of runs: the histogram counts of
    // its quiet records before `end` (the chunk's sums cover them all) are
    // added one by one. Returns false, the stop.
    bool stopped_within(const ScanChunk& c, std::size_t end)
    {
        if (c.runs.empty()) return false; // its quiet records went through away()
        for (std::size_t j = 0; j < end; ++j) {
            const ScanRecord& q = c.written()[j];
            if (q.kind == ScanRecord::kQuiet)
                SearchResults::count(res_.splithist, res_.cplxhist, q.band, q.complexity);
        }
        return false;
    }

    // A job as it is built: without workers it is merged at once (false when
    // Search:End was polled), otherwise it waits for the next flush.
    bool take(int why, int r, const TermList* cand)
    {
        if (threaded_) {
            w_.jobs.add(why, r, cand);
            return true;
        }
        if (cand && cand != &w_.cand) {
            w_.cand.lp.assign(cand->lp.begin(), cand->lp.end());
            w_.cand.lits.assign(cand->lits.begin(), cand->lits.end());
        }
        return merge_job(why, r, nullptr, nullptr);
    }

    // The skip reasons a worker counted making a pair that was skipped.
    void add_tallies(const partition::SkipTally& counted)
    {
        for (int k = 1; k <= partition::kSkipReasons; ++k)
            if (const long long n = counted.count[static_cast<std::size_t>(k)]) partition::skip_add(skips_, k, n);
    }

    // Scores and merges the waiting jobs in order; false when Search:End was polled.
    bool flush()
    {
        const std::size_t m = w_.jobs.size();
        bool go_on = true;
        if (!threaded_ || m < 64) {
            for (std::size_t j = 0; j < m && go_on; ++j) go_on = merge(j, nullptr, nullptr);
        } else {
            w_.scores.resize(std::max(w_.scores.size(), m));
            w_.scored.resize(std::max(w_.scored.size(), m));
            w_.counted.resize(std::max(w_.counted.size(), m));
            go_on = in_chunks(
                m,
                [&](Worker& wk, std::size_t from, std::size_t to, const std::atomic<bool>& stop) {
                    wk.score(w_.jobs, from, to, w_.scores, w_.scored, w_.counted, stop);
                },
                [&](std::size_t j) { return merge(j, &w_.scores[j], &w_.scored[j]); });
        }
        w_.jobs.clear();
        return go_on;
    }

    // One job, in enumeration order; false when Search:End was polled.
    bool merge(std::size_t j, const Score* pre, const Scored* how)
    {
        if (how && how->skipped) {
            add_tallies(w_.counted[j]);
            return true;
        }
        if (w_.jobs.reason[j] == 0) w_.jobs.get(j, w_.cand);
        return merge_job(w_.jobs.reason[j], w_.jobs.side[j], pre, how);
    }

    // The job of skip reason `why` (0: the candidate in w_.cand, side r).
    bool merge_job(int why, int r, const Score* pre, const Scored* how)
    {
        if (why != 0) {
            partition::skip_add(skips_, why);
            return true;
        }
        // Settled on its worker and turned away by the lists as they stand:
        // its pair is not made again (where the window plots, its marks and
        // rows read the pair).
        if (how && how->settled && !s_.dispgraph && !s_.process_mode && !rule().may_enter(how->complexity, pre->g))
            return away(r, how->complexity, *pre, false);
        if (s_.process_mode) host_.progress(".. doing Boolean algebra manipulations ");
        // The pair's lists are written only when scoring reads them or the
        // candidate enters the top-10 list.
        bool pending = false;
        const bool simple = how && how->simple;
        partition::PairResult pr;
        if (simple) {
            pr.complexity = how->complexity;
            w_.cur.repflag = r;
            pending = true;
        } else if (!s_.use_cache) {
            pr = partition::mkpair(w_.cand, w_.comp, r, w_.cur, s_.pair, skips_, log_);
        } else {
            pr = cache_.make_lazy(w_.cand, w_.comp, r, w_.cur, skips_, log_, pending);
            if (pending && !ev_.scores_first(w_.cand)) {
                cache_.fill_pair(w_.cur);
                pending = false;
            }
        }
        tell(pr.cut_expansions);
        if (pr.skip) return true;
        const Score sc =
            pre ? *pre : ev_.score(Candidate{w_.cur, w_.cand, pr.complexity, pending ? &w_.cand : nullptr});
        return finish(r, pr.complexity, sc, pending, !simple);
    }

    // Records the scored candidate side in w_.cand, of the given complexity, and
    // shows and polls; `pending`: the pair's lists are unwritten (the first is the
    // candidate), `filled`: the shape cache's last lookup can write them.
    // False when Search:End was polled.
    bool finish(int r, int complexity, const Score& sc, bool pending, bool filled)
    {
        w_.run.changed(); // the lists may change
        const EvaluationSettings& es = ev_.settings();
        if (pending && es.combination && res_.top10.would_change(complexity, sc.g, es.penalty)) {
            if (filled) cache_.fill_pair(w_.cur);
            else cache_.make(w_.cand, w_.comp, r, w_.cur, skips_, log_);
            pending = false;
        }
        const Candidate c{w_.cur, w_.cand, complexity, pending ? &w_.cand : nullptr};
        return evaluated_one(record(c, sc, ev_.settings(), res_, skips_), sc.g, complexity, w_.cand.lp);
    }

    // What follows every recorded evaluation (of plot mark `mark`, a packed list
    // of term lengths `lp`): the count, the progress text, the window and the
    // Search:End poll. False when Search:End was polled.
    [[gnu::always_inline]] bool evaluated_one(char mark, float g, int complexity, std::span<const int> lp)
    {
        ++evaluated;
        if (++progress_count >= 500) show_progress();
        if (s_.dispgraph && !s_.rank_stage) show(mark, g, complexity, lp);
        host_.yield();
        if (host_.search_end()) return ended();
        return true;
    }

    // What the pair's Boolean algebra left for the user, and a message per
    // expansion of a cut, shown now.
    void tell(int cut_expansions)
    {
        Notices& told = s_.pair.reduce.told ? *s_.pair.reduce.told : told_;
        for (int k = 0; k < cut_expansions; ++k) told.add_message(partition::kExpandLoopMessage);
        if (!told.empty()) host_.tell(told);
    }

    // Out of the per-candidate path: every 500th candidate and the end.
    [[gnu::noinline]] void show_progress()
    {
        host_.progress(progress_text(evaluated, s_.iteration, s_.serial_y));
        progress_count = 0;
    }
    [[gnu::noinline]] bool ended()
    {
        log_.write("** User Requested Search:End **");
        return false;
    }

    void show(char mark, float g, int complexity, std::span<const int> lp)
    {
        if (evaluated % 10 == 0) {
            // The counts widen their fields past six digits: a long search passes a million.
            std::string row = "Esc  Pause #=" + io::fmt_i(evaluated, 6) + " Target=" + io::fmt_i(target_, 6) +
                              (tilde_ ? "~" : " ") + " p_1-p_q" + mark;
            row += sizes(lp.first(std::min<std::size_t>(lp.size(), 12)), 2);
            host_.window_row(row);
        }
        host_.window_mark(complexity, g, mark);
    }

    const LoopSettings& s_;
    Evaluator& ev_;
    SearchResults& res_;
    partition::SkipTally& skips_;
    io::LogWriter& log_;
    SearchHost& host_;
    ShapeCache& cache_;
    Work& w_;
    std::vector<std::unique_ptr<Worker>>& workers_;
    WorkerPool* pool_;
    DirectScorer* direct_;
    DirectScorer* own_direct_; // the calling thread's scorer of the chunks it scans (no workers)
    DirectScan* own_scan_;
    Notices told_;            // the messages of a run whose pair settings hold no notices
    long long most_cuts_ = 1; // cut combinations of the size vector's combinations, at most
    bool threaded_ = false;
    long long target_ = 0;
    bool tilde_ = false;
    int progress_count = 0;
};

} // namespace
} // namespace meru::search
