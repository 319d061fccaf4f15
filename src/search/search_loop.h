#pragma once
// The search loop: walks the extent's size vectors, builds every candidate of
// each from the attribute set, makes its pair (through the shape cache), scores
// it and records it; per size vector the class line, the sub-search size, the
// skip rule of "Up to", the skip report and the extent box line; progress every
// 500 evaluations, the search window row every 10, a plot mark per evaluation and
// the Search:End poll after every evaluation.
//
// Plain C++: what the loop shows or asks goes through SearchHost, which the main
// loop implements over the progress window, the search window and the menu flags.
#include "partition/candidate.h"
#include "partition/combinations.h"
#include "partition/search_size.h"
#include "search/evaluate.h"
#include "search/search_results.h"
#include "search/serial_joins.h"
#include "search/shape_cache.h"
#include "search/worker_pool.h"
#include "stats/extent.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace meru::search {

// What the loop shows and asks while it runs.
class SearchHost {
public:
    virtual ~SearchHost() = default;
    virtual void progress(std::string_view text) = 0;
    // Lets pending events through (long loops); called after every evaluation.
    virtual void yield() {}
    // Lets pending events through while the loop waits for its worker threads.
    // How often it is called depends on timing, so a host may keep it apart
    // from yield() (a scripted run counts the pumps of yield()).
    virtual void wait_pump() { yield(); }
    // Search:End has been chosen.
    virtual bool search_end() = 0;
    // What the search has for the user, to be shown now (and emptied).
    virtual void tell(Notices& told) { told.clear(); }
    // The search window (called only with "Display graphics while searching").
    virtual void window_row(std::string_view /*text*/) {}
    // An evaluated candidate: its complexity, G and mark (the host scales the
    // window to it).
    virtual void window_mark(int /*complexity*/, float /*g*/, char /*mark*/) {}
};

// How a size vector's candidates are walked and scored (one route per vector).
enum class Route : std::uint8_t {
    // Each candidate through its pair (mkpair or the shape cache) and the
    // general evaluation; on the workers in batches when there are any.
    kPair,
    // This thread: each plain candidate's table made by the direct scorer.
    kDirect,
    // Plain candidates queued for the workers' direct scorers, merged in order.
    kQueued,
    // This thread: the fixed walk, the last terms of a run counted a block at
    // a time.
    kRuns,
    // This thread scans the walk's chunks as a worker would (floating cuts).
    kScanHere,
    // The workers scan chunks of the walk; their records are merged in order.
    kScan,
};
// Its name in the benchmarks' counters and notes.
std::string_view route_name(Route r);

struct LoopSettings {
    const files::ControlTables* tables = nullptr;
    std::vector<int> lines;       // the attribute set: attribute line numbers
    std::span<const char> usable; // per attribute number: may enter; empty: every attribute
    stats::ExtentSettings extent; // bounds, "Up to", sides, the walk's start
    partition::PairSettings pair; // mkpair's settings (iteration, upto, measure, reductions)
    bool forcing = false;         // a forced attribute enters every candidate
    partition::Literal forced = 0;
    bool join0 = false, join1 = false; // forcing by union for side 0 / side 1
    bool iterative = false;
    int iteration = 1;
    bool detailed = false;  // "Detailed output"
    bool dispgraph = false; // "Display graphics while searching" (and no tree)
    bool rank_stage = false;
    bool process_mode = false;
    int serial_y = 0; // current Y of a serial analysis of several Ys; 0: none
    // A serial ordinal or nominal analysis: every candidate A is intersected
    // with each of these literals in turn (serial_joins) unless an attribute is
    // forced.
    std::vector<partition::Literal> serial;
    bool use_cache = true; // false: every candidate takes the real mkpair
    // Whether the direct path counts each pattern of its literals once
    // (search/pattern_counts.h): 0 where it pays, 1 wherever it can, -1
    // never (the last two for tests and benchmarks).
    int patterns = 0;
    // Tests: every size vector takes this route where the search can take it
    // there (kPair always; kDirect and kRuns with a direct scorer, kRuns
    // where it counts runs; kQueued and kScan with workers, kScan and
    // kScanHere where a combination's cuts fit a chunk, kScanHere without
    // workers), else the route it would take.
    std::optional<Route> route;
    // Worker threads that score the candidates; the calling thread merges their
    // results in enumeration order, so the results equal those of one thread.
    // Below 2, without `data` and `crit`, or under the trace switch, the
    // calling thread scores every candidate.
    int threads = 1;
    // The workers start with the first size vector of at least this many
    // candidates per thread (an eighth of it off the direct path, 512 times it
    // counted over the cuts on the direct path): on smaller ones they would
    // cost more than they save.
    long long parallel_from = 512;
    const EvaluationData* data = nullptr;
    const stats::CritSettings* crit = nullptr;
    // The session's worker threads; null: the search starts its own and joins
    // them when it ends.
    SearchThreads* workers = nullptr;
};

struct LoopResult {
    int vectors = 0;            // size vectors started
    bool ended_by_user = false; // Search:End was polled
    long long evaluated = 0;    // evaluations over all size vectors
    // Pairs made by running mkpair and pairs that came from a shape cache, over
    // the calling thread and the workers (the merge makes a worker's pair again
    // for a candidate that is not simple or enters the top-10 list).
    long long real_mkpair = 0;
    long long cached_mkpair = 0;
    struct Vector {
        std::vector<int> p;
        bool skipped = false; // by the "Up to" rule
        Route route = Route::kPair;
        bool patterns = false; // the direct scorer counted from the pattern cells
        long long evaluated = 0;
        long long tallied = 0; // the skip report's total
    };
    std::vector<Vector> per_vector;
};

// Runs the size vectors from settings.extent.start on (just that one with a fixed
// extent) and returns when the extent is exhausted or Search:End was chosen.
// `box` gets one line per size vector (reset it before); the caller prints it.
LoopResult run_search_loop(const LoopSettings& settings, Evaluator& evaluator, SearchResults& results,
                           partition::SkipTally& skips, stats::ExtentBox& box, partition::SubsizeMemory& memory,
                           io::LogWriter& log, SearchHost& host);

// The progress window's text every 500 evaluations of a size vector: the count
// of the size vector so far, the iteration and, in a serial analysis, the Y.
std::string progress_text(long long evaluated, int iteration, int serial_y);

// The line written for a skipped size vector: the sizes of the shape it is a subset of.
std::vector<int> covering_shape(std::span<const int> p);

} // namespace meru::search
