#pragma once
// Scoring one candidate partition: its effectiveness G over the Ys in range, each
// Y's contribution scored by the criterion from the summary it asks for (split
// sums, the count table or the log-rank statistic, built by the bit-packed
// kernels), weighted, balanced and summed; and, in the ranking, a p-value and a
// direction.
//
// Scoring is split from its effects so that scoring can run anywhere:
//  - Evaluator::score() reads a snapshot of the data made when the evaluator is
//    built (bit columns, Y, weights, a private copy of the criterion settings),
//    writes only the evaluator's own work storage, and allocates nothing, writes
//    no log and calls no service once the evaluator has seen its largest list;
//  - record() then applies the score to the search's results in order: the
//    skip tally, the split histogram, the ranking progress, the saved G values,
//    the complexity histogram and the best lists, and the Fix Positive hand-off.
#include "partition/skiptally.h"
#include "partition/termlist.h"
#include "platform/io/logwriter.h"
#include "search/class_sample.h"
#include "search/logrank_bits.h"
#include "search/search_results.h"
#include "stats/censoring.h"
#include "stats/count_table.h"
#include "stats/criteria.h"
#include "stats/criterion.h"
#include "stats/logrank.h"
#include "stats/partition_sample.h"
#include "stats/split_sums.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

namespace meru::search {

// The analysis data a search scores against; every span must outlive the evaluator.
struct EvaluationData {
    stats::AttributeMatrix abyte;
    std::array<std::span<const float>, stats::kMaxYs> y{}; // Y 1..NY at [k - 1]; negative is missing
    std::array<double, stats::kMaxYs> ymax{};              // largest value of each Y
    int ny = 1;
    std::span<const std::uint8_t> mask; // the analysis sample
    std::span<const int> weights;       // the analysis weights
    std::span<const std::int8_t> signbyte;
    stats::Censoring censoring;
    // What the kept order of the survival times depends on (the Y is added per Y).
    std::uint64_t data_generation = 0;
    std::uint64_t sample_generation = 0;
    // An order of survival times sorted before (see stats::LOGRANK), which
    // sorting takes over where it fits; each sort leaves its order there.
    // Null: none kept.
    std::shared_ptr<const stats::LogRankOrder>* kept_order = nullptr;
};

// Where the evaluation runs and what it feeds.
struct EvaluationSettings {
    int serial_y = 1;          // the one Y evaluated; 0: Y 1..NY (parallel mode)
    bool skipcomb = false;     // skip observations missing in the combination
    double penalty = 0.0;      // the search's penalty (0 under automatic beta)
    bool rank_stage = false;   // the ranking of single attributes is running
    bool search_stage = false; // a search of Search:Go! is running
    bool combination = true;   // false: a single given partition, entered in no list
    bool process_mode = false; // no split histogram
    bool fixpos = false;       // Fix Positive attributes is running (ranking)
    bool rank_plot = false;    // the attribute rank plot is running (ranking)
    int lc = 1;                // attribute dimension, for the ranking's percentage
    // An ordinal or nominal sequence: A predicts the Y (its category, or the
    // levels above it), so a split whose A holds a lower mean of Y than A-
    // scores at most as a split of no effect.
    bool a_predicts = false;
    // One Y scored by a count table (and, in a search, by the log-rank
    // statistic): from the scorer's own snapshots (search/class_sample.h,
    // search/logrank_bits.h); false: from the general bit-packed sample.
    bool snapshots = true;
};

// One candidate: the pair as mkpair left it, the packed (unreduced) candidate and
// its complexity.
struct Candidate {
    const partition::Partition& pair;
    const partition::TermList& packed;
    int complexity = 0;
    // When set, the pair's first list (the pair's repflag is set, its lists may
    // be unwritten): for scoring that reads only the first list.
    const partition::TermList* first = nullptr;

    const partition::TermList& first_list() const { return first ? *first : pair.first; }
};

// In a search (outside the rank stage) p is left at 1 for the count-table
// criteria: the search ranks by G alone, and the p-value costs as much as the count.
struct Score {
    float g = 0.0f;                         // G summed over the Ys in range
    std::array<float, stats::kMaxYs> gk{};  // each Y's contribution
    std::int64_t c0 = 0, c1 = 0, n = 0;     // side weights of the last Y
    int band = 0;                           // split histogram band of the first Y scored, 0 for none
    int null_partitions = 0;                // Ys with N = 0 (mean-square criteria)
    double p = 1.0, pmin = 1.0, rdir = 0.0; // last Y's p; ranking: smallest p, direction
};

class PatternSums;

// Another way of counting the table of a list over the units of the
// class-ordered snapshot (the direct path's pattern counts): the same table,
// or false where it cannot.
class ListCounter {
public:
    virtual ~ListCounter() = default;
    virtual bool count_list(const partition::TermList& list, int sense, stats::CountTable& out) = 0;
};

class Evaluator {
public:
    // Builds the bit columns of the Ys in range and the criterion of crit.icrit
    // (std::invalid_argument for a code outside 1..kCriterionCount). `crit` is copied.
    Evaluator(const EvaluationData& data, const stats::CritSettings& crit, const EvaluationSettings& settings);

    // Orders the survival times of the log-rank criterion (writing its note on
    // zero times to `log`). Call it where the saved-G count is 0: when a search
    // or a ranking starts. Scoring sorts only if this was not done.
    void sort_times(io::LogWriter& log);
    // The same by reading the orders `other` (an evaluator of the same data and
    // criterion) has made, where it has ordered every Y.
    void sort_times_as(const Evaluator& other, io::LogWriter& log);
    // Makes the snapshots a search scores with now, reading the units, bit
    // columns and split state `main` (an evaluator of the same data and
    // criterion, with the same expected attributes and its times ordered) has
    // made instead of making them again. Call it while `main` is not in use: a worker then shares the
    // calling thread's columns, which stay in place until the search ends.
    void share_snapshots(const Evaluator& main);
    // Makes now the snapshots scoring will read, and in them the bit columns
    // of the expected attributes, their stretches of words shared out by
    // `parallel`; otherwise each snapshot is made on its first use.
    void make_snapshots(const stats::ParallelFor& parallel);
    // The ranking: works out now, the literals shared out by `parallel`, what
    // score() of each single literal will read: under Log-rank of one Y its
    // log-rank summary (and with it its direction), otherwise with `fixpos`
    // its direction where that is a correlation (one Y, a count-table or
    // mean-square criterion).
    void rank_literals(std::span<const partition::Literal> literals, const stats::ParallelFor& parallel);
    // The attributes the candidates will read: the snapshots' bit columns of
    // them are built in one pass over the units when a snapshot is made
    // (those outside the attribute matrix are left out).
    void expect_attributes(std::vector<int> attributes);

    Score score(const Candidate& c);
    // Where the class-ordered snapshot counts a candidate's table, `counter`
    // counts it first (null: none); it must outlive its use.
    void count_lists_by(ListCounter* counter) { counter_ = counter; }
    // Where one Y's split sums are made, `sums` makes them first where it
    // can (null: none); it must outlive its use.
    void sum_splits_by(const PatternSums* sums) { sums_by_ = sums; }

    // The class-ordered snapshot when a candidate's score is a function of the
    // count table of its first list alone (one Y, a count-table criterion, a
    // search outside the ranking); null otherwise. score_table() then gives the
    // score of the table that snapshot counts.
    ClassOrderedSample* direct_sample();
    Score score_table(const stats::CountTable& table);
    // An upper bound of score_table(table).g worked out without the criterion's
    // arithmetic; +infinity where none is known (known for the chi-square of two
    // classes, neither balanced nor weighted by Y).
    float g_bound(const stats::CountTable& table) const;
    // True only when g_bound(table) <= f, tested without a division; false
    // also where that cannot be told so cheaply (then ask g_bound()).
    bool bound_at_most(const stats::CountTable& table, float f) const;
    // g_bound() and the band sides_of() gives of each table of a run of two
    // classes (ClassOrderedSample::table_of() of each cells).
    void run_bounds(std::span<const ClassOrderedSample::Cells> cells, std::span<float> bound,
                    std::span<int> band) const;
    // What record_unlisted() reads of score_table(table) where G is not needed:
    // the side weights and the band as there, G taken as `g`, no null
    // partition; the other fields of `s` are left as they are.
    void sides_of(const stats::CountTable& table, float g, Score& s) const;

    const EvaluationSettings& settings() const { return settings_; }
    const stats::CritSettings& crit() const { return crit_; }
    const EvaluationData& data() const { return data_; }
    // Whether scoring a candidate whose pair's first list is `first` reads
    // that list (and the pair's repflag) and the packed candidate only: not
    // for split sums, but those the pattern sums give from the first list.
    bool scores_first(const partition::TermList& first) const;
    const stats::SplitCriterion& criterion() const { return *criterion_; }

private:
    struct PerY {
        int k = 1;
        stats::SampleView view;
        int nclasses = 0;
        stats::LogRankKey key;
        // The counted observations in the order of their survival times, once
        // ordered: read alike by the evaluators of one search.
        struct Times {
            stats::LogRankWalk walk;
        };
        std::shared_ptr<const Times> times;
    };
    // The log-rank statistic of the membership in member_ for Y y.
    stats::LogRankResult logrank(PerY& y);
    // Builds the bit-packed samples on first use: an evaluator that scores
    // nothing (a search that groups its observations first) costs no snapshot.
    // `from`: an evaluator whose snapshot's layout and columns are read (see
    // share_snapshots()).
    // `parallel`: as make_snapshots().
    void build_samples(const Evaluator* from = nullptr, const stats::ParallelFor& parallel = {});
    // The bit-packed sample, made on first use.
    stats::PartitionSample& sample(const stats::ParallelFor& parallel = {});
    // Whether scoring reads the bit-packed sample of the one Y.
    bool reads_sample() const;
    // The log-rank columns of the one Y's walk, made on first use (reading
    // those `from` has built).
    LogRankBits& logrank_bits(const Evaluator* from = nullptr, const stats::ParallelFor& parallel = {});
    // Whether scoring reads the log-rank columns.
    bool reads_logrank_bits() const;
    // Orders the survival times of Y y if that was not done beforehand
    // (`sort_switch` 1), or anew (0, writing its note to `log`).
    const stats::LogRankWalk& ensure_walk(PerY& y, int sort_switch, io::LogWriter& log);
    // Each Y's summary scored by the criterion, into values_.
    void summarise(const Candidate& c, Score& s);
    // The score of one Y's criterion value (the one Y of a direct sample).
    Score score_of(const stats::CriterionValue& v) const;
    // Caps v's G at that of a split of no effect (a split whose A holds the
    // lower mean of Y, where settings_.a_predicts).
    void no_effect_at_most(stats::CriterionValue& v) const;
    // Y weight, empty sides and balancing.
    float combine(const PerY& y, const stats::CriterionValue& v, Score& s) const;
    // Each Y's direction of the packed candidate (ranking).
    void directions(const Candidate& c, std::span<double> r);
    // The correlation of the one Y with the list's plain membership from its
    // count table in the class-ordered snapshot (where table_directions_).
    double table_direction(const partition::TermList& list);
    // The log-rank summary rank_literals() made of a list of one literal in
    // its plain sense, or null.
    const stats::LogRankResult* ranked(const partition::TermList& list, int sense) const;

    EvaluationData data_;
    KernelSet kernels_; // of the level in force when the evaluator was made; its snapshots' too
    stats::CritSettings crit_;
    std::unique_ptr<const stats::SplitCriterion> criterion_;
    EvaluationSettings settings_;
    std::vector<PerY> ys_;
    // The bit-packed sample: over the one Y in range, or over the observations
    // that have any Y in range with a layer per Y.
    std::unique_ptr<stats::PartitionSample> sample_;
    std::unique_ptr<ClassOrderedSample> class_sample_; // one Y, count tables
    bool split_prepared_ = false; // the plain sample's split state is made (its copies may read it)
    // The ranking's directions come from the count tables: the one Y's values
    // are its classes (stats::ys_are_classes()), so no plain sample is made.
    bool table_directions_ = false;
    std::vector<int> attributes_;                      // expected by the candidates
    std::vector<std::pair<partition::Literal, double>> directions_; // rank_literals(), by literal
    std::vector<std::pair<partition::Literal, stats::LogRankResult>> ranked_; // rank_literals(), by literal
    ListCounter* counter_ = nullptr;
    const PatternSums* sums_by_ = nullptr;
    std::unique_ptr<LogRankBits> logrank_bits_;        // one Y, log-rank in a search; made on first use
    std::vector<float> any_y_;
    std::vector<stats::PartitionSample::YLayer> layers_;
    std::vector<stats::PartitionSample::YLayer*> layer_ptrs_;
    std::array<stats::SplitSums, stats::kMaxYs> sums_{};
    std::array<stats::CountTable, stats::kMaxYs> tables_{};
    std::array<stats::CriterionValue, stats::kMaxYs> values_{};
    stats::SplitSlots slots_;
    std::vector<std::int8_t> member_;
    io::LogWriter quiet_; // never written while the times are sorted beforehand
    stats::ScoreInput input_ = stats::ScoreInput::CountTable;
    bool bounded_ = false; // chi-square of one Y of two classes, G is X^2 itself: g_bound() knows a bound
    std::vector<double> band_scale_; // split_band_scale() up to the sample's size
};

// What the search's caller lets the record step reach.
struct RecordHooks {
    std::function<void(std::string_view)> progress;       // ranking progress text
    std::function<void(int literal, double rdir)> fixpos; // direction of a ranked attribute
};

// Applies one score to the results, in order; returns the candidate's plot mark
// ('=' up to 12 terms of the packed candidate, '>' above).
char record(const Candidate& c, const Score& s, const EvaluationSettings& settings, SearchResults& results,
            partition::SkipTally& skips, const RecordHooks& hooks = {});

// record() of a candidate of `complexity` whose packed list has q terms, when
// the entry rule (search/entry_bounds.h) turns it away: the same tallies, and no
// list is offered it (nor are the hooks called: the ranking's candidates take
// record()).
inline char record_unlisted(int complexity, int q, const Score& s, const EvaluationSettings& settings,
                            SearchResults& results, partition::SkipTally& skips)
{
    results.last_n = s.n;
    if (s.null_partitions > 0) partition::skip_add(skips, partition::kSkipNullPartition, s.null_partitions);
    ++results.evaluated;
    if (settings.rank_stage || settings.search_stage) results.save_g(s.g);
    SearchResults::count(results.splithist, results.cplxhist, s.band, complexity);
    return q > 12 ? '>' : '=';
}

// True when neither G `g` nor any lower G at this complexity would change a
// list in a search (not the ranking): record() of any of them changes no list.
// The rule of search/entry_bounds.h, on the lists as they stand.
bool surely_unlisted(const SearchResults& results, int complexity, float g, const EvaluationSettings& settings);

// Split histogram band (1..100) of side weight c0 in a sample of n.
int split_band(std::int64_t c0, std::int64_t n);
// 100 / (n + 1) for each n below `size`, for the split_band() below.
std::vector<double> split_band_scale(std::size_t size);
// split_band(c0, n) told by one multiplication by scale[n] where that is sure;
// the two divisions otherwise.
int split_band(std::int64_t c0, std::int64_t n, std::span<const double> scale);

} // namespace meru::search
