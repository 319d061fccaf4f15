#pragma once
// The search loop's work storage and its worker threads' state: candidates
// waiting to be scored, the lists, walks and blocks kept across candidates so
// that a candidate allocates nothing in steady state, and what a worker thread
// owns. Used by the loop (size_vector_run.h, search_loop.cpp) only.
#include "partition/combinatorics.h"
#include "search/cut_walk.h"
#include "search/direct_path.h"
#include "search/direct_scan.h"
#include "search/evaluate.h"
#include "search/fixed_walk.h"
#include "search/search_loop.h"
#include "search/search_results.h"
#include "search/shape_cache.h"
#include "search/worker_pool.h"

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <vector>

namespace meru::search {
namespace { // internal to search_loop.cpp, the one file that includes this

using partition::Literal;
using partition::TermList;

// Candidates built and waiting to be scored, in enumeration order: either a
// candidate side to evaluate (its packed lists in the pools) or a skip reason to
// tally when the merge reaches it.
struct Jobs {
    std::vector<int> reason; // 0: evaluate
    std::vector<int> side;
    std::vector<int> lp_at, lit_at; // starts in the pools; the ends are the next job's
    std::vector<int> lp, lits;

    std::size_t size() const { return reason.size(); }
    void clear()
    {
        reason.clear();
        side.clear();
        lp_at.clear();
        lit_at.clear();
        lp.clear();
        lits.clear();
    }
    void add(int why, int r, const TermList* cand)
    {
        reason.push_back(why);
        side.push_back(r);
        lp_at.push_back(static_cast<int>(lp.size()));
        lit_at.push_back(static_cast<int>(lits.size()));
        if (cand) {
            lp.insert(lp.end(), cand->lp.begin(), cand->lp.end());
            lits.insert(lits.end(), cand->lits.begin(), cand->lits.end());
        }
    }
    void get(std::size_t j, TermList& out) const
    {
        const std::size_t a = static_cast<std::size_t>(lp_at[j]);
        const std::size_t b = j + 1 < size() ? static_cast<std::size_t>(lp_at[j + 1]) : lp.size();
        const std::size_t c = static_cast<std::size_t>(lit_at[j]);
        const std::size_t d = j + 1 < size() ? static_cast<std::size_t>(lit_at[j + 1]) : lits.size();
        out.lp.assign(lp.begin() + static_cast<std::ptrdiff_t>(a), lp.begin() + static_cast<std::ptrdiff_t>(b));
        out.lits.assign(lits.begin() + static_cast<std::ptrdiff_t>(c), lits.begin() + static_cast<std::ptrdiff_t>(d));
    }
};

// What a worker leaves for the merge besides the score: `simple` when the pair
// came from the shape cache with the candidate as given for its first list and
// no skip counted, so that the merge need not make it again (only for a
// candidate that enters the top-10 list); `settled` when making the pair
// counted no skip reason, showed no message and wrote nothing, so that the
// merge need not make it again for a candidate the lists turn away; its
// complexity then; `skipped` when the pair was skipped, showing no message
// and writing nothing (the reasons it counted kept beside).
struct Scored {
    bool simple = false;
    bool settled = false;
    bool skipped = false;
    int complexity = 0;
};

// The loop's work storage, kept across candidates so that a candidate allocates
// nothing once the largest size vector has been seen.
struct Work {
    partition::Combinations comb;
    CutWalk walk; // the current combination's literals over its floating cuts
    TermList work, cand, comp;
    TermList joined; // the other list of the serial analysis's intersections
    partition::Partition cur;
    Jobs jobs;
    std::vector<char> done; // per worker: its chunk is scored
    std::vector<Score> scores;
    std::vector<Scored> scored;
    std::vector<partition::SkipTally> counted; // per job skipped on its worker: the reasons counted
    partition::SkipTally scratch; // packcand's count, taken from the job instead
    DirectJobs direct;            // the direct path's queue
    std::vector<ScanChunk> ring;  // the chunks of the threaded direct path
    std::vector<long long> ready; // per slot: the chunk scanned into it
    std::vector<long long> cuts;  // per item: the cuts its line floats, or 1
    EntryBounds bounds;           // the lists' entry bounds as they stand (after the last merged chunk)
    stats::CountTable table;      // a count table made at the merge
    Score score;                  // and its score
    Score sides;                  // or its sides alone
    // The walk of candidates of fixed literals, and what the one-thread merge
    // of its blocks keeps besides.
    FixedWalk fixed;
    struct Run {
        std::array<std::vector<int>, 2> cplx; // of a quiet side: its shape's complexity
        // Per newest candidate: every side is known to be quiet (mark_quiet()).
        std::vector<char> pass;
        // Three of every four quiet evaluations' split bands and complexities,
        // counted apart so that the counts of one slot do not wait on each
        // other; added to the search's histograms when the walk ends.
        struct Apart {
            SearchResults::SplitCounts split{};
            SearchResults::ComplexityCounts cplx{};
        };
        std::array<Apart, 3> apart{};
        void fold(SearchResults& res)
        {
            for (const Apart& a : apart) {
                for (std::size_t x = 1; x < a.split.size(); ++x) res.splithist[x] += a.split[x];
                for (std::size_t x = 0; x < a.cplx.size(); ++x) res.cplxhist[x] += a.cplx[x];
            }
        }
        std::uint64_t pass_epoch = 0; // the epoch pass was marked in
        std::uint64_t epoch = 1;      // counts the times the lists may have changed
        void changed() { ++epoch; }
    } run;
    // This thread's entry rule, taken again after the lists may have changed
    // (apart from `bounds`, which the workers read under the pool's lock), and
    // its gate.
    EntryBounds rule;
    EntryGate gate;
    std::uint64_t rule_epoch = 0; // the epoch the rule was taken in
};

// Waits for the workers to end their task, letting events through meanwhile.
void wait_pumping(WorkerPool& pool, SearchHost& host)
{
    while (!pool.wait_for_idle(std::chrono::milliseconds(5))) host.wait_pump();
}

std::string sizes(std::span<const int> p, int width)
{
    std::string s;
    for (int v : p) s += io::fmt_i(v, width);
    return s;
}

// What a worker thread owns: its evaluator, pair settings without services,
// notices or shared caches, its shape cache and work lists.
struct Worker {
    // The data as a worker reads them: the order of the times the request
    // keeps is the calling thread's alone.
    static EvaluationData own_thread(EvaluationData data)
    {
        data.kept_order = nullptr;
        return data;
    }
    // `main`: the calling thread's evaluator over the same data, whose ordered
    // survival times the worker takes.
    Worker(const EvaluationData& data, const stats::CritSettings& crit, const Evaluator& main,
           const partition::PairSettings& pair)
        : ev(own_thread(data), crit, main.settings()), settings(pair), cache(settings, pair.reduce.tables)
    {
        settings.reduce.services = nullptr;
        settings.reduce.told = nullptr;
        settings.reduce.cache = nullptr;
        quiet.set_trace_sink([this](std::string_view) { ++written; });
        ev.sort_times_as(main, quiet);
    }
    Evaluator ev;
    partition::PairSettings settings;
    ShapeCache cache;
    std::unique_ptr<DirectScorer> direct; // when the search takes the direct path
    std::unique_ptr<DirectScorer> joined; // else the counter of its lists (see make_direct())
    std::unique_ptr<DirectScan> scan;     // its enumeration in chunks
    TermList cand, comp;
    partition::Partition cur;
    io::LogWriter quiet;

    long long written = 0; // lines given to quiet

    // Scores the evaluated jobs of [from, to) into out; the merge makes the pair
    // again unless the job is marked simple.
    void score(const Jobs& jobs, std::size_t from, std::size_t to, std::vector<Score>& out, std::vector<Scored>& how,
               std::vector<partition::SkipTally>& counted, const std::atomic<bool>& cancel)
    {
        for (std::size_t j = from; j < to && !cancel.load(std::memory_order_relaxed); ++j) {
            how[j] = {};
            if (jobs.reason[j] != 0) continue;
            jobs.get(j, cand);
            bool pending = false;
            const long long lines = written;
            partition::SkipTally& tally = counted[j];
            tally = {};
            const partition::PairResult pr = cache.make_lazy(cand, comp, jobs.side[j], cur, tally, quiet, pending);
            if (pending && !ev.scores_first(cand)) {
                cache.fill_pair(cur);
                pending = false;
            }
            const bool quiet_pair = written == lines && pr.cut_expansions == 0;
            if (pr.skip) {
                how[j].skipped = quiet_pair;
                continue;
            }
            out[j] = ev.score(Candidate{cur, cand, pr.complexity, pending ? &cand : nullptr});
            const bool clean =
                quiet_pair && std::all_of(tally.count.begin(), tally.count.end(), [](long long c) { return c == 0; });
            how[j] = {pending && clean, clean, false, pr.complexity};
        }
    }
};

} // namespace
} // namespace meru::search
