#pragma once
// The direct path on a worker thread: a worker takes a chunk of the enumeration
// (the combinations from a copied position of the walk up to the next chunk's), builds each
// candidate's literals over its floating cuts, looks up its shape, scores it
// with its own DirectScorer and writes a compact record per candidate side for
// the merge, which applies them in enumeration order on the calling thread.
//
// The merge does in full only what a worker cannot decide: the first candidate
// of a shape this worker had not seen (the calling thread makes the pair of a
// shape's first candidate itself, in order), candidates through the pair whose
// making counted a skip reason or wrote anything, and candidates that may
// enter the top-10 list or the best list. A candidate below the lists' entry
// bounds taken when its chunk was made cannot enter at the merge either: the
// bounds only rise as the lists fill.
#include "partition/combinations.h"
#include "search/cut_walk.h"
#include "search/direct_path.h"
#include "search/entry_bounds.h"
#include "search/evaluate.h"
#include "search/fixed_walk.h"
#include "search/shape_cache.h"

#include <array>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

namespace meru::search {

struct ScanRecord {
    enum Kind : std::uint8_t {
        kQuiet,   // scored, enters no list: only the tallies
        kEntrant, // plain, scored, may enter a list: its literals and score kept
        kSettled, // through its pair on the worker (no skip reason, nothing
                  // written), may enter a list: its literals and score kept
        kSkipped, // through its pair on the worker, skipped (nothing written):
                  // the skip reasons counted, at `at` in the chunk's tallies
        kFirst,   // plain, its shape new to the worker: merged in full
        kOther,   // through the pair at the merge
        kCovered  // tallied under reason 8
    };
    float g = 0.0f; // of kQuiet: a bound of G once the saved G values are full
    std::int32_t complexity = 0;
    std::int64_t n = 0;
    std::int32_t at = 0;    // the first of its literals (kEntrant, kFirst, kOther)
    std::int32_t score = 0; // its score (kEntrant)
    Kind kind = kQuiet;
    std::uint8_t side = 0;
    std::uint8_t band = 0;
};

// A run of combinations and what the worker made of them.
struct ScanChunk {
    partition::Combinations start;     // at the chunk's first combination
    std::vector<partition::Count> end; // the ranks of the next chunk's first
    std::vector<int> end_items;        // and its items
    bool to_end = false;               // the chunk runs to the end of the walk
    EntryBounds bounds;                // as published when a worker took the chunk
    std::vector<ScanRecord> records;   // the first `used` are the chunk's
    std::size_t used = 0;
    std::span<const ScanRecord> written() const { return {records.data(), used}; }
    std::vector<partition::Literal> lits; // literals of the records that keep them
    std::vector<Score> scores;
    std::vector<partition::SkipTally> tallies; // of the kSkipped records
    // Where it has runs (below), the quiet records' histogram counts (split
    // band, complexity).
    SearchResults::SplitCounts quiet_split{};
    SearchResults::ComplexityCounts quiet_cplx{};
    // Where the saved G values were full and no window plots: the records in
    // runs, each all quiet or none, so that the merge passes a quiet run's
    // candidates without reading them (empty otherwise).
    struct Run {
        std::size_t from = 0, to = 0;
        bool quiet = false;
    };
    std::vector<Run> runs;
};

// What every chunk of a size vector shares.
struct ScanVector {
    const LoopSettings* settings = nullptr;
    int n = 0;          // items
    int lo = 0, hi = 1; // sides
    std::span<const int> p;
};

// A side's table, G bound and split band as counted in a run.
struct Counted {
    const ClassOrderedSample::Cells* cells = nullptr;
    float bound = 0.0f;
    int band = 0;
};

// A worker's scanner: its own scorer (started on the size vector), evaluator and
// shape cache.
class DirectScan {
public:
    DirectScan(DirectScorer& direct, Evaluator& ev, ShapeCache& cache) : direct_(direct), ev_(ev), cache_(cache)
    {
        quiet_.set_trace_sink([this](std::string_view) { ++written_; });
    }
    // Fills chunk.records (and its literals and scores) until the chunk is
    // done or `cancel` is raised.
    void scan(const ScanVector& v, ScanChunk& chunk, const std::atomic<bool>& cancel);

private:
    static constexpr std::size_t kNoRun = ~std::size_t{0};
    // Words of a run's last terms per side, at most.
    static constexpr std::size_t kRunWords = std::size_t{1} << 17;
    // Makes the words of the last terms of a combination's run of `run` sets of
    // cuts (false: runs do not pay or do not fit), and of the run about to be
    // counted the tables (with `gate`, their G bounds and split bands).
    // `last_from`: the last term's first position.
    bool begin_runs(const ScanVector& v, std::span<const int> index, std::size_t last_from, std::size_t run);
    void count_run(const ScanVector& v, bool gate);
    // What the worker's shape cache says of the candidate in cand_, making its
    // pair when the shape is new to it: the complexity, or kNotSimple.
    int learn(int r);
    // Side r of a candidate that goes through its pair, made here where
    // that shows no message and writes nothing (else the merge makes it):
    // skipped, with the reasons it counted in `counted`, or scored where it
    // counted none (its complexity and score).
    enum class Settled { kNo, kSkipped, kScored };
    Settled settle(int r, std::span<const partition::Literal> lits, int& complexity, Score& score,
                   partition::SkipTally& counted);
    // Keeps the literals of a record (written in place in the chunk).
    void keep(ScanChunk& chunk, ScanRecord& rec, std::span<const partition::Literal> lits);

    DirectScorer& direct_;
    Evaluator& ev_;
    ShapeCache& cache_;
    CutWalk walk_;
    partition::TermList cand_, copy_, comp_;
    partition::Partition cur_;
    partition::SkipTally tally_;
    stats::CountTable table_;
    Score sides_;                                         // a settled candidate's sides
    std::array<std::vector<std::uint64_t>, 2> run_words_; // per side: the run's last terms
    std::array<std::vector<const std::uint64_t*>, 2> run_at_;
    std::array<std::vector<ClassOrderedSample::Cells>, 2> run_cells_;
    std::array<std::vector<float>, 2> run_bound_;
    std::array<std::vector<int>, 2> run_band_;
    FixedWalk fixed_;                // the walk of one literal per item
    std::vector<char> run_ok_;       // per set of the last term's cuts: its literals are usable and plain
    std::array<int, 2> run_known_{}; // a uniform run's complexity per side
    // The chunk's bounds in front of the entry rule.
    EntryGate gate_;
    io::LogWriter quiet_;
    long long written_ = 0; // lines given to quiet_
};

} // namespace meru::search
